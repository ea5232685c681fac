// CIMProperty and CIMConstProperty.
#include <Pegasus/Common/CIMProperty.h>

#include "CIMObjectModelRep.h"

PEGASUS_NAMESPACE_BEGIN

std::shared_ptr<CIMPropertyRep> newPropertyRep(
    CIMName name,
    CIMValue value,
    Uint32 arraySize,
    const CIMName& referenceClassName,
    const CIMName& classOrigin,
    Boolean propagated,
    const std::shared_ptr<CIMPropertyBlock>& block)
{
    if (name.isNull())
        throw UninitializedObjectException();
    // A fixed size must agree with the value; reference arrays are not a
    // CIM property type; only references name a reference class.
    if (arraySize && (!value.isArray() || value.getArraySize() != arraySize))
        throw TypeMismatchException();
    if (value.isArray() && value.getType() == CIMTYPE_REFERENCE)
        throw TypeMismatchException();
    if (!referenceClassName.isNull() && value.getType() != CIMTYPE_REFERENCE)
        throw TypeMismatchException();

    std::shared_ptr<CIMPropertyRep> rep = CIMPropertyBlock::make(block);
    rep->name = std::move(name);
    rep->value = std::move(value);
    rep->arraySize = arraySize;
    rep->referenceClassName = referenceClassName;
    rep->classOrigin = classOrigin;
    rep->propagated = propagated;
    return rep;
}

namespace
{
bool identicalReps(
    const std::shared_ptr<CIMPropertyRep>& a,
    const std::shared_ptr<CIMPropertyRep>& b)
{
    const CIMPropertyRep* x = checkedRep(a);
    const CIMPropertyRep* y = checkedRep(b);
    return x == y || x->identical(*y);
}
}

std::shared_ptr<CIMPropertyRep> CIMPropertyRep::clone() const
{
    auto rep = std::make_shared<CIMPropertyRep>();
    rep->name = name;
    rep->value = value;
    rep->arraySize = arraySize;
    rep->referenceClassName = referenceClassName;
    rep->classOrigin = classOrigin;
    rep->propagated = propagated;
    rep->qualifiers.cloneFrom(qualifiers);
    return rep;
}

bool CIMPropertyRep::identical(const CIMPropertyRep& x) const
{
    return name.equal(x.name) && value == x.value &&
        arraySize == x.arraySize &&
        referenceClassName.equal(x.referenceClassName) &&
        classOrigin.equal(x.classOrigin) && propagated == x.propagated &&
        qualifiers.identical(x.qualifiers);
}

// CIMProperty

CIMProperty::CIMProperty() {}

CIMProperty::CIMProperty(const CIMProperty& x) : _rep(x._rep) {}

CIMProperty::CIMProperty(
    const CIMName& name,
    const CIMValue& value,
    Uint32 arraySize,
    const CIMName& referenceClassName,
    const CIMName& classOrigin,
    Boolean propagated)
    : _rep(newPropertyRep(
          name, value, arraySize, referenceClassName, classOrigin, propagated, nullptr))
{
}

CIMProperty::CIMProperty(const std::shared_ptr<CIMPropertyRep>& rep)
    : _rep(rep)
{
}

CIMProperty::~CIMProperty() {}

CIMProperty& CIMProperty::operator=(const CIMProperty& x)
{
    _rep = x._rep;
    return *this;
}

const CIMName& CIMProperty::getName() const
{
    return checkedRep(_rep)->name;
}

void CIMProperty::setName(const CIMName& name)
{
    CIMPropertyRep* rep = checkedRep(_rep);
    if (rep->ownerCount)
        throwRenameInContainer("property");
    rep->name = name;
}

const CIMValue& CIMProperty::getValue() const
{
    return checkedRep(_rep)->value;
}

CIMType CIMProperty::getType() const
{
    return checkedRep(_rep)->value.getType();
}

Boolean CIMProperty::isArray() const
{
    return checkedRep(_rep)->value.isArray();
}

void CIMProperty::setValue(const CIMValue& value)
{
    // The type chosen at construction stays for the property's lifetime.
    CIMPropertyRep* rep = checkedRep(_rep);
    if (!value.typeCompatible(rep->value))
        throw TypeMismatchException();
    if (rep->arraySize && rep->arraySize != value.getArraySize())
        throw TypeMismatchException();
    rep->value = value;
}

Uint32 CIMProperty::getArraySize() const
{
    return checkedRep(_rep)->arraySize;
}

const CIMName& CIMProperty::getReferenceClassName() const
{
    return checkedRep(_rep)->referenceClassName;
}

const CIMName& CIMProperty::getClassOrigin() const
{
    return checkedRep(_rep)->classOrigin;
}

void CIMProperty::setClassOrigin(const CIMName& classOrigin)
{
    checkedRep(_rep)->classOrigin = classOrigin;
}

Boolean CIMProperty::getPropagated() const
{
    return checkedRep(_rep)->propagated;
}

void CIMProperty::setPropagated(Boolean propagated)
{
    checkedRep(_rep)->propagated = propagated;
}

CIMProperty& CIMProperty::addQualifier(const CIMQualifier& x)
{
    checkedRep(_rep)->qualifiers.add(x);
    return *this;
}

Uint32 CIMProperty::findQualifier(const CIMName& name) const
{
    return checkedRep(_rep)->qualifiers.find(name);
}

CIMQualifier CIMProperty::getQualifier(Uint32 index)
{
    return checkedRep(_rep)->qualifiers.get(index);
}

CIMConstQualifier CIMProperty::getQualifier(Uint32 index) const
{
    return checkedRep(_rep)->qualifiers.get(index);
}

void CIMProperty::removeQualifier(Uint32 index)
{
    checkedRep(_rep)->qualifiers.remove(index);
}

Uint32 CIMProperty::getQualifierCount() const
{
    return checkedRep(_rep)->qualifiers.size();
}

Boolean CIMProperty::isUninitialized() const
{
    return !_rep;
}

Boolean CIMProperty::identical(const CIMConstProperty& x) const
{
    return identicalReps(_rep, x._rep);
}

CIMProperty CIMProperty::clone() const
{
    return CIMProperty(checkedRep(_rep)->clone());
}

// CIMConstProperty

CIMConstProperty::CIMConstProperty() {}

CIMConstProperty::CIMConstProperty(const CIMConstProperty& x) : _rep(x._rep)
{
}

CIMConstProperty::CIMConstProperty(const CIMProperty& x) : _rep(x._rep) {}

CIMConstProperty::CIMConstProperty(
    const CIMName& name,
    const CIMValue& value,
    Uint32 arraySize,
    const CIMName& referenceClassName,
    const CIMName& classOrigin,
    Boolean propagated)
    : _rep(newPropertyRep(
          name, value, arraySize, referenceClassName, classOrigin, propagated, nullptr))
{
}

CIMConstProperty::~CIMConstProperty() {}

CIMConstProperty& CIMConstProperty::operator=(const CIMConstProperty& x)
{
    _rep = x._rep;
    return *this;
}

CIMConstProperty& CIMConstProperty::operator=(const CIMProperty& x)
{
    _rep = x._rep;
    return *this;
}

const CIMName& CIMConstProperty::getName() const
{
    return checkedRep(_rep)->name;
}

const CIMValue& CIMConstProperty::getValue() const
{
    return checkedRep(_rep)->value;
}

CIMType CIMConstProperty::getType() const
{
    return checkedRep(_rep)->value.getType();
}

Boolean CIMConstProperty::isArray() const
{
    return checkedRep(_rep)->value.isArray();
}

Uint32 CIMConstProperty::getArraySize() const
{
    return checkedRep(_rep)->arraySize;
}

const CIMName& CIMConstProperty::getReferenceClassName() const
{
    return checkedRep(_rep)->referenceClassName;
}

const CIMName& CIMConstProperty::getClassOrigin() const
{
    return checkedRep(_rep)->classOrigin;
}

Boolean CIMConstProperty::getPropagated() const
{
    return checkedRep(_rep)->propagated;
}

Uint32 CIMConstProperty::findQualifier(const CIMName& name) const
{
    return checkedRep(_rep)->qualifiers.find(name);
}

CIMConstQualifier CIMConstProperty::getQualifier(Uint32 index) const
{
    return checkedRep(_rep)->qualifiers.get(index);
}

Uint32 CIMConstProperty::getQualifierCount() const
{
    return checkedRep(_rep)->qualifiers.size();
}

Boolean CIMConstProperty::identical(const CIMConstProperty& x) const
{
    return identicalReps(_rep, x._rep);
}

CIMProperty CIMConstProperty::clone() const
{
    return CIMProperty(checkedRep(_rep)->clone());
}

Boolean CIMConstProperty::isUninitialized() const
{
    return !_rep;
}

PEGASUS_NAMESPACE_END
