// Fuzz target: arbitrary bytes as a CIM-XML message, decoded as a simple
// and a multiple-operation request and as a simple and a multiple-operation
// response, and as a response fed in pieces.  Every decoder must either give
// a result or throw CimXmlException (anything else escapes and is a
// finding), and the piecewise response decoding must agree with the
// whole-document one: both fail, or both give the same response.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "CimXmlMessages.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);
    CimXmlLimits limits;
    limits.maxDocumentBytes = 1 << 20;

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
