// Loading through CIMClient.  Every client call goes through guarded(),
// which keeps the server's CIMException (the loader interprets the status
// codes) and turns everything else into TargetError, which ends the run.

#include "ClientTarget.h"

#include "MofLoader.h"

#include <Pegasus/Common/Exception.h>

#include <utility>

namespace Pegasus {
namespace Mof {

namespace {

std::string key(const String& s)
{
    return foldCase(std::string(s.getCString()));
}

template <class Call>
auto guarded(Call call) -> decltype(call())
{
    try
    {
        return call();
    }
    catch (const CIMException&)
    {
        throw;
    }
    catch (const Exception& e)
    {
        throw TargetError(std::string(e.getMessage().getCString()));
    }
}

CIMInstance namespaceInstance(const String& name)
{
    CIMInstance inst(CIMName("__NameSpace"));
    inst.addProperty(CIMProperty(CIMName("Name"), CIMValue(name)));
    return inst;
}

}  // namespace

ClientTarget::ClientTarget(CIMClient& client) : _client(client)
{
}

void ClientTarget::ensureNamespace(const CIMNamespaceName& ns)
{
    try
    {
        guarded([&] { return _client.createInstance(ns, namespaceInstance(String())); });
    }
    catch (const CIMException& e)
    {
        if (e.getCode() == CIM_ERR_ALREADY_EXISTS)
            return;   // declarations already cached stay valid
        const String& full = ns.getString();
        Uint32 slash = full.reverseFind('/');
        if (slash == PEG_NOT_FOUND)
            throw;
        try
        {
            guarded([&] {
                return _client.createInstance(CIMNamespaceName(full.subString(0, slash)),
                                              namespaceInstance(full.subString(slash + 1)));
            });
        }
        catch (const CIMException& second)
        {
            if (second.getCode() != CIM_ERR_ALREADY_EXISTS)
                throw e;
        }
    }
    // A namespace just made has no declarations yet.
    _qualifiers.erase(key(ns.getString()));
}

ClientTarget::QualifierCache& ClientTarget::cache(const CIMNamespaceName& ns)
{
    QualifierCache& c = _qualifiers[key(ns.getString())];
    if (c.loaded)
        return c;
    c.loaded = true;
    try
    {
        Array<CIMQualifierDecl> all = guarded([&] { return _client.enumerateQualifiers(ns); });
        for (Uint32 i = 0; i < all.size(); ++i)
            c.decls[key(all[i].getName().getString())] = all[i];
        c.complete = true;
    }
    catch (const CIMException& e)
    {
        // No namespace: nothing declared.  Any other refusal: ask one
        // declaration at a time instead.
        c.complete = e.getCode() == CIM_ERR_INVALID_NAMESPACE;
    }
    return c;
}

void ClientTarget::setQualifier(const CIMNamespaceName& ns, const CIMQualifierDecl& decl)
{
    guarded([&] {
        _client.setQualifier(ns, decl);
        return 0;
    });
    QualifierCache& c = cache(ns);
    std::string k = key(decl.getName().getString());
    c.decls[k] = decl;
    c.missing.erase(k);
}

CIMQualifierDecl ClientTarget::findQualifier(const CIMNamespaceName& ns, const CIMName& name)
{
    QualifierCache& c = cache(ns);
    std::string k = key(name.getString());
    auto it = c.decls.find(k);
    if (it != c.decls.end())
        return it->second;
    if (c.complete || c.missing.count(k))
        return CIMQualifierDecl();
    try
    {
        CIMQualifierDecl decl = guarded([&] { return _client.getQualifier(ns, name); });
        c.decls[k] = decl;
        return decl;
    }
    catch (const CIMException&)
    {
        c.missing.insert(k);
        return CIMQualifierDecl();
    }
}

void ClientTarget::createClass(const CIMNamespaceName& ns, const CIMClass& cls)
{
    guarded([&] {
        _client.createClass(ns, cls);
        return 0;
    });
}

void ClientTarget::modifyClass(const CIMNamespaceName& ns, const CIMClass& cls)
{
    guarded([&] {
        _client.modifyClass(ns, cls);
        return 0;
    });
}

CIMClass ClientTarget::findClass(const CIMNamespaceName& ns, const CIMName& name)
{
    try
    {
        return guarded([&] { return _client.getClass(ns, name, false, true, true); });
    }
    catch (const CIMException& e)
    {
        if (e.getCode() == CIM_ERR_NOT_FOUND || e.getCode() == CIM_ERR_INVALID_CLASS
            || e.getCode() == CIM_ERR_INVALID_NAMESPACE)
            return CIMClass();
        throw;
    }
}

CIMObjectPath ClientTarget::createInstance(const CIMNamespaceName& ns, const CIMInstance& inst)
{
    return guarded([&] { return _client.createInstance(ns, inst); });
}

}  // namespace Mof
}  // namespace Pegasus
