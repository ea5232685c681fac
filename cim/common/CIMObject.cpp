// CIMObject and CIMConstObject: thin handles over the class or instance
// representation they share.
#include <Pegasus/Common/CIMObject.h>

#include "CIMObjectModelRep.h"
#include "CimXmlWriter.h"

PEGASUS_NAMESPACE_BEGIN

// CIMObject

CIMObject::CIMObject() {}

CIMObject::CIMObject(const CIMObject& x) : _rep(x._rep) {}

CIMObject::CIMObject(const CIMClass& x) : _rep(x._rep) {}

CIMObject::CIMObject(const CIMInstance& x) : _rep(x._rep) {}

CIMObject::CIMObject(const std::shared_ptr<CIMObjectRep>& rep) : _rep(rep) {}

CIMObject::~CIMObject() {}

CIMObject& CIMObject::operator=(const CIMObject& x)
{
    _rep = x._rep;
    return *this;
}

const CIMName& CIMObject::getClassName() const
{
    return checkedRep(_rep)->className;
}

const CIMObjectPath& CIMObject::getPath() const
{
    return checkedRep(_rep)->path;
}

void CIMObject::setPath(const CIMObjectPath& path)
{
    checkedRep(_rep)->setPath(path);
}

CIMObject& CIMObject::addQualifier(const CIMQualifier& qualifier)
{
    checkedRep(_rep)->qualifiers.add(qualifier);
    return *this;
}

Uint32 CIMObject::findQualifier(const CIMName& name) const
{
    return checkedRep(_rep)->qualifiers.find(name);
}

CIMQualifier CIMObject::getQualifier(Uint32 index)
{
    return checkedRep(_rep)->qualifiers.get(index);
}

CIMConstQualifier CIMObject::getQualifier(Uint32 index) const
{
    return checkedRep(_rep)->qualifiers.get(index);
}

void CIMObject::removeQualifier(Uint32 index)
{
    checkedRep(_rep)->qualifiers.remove(index);
}

Uint32 CIMObject::getQualifierCount() const
{
    return checkedRep(_rep)->qualifiers.size();
}

CIMObject& CIMObject::addProperty(const CIMProperty& x)
{
    checkedRep(_rep)->addProperty(x);
    return *this;
}

Uint32 CIMObject::findProperty(const CIMName& name) const
{
    return checkedRep(_rep)->properties.find(name);
}

CIMProperty CIMObject::getProperty(Uint32 index)
{
    return checkedRep(_rep)->properties.get(index);
}

CIMConstProperty CIMObject::getProperty(Uint32 index) const
{
    return checkedRep(_rep)->properties.get(index);
}

void CIMObject::removeProperty(Uint32 index)
{
    checkedRep(_rep)->properties.remove(index);
}

Uint32 CIMObject::getPropertyCount() const
{
    return checkedRep(_rep)->properties.size();
}

CIMObject CIMObject::clone() const
{
    return CIMObject(checkedRep(_rep)->clone());
}

Boolean CIMObject::identical(const CIMConstObject& x) const
{
    const CIMObjectRep* a = checkedRep(_rep);
    const CIMObjectRep* b = checkedRep(x._rep);
    return a == b || a->identical(*b);
}

Boolean CIMObject::isUninitialized() const
{
    return !_rep;
}

String CIMObject::toString() const
{
    checkedRep(_rep);
    return CimXmlWriter::objectToXml(CIMConstObject(*this));
}

Boolean CIMObject::isClass() const
{
    return checkedRep(_rep)->isClass();
}

Boolean CIMObject::isInstance() const
{
    return !checkedRep(_rep)->isClass();
}

void CIMObject::instanceFilter(
    Boolean includeQualifiers,
    Boolean includeClassOrigin,
    const CIMPropertyList& propertyList)
{
    checkedRep(_rep)->filter(includeQualifiers, includeClassOrigin, propertyList);
}

// CIMConstObject

CIMConstObject::CIMConstObject() {}

CIMConstObject::CIMConstObject(const CIMConstObject& x) : _rep(x._rep) {}

CIMConstObject::CIMConstObject(const CIMObject& x) : _rep(x._rep) {}

CIMConstObject::CIMConstObject(const CIMClass& x) : _rep(x._rep) {}

CIMConstObject::CIMConstObject(const CIMConstClass& x) : _rep(x._rep) {}

CIMConstObject::CIMConstObject(const CIMInstance& x) : _rep(x._rep) {}

CIMConstObject::CIMConstObject(const CIMConstInstance& x) : _rep(x._rep) {}

CIMConstObject::~CIMConstObject() {}

CIMConstObject& CIMConstObject::operator=(const CIMConstObject& x)
{
    _rep = x._rep;
    return *this;
}

const CIMName& CIMConstObject::getClassName() const
{
    return checkedRep(_rep)->className;
}

const CIMObjectPath& CIMConstObject::getPath() const
{
    return checkedRep(_rep)->path;
}

Uint32 CIMConstObject::findQualifier(const CIMName& name) const
{
    return checkedRep(_rep)->qualifiers.find(name);
}

CIMConstQualifier CIMConstObject::getQualifier(Uint32 index) const
{
    return checkedRep(_rep)->qualifiers.get(index);
}

Uint32 CIMConstObject::getQualifierCount() const
{
    return checkedRep(_rep)->qualifiers.size();
}

Uint32 CIMConstObject::findProperty(const CIMName& name) const
{
    return checkedRep(_rep)->properties.find(name);
}

CIMConstProperty CIMConstObject::getProperty(Uint32 index) const
{
    return checkedRep(_rep)->properties.get(index);
}

Uint32 CIMConstObject::getPropertyCount() const
{
    return checkedRep(_rep)->properties.size();
}

CIMObject CIMConstObject::clone() const
{
    return CIMObject(checkedRep(_rep)->clone());
}

Boolean CIMConstObject::identical(const CIMConstObject& x) const
{
    const CIMObjectRep* a = checkedRep(_rep);
    const CIMObjectRep* b = checkedRep(x._rep);
    return a == b || a->identical(*b);
}

Boolean CIMConstObject::isUninitialized() const
{
    return !_rep;
}

String CIMConstObject::toString() const
{
    checkedRep(_rep);
    return CimXmlWriter::objectToXml(*this);
}

Boolean CIMConstObject::isClass() const
{
    return checkedRep(_rep)->isClass();
}

Boolean CIMConstObject::isInstance() const
{
    return !checkedRep(_rep)->isClass();
}

PEGASUS_NAMESPACE_END
