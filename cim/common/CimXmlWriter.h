// Element-level CIM-XML encoding: each function appends one element (with
// its children) to a UTF-8 std::string.  The layout follows what the
// captured exchanges use: one element per line, qualifier flavors only where
// they differ from the defaults, nulls without VALUE, empty arrays as an
// empty VALUE.ARRAY, reals as %.16e.
//
// All functions are stateless and thread-safe.  Passing an uninitialized
// handle throws UninitializedObjectException (from the object model).
#ifndef PEGASUS_CIMXML_WRITER_H
#define PEGASUS_CIMXML_WRITER_H

#include <Pegasus/Common/CIMClass.h>
#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMMethod.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/CIMObject.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMParamValue.h>
#include <Pegasus/Common/CIMParameter.h>
#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Common/CIMPropertyList.h>
#include <Pegasus/Common/CIMQualifier.h>
#include <Pegasus/Common/CIMQualifierDecl.h>
#include <Pegasus/Common/CIMStatusCode.h>
#include <Pegasus/Common/CIMValue.h>
#include <Pegasus/Common/String.h>

#include <cstddef>
#include <string>

namespace Pegasus {

class CimXmlWriter
{
public:
    // --- text --------------------------------------------------------------

    // Appends text escaped for element content and attribute values alike:
    // & < > " ' become entity references; tab, newline and carriage return
    // numeric character references.  The other C0 control characters cannot
    // be represented in XML 1.0 and are replaced by U+FFFD.
    static void appendEscaped(std::string& out, const char* text, std::size_t size);
    static void appendEscaped(std::string& out, const std::string& text)
    {
        appendEscaped(out, text.data(), text.size());
    }
    static void appendEscaped(std::string& out, const String& text);


    // The text of one scalar value as it appears inside VALUE (unescaped):
    // TRUE/FALSE, decimal integers, %.16e reals, the datetime string, the
    // string itself; for an object or instance its CIM-XML.  REQUIRES: the
    // value is not null; for arrays, index selects the element.
    static std::string valueText(const CIMValue& value, unsigned index = 0);

    // The TYPE attribute value of a CIM type: "string", "uint32", ...; for
    // object and instance values "string" (they travel as embedded objects).
    static const char* typeName(CIMType type);

    // --- values --------------------------------------------------------------

    // VALUE, VALUE.ARRAY, VALUE.REFERENCE or VALUE.REFARRAY as fits the
    // value; nothing for a null value.
    static void appendValue(std::string& out, const CIMValue& value);

    // VALUE.REFERENCE around the narrowest path element that holds the path:
    // INSTANCEPATH/LOCALINSTANCEPATH/INSTANCENAME when it has key bindings,
    // CLASSPATH/LOCALCLASSPATH/CLASSNAME when it has none.
    static void appendValueReference(std::string& out, const CIMObjectPath& path);

    // --- paths -------------------------------------------------------------

    static void appendClassName(std::string& out, const CIMName& className);
    // A property list as a request parameter's content: a VALUE.ARRAY of
    // the names.  `list` must not be null.
    static void appendPropertyNames(std::string& out, const CIMPropertyList& list);
    static void appendLocalNamespacePath(std::string& out, const CIMNamespaceName& nameSpace);
    static void appendNamespacePath(std::string& out, const String& host,
                                    const CIMNamespaceName& nameSpace);
    static void appendInstanceName(std::string& out, const CIMObjectPath& path);
    static void appendLocalInstancePath(std::string& out, const CIMObjectPath& path);
    static void appendInstancePath(std::string& out, const CIMObjectPath& path);
    static void appendLocalClassPath(std::string& out, const CIMObjectPath& path);
    static void appendClassPath(std::string& out, const CIMObjectPath& path);

    // --- schema and instance elements -------------------------------------

    static void appendQualifier(std::string& out, const CIMConstQualifier& qualifier);
    static void appendQualifierDecl(std::string& out, const CIMConstQualifierDecl& decl);
    static void appendProperty(std::string& out, const CIMConstProperty& property);
    static void appendParameter(std::string& out, const CIMConstParameter& parameter);
    static void appendMethod(std::string& out, const CIMConstMethod& method);
    static void appendClass(std::string& out, const CIMConstClass& cimClass);
    static void appendInstance(std::string& out, const CIMConstInstance& instance);
    // CLASS or INSTANCE, as the object holds.
    static void appendObject(std::string& out, const CIMConstObject& object);
    // VALUE.NAMEDINSTANCE: INSTANCENAME from the instance's path, then INSTANCE.
    static void appendValueNamedInstance(std::string& out, const CIMConstInstance& instance);

    // --- message parts -----------------------------------------------------

    // PARAMVALUE; PARAMTYPE (and EmbeddedObject) only when the parameter is
    // typed.  A null value gives an empty PARAMVALUE.
    static void appendParamValue(std::string& out, const CIMParamValue& parameter);
    // IPARAMVALUE holding a VALUE with TRUE/FALSE.
    static void appendBooleanIParameter(std::string& out, const char* name, bool value);
    // ERROR with CODE and DESCRIPTION (the latter omitted when empty).
    static void appendError(std::string& out, CIMStatusCode code, const String& description);

    // The CIM-XML text of a class or an instance, as CIMObject::toString()
    // and CIMValue::toString() print it.
    static String objectToXml(const CIMConstObject& object);
};

}  // namespace Pegasus

#endif
