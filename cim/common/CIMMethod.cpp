// CIMMethod and CIMConstMethod.
#include <Pegasus/Common/CIMMethod.h>

#include "CIMObjectModelRep.h"

PEGASUS_NAMESPACE_BEGIN

namespace
{
std::shared_ptr<CIMMethodRep> newMethodRep(
    const CIMName& name,
    CIMType type,
    const CIMName& classOrigin,
    Boolean propagated)
{
    if (name.isNull())
        throw UninitializedObjectException();
    auto rep = std::make_shared<CIMMethodRep>();
    rep->name = name;
    rep->type = type;
    rep->classOrigin = classOrigin;
    rep->propagated = propagated;
    return rep;
}

bool identicalReps(
    const std::shared_ptr<CIMMethodRep>& a,
    const std::shared_ptr<CIMMethodRep>& b)
{
    const CIMMethodRep* x = checkedRep(a);
    const CIMMethodRep* y = checkedRep(b);
    return x == y || x->identical(*y);
}
}

std::shared_ptr<CIMMethodRep> CIMMethodRep::clone() const
{
    auto rep = newMethodRep(name, type, classOrigin, propagated);
    rep->qualifiers.cloneFrom(qualifiers);
    rep->parameters.cloneFrom(parameters);
    return rep;
}

bool CIMMethodRep::identical(const CIMMethodRep& x) const
{
    return name.equal(x.name) && type == x.type &&
        classOrigin.equal(x.classOrigin) && propagated == x.propagated &&
        qualifiers.identical(x.qualifiers) &&
        parameters.identical(x.parameters);
}

// CIMMethod

CIMMethod::CIMMethod() {}

CIMMethod::CIMMethod(const CIMMethod& x) : _rep(x._rep) {}

CIMMethod::CIMMethod(
    const CIMName& name,
    CIMType type,
    const CIMName& classOrigin,
    Boolean propagated)
    : _rep(newMethodRep(name, type, classOrigin, propagated))
{
}

CIMMethod::CIMMethod(const std::shared_ptr<CIMMethodRep>& rep) : _rep(rep) {}

CIMMethod::~CIMMethod() {}

CIMMethod& CIMMethod::operator=(const CIMMethod& x)
{
    _rep = x._rep;
    return *this;
}

const CIMName& CIMMethod::getName() const
{
    return checkedRep(_rep)->name;
}

void CIMMethod::setName(const CIMName& name)
{
    CIMMethodRep* rep = checkedRep(_rep);
    if (rep->ownerCount)
        throwRenameInContainer("method");
    rep->name = name;
}

CIMType CIMMethod::getType() const
{
    return checkedRep(_rep)->type;
}

void CIMMethod::setType(CIMType type)
{
    checkedRep(_rep)->type = type;
}

const CIMName& CIMMethod::getClassOrigin() const
{
    return checkedRep(_rep)->classOrigin;
}

void CIMMethod::setClassOrigin(const CIMName& classOrigin)
{
    checkedRep(_rep)->classOrigin = classOrigin;
}

Boolean CIMMethod::getPropagated() const
{
    return checkedRep(_rep)->propagated;
}

void CIMMethod::setPropagated(Boolean propagated)
{
    checkedRep(_rep)->propagated = propagated;
}

CIMMethod& CIMMethod::addQualifier(const CIMQualifier& x)
{
    checkedRep(_rep)->qualifiers.add(x);
    return *this;
}

Uint32 CIMMethod::findQualifier(const CIMName& name) const
{
    return checkedRep(_rep)->qualifiers.find(name);
}

CIMQualifier CIMMethod::getQualifier(Uint32 index)
{
    return checkedRep(_rep)->qualifiers.get(index);
}

CIMConstQualifier CIMMethod::getQualifier(Uint32 index) const
{
    return checkedRep(_rep)->qualifiers.get(index);
}

void CIMMethod::removeQualifier(Uint32 index)
{
    checkedRep(_rep)->qualifiers.remove(index);
}

Uint32 CIMMethod::getQualifierCount() const
{
    return checkedRep(_rep)->qualifiers.size();
}

CIMMethod& CIMMethod::addParameter(const CIMParameter& x)
{
    checkedRep(_rep)->parameters.add(x);
    return *this;
}

Uint32 CIMMethod::findParameter(const CIMName& name) const
{
    return checkedRep(_rep)->parameters.find(name);
}

CIMParameter CIMMethod::getParameter(Uint32 index)
{
    return checkedRep(_rep)->parameters.get(index);
}

CIMConstParameter CIMMethod::getParameter(Uint32 index) const
{
    return checkedRep(_rep)->parameters.get(index);
}

void CIMMethod::removeParameter(Uint32 index)
{
    checkedRep(_rep)->parameters.remove(index);
}

Uint32 CIMMethod::getParameterCount() const
{
    return checkedRep(_rep)->parameters.size();
}

Boolean CIMMethod::isUninitialized() const
{
    return !_rep;
}

Boolean CIMMethod::identical(const CIMConstMethod& x) const
{
    return identicalReps(_rep, x._rep);
}

CIMMethod CIMMethod::clone() const
{
    return CIMMethod(checkedRep(_rep)->clone());
}

// CIMConstMethod

CIMConstMethod::CIMConstMethod() {}

CIMConstMethod::CIMConstMethod(const CIMConstMethod& x) : _rep(x._rep) {}

CIMConstMethod::CIMConstMethod(const CIMMethod& x) : _rep(x._rep) {}

CIMConstMethod::CIMConstMethod(
    const CIMName& name,
    CIMType type,
    const CIMName& classOrigin,
    Boolean propagated)
    : _rep(newMethodRep(name, type, classOrigin, propagated))
{
}

CIMConstMethod::~CIMConstMethod() {}

CIMConstMethod& CIMConstMethod::operator=(const CIMConstMethod& x)
{
    _rep = x._rep;
    return *this;
}

CIMConstMethod& CIMConstMethod::operator=(const CIMMethod& x)
{
    _rep = x._rep;
    return *this;
}

const CIMName& CIMConstMethod::getName() const
{
    return checkedRep(_rep)->name;
}

CIMType CIMConstMethod::getType() const
{
    return checkedRep(_rep)->type;
}

const CIMName& CIMConstMethod::getClassOrigin() const
{
    return checkedRep(_rep)->classOrigin;
}

Boolean CIMConstMethod::getPropagated() const
{
    return checkedRep(_rep)->propagated;
}

Uint32 CIMConstMethod::findQualifier(const CIMName& name) const
{
    return checkedRep(_rep)->qualifiers.find(name);
}

CIMConstQualifier CIMConstMethod::getQualifier(Uint32 index) const
{
    return checkedRep(_rep)->qualifiers.get(index);
}

Uint32 CIMConstMethod::getQualifierCount() const
{
    return checkedRep(_rep)->qualifiers.size();
}

Uint32 CIMConstMethod::findParameter(const CIMName& name) const
{
    return checkedRep(_rep)->parameters.find(name);
}

CIMConstParameter CIMConstMethod::getParameter(Uint32 index) const
{
    return checkedRep(_rep)->parameters.get(index);
}

Uint32 CIMConstMethod::getParameterCount() const
{
    return checkedRep(_rep)->parameters.size();
}

Boolean CIMConstMethod::isUninitialized() const
{
    return !_rep;
}

Boolean CIMConstMethod::identical(const CIMConstMethod& x) const
{
    return identicalReps(_rep, x._rep);
}

CIMMethod CIMConstMethod::clone() const
{
    return CIMMethod(checkedRep(_rep)->clone());
}

PEGASUS_NAMESPACE_END
