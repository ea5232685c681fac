#include "TXmlParser.h"

#include <cstring>

#include <expat.h>

#include "ILogger.h"
#include "TRootObject.h"

namespace NQRVKTA20 {

// expat calls plain C functions; these forward to the parser object and
// keep exceptions from unwinding through expat's C frames.
struct TXmlParserCallbacks {
    template <typename Body>
    static void Guard(void* user, Body body)
    {
        TXmlParser* self = static_cast<TXmlParser*>(user);
        if (self->fCallbackError)
            return;
        try {
            body(self);
        } catch (...) {
            self->fCallbackError = std::current_exception();
            XML_StopParser(self->fParser, XML_FALSE);
        }
    }

    static void Start(void* user, const XML_Char* name, const XML_Char** atts)
    {
        Guard(user, [name, atts](TXmlParser* self) {
            if (++self->fDepth > TXmlParser::kMaxDepth) {
                self->Stop("elements nested deeper than " +
                           std::to_string(TXmlParser::kMaxDepth) + " levels");
                return;
            }
            std::map<std::string, std::string> attributes;
            for (const XML_Char** a = atts; a && a[0]; a += 2)
                attributes[a[0]] = a[1];
            self->StartElement(name, attributes);
        });
    }

    static void End(void* user, const XML_Char* name)
    {
        Guard(user, [name](TXmlParser* self) {
            --self->fDepth;
            self->EndElement(name);
        });
    }

    static void Characters(void* user, const XML_Char* text, int length)
    {
        Guard(user, [text, length](TXmlParser* self) {
            self->characters(text, static_cast<unsigned int>(length));
        });
    }

    static void Instruction(void* user, const XML_Char* target,
                            const XML_Char* data)
    {
        Guard(user, [target, data](TXmlParser* self) {
            self->processingInstruction(target, data ? data : "");
        });
    }

    static void Notation(void* user, const XML_Char* name, const XML_Char*,
                         const XML_Char* systemId, const XML_Char* publicId)
    {
        Guard(user, [name, systemId, publicId](TXmlParser* self) {
            self->notationDecl(name, systemId ? systemId : "",
                               publicId ? publicId : "");
        });
    }

    // Declared entities are the only way a document can make the parser
    // expand text (entity bombs) or fetch something; refusing the
    // declaration itself is simpler than bounding what it expands to.
    static void EntityDecl(void* user, const XML_Char* name, int, const XML_Char*,
                           int, const XML_Char*, const XML_Char*,
                           const XML_Char*, const XML_Char*)
    {
        Guard(user, [name](TXmlParser* self) {
            self->Stop(std::string("entity declarations are not allowed (") +
                       name + ")");
        });
    }

    static void SkippedEntity(void* user, const XML_Char* name, int)
    {
        Guard(user, [name](TXmlParser* self) {
            self->Stop(std::string("undefined entity ") + name);
        });
    }
};

TXmlParser::TXmlParser()
    : fParser(nullptr), fDepth(0), fLine(0), fColumn(0)
{
}

TXmlParser::~TXmlParser()
{
    if (fParser)
        XML_ParserFree(fParser);
}

void TXmlParser::StartElement(const char*, std::map<std::string, std::string>&)
{
}

void TXmlParser::EndElement(const char*)
{
}

void TXmlParser::processingInstruction(const char*, const char*)
{
}

void TXmlParser::characters(const char*, unsigned int)
{
}

void TXmlParser::notationDecl(const char*, const char*, const char*)
{
}

void TXmlParser::FatalError(const char* message)
{
    TRootObject::GetCoreLogger()->Log(
        ILogger::kLogError, "TXmlParser line " + std::to_string(GetCurLine()) +
                                ": " + (message ? message : ""));
}

void TXmlParser::Stop(const std::string& reason)
{
    if (fStopReason.empty())
        fStopReason = reason;
    XML_StopParser(fParser, XML_FALSE);
}

unsigned long TXmlParser::GetCurLine() const
{
    return fParser ? XML_GetCurrentLineNumber(fParser) : fLine;
}

unsigned long TXmlParser::GetCurColumn() const
{
    return fParser ? XML_GetCurrentColumnNumber(fParser) : fColumn;
}

bool TXmlParser::Parse(char* text)
{
    if (fParser) {
        XML_ParserFree(fParser);
        fParser = nullptr;
    }
    fDepth = 0;
    fStopReason.clear();
    fCallbackError = nullptr;
    fLine = 0;
    fColumn = 0;

    std::size_t length = text ? std::strlen(text) : 0;
    if (length > kMaxInputBytes) {
        FatalError(("document larger than " + std::to_string(kMaxInputBytes) +
                    " bytes")
                       .c_str());
        return false;
    }

    fParser = XML_ParserCreate(nullptr);
    if (!fParser) {
        FatalError("out of memory");
        return false;
    }
    XML_SetUserData(fParser, this);
    XML_SetParamEntityParsing(fParser, XML_PARAM_ENTITY_PARSING_NEVER);
    XML_SetElementHandler(fParser, TXmlParserCallbacks::Start,
                          TXmlParserCallbacks::End);
    XML_SetCharacterDataHandler(fParser, TXmlParserCallbacks::Characters);
    XML_SetProcessingInstructionHandler(fParser,
                                        TXmlParserCallbacks::Instruction);
    XML_SetNotationDeclHandler(fParser, TXmlParserCallbacks::Notation);
    XML_SetEntityDeclHandler(fParser, TXmlParserCallbacks::EntityDecl);
    XML_SetSkippedEntityHandler(fParser, TXmlParserCallbacks::SkippedEntity);

    bool ok = XML_Parse(fParser, text ? text : "", static_cast<int>(length),
                        XML_TRUE) == XML_STATUS_OK;
    if (!ok && !fCallbackError) {
        std::string message = fStopReason.empty()
                                  ? XML_ErrorString(XML_GetErrorCode(fParser))
                                  : fStopReason;
        FatalError(message.c_str());
    }
    fLine = XML_GetCurrentLineNumber(fParser);
    fColumn = XML_GetCurrentColumnNumber(fParser);
    XML_ParserFree(fParser);
    fParser = nullptr;
    if (fCallbackError)
        std::rethrow_exception(fCallbackError);
    return ok;
}

bool TXmlParser::ParseJSSP(const std::string& data,
                           std::map<std::string, std::string>& pairs) const
{
    const char* blanks = " \t\r\n";
    std::string::size_type at = 0;
    while (true) {
        at = data.find_first_not_of(blanks, at);
        if (at == std::string::npos)
            return true;
        std::string::size_type nameEnd = data.find_first_of(" \t\r\n='\"", at);
        if (nameEnd == std::string::npos || nameEnd == at)
            return false;
        std::string name = data.substr(at, nameEnd - at);
        at = data.find_first_not_of(blanks, nameEnd);
        if (at == std::string::npos || data[at] != '=')
            return false;
        at = data.find_first_not_of(blanks, at + 1);
        if (at == std::string::npos || (data[at] != '"' && data[at] != '\''))
            return false;
        std::string::size_type close = data.find(data[at], at + 1);
        if (close == std::string::npos)
            return false;
        pairs[name] = data.substr(at + 1, close - at - 1);
        at = close + 1;
        if (at < data.size() && std::strchr(blanks, data[at]) == nullptr)
            return false;  // pairs must be separated by blanks
    }
}

std::string TXmlParser::ParseCharData(const char* text,
                                      unsigned int length) const
{
    if (!text)
        return std::string();
    std::string value(text, length);
    const char* blanks = " \t\r\n";
    std::string::size_type first = value.find_first_not_of(blanks);
    if (first == std::string::npos)
        return std::string();
    std::string::size_type last = value.find_last_not_of(blanks);
    return value.substr(first, last - first + 1);
}

bool TXmlParser::GetAttributeNValue(
    const std::map<std::string, std::string>& attributes,
    const std::string& name, std::string& value) const
{
    auto it = attributes.find(name);
    if (it == attributes.end())
        return false;
    value = it->second;
    return true;
}

} // namespace NQRVKTA20
