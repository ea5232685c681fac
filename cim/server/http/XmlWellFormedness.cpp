#include "XmlWellFormedness.h"

#include <expat.h>

#include <memory>

namespace Pegasus {

namespace {

// Our own wording of the parser's findings.  Clients show these texts to
// people, so they say what is wrong in plain words rather than in the
// parser's terms.
const char* describe(XML_Error code)
{
    switch (code)
    {
    case XML_ERROR_TAG_MISMATCH:
        return "Closing element does not match opening element";
    case XML_ERROR_NO_ELEMENTS:
        return "Document has no root element or ends too early";
    case XML_ERROR_SYNTAX:
        return "Malformed markup";
    case XML_ERROR_INVALID_TOKEN:
        return "Invalid character or token";
    case XML_ERROR_UNCLOSED_TOKEN:
        return "Markup is not closed before the end of the document";
    case XML_ERROR_PARTIAL_CHAR:
        return "Incomplete character at the end of the document";
    case XML_ERROR_DUPLICATE_ATTRIBUTE:
        return "Attribute appears more than once in an element";
    case XML_ERROR_JUNK_AFTER_DOC_ELEMENT:
        return "Content after the end of the root element";
    case XML_ERROR_UNDEFINED_ENTITY:
        return "Reference to an undefined entity";
    case XML_ERROR_BAD_CHAR_REF:
        return "Character reference to an illegal character";
    case XML_ERROR_UNKNOWN_ENCODING:
        return "Unsupported character encoding";
    case XML_ERROR_INCORRECT_ENCODING:
        return "Document does not match its declared encoding";
    case XML_ERROR_UNCLOSED_CDATA_SECTION:
        return "CDATA section is not closed";
    case XML_ERROR_MISPLACED_XML_PI:
        return "XML declaration is not at the start of the document";
    case XML_ERROR_XML_DECL:
        return "Malformed XML declaration";
    case XML_ERROR_NO_MEMORY:
        return "Document too large to parse";
    default:
        return nullptr;
    }
}

struct ParserDeleter
{
    void operator()(XML_ParserStruct* p) const { XML_ParserFree(p); }
};

struct CheckState
{
    XML_Parser parser = nullptr;
    bool sawDoctype = false;
};

extern "C" void onDoctype(void* userData, const XML_Char*, const XML_Char*,
                          const XML_Char*, int)
{
    // The decoder refuses document types outright; there is nothing to
    // learn from going on, and stopping here keeps entity declarations from
    // ever being expanded.
    CheckState* state = static_cast<CheckState*>(userData);
    state->sawDoctype = true;
    XML_StopParser(state->parser, XML_FALSE);
}

}  // namespace

std::string xmlWellFormednessError(const char* data, std::size_t size)
{
    std::unique_ptr<XML_ParserStruct, ParserDeleter> parser(
        XML_ParserCreate(nullptr));
    if (!parser)
        return "Document too large to parse: on line 1";

    CheckState state;
    state.parser = parser.get();
    XML_SetUserData(parser.get(), &state);
    XML_SetStartDoctypeDeclHandler(parser.get(), onDoctype);

    // XML_Parse takes an int length: feed very large documents in slices.
    const std::size_t kSlice = std::size_t(1) << 28;
    std::size_t offset = 0;
    do
    {
        std::size_t n = size - offset < kSlice ? size - offset : kSlice;
        bool last = offset + n == size;
        XML_Status status = XML_Parse(parser.get(), data + offset, int(n), last);
        if (state.sawDoctype)
            return std::string();
        if (status != XML_STATUS_OK)
        {
            XML_Error code = XML_GetErrorCode(parser.get());
            const char* text = describe(code);
            std::string message = text ? text : XML_ErrorString(code);
            if (message.empty())
                message = "Malformed XML";
            message += ": on line ";
            message += std::to_string(XML_GetCurrentLineNumber(parser.get()));
            return message;
        }
        offset += n;
    } while (offset < size);
    return std::string();
}

}  // namespace Pegasus
