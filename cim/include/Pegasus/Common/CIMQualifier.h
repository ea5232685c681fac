// CIMQualifier and CIMConstQualifier: one qualifier value attached to a
// class, instance, property, method or parameter.
//
// Both are handles: a copy shares the representation of the original, so a
// change made through one copy is seen by all; clone() makes an independent
// deep copy.  A default-constructed handle is uninitialized: any member
// other than isUninitialized(), copying and assignment then throws
// UninitializedObjectException (clone() of an uninitialized handle is not
// allowed).  Handles sharing one representation must not be used from
// several threads at once unless all of them only read.
#ifndef Pegasus_CIMQualifier_h
#define Pegasus_CIMQualifier_h

#include <memory>

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Linkage.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/CIMType.h>
#include <Pegasus/Common/CIMFlavor.h>
#include <Pegasus/Common/CIMValue.h>

PEGASUS_NAMESPACE_BEGIN

class CIMValue;
class CIMConstQualifier;
class CIMQualifierRep;
struct CIMHandleAccess;

class PEGASUS_COMMON_LINKAGE CIMQualifier
{
public:
    // An uninitialized handle.
    CIMQualifier();
    CIMQualifier(const CIMQualifier& x);
    // A null `name` throws UninitializedObjectException.  The flavor is kept
    // exactly as given (no defaults are added).
    CIMQualifier(
        const CIMName& name,
        const CIMValue& value,
        const CIMFlavor& flavor = CIMFlavor(CIMFlavor::NONE),
        Boolean propagated = false);
    ~CIMQualifier();
    CIMQualifier& operator=(const CIMQualifier& x);

    const CIMName& getName() const;
    // Throws Exception when the qualifier already belongs to a class,
    // instance, property, method or parameter.
    void setName(const CIMName& name);

    // Type and array-ness of the value.
    CIMType getType() const;
    Boolean isArray() const;

    const CIMValue& getValue() const;
    void setValue(const CIMValue& value);

    // Replaces the whole flavor.
    void setFlavor(const CIMFlavor& flavor);
    // Clears the bits of `flavor`.
    void unsetFlavor(const CIMFlavor& flavor);
    const CIMFlavor& getFlavor() const;

    // 1 if the qualifier was propagated from a superclass, else 0.
    Uint32 getPropagated() const;
    void setPropagated(Boolean propagated);

    Boolean isUninitialized() const;
    // Same name (ignoring case), value, flavor and propagated flag.
    Boolean identical(const CIMConstQualifier& x) const;
    CIMQualifier clone() const;

private:
    explicit CIMQualifier(const std::shared_ptr<CIMQualifierRep>& rep);

    std::shared_ptr<CIMQualifierRep> _rep;

    friend class CIMConstQualifier;
    friend struct CIMHandleAccess;
};

// The read-only view of a qualifier; shares the representation of the
// CIMQualifier it was made from.
class PEGASUS_COMMON_LINKAGE CIMConstQualifier
{
public:
    CIMConstQualifier();
    CIMConstQualifier(const CIMConstQualifier& x);
    CIMConstQualifier(const CIMQualifier& x);
    CIMConstQualifier(
        const CIMName& name,
        const CIMValue& value,
        const CIMFlavor& flavor = CIMFlavor(CIMFlavor::NONE),
        Boolean propagated = false);
    ~CIMConstQualifier();
    CIMConstQualifier& operator=(const CIMConstQualifier& x);
    CIMConstQualifier& operator=(const CIMQualifier& x);

    const CIMName& getName() const;
    CIMType getType() const;
    Boolean isArray() const;
    const CIMValue& getValue() const;
    const CIMFlavor& getFlavor() const;
    Uint32 getPropagated() const;
    Boolean isUninitialized() const;
    Boolean identical(const CIMConstQualifier& x) const;
    CIMQualifier clone() const;

private:
    std::shared_ptr<CIMQualifierRep> _rep;

    friend class CIMQualifier;
    friend struct CIMHandleAccess;
};

PEGASUS_NAMESPACE_END

#endif
