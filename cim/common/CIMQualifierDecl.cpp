// CIMQualifierDecl and CIMConstQualifierDecl.
#include <Pegasus/Common/CIMQualifierDecl.h>

#include "CIMObjectModelRep.h"

PEGASUS_NAMESPACE_BEGIN

namespace
{
// A declaration always states both the override and the propagation rule:
// a flavor that does not forbid them gets OVERRIDABLE / TOSUBCLASS, one
// that forbids them loses those bits.
CIMFlavor completedFlavor(const CIMFlavor& given)
{
    CIMFlavor flavor = given;
    if (flavor.hasFlavor(CIMFlavor::RESTRICTED))
        flavor.removeFlavor(CIMFlavor::TOSUBCLASS);
    else
        flavor.addFlavor(CIMFlavor::TOSUBCLASS);
    if (flavor.hasFlavor(CIMFlavor::DISABLEOVERRIDE))
        flavor.removeFlavor(CIMFlavor::OVERRIDABLE);
    else
        flavor.addFlavor(CIMFlavor::OVERRIDABLE);
    return flavor;
}

std::shared_ptr<CIMQualifierDeclRep> newDeclRep(
    const CIMName& name,
    const CIMValue& value,
    const CIMScope& scope,
    const CIMFlavor& flavor,
    Uint32 arraySize)
{
    if (name.isNull())
        throw UninitializedObjectException();
    auto rep = std::make_shared<CIMQualifierDeclRep>();
    rep->name = name;
    rep->value = value;
    rep->scope = scope;
    rep->flavor = completedFlavor(flavor);
    rep->arraySize = arraySize;
    return rep;
}

std::shared_ptr<CIMQualifierDeclRep> cloneRep(const CIMQualifierDeclRep& x)
{
    return std::make_shared<CIMQualifierDeclRep>(x);
}

bool identicalReps(
    const std::shared_ptr<CIMQualifierDeclRep>& a,
    const std::shared_ptr<CIMQualifierDeclRep>& b)
{
    const CIMQualifierDeclRep* x = checkedRep(a);
    const CIMQualifierDeclRep* y = checkedRep(b);
    if (x == y)
        return true;
    return x->name.equal(y->name) && x->value == y->value &&
        x->scope.equal(y->scope) && x->flavor.equal(y->flavor) &&
        x->arraySize == y->arraySize;
}
}

// CIMQualifierDecl

CIMQualifierDecl::CIMQualifierDecl() {}

CIMQualifierDecl::CIMQualifierDecl(const CIMQualifierDecl& x) : _rep(x._rep) {}

CIMQualifierDecl::CIMQualifierDecl(
    const CIMName& name,
    const CIMValue& value,
    const CIMScope& scope,
    const CIMFlavor& flavor,
    Uint32 arraySize)
    : _rep(newDeclRep(name, value, scope, flavor, arraySize))
{
}

CIMQualifierDecl::CIMQualifierDecl(
    const std::shared_ptr<CIMQualifierDeclRep>& rep)
    : _rep(rep)
{
}

CIMQualifierDecl::~CIMQualifierDecl() {}

CIMQualifierDecl& CIMQualifierDecl::operator=(const CIMQualifierDecl& x)
{
    _rep = x._rep;
    return *this;
}

const CIMName& CIMQualifierDecl::getName() const
{
    return checkedRep(_rep)->name;
}

void CIMQualifierDecl::setName(const CIMName& name)
{
    checkedRep(_rep)->name = name;
}

CIMType CIMQualifierDecl::getType() const
{
    return checkedRep(_rep)->value.getType();
}

Boolean CIMQualifierDecl::isArray() const
{
    return checkedRep(_rep)->value.isArray();
}

const CIMValue& CIMQualifierDecl::getValue() const
{
    return checkedRep(_rep)->value;
}

void CIMQualifierDecl::setValue(const CIMValue& value)
{
    checkedRep(_rep)->value = value;
}

const CIMScope& CIMQualifierDecl::getScope() const
{
    return checkedRep(_rep)->scope;
}

const CIMFlavor& CIMQualifierDecl::getFlavor() const
{
    return checkedRep(_rep)->flavor;
}

Uint32 CIMQualifierDecl::getArraySize() const
{
    return checkedRep(_rep)->arraySize;
}

Boolean CIMQualifierDecl::isUninitialized() const
{
    return !_rep;
}

Boolean CIMQualifierDecl::identical(const CIMConstQualifierDecl& x) const
{
    return identicalReps(_rep, x._rep);
}

CIMQualifierDecl CIMQualifierDecl::clone() const
{
    return CIMQualifierDecl(cloneRep(*checkedRep(_rep)));
}

// CIMConstQualifierDecl

CIMConstQualifierDecl::CIMConstQualifierDecl() {}

CIMConstQualifierDecl::CIMConstQualifierDecl(const CIMConstQualifierDecl& x)
    : _rep(x._rep)
{
}

CIMConstQualifierDecl::CIMConstQualifierDecl(const CIMQualifierDecl& x)
    : _rep(x._rep)
{
}

CIMConstQualifierDecl::CIMConstQualifierDecl(
    const CIMName& name,
    const CIMValue& value,
    const CIMScope& scope,
    const CIMFlavor& flavor,
    Uint32 arraySize)
    : _rep(newDeclRep(name, value, scope, flavor, arraySize))
{
}

CIMConstQualifierDecl::~CIMConstQualifierDecl() {}

CIMConstQualifierDecl& CIMConstQualifierDecl::operator=(
    const CIMConstQualifierDecl& x)
{
    _rep = x._rep;
    return *this;
}

CIMConstQualifierDecl& CIMConstQualifierDecl::operator=(
    const CIMQualifierDecl& x)
{
    _rep = x._rep;
    return *this;
}

const CIMName& CIMConstQualifierDecl::getName() const
{
    return checkedRep(_rep)->name;
}

CIMType CIMConstQualifierDecl::getType() const
{
    return checkedRep(_rep)->value.getType();
}

Boolean CIMConstQualifierDecl::isArray() const
{
    return checkedRep(_rep)->value.isArray();
}

const CIMValue& CIMConstQualifierDecl::getValue() const
{
    return checkedRep(_rep)->value;
}

const CIMScope& CIMConstQualifierDecl::getScope() const
{
    return checkedRep(_rep)->scope;
}

const CIMFlavor& CIMConstQualifierDecl::getFlavor() const
{
    return checkedRep(_rep)->flavor;
}

Uint32 CIMConstQualifierDecl::getArraySize() const
{
    return checkedRep(_rep)->arraySize;
}

Boolean CIMConstQualifierDecl::isUninitialized() const
{
    return !_rep;
}

Boolean CIMConstQualifierDecl::identical(const CIMConstQualifierDecl& x) const
{
    return identicalReps(_rep, x._rep);
}

CIMQualifierDecl CIMConstQualifierDecl::clone() const
{
    return CIMQualifierDecl(cloneRep(*checkedRep(_rep)));
}

PEGASUS_NAMESPACE_END
