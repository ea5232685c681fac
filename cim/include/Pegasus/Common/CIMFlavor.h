// CIMFlavor: the set of flavors carried by a qualifier or a qualifier
// declaration, held as a bit mask.  A value type; copies are independent.
#ifndef Pegasus_CIMFlavor_h
#define Pegasus_CIMFlavor_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Linkage.h>
#include <Pegasus/Common/String.h>

PEGASUS_NAMESPACE_BEGIN

class PEGASUS_COMMON_LINKAGE CIMFlavor
{
public:
    // The flavor constants.  ENABLEOVERRIDE is another name for OVERRIDABLE,
    // TOSUBELEMENTS another name for TOSUBCLASS; DEFAULTS is
    // OVERRIDABLE + TOSUBCLASS.
    static const CIMFlavor NONE;
    static const CIMFlavor OVERRIDABLE;
    static const CIMFlavor ENABLEOVERRIDE;
    static const CIMFlavor TOSUBCLASS;
    static const CIMFlavor TOSUBELEMENTS;
    static const CIMFlavor TOINSTANCE;
    static const CIMFlavor TRANSLATABLE;
    static const CIMFlavor DISABLEOVERRIDE;
    static const CIMFlavor RESTRICTED;
    static const CIMFlavor DEFAULTS;

    // An empty set (NONE).
    constexpr CIMFlavor() : cimFlavor(0) {}
    constexpr CIMFlavor(const CIMFlavor& flavor) = default;
    CIMFlavor& operator=(const CIMFlavor& flavor) = default;

    // Sets the bits of `flavor`.
    void addFlavor(const CIMFlavor& flavor);
    // Clears the bits of `flavor`.
    void removeFlavor(const CIMFlavor& flavor);
    // True when every bit of `flavor` is set (so always true for NONE).
    Boolean hasFlavor(const CIMFlavor& flavor) const;
    // True when both masks are the same.
    Boolean equal(const CIMFlavor& flavor) const;
    // The union of both sets.
    CIMFlavor operator+(const CIMFlavor& flavor) const;

    // The names of the set bits in the order OVERRIDABLE TOSUBCLASS
    // TOINSTANCE TRANSLATABLE DISABLEOVERRIDE RESTRICTED, separated by one
    // space; "" for an empty set.  Aliases and DEFAULTS never appear.
    String toString() const;

private:
    constexpr explicit CIMFlavor(Uint32 flavor) : cimFlavor(flavor) {}

    Uint32 cimFlavor;
};

PEGASUS_NAMESPACE_END

#endif
