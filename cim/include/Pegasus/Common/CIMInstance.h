// CIMInstance and CIMConstInstance: an instance of a class (class name,
// path, qualifiers, properties with their values).
//
// Handles, with the sharing, uninitialized-use and threading rules told in
// CIMQualifier.h.  Qualifiers and properties keep the order they were added
// in; lookups by name ignore case and give PEG_NOT_FOUND when nothing
// matches; an index past the end throws IndexOutOfBoundsException.
#ifndef Pegasus_CIMInstance_h
#define Pegasus_CIMInstance_h

#include <memory>

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Linkage.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMObject.h>
#include <Pegasus/Common/CIMQualifier.h>
#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Common/CIMPropertyList.h>

PEGASUS_NAMESPACE_BEGIN

class CIMObject;
class CIMConstObject;
class CIMConstClass;
class CIMConstInstance;
class CIMProperty;
class CIMConstProperty;
class CIMQualifier;
class CIMConstQualifier;
class CIMPropertyList;
class CIMObjectRep;
struct CIMHandleAccess;

class PEGASUS_COMMON_LINKAGE CIMInstance
{
public:
    // An uninitialized handle.
    CIMInstance();
    CIMInstance(const CIMInstance& x);
    // Shares the object's representation; an object that is not an
    // instance throws DynamicCastFailedException.
    explicit CIMInstance(const CIMObject& x);
    // A null className throws UninitializedObjectException.
    CIMInstance(const CIMName& className);
    ~CIMInstance();
    CIMInstance& operator=(const CIMInstance& x);

    const CIMName& getClassName() const;
    // By default the class name alone.
    const CIMObjectPath& getPath() const;
    // A path whose class name is null throws UninitializedObjectException,
    // one naming another class TypeMismatchException.
    void setPath(const CIMObjectPath& path);

    // Adding an uninitialized element throws UninitializedObjectException, a
    // name already present AlreadyExistsException; added elements are
    // shared, not copied.
    CIMInstance& addQualifier(const CIMQualifier& qualifier);
    Uint32 findQualifier(const CIMName& name) const;
    CIMQualifier getQualifier(Uint32 index);
    CIMConstQualifier getQualifier(Uint32 index) const;
    void removeQualifier(Uint32 index);
    Uint32 getQualifierCount() const;

    CIMInstance& addProperty(const CIMProperty& x);
    Uint32 findProperty(const CIMName& name) const;
    CIMProperty getProperty(Uint32 index);
    CIMConstProperty getProperty(Uint32 index) const;
    void removeProperty(Uint32 index);
    Uint32 getPropertyCount() const;

    // The path (no host, no namespace) whose key bindings are this
    // instance's values of the class's key properties.  A key property the
    // instance lacks throws NoSuchProperty; a key value that cannot be a key
    // binding (array, embedded object) throws TypeMismatchException.
    CIMObjectPath buildPath(const CIMConstClass& cimClass) const;

    CIMInstance clone() const;
    // Same class name, qualifiers and properties.
    Boolean identical(const CIMConstInstance& x) const;
    Boolean isUninitialized() const;

    // Removes all qualifiers unless includeQualifiers, the class origins of
    // the properties unless includeClassOrigin, and the properties not named
    // in a non-null propertyList.
    void instanceFilter(
        Boolean includeQualifiers,
        Boolean includeClassOrigin,
        const CIMPropertyList& propertyList);
    // Deprecated; does nothing.
    void filter(
        Boolean includeQualifiers,
        Boolean includeClassOrigin,
        const CIMPropertyList& propertyList);

private:
    explicit CIMInstance(const std::shared_ptr<CIMObjectRep>& rep);

    std::shared_ptr<CIMObjectRep> _rep;

    friend class CIMObject;
    friend class CIMConstObject;
    friend class CIMConstInstance;
    friend class CIMClass;
    friend struct CIMHandleAccess;
};

// The read-only view of an instance.
class PEGASUS_COMMON_LINKAGE CIMConstInstance
{
public:
    CIMConstInstance();
    CIMConstInstance(const CIMConstInstance& x);
    CIMConstInstance(const CIMInstance& x);
    // An object that is not an instance throws DynamicCastFailedException.
    explicit CIMConstInstance(const CIMObject& x);
    explicit CIMConstInstance(const CIMConstObject& x);
    CIMConstInstance(const CIMName& className);
    ~CIMConstInstance();
    CIMConstInstance& operator=(const CIMConstInstance& x);
    CIMConstInstance& operator=(const CIMInstance& x);

    const CIMName& getClassName() const;
    const CIMObjectPath& getPath() const;
    Uint32 findQualifier(const CIMName& name) const;
    CIMConstQualifier getQualifier(Uint32 index) const;
    Uint32 getQualifierCount() const;
    Uint32 findProperty(const CIMName& name) const;
    CIMConstProperty getProperty(Uint32 index) const;
    Uint32 getPropertyCount() const;
    CIMObjectPath buildPath(const CIMConstClass& cimClass) const;
    CIMInstance clone() const;
    Boolean identical(const CIMConstInstance& x) const;
    Boolean isUninitialized() const;

private:
    std::shared_ptr<CIMObjectRep> _rep;

    friend class CIMInstance;
    friend class CIMObject;
    friend class CIMConstObject;
    friend struct CIMHandleAccess;
};

PEGASUS_NAMESPACE_END

#endif
