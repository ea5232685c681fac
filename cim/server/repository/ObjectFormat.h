// The repository's blob format, shared by its encoder (ObjectEncoder.cpp) and
// its decoder (ObjectDecoder.cpp).
//
// Layout of a blob: one tag byte ('C' class, 'I' instance, 'Q' qualifier
// declaration), the format version, then the object's fields in a fixed
// order.  Names and texts are a varint count of bytes followed by the bytes:
// each UTF-16 unit as its one to three byte UTF-8 form (a surrogate unit too,
// on its own, so that any String comes back exactly, unpaired surrogates
// included).  An empty name stands for a null CIMName.  Format 1 stored the
// UTF-16 units themselves (a varint count of units, two bytes each); blobs
// of that format are still read.
#ifndef KTA_CIM_SERVER_REPOSITORY_OBJECTFORMAT_H
#define KTA_CIM_SERVER_REPOSITORY_OBJECTFORMAT_H

#include <cstdint>

#include <Pegasus/Common/CIMFlavor.h>
#include <Pegasus/Common/CIMScope.h>
#include <Pegasus/Common/Exception.h>

namespace Pegasus {
namespace objectformat {

inline constexpr unsigned char kFormatVersion = 2;
inline constexpr unsigned char kUtf16FormatVersion = 1;

// Flavor and scope bits in the blob.  The object model hides its masks, so
// they are mapped through the public constants; the blob's bit numbers are
// ours and never change.
inline const CIMFlavor* const kFlavors[] = {
    &CIMFlavor::OVERRIDABLE, &CIMFlavor::TOSUBCLASS, &CIMFlavor::TOINSTANCE,
    &CIMFlavor::TRANSLATABLE, &CIMFlavor::DISABLEOVERRIDE, &CIMFlavor::RESTRICTED};
inline const CIMScope* const kScopes[] = {
    &CIMScope::CLASS, &CIMScope::ASSOCIATION, &CIMScope::INDICATION, &CIMScope::PROPERTY,
    &CIMScope::REFERENCE, &CIMScope::METHOD, &CIMScope::PARAMETER};

inline uint32_t flavorBits(const CIMFlavor& flavor)
{
    uint32_t bits = 0;
    for (unsigned i = 0; i < sizeof(kFlavors) / sizeof(kFlavors[0]); i++)
    {
        if (flavor.hasFlavor(*kFlavors[i]))
            bits |= 1u << i;
    }
    return bits;
}

inline CIMFlavor flavorFromBits(uint32_t bits)
{
    CIMFlavor flavor;
    for (unsigned i = 0; i < sizeof(kFlavors) / sizeof(kFlavors[0]); i++)
    {
        if (bits & (1u << i))
            flavor.addFlavor(*kFlavors[i]);
    }
    return flavor;
}

inline uint32_t scopeBits(const CIMScope& scope)
{
    uint32_t bits = 0;
    for (unsigned i = 0; i < sizeof(kScopes) / sizeof(kScopes[0]); i++)
    {
        if (scope.hasScope(*kScopes[i]))
            bits |= 1u << i;
    }
    return bits;
}

inline CIMScope scopeFromBits(uint32_t bits)
{
    CIMScope scope;
    for (unsigned i = 0; i < sizeof(kScopes) / sizeof(kScopes[0]); i++)
    {
        if (bits & (1u << i))
            scope.addScope(*kScopes[i]);
    }
    return scope;
}

[[noreturn]] inline void corrupt(const char* what)
{
    throw Exception(String("repository data is corrupt: ") + what);
}

}  // namespace objectformat
}  // namespace Pegasus

#endif
