// CIMName and CIMNamespaceName: validated names of CIM elements and
// namespaces.  Both are values; equality ignores case.  Distinct objects
// may be used from different threads at once.
#ifndef Pegasus_CIMName_h
#define Pegasus_CIMName_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Linkage.h>
#include <Pegasus/Common/String.h>
#include <Pegasus/Common/Array.h>

PEGASUS_NAMESPACE_BEGIN

// The name of a class, property, method, parameter or qualifier.  A name
// starts with a letter, '_' or a character 0x80..0xFFEF and continues with
// those or digits.  Constructing or assigning an illegal name (the empty
// string included) throws InvalidNameException; the default constructor
// gives the null (empty) name.
class PEGASUS_COMMON_LINKAGE CIMName
{
public:
    CIMName();
    CIMName(const String& name);
    CIMName(String&& name);
    CIMName(const char* name);

    CIMName& operator=(const String& name);
    CIMName& operator=(const char* name);

    const String& getString() const { return _name; }
    Boolean isNull() const { return _name.size() == 0; }
    void clear() { _name.clear(); }

    // Case-insensitive.
    Boolean equal(const CIMName& name) const;
    Boolean equal(const char* name) const;

    static Boolean legal(const String& name);

private:
    String _name;
};

PEGASUS_COMMON_LINKAGE Boolean operator==(const CIMName& name1, const CIMName& name2);
PEGASUS_COMMON_LINKAGE Boolean operator==(const CIMName& name1, const char* name2);
PEGASUS_COMMON_LINKAGE Boolean operator==(const char* name1, const CIMName& name2);
PEGASUS_COMMON_LINKAGE Boolean operator!=(const CIMName& name1, const CIMName& name2);
PEGASUS_COMMON_LINKAGE Boolean operator!=(const CIMName& name1, const char* name2);
PEGASUS_COMMON_LINKAGE Boolean operator!=(const char* name1, const CIMName& name2);

// A namespace name: an optional leading '/' (dropped when stored) and one
// or more '/'-separated legal CIM names.  Illegal names (the empty string
// included) throw InvalidNamespaceNameException; the default constructor
// gives the null (empty) name.
class PEGASUS_COMMON_LINKAGE CIMNamespaceName
{
public:
    CIMNamespaceName();
    CIMNamespaceName(const String& name);
    CIMNamespaceName(const char* name);

    CIMNamespaceName& operator=(const String& name);
    CIMNamespaceName& operator=(const char* name);

    const String& getString() const { return _name; }
    Boolean isNull() const { return _name.size() == 0; }
    void clear() { _name.clear(); }

    // Case-insensitive.
    Boolean equal(const CIMNamespaceName& name) const;
    Boolean equal(const char* name) const;

    static Boolean legal(const String& name);

private:
    String _name;
};

PEGASUS_COMMON_LINKAGE Boolean operator==(
    const CIMNamespaceName& name1, const CIMNamespaceName& name2);
PEGASUS_COMMON_LINKAGE Boolean operator==(
    const CIMNamespaceName& name1, const char* name2);
PEGASUS_COMMON_LINKAGE Boolean operator==(
    const char* name1, const CIMNamespaceName& name2);
PEGASUS_COMMON_LINKAGE Boolean operator!=(
    const CIMNamespaceName& name1, const CIMNamespaceName& name2);
PEGASUS_COMMON_LINKAGE Boolean operator!=(
    const CIMNamespaceName& name1, const char* name2);
PEGASUS_COMMON_LINKAGE Boolean operator!=(
    const char* name1, const CIMNamespaceName& name2);

PEGASUS_NAMESPACE_END

#endif
