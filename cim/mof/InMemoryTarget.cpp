// The in-memory store.  Class resolution (findClass) follows what a
// server's GetClass with LocalOnly=false and IncludeClassOrigin=true gives:
// inherited members first, in the superclass's order, marked propagated and
// carrying their class origin; members the class declares again replace
// them in place and keep the inherited qualifiers that propagate to
// subclasses (so an overriding key property is still a key).

#include "InMemoryTarget.h"

#include "MofLoader.h"

#include <Pegasus/Common/CIMFlavor.h>
#include <Pegasus/Common/Exception.h>

namespace Pegasus {
namespace Mof {

namespace {

std::string key(const String& s)
{
    return foldedName(s);
}

std::string key(const CIMName& name)
{
    return key(name.getString());
}

std::string key(const CIMNamespaceName& ns)
{
    return key(ns.getString());
}

// Adds the qualifiers of `from` that propagate to subclasses and that `to`
// does not set itself.
template <class To, class From>
void inheritQualifiers(To& to, const From& from)
{
    for (Uint32 i = 0; i < from.getQualifierCount(); ++i)
    {
        CIMConstQualifier q = from.getQualifier(i);
        if (!q.getFlavor().hasFlavor(CIMFlavor::TOSUBCLASS))
            continue;
        if (to.findQualifier(q.getName()) != PEG_NOT_FOUND)
            continue;
        CIMQualifier copy = q.clone();
        copy.setPropagated(true);
        to.addQualifier(copy);
    }
}

// Superclass chains cannot loop (a superclass must exist before its
// subclass), but a fallback target is not ours to trust: bound the walk.
const unsigned kMaxDepth = 256;

}  // namespace

InMemoryTarget::Namespace& InMemoryTarget::existing(const CIMNamespaceName& ns)
{
    auto it = _namespaces.find(key(ns));
    if (it == _namespaces.end())
        throw CIMException(CIM_ERR_INVALID_NAMESPACE, ns.getString());
    return it->second;
}

const InMemoryTarget::Namespace* InMemoryTarget::find(const CIMNamespaceName& ns) const
{
    auto it = _namespaces.find(key(ns));
    return it == _namespaces.end() ? nullptr : &it->second;
}

void InMemoryTarget::ensureNamespace(const CIMNamespaceName& ns)
{
    _namespaces[key(ns)];
}

void InMemoryTarget::setQualifier(const CIMNamespaceName& ns, const CIMQualifierDecl& decl)
{
    Namespace& n = existing(ns);
    std::string k = key(decl.getName());
    if (n.qualifiers.find(k) == n.qualifiers.end())
        n.qualifierOrder.push_back(k);
    n.qualifiers[k] = decl.clone();
}

CIMQualifierDecl InMemoryTarget::findQualifier(const CIMNamespaceName& ns, const CIMName& name)
{
    if (const Namespace* n = find(ns))
    {
        auto it = n->qualifiers.find(key(name));
        if (it != n->qualifiers.end())
            return it->second;
    }
    return _fallback ? _fallback->findQualifier(ns, name) : CIMQualifierDecl();
}

void InMemoryTarget::createClass(const CIMNamespaceName& ns, const CIMClass& cls)
{
    Namespace& n = existing(ns);
    std::string k = key(cls.getClassName());
    if (n.classes.count(k) || (_fallback && !_fallback->findClass(ns, cls.getClassName()).isUninitialized()))
        throw CIMException(CIM_ERR_ALREADY_EXISTS, cls.getClassName().getString());
    const CIMName& super = cls.getSuperClassName();
    if (!super.isNull() && findClass(ns, super).isUninitialized())
        throw CIMException(CIM_ERR_INVALID_SUPERCLASS, super.getString());
    n.classes[k] = cls.clone();
    n.classOrder.push_back(k);
}

void InMemoryTarget::modifyClass(const CIMNamespaceName& ns, const CIMClass& cls)
{
    Namespace& n = existing(ns);
    auto it = n.classes.find(key(cls.getClassName()));
    if (it == n.classes.end())
        throw CIMException(CIM_ERR_NOT_FOUND, cls.getClassName().getString());
    const CIMName& super = cls.getSuperClassName();
    if (!super.isNull() && findClass(ns, super).isUninitialized())
        throw CIMException(CIM_ERR_INVALID_SUPERCLASS, super.getString());
    it->second = cls.clone();
}

CIMClass InMemoryTarget::findClass(const CIMNamespaceName& ns, const CIMName& name)
{
    return resolve(ns, name, 0);
}

CIMClass InMemoryTarget::resolve(const CIMNamespaceName& ns, const CIMName& name, unsigned depth)
{
    CIMClass local = localClass(ns, name);
    if (local.isUninitialized())
        return _fallback ? _fallback->findClass(ns, name) : CIMClass();
    CIMClass base;
    if (!local.getSuperClassName().isNull() && depth < kMaxDepth)
        base = resolve(ns, local.getSuperClassName(), depth + 1);

    CIMClass result(local.getClassName(), local.getSuperClassName());
    for (Uint32 i = 0; i < local.getQualifierCount(); ++i)
        result.addQualifier(local.getQualifier(i).clone());
    if (!base.isUninitialized())
        inheritQualifiers(result, base);

    // Properties: inherited ones first, replaced in place where redeclared.
    if (!base.isUninitialized())
    {
        for (Uint32 i = 0; i < base.getPropertyCount(); ++i)
        {
            CIMConstProperty inherited = base.getProperty(i);
            Uint32 j = local.findProperty(inherited.getName());
            if (j == PEG_NOT_FOUND)
            {
                CIMProperty p = inherited.clone();
                p.setPropagated(true);
                result.addProperty(p);
                continue;
            }
            CIMProperty p = local.getProperty(j).clone();
            p.setClassOrigin(local.getClassName());
            inheritQualifiers(p, inherited);
            result.addProperty(p);
        }
    }
    for (Uint32 i = 0; i < local.getPropertyCount(); ++i)
    {
        if (result.findProperty(local.getProperty(i).getName()) != PEG_NOT_FOUND)
            continue;
        CIMProperty p = local.getProperty(i).clone();
        p.setClassOrigin(local.getClassName());
        result.addProperty(p);
    }

    if (!base.isUninitialized())
    {
        for (Uint32 i = 0; i < base.getMethodCount(); ++i)
        {
            CIMConstMethod inherited = base.getMethod(i);
            Uint32 j = local.findMethod(inherited.getName());
            CIMMethod m = j == PEG_NOT_FOUND ? inherited.clone() : local.getMethod(j).clone();
            if (j == PEG_NOT_FOUND)
                m.setPropagated(true);
            else
                m.setClassOrigin(local.getClassName());
            result.addMethod(m);
        }
    }
    for (Uint32 i = 0; i < local.getMethodCount(); ++i)
    {
        if (result.findMethod(local.getMethod(i).getName()) != PEG_NOT_FOUND)
            continue;
        CIMMethod m = local.getMethod(i).clone();
        m.setClassOrigin(local.getClassName());
        result.addMethod(m);
    }
    return result;
}

CIMObjectPath InMemoryTarget::createInstance(const CIMNamespaceName& ns, const CIMInstance& inst)
{
    Namespace& n = existing(ns);
    CIMClass cls = findClass(ns, inst.getClassName());
    if (cls.isUninitialized())
        throw CIMException(CIM_ERR_INVALID_CLASS, inst.getClassName().getString());
    Array<CIMName> keys;
    cls.getKeyNames(keys);
    for (Uint32 i = 0; i < keys.size(); ++i)
    {
        Uint32 j = inst.findProperty(keys[i]);
        if (j == PEG_NOT_FOUND || inst.getProperty(j).getValue().isNull())
            throw CIMException(CIM_ERR_FAILED,
                               "key property " + keys[i].getString() + " has no value");
    }
    CIMObjectPath path = inst.buildPath(cls);
    std::string pathKey(path.toString().getCString());
    if (!n.instancePaths.insert(pathKey).second)
        throw CIMException(CIM_ERR_ALREADY_EXISTS, path.toString());
    CIMInstance copy = inst.clone();
    copy.setPath(path);
    n.instances.push_back(copy);
    return path;
}

bool InMemoryTarget::hasNamespace(const CIMNamespaceName& ns) const
{
    return find(ns) != nullptr;
}

std::vector<CIMQualifierDecl> InMemoryTarget::qualifiers(const CIMNamespaceName& ns) const
{
    std::vector<CIMQualifierDecl> out;
    if (const Namespace* n = find(ns))
        for (const std::string& k : n->qualifierOrder)
            out.push_back(n->qualifiers.at(k));
    return out;
}

std::vector<CIMName> InMemoryTarget::classNames(const CIMNamespaceName& ns) const
{
    std::vector<CIMName> out;
    if (const Namespace* n = find(ns))
        for (const std::string& k : n->classOrder)
            out.push_back(n->classes.at(k).getClassName());
    return out;
}

CIMClass InMemoryTarget::localClass(const CIMNamespaceName& ns, const CIMName& name) const
{
    if (const Namespace* n = find(ns))
    {
        auto it = n->classes.find(key(name));
        if (it != n->classes.end())
            return it->second;
    }
    return CIMClass();
}

std::vector<CIMInstance> InMemoryTarget::instances(const CIMNamespaceName& ns) const
{
    if (const Namespace* n = find(ns))
        return n->instances;
    return {};
}

}  // namespace Mof
}  // namespace Pegasus
