// CIMScope: the set of element kinds a qualifier may be applied to, held as
// a bit mask.  A value type; copies are independent.
#ifndef Pegasus_CIMScope_h
#define Pegasus_CIMScope_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Linkage.h>
#include <Pegasus/Common/String.h>

PEGASUS_NAMESPACE_BEGIN

class PEGASUS_COMMON_LINKAGE CIMScope
{
public:
    // The scope constants; ANY is the union of the seven others.
    static const CIMScope NONE;
    static const CIMScope CLASS;
    static const CIMScope ASSOCIATION;
    static const CIMScope INDICATION;
    static const CIMScope PROPERTY;
    static const CIMScope REFERENCE;
    static const CIMScope METHOD;
    static const CIMScope PARAMETER;
    static const CIMScope ANY;

    // An empty set (NONE).
    constexpr CIMScope() : cimScope(0) {}
    constexpr CIMScope(const CIMScope& scope) = default;
    CIMScope& operator=(const CIMScope& scope) = default;

    // True when every bit of `scope` is set (so always true for NONE).
    Boolean hasScope(const CIMScope& scope) const;
    // Sets the bits of `scope`.
    void addScope(const CIMScope& scope);
    // True when both masks are the same.
    Boolean equal(const CIMScope& scope) const;
    // The union of both sets.
    CIMScope operator+(const CIMScope& scope) const;

    // The names of the set bits in the order CLASS ASSOCIATION INDICATION
    // PROPERTY REFERENCE METHOD PARAMETER, separated by one space; "" for an
    // empty set.  "ANY" never appears: ANY gives all seven words.
    String toString() const;

private:
    constexpr explicit CIMScope(Uint32 scope) : cimScope(scope) {}

    Uint32 cimScope;
};

PEGASUS_NAMESPACE_END

#endif
