// Error type and input limits shared by the CIM-XML decoder and the message layer.
#ifndef PEGASUS_CIMXML_EXCEPTION_H
#define PEGASUS_CIMXML_EXCEPTION_H

#include <Pegasus/Common/Exception.h>

#include <cstddef>
#include <string>

namespace Pegasus {

// Thrown by every CIM-XML decoding function when the input cannot be turned
// into objects.  getMessage() is one line, in English, and names the line of
// the document where the problem was found.
//
// kind() tells a caller which client exception to map the failure onto:
//   SYNTAX  the document is not well-formed XML, uses a forbidden construct
//           (DOCTYPE, entities), exceeds a limit, or is not valid CIM-XML
//           (unknown or misplaced element, missing attribute, unknown TYPE);
//   VALUE   the document is valid CIM-XML but a value inside it cannot be
//           decoded (a bad number, an out-of-range integer, a bad datetime,
//           an illegal CIM name or object path).
class CimXmlException : public Exception
{
public:
    enum Kind { SYNTAX, VALUE };

    CimXmlException(Kind kind, const String& message)
        : Exception(message), _kind(kind) {}

    Kind kind() const { return _kind; }

private:
    Kind _kind;
};

// Bounds applied to untrusted CIM-XML.  The defaults are generous enough for
// the largest responses we expect (tens of megabytes of instances) while
// keeping a hostile peer from exhausting memory or the stack.
struct CimXmlLimits
{
    // Total size of the document in bytes.
    std::size_t maxDocumentBytes = std::size_t(1) << 30;
    // Element nesting depth, counted from the root element.
    unsigned maxDepth = 64;
    // Nesting of embedded objects (EmbeddedObject values decoded from text).
    unsigned maxEmbeddingDepth = 4;
};

}  // namespace Pegasus

#endif
