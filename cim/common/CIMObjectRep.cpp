// Behaviour shared by classes and instances, kept on their
// representations so that CIMObject, CIMClass and CIMInstance handles (and
// their const twins) all reach the same code.
#include "CIMObjectModelRep.h"

#include <Pegasus/Common/InternalException.h>

#include <utility>

PEGASUS_NAMESPACE_BEGIN

namespace
{
// A boolean scalar qualifier of that name whose value is true.
bool hasTrueBooleanQualifier(
    const CIMNamedList<CIMQualifier>& qualifiers, const char* name)
{
    // Compared by text: building a CIMName here would cost an allocation
    // for every property of every key lookup.
    Uint32 pos = 0;
    for (; pos < qualifiers.size(); pos++)
    {
        if (String::equalNoCase(qualifiers.get(pos).getName().getString(), name))
            break;
    }
    if (pos == qualifiers.size())
        return false;
    const CIMValue& value = qualifiers.get(pos).getValue();
    if (value.getType() != CIMTYPE_BOOLEAN || value.isArray() || value.isNull())
        return false;
    Boolean flag = false;
    value.get(flag);
    return flag;
}

bool isKeyProperty(const CIMProperty& property)
{
    return hasTrueBooleanQualifier(
        checkedRep(CIMHandleAccess::rep(property))->qualifiers, "Key");
}
}

// CIMObjectRep

CIMObjectRep::CIMObjectRep(const CIMName& name)
    : className(name), qualifiers("qualifier"), properties("property")
{
    path.setClassName(name);
}

CIMObjectRep::~CIMObjectRep() {}

bool CIMObjectRep::identical(const CIMObjectRep& x) const
{
    return isClass() == x.isClass() && className.equal(x.className) &&
        qualifiers.identical(x.qualifiers) &&
        properties.identical(x.properties);
}

void CIMObjectRep::addProperty(const CIMProperty& x)
{
    properties.add(x);
}

namespace
{
// The path names the object; it may not name some other class.
void checkPathClass(const CIMObjectPath& newPath, const CIMName& className)
{
    const CIMName& name = newPath.getClassName();
    if (name.isNull())
        throw UninitializedObjectException();
    if (!name.equal(className))
        throw TypeMismatchException();
}
}

void CIMObjectRep::setPath(const CIMObjectPath& newPath)
{
    checkPathClass(newPath, className);
    path = newPath;
}

void CIMObjectRep::setPath(CIMObjectPath&& newPath)
{
    checkPathClass(newPath, className);
    path = std::move(newPath);
}

void CIMObjectRep::filter(
    Boolean includeQualifiers,
    Boolean includeClassOrigin,
    const CIMPropertyList& propertyList)
{
    if (!propertyList.isNull())
    {
        for (Uint32 i = properties.size(); i-- > 0;)
        {
            if (!propertyList.contains(properties.get(i).getName()))
                properties.remove(i);
        }
    }
    if (!includeQualifiers)
        qualifiers.clear();
    for (Uint32 i = 0; i < properties.size(); i++)
    {
        CIMPropertyRep* property =
            checkedRep(CIMHandleAccess::rep(properties.get(i)));
        if (!includeQualifiers)
            property->qualifiers.clear();
        if (!includeClassOrigin)
            property->classOrigin.clear();
    }
}

void CIMObjectRep::copyFrom(const CIMObjectRep& x)
{
    className = x.className;
    path = x.path;
    qualifiers.cloneFrom(x.qualifiers);
    properties.cloneFrom(x.properties);
}

// CIMClassRep

CIMClassRep::CIMClassRep(const CIMName& name, const CIMName& superName)
    : CIMObjectRep(name), superClassName(superName), methods("method")
{
}

std::shared_ptr<CIMObjectRep> CIMClassRep::clone() const
{
    auto rep = std::make_shared<CIMClassRep>(className, superClassName);
    rep->copyFrom(*this);
    rep->methods.cloneFrom(methods);
    return rep;
}

bool CIMClassRep::identical(const CIMObjectRep& x) const
{
    if (!CIMObjectRep::identical(x))
        return false;
    const CIMClassRep& y = static_cast<const CIMClassRep&>(x);
    return superClassName.equal(y.superClassName) &&
        methods.identical(y.methods);
}

void CIMClassRep::addProperty(const CIMProperty& x)
{
    // A class declares what its references point to.
    if (!x.isUninitialized() && x.getType() == CIMTYPE_REFERENCE &&
        x.getReferenceClassName().isNull())
    {
        throw TypeMismatchException();
    }
    CIMObjectRep::addProperty(x);
}

bool CIMClassRep::hasTrueQualifier(const char* name) const
{
    return hasTrueBooleanQualifier(qualifiers, name);
}

void CIMClassRep::getKeyNames(Array<CIMName>& keyNames) const
{
    keyNames.clear();
    for (Uint32 i = 0; i < properties.size(); i++)
    {
        if (isKeyProperty(properties.get(i)))
            keyNames.append(properties.get(i).getName());
    }
}

bool CIMClassRep::hasKeys() const
{
    for (Uint32 i = 0; i < properties.size(); i++)
    {
        if (isKeyProperty(properties.get(i)))
            return true;
    }
    return false;
}

CIMInstance CIMClassRep::buildInstance(
    Boolean includeQualifiers,
    Boolean includeClassOrigin,
    const CIMPropertyList& propertyList) const
{
    auto rep = std::make_shared<CIMInstanceRep>(className);
    if (includeQualifiers)
    {
        for (Uint32 i = 0; i < qualifiers.size(); i++)
            rep->qualifiers.add(qualifiers.get(i).clone());
    }
    for (Uint32 i = 0; i < properties.size(); i++)
    {
        const CIMProperty& property = properties.get(i);
        if (!propertyList.useThisProperty(property.getName()))
            continue;
        CIMProperty copy = property.clone();
        CIMPropertyRep* copyRep = CIMHandleAccess::rep(copy).get();
        if (!includeQualifiers)
            copyRep->qualifiers.clear();
        if (!includeClassOrigin)
            copyRep->classOrigin.clear();
        rep->properties.add(copy);
    }
    return CIMHandleAccess::make<CIMInstance>(
        std::shared_ptr<CIMObjectRep>(rep));
}

// CIMInstanceRep

CIMInstanceRep::CIMInstanceRep(const CIMName& name) : CIMObjectRep(name) {}

std::shared_ptr<CIMObjectRep> CIMInstanceRep::clone() const
{
    auto rep = std::make_shared<CIMInstanceRep>(className);
    rep->copyFrom(*this);
    return rep;
}

CIMObjectPath CIMInstanceRep::buildPath(const CIMConstClass& cimClass) const
{
    Array<CIMName> keyNames;
    cimClass.getKeyNames(keyNames);

    Array<CIMKeyBinding> keyBindings;
    for (Uint32 i = 0; i < keyNames.size(); i++)
    {
        Uint32 pos = properties.find(keyNames[i]);
        if (pos == PEG_NOT_FOUND)
            throw NoSuchProperty(keyNames[i].getString());
        keyBindings.append(
            CIMKeyBinding(keyNames[i], properties.get(pos).getValue()));
    }
    return CIMObjectPath(String(), CIMNamespaceName(), className, keyBindings);
}

PEGASUS_NAMESPACE_END
