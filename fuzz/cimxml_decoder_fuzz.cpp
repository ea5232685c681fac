// Fuzz target: arbitrary bytes as a CIM-XML message, decoded as a simple
// and a multiple-operation request and as a simple and a multiple-operation
// response, and as a response fed in pieces.  Every decoder must either give
// a result or throw CimXmlException (anything else escapes and is a
// finding), and the piecewise response decoding must agree with the
// whole-document one: both fail, or both give the same response.  The
// XML tokenizer under the decoders must agree with expat: the same verdict
// and the same tokens.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <expat.h>

#include "CimXmlMessages.h"
#include "CimXmlTokenizer.h"

using namespace Pegasus;

namespace {

// The parts of a response that the piecewise decoding must repeat.
bool sameResponse(const CimXmlResponse& a, const CimXmlResponse& b)
{
    return a.messageId == b.messageId && a.methodName == b.methodName &&
           a.isIntrinsic == b.isIntrinsic && a.hasError == b.hasError &&
           a.errorCode == b.errorCode &&
           a.errorDescription == b.errorDescription &&
           a.hasReturnValue == b.hasReturnValue &&
           a.classes.size() == b.classes.size() &&
           a.instances.size() == b.instances.size() &&
           a.instanceNames.size() == b.instanceNames.size() &&
           a.classNames.size() == b.classNames.size() &&
           a.qualifierDecls.size() == b.qualifierDecls.size() &&
           a.objects.size() == b.objects.size() &&
           a.objectPaths.size() == b.objectPaths.size() &&
           a.outParameters.size() == b.outParameters.size() &&
           a.returnValue.isNull() == b.returnValue.isNull();
}

// Tokens as text (<name a=[value]>, </>, character data); nonAscii: some
// name has a character beyond ASCII, where the name tables of the two
// parsers (different editions of XML) may differ.
struct Trace : CimXmlTokenSink
{
    std::string out;
    bool nonAscii = false;

    void name(const char* text)
    {
        for (const char* c = text; *c; ++c)
            nonAscii |= static_cast<unsigned char>(*c) >= 0x80;
        out += text;
    }
    bool startTag(const char* tag, std::size_t, const char** attributes) override
    {
        out += "<";
        name(tag);
        for (const char** a = attributes; *a; a += 2)
        {
            out += " ";
            name(a[0]);
            out += std::string("=[") + a[1] + "]";
        }
        out += ">";
        return true;
    }
    void endTag() override { out += "</>"; }
    void text(const char* data, std::size_t size) override { out.append(data, size); }
};

struct ExpatTrace
{
    XML_Parser parser;
    Trace trace;
};

void compareWithExpat(const char* text, std::size_t size)
{
    Trace ours;
    bool oursOk = true;
    std::string failure;
    try
    {
        CimXmlTokenizer tokenizer(ours);
        tokenizer.feed(text, size, true);
    }
    catch (const CimXmlException& e)
    {
        oursOk = false;
        failure = static_cast<const char*>(e.getMessage().getCString());
    }

    ExpatTrace expat;
    expat.parser = XML_ParserCreate(nullptr);
    XML_SetUserData(expat.parser, &expat);
    XML_SetElementHandler(
        expat.parser,
        [](void* d, const char* name, const char** attributes) {
            static_cast<ExpatTrace*>(d)->trace.startTag(name, std::strlen(name), attributes);
        },
        [](void* d, const char*) { static_cast<ExpatTrace*>(d)->trace.endTag(); });
    XML_SetCharacterDataHandler(expat.parser, [](void* d, const char* t, int n) {
        static_cast<ExpatTrace*>(d)->trace.text(t, std::size_t(n));
    });
    XML_SetStartDoctypeDeclHandler(
        expat.parser, [](void* d, const char*, const char*, const char*, int) {
            XML_StopParser(static_cast<ExpatTrace*>(d)->parser, XML_FALSE);
        });
    bool expatOk = XML_Parse(expat.parser, text, int(size), 1) == XML_STATUS_OK;
    XML_ParserFree(expat.parser);

    // Where the two may rightly differ: expat reads other encodings, and
    // names (processing instruction targets too) beyond ASCII.
    if (failure.find("unknown encoding") != std::string::npos)
        return;
    if ((oursOk && ours.nonAscii) || (expatOk && expat.trace.nonAscii))
        return;
    bool highBytes = false;
    for (std::size_t i = 0; i < size; i++)
        highBytes |= static_cast<unsigned char>(text[i]) >= 0x80;
    if (highBytes && std::memchr(text, '?', size))
        return;
    if (oursOk != expatOk || (oursOk && ours.out != expat.trace.out))
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);
    CimXmlLimits limits;
    limits.maxDocumentBytes = 1 << 20;
    compareWithExpat(text, size);

    try
    {
        CimXmlRequestDecoder::decode(text, size, limits);
    }
    catch (const CimXmlException&)
    {
    }
    try
    {
        CimXmlRequestDecoder::decodeMultiple(text, size, limits);
    }
    catch (const CimXmlException&)
    {
    }
    try
    {
        CimXmlResponseDecoder::decodeMultiple(text, size, limits);
    }
    catch (const CimXmlException&)
    {
    }

    bool whole = false;
    CimXmlResponse response;
    try
    {
        response = CimXmlResponseDecoder::decode(text, size, limits);
        whole = true;
    }
    catch (const CimXmlException&)
    {
    }

    // The same document in pieces whose sizes come from its own bytes, so
    // that each input splits differently.
    bool pieces = false;
    CimXmlResponse streamed;
    try
    {
        CimXmlResponseStream stream(limits);
        std::size_t at = 0;
        while (at < size)
        {
            std::size_t piece = 1 + data[at] % 64;
            if (piece > size - at)
                piece = size - at;
            stream.feed(text + at, piece);
            at += piece;
        }
        streamed = stream.finish();
        pieces = true;
    }
    catch (const CimXmlException&)
    {
    }
    if (whole != pieces || (whole && !sameResponse(response, streamed)))
        std::abort();
    return 0;
}
