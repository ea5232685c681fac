// Element-level CIM-XML decoding: documents whose root is a CLASS, an
// INSTANCE or a QUALIFIER.DECLARATION, and the decoding core the message
// decoders (CimXmlMessages.h) are built on.
//
// Decoding streams through the XML tokenizer and builds the objects as
// elements close; no document tree is kept.  Every function is thread-safe
// (no shared state) and throws CimXmlException for any input it cannot
// turn into objects; it never crashes on hostile input.
#ifndef PEGASUS_CIMXML_READER_H
#define PEGASUS_CIMXML_READER_H

#include "CimXmlException.h"

#include <Pegasus/Common/CIMClass.h>
#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMObject.h>
#include <Pegasus/Common/CIMQualifierDecl.h>

#include <cstddef>
#include <string>

namespace Pegasus {

struct CimXmlResponse;
struct CimXmlRequestMessage;

class CimXmlReader
{
public:
    // A document whose root element is CLASS or INSTANCE.  embeddingDepth
    // counts enclosing documents when decoding embedded objects.
    static CIMObject decodeObject(const char* data, std::size_t size,
                                  const CimXmlLimits& limits = CimXmlLimits(),
                                  unsigned embeddingDepth = 0);
    static CIMObject decodeObject(const std::string& xml,
                                  const CimXmlLimits& limits = CimXmlLimits())
    {
        return decodeObject(xml.data(), xml.size(), limits);
    }

    // As decodeObject, but the root must be CLASS (resp. INSTANCE).
    static CIMClass decodeClass(const std::string& xml,
                                const CimXmlLimits& limits = CimXmlLimits());
    static CIMInstance decodeInstance(const std::string& xml,
                                      const CimXmlLimits& limits = CimXmlLimits());

    // A document whose root element is QUALIFIER.DECLARATION.
    static CIMQualifierDecl decodeQualifierDecl(const std::string& xml,
                                                const CimXmlLimits& limits = CimXmlLimits());

    // Message documents; the results are stored into *out, which should be
    // freshly constructed.  Used by CimXmlResponseDecoder and
    // CimXmlRequestDecoder.
    static void decodeResponse(const char* data, std::size_t size,
                               const CimXmlLimits& limits, CimXmlResponse& out);
    static void decodeRequest(const char* data, std::size_t size,
                              const CimXmlLimits& limits, CimXmlRequestMessage& out);
};

}  // namespace Pegasus

#endif
