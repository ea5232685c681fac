// The front end of the CIM-XML decoder.  It reads a document with the
// tokenizer of CimXmlTokenizer.h (well-formed UTF-8 XML, no DOCTYPE, no
// entities beyond the predefined ones), checks the structure against the
// CIM-XML element grammar (which element may contain which, where text may
// appear), enforces the size and depth limits, and hands the surviving
// events to a CimXmlEvents receiver with the element already identified.
//
// A parser object is used from one thread at a time; separate objects are
// independent.
#ifndef PEGASUS_CIMXML_PARSER_H
#define PEGASUS_CIMXML_PARSER_H

#include "CimXmlException.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace Pegasus {

// Every element of CIM-XML this stack understands.
enum class CimXmlTag : unsigned char
{
    CIM, MESSAGE, SIMPLEREQ, SIMPLERSP,
    IMETHODCALL, METHODCALL, IMETHODRESPONSE, METHODRESPONSE,
    IPARAMVALUE, PARAMVALUE, IRETURNVALUE, RETURNVALUE, ERROR,
    LOCALNAMESPACEPATH, NAMESPACE, NAMESPACEPATH, HOST,
    LOCALINSTANCEPATH, INSTANCEPATH, LOCALCLASSPATH, CLASSPATH,
    CLASSNAME, INSTANCENAME, KEYBINDING, KEYVALUE, OBJECTPATH,
    VALUE, VALUE_ARRAY, VALUE_NULL, VALUE_REFERENCE, VALUE_REFARRAY,
    VALUE_NAMEDINSTANCE, VALUE_OBJECT, VALUE_OBJECTWITHPATH,
    VALUE_OBJECTWITHLOCALPATH, VALUE_INSTANCEWITHPATH,
    QUALIFIER, QUALIFIER_DECLARATION, SCOPE,
    PROPERTY, PROPERTY_ARRAY, PROPERTY_REFERENCE,
    METHOD, PARAMETER, PARAMETER_ARRAY, PARAMETER_REFERENCE, PARAMETER_REFARRAY,
    CLASS, INSTANCE,
    MULTIREQ, MULTIRSP,
    COUNT
};

// The element name as written in documents ("VALUE.ARRAY").
const char* cimXmlTagName(CimXmlTag tag);

inline std::uint64_t cimXmlTagBit(CimXmlTag tag)
{
    return std::uint64_t(1) << unsigned(tag);
}

// Receives the events of one parse.  Implementations throw CimXmlException
// (or any Pegasus Exception) to reject the document; the parser adds the
// line number and stops.
class CimXmlEvents
{
public:
    virtual ~CimXmlEvents() {}

    // attributes: NULL-terminated array of name, value, name, value...
    virtual void startElement(CimXmlTag tag, const char** attributes) = 0;
    virtual void endElement(CimXmlTag tag) = 0;
    // Character data inside VALUE, KEYVALUE or HOST, possibly in pieces.
    virtual void characters(const char* data, std::size_t size) = 0;
};

class CimXmlParser
{
public:
    // rootTags: the elements allowed as the document element (bits from
    // cimXmlTagBit).  embeddingDepth: how many documents enclose this one
    // (embedded objects); beyond limits.maxEmbeddingDepth the parse fails.
    CimXmlParser(std::uint64_t rootTags, const CimXmlLimits& limits,
                 unsigned embeddingDepth = 0);

    // Parses a complete document.  Throws CimXmlException for malformed or
    // hostile XML, structure that breaks the grammar, or anything the
    // receiver rejects; messages start with "line N: ".
    void parse(const char* data, std::size_t size, CimXmlEvents& events);

    const CimXmlLimits& limits() const { return _limits; }
    unsigned embeddingDepth() const { return _embeddingDepth; }

    // Also accepts multiple-operation messages: MESSAGE may then hold a
    // MULTIREQ of SIMPLEREQs or a MULTIRSP of SIMPLERSPs.  Without this
    // call those elements break the grammar.
    void allowMultipleOperations() { _multiple = true; }

    // Looks up an attribute in an attributes array; 0 if absent.
    static const char* attribute(const char** attributes, const char* name);

private:
    std::uint64_t _rootTags;
    CimXmlLimits _limits;
    unsigned _embeddingDepth;
    bool _multiple = false;
};

// Parses one document that arrives in pieces (from the network, say),
// delivering the events of each piece as soon as it is fed.  The checks,
// limits and errors are those of CimXmlParser::parse; maxDocumentBytes
// bounds the sum of the pieces.
//
// The object must be used and destroyed on the thread that created it.
class CimXmlPushParser
{
public:
    // `events` must outlive the parser.
    CimXmlPushParser(std::uint64_t rootTags, const CimXmlLimits& limits,
                     CimXmlEvents& events);
    ~CimXmlPushParser();
    CimXmlPushParser(const CimXmlPushParser&) = delete;
    CimXmlPushParser& operator=(const CimXmlPushParser&) = delete;

    // Parses the next piece of the document.  Throws CimXmlException as
    // parse() does; after a failure the parser accepts nothing more.
    void feed(const char* data, std::size_t size);

    // The document is complete: throws CimXmlException if it ends early
    // (no document element, or elements left open).
    void finish();

private:
    struct State;
    std::unique_ptr<State> _state;
};

}  // namespace Pegasus

#endif
