// CIMPropertyList: the property names an operation is restricted to.  A
// value type; copies are independent.
//
// A null list (the default) means "all properties"; a non-null empty list
// means "no properties".
#ifndef Pegasus_CIMPropertyList_h
#define Pegasus_CIMPropertyList_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Linkage.h>
#include <Pegasus/Common/String.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/Array.h>

PEGASUS_NAMESPACE_BEGIN

class PEGASUS_COMMON_LINKAGE CIMPropertyList
{
public:
    // A null list.
    CIMPropertyList();
    CIMPropertyList(const CIMPropertyList& x);
    // A non-null list of these names; a null name among them throws
    // UninitializedObjectException.
    CIMPropertyList(const Array<CIMName>& propertyNames);
    ~CIMPropertyList();
    CIMPropertyList& operator=(const CIMPropertyList& x);

    // Makes the list non-null and holding these names; a null name throws
    // UninitializedObjectException (the list is then unchanged).
    void set(const Array<CIMName>& propertyNames);
    // Back to a null list.
    void clear();
    Boolean isNull() const;
    Uint32 size() const;
    // index >= size() throws IndexOutOfBoundsException.
    const CIMName& operator[](Uint32 index) const;
    Array<CIMName> getPropertyNameArray() const;

    // Whether the name is in the list, ignoring case; false for a null list.
    Boolean contains(const CIMName& name) const;
    // True for a null list, else as contains().
    Boolean useThisProperty(const CIMName& name) const;

    // Appends the names (each must be a legal CIM name, else
    // InvalidNameException) and makes the list non-null.
    void append(Array<String>& propertyListArray);

    // "NULL" for a null list, "EMPTY" for an empty one, else the names
    // joined by ", ".
    String toString() const;

private:
    Array<CIMName> _names;
    Boolean _isNull;
};

PEGASUS_NAMESPACE_END

#endif
