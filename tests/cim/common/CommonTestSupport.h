// What the object-model and CIM-XML tests share.
#ifndef KTA_TESTS_CIM_COMMON_COMMONTESTSUPPORT_H
#define KTA_TESTS_CIM_COMMON_COMMONTESTSUPPORT_H

#include <Pegasus/Common/String.h>

#include <string>

// The UTF-8 form of a String, for comparisons and messages.
inline std::string text(const Pegasus::String& s)
{
    return std::string(static_cast<const char*>(s.getCString()));
}

#endif
