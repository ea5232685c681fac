// The repository's storage format: a compact binary encoding of classes,
// instances and qualifier declarations.
//
// Every detail of an object survives a round trip (qualifier flavors and
// propagation, class origins, array sizes, embedded objects, reference key
// types), which CIM-XML does not promise.  Integers are written as LEB128
// varints (zigzag for signed types), reals as little-endian IEEE bits and
// text as UTF-8, so a blob reads the same on any platform.  Blobs of the
// first format (text as UTF-16) are still read.
//
// Encoding never fails on an initialized object.  Decoding throws Exception
// ("repository data is corrupt: ...") on truncated or malformed input.
// All functions are stateless and thread-safe.
#ifndef KTA_CIM_SERVER_REPOSITORY_OBJECTCODEC_H
#define KTA_CIM_SERVER_REPOSITORY_OBJECTCODEC_H

#include <string>

#include <Pegasus/Common/CIMClass.h>
#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMQualifierDecl.h>

namespace Pegasus {

class ObjectCodec
{
public:
    static std::string encodeClass(const CIMConstClass& cimClass);
    static std::string encodeInstance(const CIMConstInstance& instance);
    static std::string encodeQualifierDecl(const CIMConstQualifierDecl& decl);

    static CIMClass decodeClass(const void* data, std::size_t size);
    static CIMInstance decodeInstance(const void* data, std::size_t size);
    static CIMQualifierDecl decodeQualifierDecl(const void* data, std::size_t size);
    // Only the path of an encoded instance (cheaper than decodeInstance).
    static CIMObjectPath decodeInstancePath(const void* data, std::size_t size);
    // Only the name of an encoded class.
    static CIMName decodeClassName(const void* data, std::size_t size);

    static CIMClass decodeClass(const std::string& blob)
    {
        return decodeClass(blob.data(), blob.size());
    }
    static CIMInstance decodeInstance(const std::string& blob)
    {
        return decodeInstance(blob.data(), blob.size());
    }
    static CIMQualifierDecl decodeQualifierDecl(const std::string& blob)
    {
        return decodeQualifierDecl(blob.data(), blob.size());
    }
};

}  // namespace Pegasus

#endif
