// CIMProperty and CIMConstProperty: a property of a class (with its default
// value) or of an instance (with its value), and the property's qualifiers.
//
// Handles, with the sharing, uninitialized-use and threading rules told in
// CIMQualifier.h: `CIMProperty p = inst.getProperty(i); p.setValue(v);`
// changes the instance.
//
// Qualifiers keep the order they were added in; lookups by name ignore
// case and give PEG_NOT_FOUND when nothing matches; an index past the end
// throws IndexOutOfBoundsException.
#ifndef Pegasus_CIMProperty_h
#define Pegasus_CIMProperty_h

#include <memory>

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Linkage.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/CIMType.h>
#include <Pegasus/Common/CIMQualifier.h>
#include <Pegasus/Common/CIMValue.h>

PEGASUS_NAMESPACE_BEGIN

class CIMValue;
class CIMQualifier;
class CIMConstQualifier;
class CIMConstProperty;
class CIMPropertyRep;
struct CIMHandleAccess;

class PEGASUS_COMMON_LINKAGE CIMProperty
{
public:
    // An uninitialized handle.
    CIMProperty();
    CIMProperty(const CIMProperty& x);
    // The value also fixes the property's type and array-ness for good.
    // Throws UninitializedObjectException for a null name, and
    // TypeMismatchException when arraySize is not 0 and the value is not an
    // array of that size, when the value is an array of references, or when
    // a referenceClassName is given for a value that is not a reference.
    CIMProperty(
        const CIMName& name,
        const CIMValue& value,
        Uint32 arraySize = 0,
        const CIMName& referenceClassName = CIMName(),
        const CIMName& classOrigin = CIMName(),
        Boolean propagated = false);
    ~CIMProperty();
    CIMProperty& operator=(const CIMProperty& x);

    const CIMName& getName() const;
    // Throws Exception when the property already belongs to a class or an
    // instance.
    void setName(const CIMName& name);

    const CIMValue& getValue() const;
    CIMType getType() const;
    Boolean isArray() const;
    // The value must have the property's type and array-ness and, for a
    // fixed-size array, its size; otherwise TypeMismatchException.
    void setValue(const CIMValue& value);

    // The fixed array size; 0 for variable-length arrays and scalars.
    Uint32 getArraySize() const;
    // The class a reference property points to; null when not a reference.
    const CIMName& getReferenceClassName() const;

    // The class that declared the property; null unless set.
    const CIMName& getClassOrigin() const;
    void setClassOrigin(const CIMName& classOrigin);

    Boolean getPropagated() const;
    void setPropagated(Boolean propagated);

    // An uninitialized qualifier throws UninitializedObjectException, a
    // name already present AlreadyExistsException.  The qualifier is shared,
    // not copied.
    CIMProperty& addQualifier(const CIMQualifier& x);
    Uint32 findQualifier(const CIMName& name) const;
    CIMQualifier getQualifier(Uint32 index);
    CIMConstQualifier getQualifier(Uint32 index) const;
    void removeQualifier(Uint32 index);
    Uint32 getQualifierCount() const;

    Boolean isUninitialized() const;
    // Same name (ignoring case), value, array size, reference class, class
    // origin, propagated flag and qualifiers.
    Boolean identical(const CIMConstProperty& x) const;
    CIMProperty clone() const;

private:
    explicit CIMProperty(const std::shared_ptr<CIMPropertyRep>& rep);

    std::shared_ptr<CIMPropertyRep> _rep;

    friend class CIMConstProperty;
    friend struct CIMHandleAccess;
};

// The read-only view of a property.
class PEGASUS_COMMON_LINKAGE CIMConstProperty
{
public:
    CIMConstProperty();
    CIMConstProperty(const CIMConstProperty& x);
    CIMConstProperty(const CIMProperty& x);
    CIMConstProperty(
        const CIMName& name,
        const CIMValue& value,
        Uint32 arraySize = 0,
        const CIMName& referenceClassName = CIMName(),
        const CIMName& classOrigin = CIMName(),
        Boolean propagated = false);
    ~CIMConstProperty();
    CIMConstProperty& operator=(const CIMConstProperty& x);
    CIMConstProperty& operator=(const CIMProperty& x);

    const CIMName& getName() const;
    const CIMValue& getValue() const;
    CIMType getType() const;
    Boolean isArray() const;
    Uint32 getArraySize() const;
    const CIMName& getReferenceClassName() const;
    const CIMName& getClassOrigin() const;
    Boolean getPropagated() const;
    Uint32 findQualifier(const CIMName& name) const;
    CIMConstQualifier getQualifier(Uint32 index) const;
    Uint32 getQualifierCount() const;
    Boolean identical(const CIMConstProperty& x) const;
    CIMProperty clone() const;
    Boolean isUninitialized() const;

private:
    std::shared_ptr<CIMPropertyRep> _rep;

    friend class CIMProperty;
    friend struct CIMHandleAccess;
};

PEGASUS_NAMESPACE_END

#endif
