// CIMQualifier and CIMConstQualifier.
#include <Pegasus/Common/CIMQualifier.h>

#include "CIMObjectModelRep.h"

PEGASUS_NAMESPACE_BEGIN

void throwRenameInContainer(const char* kind)
{
    // Containers find their elements by name, so a held element keeps it.
    throw Exception(
        String("cannot rename a ") + kind + " that belongs to a container");
}

std::shared_ptr<CIMQualifierRep> newQualifierRep(
    const CIMName& name,
    CIMValue value,
    const CIMFlavor& flavor,
    Boolean propagated,
    const std::shared_ptr<CIMQualifierBlock>& block)
{
    if (name.isNull())
        throw UninitializedObjectException();
    std::shared_ptr<CIMQualifierRep> rep = CIMQualifierBlock::make(block);
    rep->name = name;
    rep->value = std::move(value);
    rep->flavor = flavor;
    rep->propagated = propagated;
    return rep;
}

namespace
{
std::shared_ptr<CIMQualifierRep> cloneRep(const CIMQualifierRep& x)
{
    return newQualifierRep(x.name, x.value, x.flavor, x.propagated, nullptr);
}

bool identicalReps(
    const std::shared_ptr<CIMQualifierRep>& a,
    const std::shared_ptr<CIMQualifierRep>& b)
{
    const CIMQualifierRep* x = checkedRep(a);
    const CIMQualifierRep* y = checkedRep(b);
    if (x == y)
        return true;
    return x->name.equal(y->name) && x->value == y->value &&
        x->flavor.equal(y->flavor) && x->propagated == y->propagated;
}
}

// CIMQualifier

CIMQualifier::CIMQualifier() {}

CIMQualifier::CIMQualifier(const CIMQualifier& x) : _rep(x._rep) {}

CIMQualifier::CIMQualifier(
    const CIMName& name,
    const CIMValue& value,
    const CIMFlavor& flavor,
    Boolean propagated)
    : _rep(newQualifierRep(name, value, flavor, propagated, nullptr))
{
}

CIMQualifier::CIMQualifier(const std::shared_ptr<CIMQualifierRep>& rep)
    : _rep(rep)
{
}

CIMQualifier::~CIMQualifier() {}

CIMQualifier& CIMQualifier::operator=(const CIMQualifier& x)
{
    _rep = x._rep;
    return *this;
}

const CIMName& CIMQualifier::getName() const
{
    return checkedRep(_rep)->name;
}

void CIMQualifier::setName(const CIMName& name)
{
    CIMQualifierRep* rep = checkedRep(_rep);
    if (rep->ownerCount)
        throwRenameInContainer("qualifier");
    rep->name = name;
}

CIMType CIMQualifier::getType() const
{
    return checkedRep(_rep)->value.getType();
}

Boolean CIMQualifier::isArray() const
{
    return checkedRep(_rep)->value.isArray();
}

const CIMValue& CIMQualifier::getValue() const
{
    return checkedRep(_rep)->value;
}

void CIMQualifier::setValue(const CIMValue& value)
{
    checkedRep(_rep)->value = value;
}

void CIMQualifier::setFlavor(const CIMFlavor& flavor)
{
    checkedRep(_rep)->flavor = flavor;
}

void CIMQualifier::unsetFlavor(const CIMFlavor& flavor)
{
    checkedRep(_rep)->flavor.removeFlavor(flavor);
}

const CIMFlavor& CIMQualifier::getFlavor() const
{
    return checkedRep(_rep)->flavor;
}

Uint32 CIMQualifier::getPropagated() const
{
    return checkedRep(_rep)->propagated ? 1 : 0;
}

void CIMQualifier::setPropagated(Boolean propagated)
{
    checkedRep(_rep)->propagated = propagated;
}

Boolean CIMQualifier::isUninitialized() const
{
    return !_rep;
}

Boolean CIMQualifier::identical(const CIMConstQualifier& x) const
{
    return identicalReps(_rep, x._rep);
}

CIMQualifier CIMQualifier::clone() const
{
    return CIMQualifier(cloneRep(*checkedRep(_rep)));
}

// CIMConstQualifier

CIMConstQualifier::CIMConstQualifier() {}

CIMConstQualifier::CIMConstQualifier(const CIMConstQualifier& x)
    : _rep(x._rep)
{
}

CIMConstQualifier::CIMConstQualifier(const CIMQualifier& x) : _rep(x._rep) {}

CIMConstQualifier::CIMConstQualifier(
    const CIMName& name,
    const CIMValue& value,
    const CIMFlavor& flavor,
    Boolean propagated)
    : _rep(newQualifierRep(name, value, flavor, propagated, nullptr))
{
}

CIMConstQualifier::~CIMConstQualifier() {}

CIMConstQualifier& CIMConstQualifier::operator=(const CIMConstQualifier& x)
{
    _rep = x._rep;
    return *this;
}

CIMConstQualifier& CIMConstQualifier::operator=(const CIMQualifier& x)
{
    _rep = x._rep;
    return *this;
}

const CIMName& CIMConstQualifier::getName() const
{
    return checkedRep(_rep)->name;
}

CIMType CIMConstQualifier::getType() const
{
    return checkedRep(_rep)->value.getType();
}

Boolean CIMConstQualifier::isArray() const
{
    return checkedRep(_rep)->value.isArray();
}

const CIMValue& CIMConstQualifier::getValue() const
{
    return checkedRep(_rep)->value;
}

const CIMFlavor& CIMConstQualifier::getFlavor() const
{
    return checkedRep(_rep)->flavor;
}

Uint32 CIMConstQualifier::getPropagated() const
{
    return checkedRep(_rep)->propagated ? 1 : 0;
}

Boolean CIMConstQualifier::isUninitialized() const
{
    return !_rep;
}

Boolean CIMConstQualifier::identical(const CIMConstQualifier& x) const
{
    return identicalReps(_rep, x._rep);
}

CIMQualifier CIMConstQualifier::clone() const
{
    return CIMQualifier(cloneRep(*checkedRep(_rep)));
}

PEGASUS_NAMESPACE_END
