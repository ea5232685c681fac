// CIMParameter and CIMConstParameter.
#include <Pegasus/Common/CIMParameter.h>

#include "CIMObjectModelRep.h"

PEGASUS_NAMESPACE_BEGIN

namespace
{
std::shared_ptr<CIMParameterRep> newParameterRep(
    const CIMName& name,
    CIMType type,
    Boolean isArray,
    Uint32 arraySize,
    const CIMName& referenceClassName)
{
    if (name.isNull())
        throw UninitializedObjectException();
    if (arraySize && !isArray)
        throw TypeMismatchException();
    // A reference parameter must say what it refers to, and only a
    // reference parameter may.
    if ((type == CIMTYPE_REFERENCE) == referenceClassName.isNull())
        throw TypeMismatchException();

    auto rep = std::make_shared<CIMParameterRep>();
    rep->name = name;
    rep->type = type;
    rep->isArray = isArray;
    rep->arraySize = arraySize;
    rep->referenceClassName = referenceClassName;
    return rep;
}

bool identicalReps(
    const std::shared_ptr<CIMParameterRep>& a,
    const std::shared_ptr<CIMParameterRep>& b)
{
    const CIMParameterRep* x = checkedRep(a);
    const CIMParameterRep* y = checkedRep(b);
    return x == y || x->identical(*y);
}
}

std::shared_ptr<CIMParameterRep> CIMParameterRep::clone() const
{
    auto rep = std::make_shared<CIMParameterRep>();
    rep->name = name;
    rep->type = type;
    rep->isArray = isArray;
    rep->arraySize = arraySize;
    rep->referenceClassName = referenceClassName;
    rep->qualifiers.cloneFrom(qualifiers);
    return rep;
}

bool CIMParameterRep::identical(const CIMParameterRep& x) const
{
    return name.equal(x.name) && type == x.type && isArray == x.isArray &&
        arraySize == x.arraySize &&
        referenceClassName.equal(x.referenceClassName) &&
        qualifiers.identical(x.qualifiers);
}

// CIMParameter

CIMParameter::CIMParameter() {}

CIMParameter::CIMParameter(const CIMParameter& x) : _rep(x._rep) {}

CIMParameter::CIMParameter(
    const CIMName& name,
    CIMType type,
    Boolean isArray,
    Uint32 arraySize,
    const CIMName& referenceClassName)
    : _rep(newParameterRep(name, type, isArray, arraySize, referenceClassName))
{
}

CIMParameter::CIMParameter(const std::shared_ptr<CIMParameterRep>& rep)
    : _rep(rep)
{
}

CIMParameter::~CIMParameter() {}

CIMParameter& CIMParameter::operator=(const CIMParameter& x)
{
    _rep = x._rep;
    return *this;
}

const CIMName& CIMParameter::getName() const
{
    return checkedRep(_rep)->name;
}

void CIMParameter::setName(const CIMName& name)
{
    CIMParameterRep* rep = checkedRep(_rep);
    if (rep->ownerCount)
        throwRenameInContainer("parameter");
    rep->name = name;
}

Boolean CIMParameter::isArray() const
{
    return checkedRep(_rep)->isArray;
}

Uint32 CIMParameter::getArraySize() const
{
    return checkedRep(_rep)->arraySize;
}

const CIMName& CIMParameter::getReferenceClassName() const
{
    return checkedRep(_rep)->referenceClassName;
}

CIMType CIMParameter::getType() const
{
    return checkedRep(_rep)->type;
}

CIMParameter& CIMParameter::addQualifier(const CIMQualifier& x)
{
    checkedRep(_rep)->qualifiers.add(x);
    return *this;
}

Uint32 CIMParameter::findQualifier(const CIMName& name) const
{
    return checkedRep(_rep)->qualifiers.find(name);
}

CIMQualifier CIMParameter::getQualifier(Uint32 index)
{
    return checkedRep(_rep)->qualifiers.get(index);
}

CIMConstQualifier CIMParameter::getQualifier(Uint32 index) const
{
    return checkedRep(_rep)->qualifiers.get(index);
}

void CIMParameter::removeQualifier(Uint32 index)
{
    checkedRep(_rep)->qualifiers.remove(index);
}

Uint32 CIMParameter::getQualifierCount() const
{
    return checkedRep(_rep)->qualifiers.size();
}

Boolean CIMParameter::isUninitialized() const
{
    return !_rep;
}

Boolean CIMParameter::identical(const CIMConstParameter& x) const
{
    return identicalReps(_rep, x._rep);
}

CIMParameter CIMParameter::clone() const
{
    return CIMParameter(checkedRep(_rep)->clone());
}

// CIMConstParameter

CIMConstParameter::CIMConstParameter() {}

CIMConstParameter::CIMConstParameter(const CIMConstParameter& x)
    : _rep(x._rep)
{
}

CIMConstParameter::CIMConstParameter(const CIMParameter& x) : _rep(x._rep) {}

CIMConstParameter::CIMConstParameter(
    const CIMName& name,
    CIMType type,
    Boolean isArray,
    Uint32 arraySize,
    const CIMName& referenceClassName)
    : _rep(newParameterRep(name, type, isArray, arraySize, referenceClassName))
{
}

CIMConstParameter::~CIMConstParameter() {}

CIMConstParameter& CIMConstParameter::operator=(const CIMConstParameter& x)
{
    _rep = x._rep;
    return *this;
}

CIMConstParameter& CIMConstParameter::operator=(const CIMParameter& x)
{
    _rep = x._rep;
    return *this;
}

const CIMName& CIMConstParameter::getName() const
{
    return checkedRep(_rep)->name;
}

Boolean CIMConstParameter::isArray() const
{
    return checkedRep(_rep)->isArray;
}

Uint32 CIMConstParameter::getArraySize() const
{
    return checkedRep(_rep)->arraySize;
}

const CIMName& CIMConstParameter::getReferenceClassName() const
{
    return checkedRep(_rep)->referenceClassName;
}

CIMType CIMConstParameter::getType() const
{
    return checkedRep(_rep)->type;
}

Uint32 CIMConstParameter::findQualifier(const CIMName& name) const
{
    return checkedRep(_rep)->qualifiers.find(name);
}

CIMConstQualifier CIMConstParameter::getQualifier(Uint32 index) const
{
    return checkedRep(_rep)->qualifiers.get(index);
}

Uint32 CIMConstParameter::getQualifierCount() const
{
    return checkedRep(_rep)->qualifiers.size();
}

Boolean CIMConstParameter::isUninitialized() const
{
    return !_rep;
}

Boolean CIMConstParameter::identical(const CIMConstParameter& x) const
{
    return identicalReps(_rep, x._rep);
}

CIMParameter CIMConstParameter::clone() const
{
    return CIMParameter(checkedRep(_rep)->clone());
}

PEGASUS_NAMESPACE_END
