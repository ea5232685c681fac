// CIMInstance and CIMConstInstance: handles over a CIMInstanceRep.
#include <Pegasus/Common/CIMInstance.h>

#include "CIMObjectModelRep.h"

PEGASUS_NAMESPACE_BEGIN

namespace
{
std::shared_ptr<CIMObjectRep> newInstanceRep(const CIMName& className)
{
    if (className.isNull())
        throw UninitializedObjectException();
    return std::make_shared<CIMInstanceRep>(className);
}

// The representation of an object that must be an instance.
const std::shared_ptr<CIMObjectRep>& instanceOnly(
    const std::shared_ptr<CIMObjectRep>& rep)
{
    if (!rep || rep->isClass())
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

// CIMInstance

CIMInstance::CIMInstance() {}

CIMInstance::CIMInstance(const CIMInstance& x) : _rep(x._rep) {}

CIMInstance::CIMInstance(const CIMObject& x) : _rep(instanceOnly(x._rep)) {}

CIMInstance::CIMInstance(const CIMName& className)
    : _rep(newInstanceRep(className))
{
}

CIMInstance::CIMInstance(const std::shared_ptr<CIMObjectRep>& rep) : _rep(rep)
{
}

CIMInstance::~CIMInstance() {}

CIMInstance& CIMInstance::operator=(const CIMInstance& x)
{
    _rep = x._rep;
    return *this;
}

const CIMName& CIMInstance::getClassName() const
{
    return checkedRep(_rep)->className;
}

const CIMObjectPath& CIMInstance::getPath() const
{
    return checkedRep(_rep)->path;
}

void CIMInstance::setPath(const CIMObjectPath& path)
{
    checkedRep(_rep)->setPath(path);
}

CIMInstance& CIMInstance::addQualifier(const CIMQualifier& qualifier)
{
    checkedRep(_rep)->qualifiers.add(qualifier);
    return *this;
}

Uint32 CIMInstance::findQualifier(const CIMName& name) const
{
    return checkedRep(_rep)->qualifiers.find(name);
}

CIMQualifier CIMInstance::getQualifier(Uint32 index)
{
    return checkedRep(_rep)->qualifiers.get(index);
}

CIMConstQualifier CIMInstance::getQualifier(Uint32 index) const
{
    return checkedRep(_rep)->qualifiers.get(index);
}

void CIMInstance::removeQualifier(Uint32 index)
{
    checkedRep(_rep)->qualifiers.remove(index);
}

Uint32 CIMInstance::getQualifierCount() const
{
    return checkedRep(_rep)->qualifiers.size();
}

CIMInstance& CIMInstance::addProperty(const CIMProperty& x)
{
    checkedRep(_rep)->addProperty(x);
    return *this;
}

Uint32 CIMInstance::findProperty(const CIMName& name) const
{
    return checkedRep(_rep)->properties.find(name);
}

CIMProperty CIMInstance::getProperty(Uint32 index)
{
    return checkedRep(_rep)->properties.get(index);
}

CIMConstProperty CIMInstance::getProperty(Uint32 index) const
{
    return checkedRep(_rep)->properties.get(index);
}

void CIMInstance::removeProperty(Uint32 index)
{
    checkedRep(_rep)->properties.remove(index);
}

Uint32 CIMInstance::getPropertyCount() const
{
    return checkedRep(_rep)->properties.size();
}

CIMObjectPath CIMInstance::buildPath(const CIMConstClass& cimClass) const
{
    return instanceRep(_rep)->buildPath(cimClass);
}

CIMInstance CIMInstance::clone() const
{
    return CIMInstance(checkedRep(_rep)->clone());
}

Boolean CIMInstance::identical(const CIMConstInstance& x) const
{
    return identicalReps(_rep, x._rep);
}

Boolean CIMInstance::isUninitialized() const
{
    return !_rep;
}

void CIMInstance::instanceFilter(
    Boolean includeQualifiers,
    Boolean includeClassOrigin,
    const CIMPropertyList& propertyList)
{
    checkedRep(_rep)->filter(includeQualifiers, includeClassOrigin, propertyList);
}

void CIMInstance::filter(Boolean, Boolean, const CIMPropertyList&)
{
    // Kept for old callers only; instanceFilter() does the work.
}

// CIMConstInstance

CIMConstInstance::CIMConstInstance() {}

CIMConstInstance::CIMConstInstance(const CIMConstInstance& x) : _rep(x._rep) {}

CIMConstInstance::CIMConstInstance(const CIMInstance& x) : _rep(x._rep) {}

CIMConstInstance::CIMConstInstance(const CIMObject& x)
    : _rep(instanceOnly(x._rep))
{
}

CIMConstInstance::CIMConstInstance(const CIMConstObject& x)
    : _rep(instanceOnly(x._rep))
{
}

CIMConstInstance::CIMConstInstance(const CIMName& className)
    : _rep(newInstanceRep(className))
{
}

CIMConstInstance::~CIMConstInstance() {}

CIMConstInstance& CIMConstInstance::operator=(const CIMConstInstance& x)
{
    _rep = x._rep;
    return *this;
}

CIMConstInstance& CIMConstInstance::operator=(const CIMInstance& x)
{
    _rep = x._rep;
    return *this;
}

const CIMName& CIMConstInstance::getClassName() const
{
    return checkedRep(_rep)->className;
}

const CIMObjectPath& CIMConstInstance::getPath() const
{
    return checkedRep(_rep)->path;
}

Uint32 CIMConstInstance::findQualifier(const CIMName& name) const
{
    return checkedRep(_rep)->qualifiers.find(name);
}

CIMConstQualifier CIMConstInstance::getQualifier(Uint32 index) const
{
    return checkedRep(_rep)->qualifiers.get(index);
}

Uint32 CIMConstInstance::getQualifierCount() const
{
    return checkedRep(_rep)->qualifiers.size();
}

Uint32 CIMConstInstance::findProperty(const CIMName& name) const
{
    return checkedRep(_rep)->properties.find(name);
}

CIMConstProperty CIMConstInstance::getProperty(Uint32 index) const
{
    return checkedRep(_rep)->properties.get(index);
}

Uint32 CIMConstInstance::getPropertyCount() const
{
    return checkedRep(_rep)->properties.size();
}

CIMObjectPath CIMConstInstance::buildPath(const CIMConstClass& cimClass) const
{
    return instanceRep(_rep)->buildPath(cimClass);
}

CIMInstance CIMConstInstance::clone() const
{
    return CIMInstance(checkedRep(_rep)->clone());
}

Boolean CIMConstInstance::identical(const CIMConstInstance& x) const
{
    return identicalReps(_rep, x._rep);
}

Boolean CIMConstInstance::isUninitialized() const
{
    return !_rep;
}

PEGASUS_NAMESPACE_END
