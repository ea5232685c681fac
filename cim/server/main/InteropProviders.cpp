#include "InteropProviders.h"

#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Common/CIMQualifier.h>
#include <Pegasus/Provider/ProviderException.h>

namespace Pegasus {

const CIMName kCimNamespaceClass("CIM_Namespace");
const CIMName kPgNamespaceClass("PG_Namespace");
const CIMName kCimObjectManagerClass("CIM_ObjectManager");

namespace {

// The scoping system of every instance: this computer.
const char kSystemClass[] = "CIM_ComputerSystem";
// The Name of the one CIM_ObjectManager instance.
const char kObjectManagerName[] = "cimserver";
// CIM_Namespace.ClassInfo 0 ("Unknown"): the classes of a namespace are
// whatever was compiled into it.  ClassType 2: they are CIM classes.
const Uint16 kClassInfoUnknown = 0;
const Uint16 kClassTypeCim = 2;
// CIM_EnabledLogicalElement.EnabledState 2: "Enabled".
const Uint16 kEnabled = 2;

// ---- class definitions ------------------------------------------------------

// One property of a resolved class.  `origin` is the class that first
// defined it; `inherited` marks it propagated from the superclass.
struct PropertySpec
{
    const char* name;
    CIMType type;
    const char* origin;
    bool inherited;
    bool key;
    bool required;
};

CIMClass resolvedClass(const CIMName& name, const char* superClass,
                       const std::vector<PropertySpec>& properties)
{
    CIMClass cimClass(name, CIMName(superClass));
    for (const PropertySpec& spec : properties)
    {
        CIMProperty property(CIMName(spec.name), CIMValue(spec.type, false), 0,
                             CIMName(), CIMName(spec.origin), spec.inherited);
        if (spec.key)
            property.addQualifier(CIMQualifier(
                CIMName("Key"), CIMValue(Boolean(true)),
                CIMFlavor::DISABLEOVERRIDE + CIMFlavor::TOSUBCLASS, spec.inherited));
        if (spec.required)
            property.addQualifier(CIMQualifier(
                CIMName("Required"), CIMValue(Boolean(true)),
                CIMFlavor::DISABLEOVERRIDE + CIMFlavor::TOSUBCLASS, spec.inherited));
        cimClass.addProperty(property);
    }
    return cimClass;
}

// The properties of CIM_Namespace, as it defines them itself or as a class
// derived from it inherits them (`inherited`).
std::vector<PropertySpec> namespaceProperties(bool inherited)
{
    std::vector<PropertySpec> specs = {
        {"SystemCreationClassName", CIMTYPE_STRING, "CIM_Namespace", false, true, false},
        {"SystemName", CIMTYPE_STRING, "CIM_Namespace", false, true, false},
        {"ObjectManagerCreationClassName", CIMTYPE_STRING, "CIM_Namespace", false, true, false},
        {"ObjectManagerName", CIMTYPE_STRING, "CIM_Namespace", false, true, false},
        {"CreationClassName", CIMTYPE_STRING, "CIM_Namespace", false, true, false},
        {"Name", CIMTYPE_STRING, "CIM_Namespace", false, true, false},
        {"ClassInfo", CIMTYPE_UINT16, "CIM_Namespace", false, false, true},
        {"ClassType", CIMTYPE_UINT16, "CIM_Namespace", false, false, false},
    };
    for (PropertySpec& spec : specs)
        spec.inherited = inherited;
    return specs;
}

// ---- instances --------------------------------------------------------------

void addString(CIMInstance& instance, const char* name, const String& value)
{
    instance.addProperty(CIMProperty(CIMName(name), CIMValue(value)));
}

// The instance's path from its key properties (every string-valued one
// named in `keys`), on the host and namespace of `reference`.
void setPath(CIMInstance& instance, const CIMObjectPath& reference,
             std::initializer_list<const char*> keys)
{
    Array<CIMKeyBinding> bindings;
    for (const char* key : keys)
    {
        String value;
        instance.getProperty(instance.findProperty(CIMName(key))).getValue().get(value);
        bindings.append(CIMKeyBinding(CIMName(key), value, CIMKeyBinding::STRING));
    }
    instance.setPath(CIMObjectPath(reference.getHost(), reference.getNameSpace(),
                                   instance.getClassName(), bindings));
}

// True when every key of `instance` is in `reference` with the same value.
bool keysMatch(const CIMInstance& instance, const CIMObjectPath& reference)
{
    const Array<CIMKeyBinding>& wanted = reference.getKeyBindings();
    const Array<CIMKeyBinding>& own = instance.getPath().getKeyBindings();
    for (Uint32 i = 0; i < own.size(); ++i)
    {
        bool found = false;
        for (Uint32 j = 0; j < wanted.size() && !found; ++j)
            found = wanted[j].getName().equal(own[i].getName()) &&
                    String::equalNoCase(wanted[j].getValue(), own[i].getValue());
        if (!found)
            return false;
    }
    return true;
}

}  // namespace

std::vector<CIMClass> interopClassDefinitions()
{
    std::vector<CIMClass> classes;
    classes.push_back(
        resolvedClass(kCimNamespaceClass, "CIM_ManagedElement", namespaceProperties(false)));
    classes.push_back(
        resolvedClass(kPgNamespaceClass, "CIM_Namespace", namespaceProperties(true)));
    // CIM_ObjectManager overrides Name and ElementName; the rest it inherits
    // through CIM_WBEMService and CIM_Service.
    classes.push_back(resolvedClass(
        kCimObjectManagerClass, "CIM_WBEMService",
        {{"SystemCreationClassName", CIMTYPE_STRING, "CIM_Service", true, true, false},
         {"SystemName", CIMTYPE_STRING, "CIM_Service", true, true, false},
         {"CreationClassName", CIMTYPE_STRING, "CIM_Service", true, true, false},
         {"Name", CIMTYPE_STRING, "CIM_ManagedSystemElement", false, true, false},
         {"ElementName", CIMTYPE_STRING, "CIM_ManagedElement", false, false, false},
         {"Started", CIMTYPE_BOOLEAN, "CIM_Service", true, false, false},
         {"EnabledState", CIMTYPE_UINT16, "CIM_EnabledLogicalElement", true, false, false}}));
    return classes;
}

// ---- SynthesisedInstanceProvider -------------------------------------------

void SynthesisedInstanceProvider::initialize(CIMOMHandle&)
{
}

void SynthesisedInstanceProvider::terminate()
{
    // The provider manager never deletes providers; terminate() is the
    // last call an object gets.
    delete this;
}

void SynthesisedInstanceProvider::getInstance(const OperationContext&,
                                              const CIMObjectPath& instanceReference,
                                              const Boolean, const Boolean,
                                              const CIMPropertyList&,
                                              InstanceResponseHandler& handler)
{
    for (const CIMInstance& instance : current(instanceReference))
    {
        if (keysMatch(instance, instanceReference))
        {
            handler.processing();
            handler.deliver(instance);
            handler.complete();
            return;
        }
    }
    throw CIMObjectNotFoundException(instanceReference.toString());
}

void SynthesisedInstanceProvider::enumerateInstances(
    const OperationContext&, const CIMObjectPath& classReference, const Boolean,
    const Boolean, const CIMPropertyList&, InstanceResponseHandler& handler)
{
    handler.processing();
    if (!enumeratedBySubclass())
        for (const CIMInstance& instance : current(classReference))
            handler.deliver(instance);
    handler.complete();
}

void SynthesisedInstanceProvider::enumerateInstanceNames(
    const OperationContext&, const CIMObjectPath& classReference,
    ObjectPathResponseHandler& handler)
{
    handler.processing();
    if (!enumeratedBySubclass())
        for (const CIMInstance& instance : current(classReference))
            handler.deliver(instance.getPath());
    handler.complete();
}

void SynthesisedInstanceProvider::modifyInstance(const OperationContext&,
                                                 const CIMObjectPath& instanceReference,
                                                 const CIMInstance&, const Boolean,
                                                 const CIMPropertyList&, ResponseHandler&)
{
    throw CIMNotSupportedException(instanceReference.getClassName().getString() +
                                   " instances are maintained by the server");
}

void SynthesisedInstanceProvider::createInstance(const OperationContext&,
                                                 const CIMObjectPath& instanceReference,
                                                 const CIMInstance&,
                                                 ObjectPathResponseHandler&)
{
    throw CIMNotSupportedException(
        instanceReference.getClassName().getString() +
        " instances are maintained by the server (namespaces are created as __Namespace "
        "instances)");
}

void SynthesisedInstanceProvider::deleteInstance(const OperationContext&,
                                                 const CIMObjectPath& instanceReference,
                                                 ResponseHandler&)
{
    throw CIMNotSupportedException(
        instanceReference.getClassName().getString() +
        " instances are maintained by the server (namespaces are deleted as __Namespace "
        "instances)");
}

// ---- NamespaceProvider -------------------------------------------------------

NamespaceProvider::NamespaceProvider(const CIMName& servedClass, InteropSystem system)
    : _servedClass(servedClass), _system(std::move(system))
{
}

bool NamespaceProvider::enumeratedBySubclass() const
{
    return !_servedClass.equal(kPgNamespaceClass) && _system.classStored(kPgNamespaceClass);
}

std::vector<CIMInstance> NamespaceProvider::current(const CIMObjectPath& reference) const
{
    std::vector<CIMInstance> instances;
    const Array<CIMNamespaceName> names = _system.namespaces();
    for (Uint32 i = 0; i < names.size(); ++i)
    {
        CIMInstance instance(kPgNamespaceClass);
        addString(instance, "SystemCreationClassName", kSystemClass);
        addString(instance, "SystemName", _system.systemName);
        addString(instance, "ObjectManagerCreationClassName",
                  kCimObjectManagerClass.getString());
        addString(instance, "ObjectManagerName", kObjectManagerName);
        addString(instance, "CreationClassName", kPgNamespaceClass.getString());
        addString(instance, "Name", names[i].getString());
        instance.addProperty(CIMProperty(CIMName("ClassInfo"), CIMValue(kClassInfoUnknown)));
        instance.addProperty(CIMProperty(CIMName("ClassType"), CIMValue(kClassTypeCim)));
        setPath(instance, reference,
                {"SystemCreationClassName", "SystemName", "ObjectManagerCreationClassName",
                 "ObjectManagerName", "CreationClassName", "Name"});
        instances.push_back(instance);
    }
    return instances;
}

// ---- ObjectManagerProvider -------------------------------------------------

ObjectManagerProvider::ObjectManagerProvider(InteropSystem system)
    : _system(std::move(system))
{
}

std::vector<CIMInstance> ObjectManagerProvider::current(const CIMObjectPath& reference) const
{
    CIMInstance instance(kCimObjectManagerClass);
    addString(instance, "SystemCreationClassName", kSystemClass);
    addString(instance, "SystemName", _system.systemName);
    addString(instance, "CreationClassName", kCimObjectManagerClass.getString());
    addString(instance, "Name", kObjectManagerName);
    addString(instance, "ElementName", "CIM Server");
    instance.addProperty(CIMProperty(CIMName("Started"), CIMValue(Boolean(true))));
    instance.addProperty(CIMProperty(CIMName("EnabledState"), CIMValue(kEnabled)));
    setPath(instance, reference, {"SystemCreationClassName", "SystemName", "CreationClassName",
                                  "Name"});
    return {instance};
}

}  // namespace Pegasus
