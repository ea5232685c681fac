// CIMClass and CIMConstClass: handles over a CIMClassRep.
#include <Pegasus/Common/CIMClass.h>

#include "CIMObjectModelRep.h"

PEGASUS_NAMESPACE_BEGIN

namespace
{
std::shared_ptr<CIMObjectRep> newClassRep(
    const CIMName& className, const CIMName& superClassName)
{
    if (className.isNull())
        throw UninitializedObjectException();
    return std::make_shared<CIMClassRep>(className, superClassName);
}

// The representation of an object that must be a class.
const std::shared_ptr<CIMObjectRep>& classOnly(
    const std::shared_ptr<CIMObjectRep>& rep)
{
    if (!rep || !rep->isClass())
        throw DynamicCastFailedException();
    return rep;
}

bool identicalReps(
    const std::shared_ptr<CIMObjectRep>& a,
    const std::shared_ptr<CIMObjectRep>& b)
{
    const CIMObjectRep* x = checkedRep(a);
    const CIMObjectRep* y = checkedRep(b);
    return x == y || x->identical(*y);
}
}

// CIMClass

CIMClass::CIMClass() {}

CIMClass::CIMClass(const CIMClass& x) : _rep(x._rep) {}

CIMClass::CIMClass(const CIMObject& x) : _rep(classOnly(x._rep)) {}

CIMClass::CIMClass(const CIMName& className, const CIMName& superClassName)
    : _rep(newClassRep(className, superClassName))
{
}

CIMClass::CIMClass(const std::shared_ptr<CIMObjectRep>& rep) : _rep(rep) {}

CIMClass::~CIMClass() {}

CIMClass& CIMClass::operator=(const CIMClass& x)
{
    _rep = x._rep;
    return *this;
}

Boolean CIMClass::isAssociation() const
{
    return classRep(_rep)->hasTrueQualifier("Association");
}

Boolean CIMClass::isAbstract() const
{
    return classRep(_rep)->hasTrueQualifier("Abstract");
}

const CIMName& CIMClass::getClassName() const
{
    return checkedRep(_rep)->className;
}

const CIMObjectPath& CIMClass::getPath() const
{
    return checkedRep(_rep)->path;
}

void CIMClass::setPath(const CIMObjectPath& path)
{
    checkedRep(_rep)->setPath(path);
}

const CIMName& CIMClass::getSuperClassName() const
{
    return classRep(_rep)->superClassName;
}

void CIMClass::setSuperClassName(const CIMName& superClassName)
{
    classRep(_rep)->superClassName = superClassName;
}

CIMClass& CIMClass::addQualifier(const CIMQualifier& qualifier)
{
    checkedRep(_rep)->qualifiers.add(qualifier);
    return *this;
}

Uint32 CIMClass::findQualifier(const CIMName& name) const
{
    return checkedRep(_rep)->qualifiers.find(name);
}

CIMQualifier CIMClass::getQualifier(Uint32 index)
{
    return checkedRep(_rep)->qualifiers.get(index);
}

CIMConstQualifier CIMClass::getQualifier(Uint32 index) const
{
    return checkedRep(_rep)->qualifiers.get(index);
}

void CIMClass::removeQualifier(Uint32 index)
{
    checkedRep(_rep)->qualifiers.remove(index);
}

Uint32 CIMClass::getQualifierCount() const
{
    return checkedRep(_rep)->qualifiers.size();
}

CIMClass& CIMClass::addProperty(const CIMProperty& x)
{
    checkedRep(_rep)->addProperty(x);
    return *this;
}

Uint32 CIMClass::findProperty(const CIMName& name) const
{
    return checkedRep(_rep)->properties.find(name);
}

CIMProperty CIMClass::getProperty(Uint32 index)
{
    return checkedRep(_rep)->properties.get(index);
}

CIMConstProperty CIMClass::getProperty(Uint32 index) const
{
    return checkedRep(_rep)->properties.get(index);
}

void CIMClass::removeProperty(Uint32 index)
{
    checkedRep(_rep)->properties.remove(index);
}

Uint32 CIMClass::getPropertyCount() const
{
    return checkedRep(_rep)->properties.size();
}

CIMClass& CIMClass::addMethod(const CIMMethod& x)
{
    classRep(_rep)->methods.add(x);
    return *this;
}

Uint32 CIMClass::findMethod(const CIMName& name) const
{
    return classRep(_rep)->methods.find(name);
}

CIMMethod CIMClass::getMethod(Uint32 index)
{
    return classRep(_rep)->methods.get(index);
}

CIMConstMethod CIMClass::getMethod(Uint32 index) const
{
    return classRep(_rep)->methods.get(index);
}

void CIMClass::removeMethod(Uint32 index)
{
    classRep(_rep)->methods.remove(index);
}

Uint32 CIMClass::getMethodCount() const
{
    return classRep(_rep)->methods.size();
}

void CIMClass::getKeyNames(Array<CIMName>& keyNames) const
{
    classRep(_rep)->getKeyNames(keyNames);
}

Boolean CIMClass::hasKeys() const
{
    return classRep(_rep)->hasKeys();
}

CIMClass CIMClass::clone() const
{
    return CIMClass(checkedRep(_rep)->clone());
}

Boolean CIMClass::identical(const CIMConstClass& x) const
{
    return identicalReps(_rep, x._rep);
}

Boolean CIMClass::isUninitialized() const
{
    return !_rep;
}

CIMInstance CIMClass::buildInstance(
    Boolean includeQualifiers,
    Boolean includeClassOrigin,
    const CIMPropertyList& propertyList) const
{
    return classRep(_rep)->buildInstance(
        includeQualifiers, includeClassOrigin, propertyList);
}

// CIMConstClass

CIMConstClass::CIMConstClass() {}

CIMConstClass::CIMConstClass(const CIMConstClass& x) : _rep(x._rep) {}

CIMConstClass::CIMConstClass(const CIMClass& x) : _rep(x._rep) {}

CIMConstClass::CIMConstClass(const CIMObject& x) : _rep(classOnly(x._rep)) {}

CIMConstClass::CIMConstClass(const CIMConstObject& x)
    : _rep(classOnly(x._rep))
{
}

CIMConstClass::CIMConstClass(
    const CIMName& className, const CIMName& superClassName)
    : _rep(newClassRep(className, superClassName))
{
}

CIMConstClass::~CIMConstClass() {}

CIMConstClass& CIMConstClass::operator=(const CIMConstClass& x)
{
    _rep = x._rep;
    return *this;
}

CIMConstClass& CIMConstClass::operator=(const CIMClass& x)
{
    _rep = x._rep;
    return *this;
}

Boolean CIMConstClass::isAssociation() const
{
    return classRep(_rep)->hasTrueQualifier("Association");
}

Boolean CIMConstClass::isAbstract() const
{
    return classRep(_rep)->hasTrueQualifier("Abstract");
}

const CIMName& CIMConstClass::getClassName() const
{
    return checkedRep(_rep)->className;
}

const CIMObjectPath& CIMConstClass::getPath() const
{
    return checkedRep(_rep)->path;
}

const CIMName& CIMConstClass::getSuperClassName() const
{
    return classRep(_rep)->superClassName;
}

Uint32 CIMConstClass::findQualifier(const CIMName& name) const
{
    return checkedRep(_rep)->qualifiers.find(name);
}

CIMConstQualifier CIMConstClass::getQualifier(Uint32 index) const
{
    return checkedRep(_rep)->qualifiers.get(index);
}

Uint32 CIMConstClass::getQualifierCount() const
{
    return checkedRep(_rep)->qualifiers.size();
}

Uint32 CIMConstClass::findProperty(const CIMName& name) const
{
    return checkedRep(_rep)->properties.find(name);
}

CIMConstProperty CIMConstClass::getProperty(Uint32 index) const
{
    return checkedRep(_rep)->properties.get(index);
}

Uint32 CIMConstClass::getPropertyCount() const
{
    return checkedRep(_rep)->properties.size();
}

Uint32 CIMConstClass::findMethod(const CIMName& name) const
{
    return classRep(_rep)->methods.find(name);
}

CIMConstMethod CIMConstClass::getMethod(Uint32 index) const
{
    return classRep(_rep)->methods.get(index);
}

Uint32 CIMConstClass::getMethodCount() const
{
    return classRep(_rep)->methods.size();
}

void CIMConstClass::getKeyNames(Array<CIMName>& keyNames) const
{
    classRep(_rep)->getKeyNames(keyNames);
}

Boolean CIMConstClass::hasKeys() const
{
    return classRep(_rep)->hasKeys();
}

CIMClass CIMConstClass::clone() const
{
    return CIMClass(checkedRep(_rep)->clone());
}

Boolean CIMConstClass::identical(const CIMConstClass& x) const
{
    return identicalReps(_rep, x._rep);
}

Boolean CIMConstClass::isUninitialized() const
{
    return !_rep;
}

PEGASUS_NAMESPACE_END
