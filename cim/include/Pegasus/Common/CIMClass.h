// CIMClass and CIMConstClass: a class declaration (name, superclass,
// qualifiers, properties, methods).
//
// Handles, with the sharing, uninitialized-use and threading rules told in
// CIMQualifier.h.  Qualifiers, properties and methods keep the order they
// were added in; lookups by name ignore case and give PEG_NOT_FOUND when
// nothing matches; an index past the end throws IndexOutOfBoundsException.
#ifndef Pegasus_CIMClass_h
#define Pegasus_CIMClass_h

#include <memory>

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Linkage.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMObject.h>
#include <Pegasus/Common/CIMQualifier.h>
#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Common/CIMMethod.h>
#include <Pegasus/Common/CIMPropertyList.h>

PEGASUS_NAMESPACE_BEGIN

class CIMObject;
class CIMConstObject;
class CIMConstClass;
class CIMInstance;
class CIMProperty;
class CIMConstProperty;
class CIMQualifier;
class CIMConstQualifier;
class CIMMethod;
class CIMConstMethod;
class CIMPropertyList;
class CIMObjectRep;
struct CIMHandleAccess;

class PEGASUS_COMMON_LINKAGE CIMClass
{
public:
    // An uninitialized handle.
    CIMClass();
    CIMClass(const CIMClass& x);
    // Shares the object's representation; an object that is not a class
    // throws DynamicCastFailedException.
    explicit CIMClass(const CIMObject& x);
    // A null className throws UninitializedObjectException.
    CIMClass(const CIMName& className, const CIMName& superClassName = CIMName());
    ~CIMClass();
    CIMClass& operator=(const CIMClass& x);

    // Whether the class carries a boolean Association / Abstract qualifier
    // whose value is true.
    Boolean isAssociation() const;
    Boolean isAbstract() const;

    const CIMName& getClassName() const;
    // By default the class name alone.
    const CIMObjectPath& getPath() const;
    // A path whose class name is null throws UninitializedObjectException,
    // one naming another class TypeMismatchException.
    void setPath(const CIMObjectPath& path);

    // Null when the class has no superclass.
    const CIMName& getSuperClassName() const;
    void setSuperClassName(const CIMName& superClassName);

    // Adding an uninitialized element throws UninitializedObjectException, a
    // name already present AlreadyExistsException; added elements are
    // shared, not copied.
    CIMClass& addQualifier(const CIMQualifier& qualifier);
    Uint32 findQualifier(const CIMName& name) const;
    CIMQualifier getQualifier(Uint32 index);
    CIMConstQualifier getQualifier(Uint32 index) const;
    void removeQualifier(Uint32 index);
    Uint32 getQualifierCount() const;

    // A reference property without a reference class name throws
    // TypeMismatchException.
    CIMClass& addProperty(const CIMProperty& x);
    Uint32 findProperty(const CIMName& name) const;
    CIMProperty getProperty(Uint32 index);
    CIMConstProperty getProperty(Uint32 index) const;
    void removeProperty(Uint32 index);
    Uint32 getPropertyCount() const;

    CIMClass& addMethod(const CIMMethod& x);
    Uint32 findMethod(const CIMName& name) const;
    CIMMethod getMethod(Uint32 index);
    CIMConstMethod getMethod(Uint32 index) const;
    void removeMethod(Uint32 index);
    Uint32 getMethodCount() const;

    // Replaces keyNames with the names of the properties that carry a
    // boolean Key qualifier whose value is true, in property order.
    void getKeyNames(Array<CIMName>& keyNames) const;
    Boolean hasKeys() const;

    CIMClass clone() const;
    // Same class name, superclass, qualifiers, properties and methods.
    Boolean identical(const CIMConstClass& x) const;
    Boolean isUninitialized() const;

    // A new instance of this class (path = class name) holding copies of
    // the class's properties with their default values: all of them for a
    // null propertyList, else only those it names.  Class and property
    // qualifiers are copied only if includeQualifiers, class origins kept
    // only if includeClassOrigin.
    CIMInstance buildInstance(
        Boolean includeQualifiers,
        Boolean includeClassOrigin,
        const CIMPropertyList& propertyList) const;

private:
    explicit CIMClass(const std::shared_ptr<CIMObjectRep>& rep);

    std::shared_ptr<CIMObjectRep> _rep;

    friend class CIMObject;
    friend class CIMConstObject;
    friend class CIMConstClass;
    friend struct CIMHandleAccess;
};

// The read-only view of a class.
class PEGASUS_COMMON_LINKAGE CIMConstClass
{
public:
    CIMConstClass();
    CIMConstClass(const CIMConstClass& x);
    CIMConstClass(const CIMClass& x);
    // An object that is not a class throws DynamicCastFailedException.
    explicit CIMConstClass(const CIMObject& x);
    explicit CIMConstClass(const CIMConstObject& x);
    CIMConstClass(
        const CIMName& className, const CIMName& superClassName = CIMName());
    ~CIMConstClass();
    CIMConstClass& operator=(const CIMConstClass& x);
    CIMConstClass& operator=(const CIMClass& x);

    Boolean isAssociation() const;
    Boolean isAbstract() const;
    const CIMName& getClassName() const;
    const CIMObjectPath& getPath() const;
    const CIMName& getSuperClassName() const;
    Uint32 findQualifier(const CIMName& name) const;
    CIMConstQualifier getQualifier(Uint32 index) const;
    Uint32 getQualifierCount() const;
    Uint32 findProperty(const CIMName& name) const;
    CIMConstProperty getProperty(Uint32 index) const;
    Uint32 getPropertyCount() const;
    Uint32 findMethod(const CIMName& name) const;
    CIMConstMethod getMethod(Uint32 index) const;
    Uint32 getMethodCount() const;
    void getKeyNames(Array<CIMName>& keyNames) const;
    Boolean hasKeys() const;
    CIMClass clone() const;
    Boolean identical(const CIMConstClass& x) const;
    Boolean isUninitialized() const;

private:
    std::shared_ptr<CIMObjectRep> _rep;

    friend class CIMClass;
    friend class CIMObject;
    friend class CIMConstObject;
    friend class CIMInstance;
    friend class CIMConstInstance;
    friend struct CIMHandleAccess;
};

PEGASUS_NAMESPACE_END

#endif
