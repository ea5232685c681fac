// Tells a document that is not well-formed XML from one that is well-formed
// but not what the reader expected.  The CIM-XML decoder reports both the
// same way; the HTTP front end must answer them differently.  Internal to
// peghttpserver.
#ifndef KTA_CIM_SERVER_HTTP_XMLWELLFORMEDNESS_H
#define KTA_CIM_SERVER_HTTP_XMLWELLFORMEDNESS_H

#include <cstddef>
#include <string>

namespace Pegasus {

// Parses the document without building anything.  Returns an empty string
// when it is well-formed, otherwise one line "<what is wrong>: on line <n>".
// A document type declaration ends the check early and counts as
// well-formed (its entities are never expanded).  Thread-safe; never throws
// except std::bad_alloc.
std::string xmlWellFormednessError(const char* data, std::size_t size);

}  // namespace Pegasus

#endif
