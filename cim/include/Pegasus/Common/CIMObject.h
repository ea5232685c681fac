// CIMObject and CIMConstObject: a class or an instance seen through the
// members both have (class name, path, qualifiers, properties).
//
// Handles: a CIMObject made from a CIMClass or CIMInstance shares that
// object's representation, so changes through either are seen by both.
// Sharing, uninitialized use and threading follow the rules told in
// CIMQualifier.h.  Qualifiers and properties keep the order they were added
// in; lookups by name ignore case and give PEG_NOT_FOUND when nothing
// matches; an index past the end throws IndexOutOfBoundsException.
//
// This header declares only what it must and includes the element headers
// at its end, so that CIMValue.h can include it without a cycle.
#ifndef Pegasus_CIMObject_h
#define Pegasus_CIMObject_h

#include <memory>

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Linkage.h>
#include <Pegasus/Common/String.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/CIMObjectPath.h>

PEGASUS_NAMESPACE_BEGIN

class CIMClass;
class CIMConstClass;
class CIMInstance;
class CIMConstInstance;
class CIMConstObject;
class CIMProperty;
class CIMConstProperty;
class CIMQualifier;
class CIMConstQualifier;
class CIMPropertyList;
class CIMObjectRep;
struct CIMHandleAccess;

class PEGASUS_COMMON_LINKAGE CIMObject
{
public:
    // An uninitialized handle.
    CIMObject();
    CIMObject(const CIMObject& x);
    CIMObject(const CIMClass& x);
    CIMObject(const CIMInstance& x);
    ~CIMObject();
    CIMObject& operator=(const CIMObject& x);

    const CIMName& getClassName() const;
    // The class's or instance's path; by default the class name alone.
    const CIMObjectPath& getPath() const;
    // A path whose class name is null throws UninitializedObjectException,
    // one naming another class TypeMismatchException.
    void setPath(const CIMObjectPath& path);

    // Adding an uninitialized element throws UninitializedObjectException, a
    // name already present AlreadyExistsException; added elements are
    // shared, not copied.  For a class, a reference property without a
    // reference class name throws TypeMismatchException.
    CIMObject& addQualifier(const CIMQualifier& qualifier);
    Uint32 findQualifier(const CIMName& name) const;
    CIMQualifier getQualifier(Uint32 index);
    CIMConstQualifier getQualifier(Uint32 index) const;
    void removeQualifier(Uint32 index);
    Uint32 getQualifierCount() const;

    CIMObject& addProperty(const CIMProperty& x);
    Uint32 findProperty(const CIMName& name) const;
    CIMProperty getProperty(Uint32 index);
    CIMConstProperty getProperty(Uint32 index) const;
    void removeProperty(Uint32 index);
    Uint32 getPropertyCount() const;

    CIMObject clone() const;
    Boolean identical(const CIMConstObject& x) const;
    Boolean isUninitialized() const;
    // The CIM-XML element (<CLASS> or <INSTANCE>) of the object.
    String toString() const;
    Boolean isClass() const;
    Boolean isInstance() const;

    // Removes all qualifiers unless includeQualifiers, the class origins of
    // the properties unless includeClassOrigin, and the properties not named
    // in a non-null propertyList.
    void instanceFilter(
        Boolean includeQualifiers,
        Boolean includeClassOrigin,
        const CIMPropertyList& propertyList);

private:
    explicit CIMObject(const std::shared_ptr<CIMObjectRep>& rep);

    std::shared_ptr<CIMObjectRep> _rep;

    friend class CIMConstObject;
    friend class CIMClass;
    friend class CIMConstClass;
    friend class CIMInstance;
    friend class CIMConstInstance;
    friend struct CIMHandleAccess;
};

// The read-only view of a class or instance.
class PEGASUS_COMMON_LINKAGE CIMConstObject
{
public:
    CIMConstObject();
    CIMConstObject(const CIMConstObject& x);
    CIMConstObject(const CIMObject& x);
    CIMConstObject(const CIMClass& x);
    CIMConstObject(const CIMConstClass& x);
    CIMConstObject(const CIMInstance& x);
    CIMConstObject(const CIMConstInstance& x);
    ~CIMConstObject();
    CIMConstObject& operator=(const CIMConstObject& x);

    const CIMName& getClassName() const;
    const CIMObjectPath& getPath() const;
    Uint32 findQualifier(const CIMName& name) const;
    CIMConstQualifier getQualifier(Uint32 index) const;
    Uint32 getQualifierCount() const;
    Uint32 findProperty(const CIMName& name) const;
    CIMConstProperty getProperty(Uint32 index) const;
    Uint32 getPropertyCount() const;
    CIMObject clone() const;
    Boolean identical(const CIMConstObject& x) const;
    Boolean isUninitialized() const;
    String toString() const;
    Boolean isClass() const;
    Boolean isInstance() const;

private:
    std::shared_ptr<CIMObjectRep> _rep;

    friend class CIMObject;
    friend class CIMClass;
    friend class CIMConstClass;
    friend class CIMInstance;
    friend class CIMConstInstance;
    friend struct CIMHandleAccess;
};

PEGASUS_NAMESPACE_END

#include <Pegasus/Common/CIMQualifier.h>
#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Common/CIMPropertyList.h>
#include <Pegasus/Common/CIMClass.h>
#include <Pegasus/Common/CIMInstance.h>

#endif
