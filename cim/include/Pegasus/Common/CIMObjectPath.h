// CIMKeyBinding and CIMObjectPath: the name of a CIM class or instance
// (host, namespace, class name and key bindings) and its text form
//   //host/namespace:Class.key1="text",key2=12,key3=TRUE
// Both are values.  Distinct objects may be used from different threads at
// once; one object must not be modified concurrently with any other use.
#ifndef Pegasus_CIMObjectPath_h
#define Pegasus_CIMObjectPath_h

#include <Pegasus/Common/Config.h>
#include <Pegasus/Common/Linkage.h>
#include <Pegasus/Common/String.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/Array.h>

PEGASUS_NAMESPACE_BEGIN

class CIMValue;

// One key property of an instance name: its name, its value as text and the
// kind of that text.
class PEGASUS_COMMON_LINKAGE CIMKeyBinding
{
public:
    enum Type { BOOLEAN = 0, STRING = 1, NUMERIC = 2, REFERENCE = 3 };

    CIMKeyBinding();
    CIMKeyBinding(const CIMKeyBinding& x);
    // The value is kept verbatim.
    CIMKeyBinding(const CIMName& name, const String& value, Type type);
    // The value is value.toString(); the type follows from the value's:
    // boolean -> BOOLEAN, char16/string/datetime -> STRING, reference ->
    // REFERENCE, numbers (reals included) -> NUMERIC.  Arrays, objects and
    // instances throw TypeMismatchException.
    CIMKeyBinding(const CIMName& name, const CIMValue& value);
    ~CIMKeyBinding();

    CIMKeyBinding& operator=(const CIMKeyBinding& x);

    const CIMName& getName() const { return _name; }
    void setName(const CIMName& name) { _name = name; }
    const String& getValue() const { return _value; }
    void setValue(const String& value) { _value = value; }
    Type getType() const { return _type; }
    void setType(Type type) { _type = type; }

    // Reads the own text as value's type and compares; false on any
    // mismatch or unparsable text.
    Boolean equal(CIMValue value);

private:
    CIMName _name;
    String _value;
    Type _type;
};

// Names case-insensitively equal, types equal, then: REFERENCE values equal
// as object paths, BOOLEAN case-insensitively, NUMERIC numerically (as text
// when not numbers), STRING exactly.
PEGASUS_COMMON_LINKAGE Boolean operator==(
    const CIMKeyBinding& x, const CIMKeyBinding& y);
inline Boolean operator!=(const CIMKeyBinding& x, const CIMKeyBinding& y)
{
    return !(x == y);
}

// Key bindings are kept sorted by name, case-insensitively, whenever they
// are set; the values of REFERENCE bindings are rewritten in their own
// canonical text form.
class PEGASUS_COMMON_LINKAGE CIMObjectPath
{
public:
    // Everything empty; toString() gives "".
    CIMObjectPath();
    CIMObjectPath(const CIMObjectPath& x);
    // Takes x's parts without copying them; x is left empty.
    CIMObjectPath(CIMObjectPath&& x) noexcept;
    // Parses the text form; any error throws MalformedObjectNameException
    // with the message
    //   malformed object name: <objectName>, reason:"<reason>"
    CIMObjectPath(const String& objectName);
    // A non-empty host that is not a host name or IP address (optionally
    // with ":port") throws MalformedObjectNameException.
    CIMObjectPath(
        const String& host,
        const CIMNamespaceName& nameSpace,
        const CIMName& className,
        const Array<CIMKeyBinding>& keyBindings = Array<CIMKeyBinding>());
    ~CIMObjectPath();

    CIMObjectPath& operator=(const CIMObjectPath& x);
    CIMObjectPath& operator=(CIMObjectPath&& x) noexcept;
    CIMObjectPath& operator=(const String& objectName);

    void clear();
    void set(
        const String& host,
        const CIMNamespaceName& nameSpace,
        const CIMName& className,
        const Array<CIMKeyBinding>& keyBindings = Array<CIMKeyBinding>());
    void set(const String& objectName);

    const String& getHost() const { return _host; }
    void setHost(const String& host);
    const CIMNamespaceName& getNameSpace() const { return _nameSpace; }
    void setNameSpace(const CIMNamespaceName& nameSpace);
    const CIMName& getClassName() const { return _className; }
    void setClassName(const CIMName& className);
    const Array<CIMKeyBinding>& getKeyBindings() const { return _keyBindings; }
    void setKeyBindings(const Array<CIMKeyBinding>& keyBindings);

    String toString() const;

    // Host, namespace and class compared case-insensitively, key bindings
    // pairwise as by CIMKeyBinding's operator==.
    Boolean identical(const CIMObjectPath& x) const;

    // Hash of the lower-cased canonical text; identical paths hash alike.
    Uint32 makeHashCode() const;

private:
    String _host;
    CIMNamespaceName _nameSpace;
    CIMName _className;
    Array<CIMKeyBinding> _keyBindings;
};

PEGASUS_COMMON_LINKAGE Boolean operator==(
    const CIMObjectPath& x, const CIMObjectPath& y);
PEGASUS_COMMON_LINKAGE Boolean operator!=(
    const CIMObjectPath& x, const CIMObjectPath& y);

PEGASUS_NAMESPACE_END

#endif
