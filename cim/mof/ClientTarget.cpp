// Loading through CIMClient.  Every client call goes through guarded(),
// which keeps the server's CIMException (the loader interprets the status
// codes) and turns everything else into TargetError, which ends the run.

#include "ClientTarget.h"

#include "MofLoader.h"

#include "CimBatchClient.h"

#include <Pegasus/Common/Exception.h>

#include <utility>

namespace Pegasus {
namespace Mof {

namespace {

std::string key(const String& s)
{
    return foldedName(s);
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

ClientTarget::~ClientTarget()
{
    if (_inFlight.valid())
        _inFlight.wait();
}

void ClientTarget::useBatches(CimBatchClient* batch)
{
    flush();
    _batch = batch;
    if (_batch)
        _batch->setStopOnError(true, {CIM_ERR_ALREADY_EXISTS});
}

void ClientTarget::queue(CimXmlRequest request, const Outcome& done)
{
    _queuedBytes += request.body.size();
    _queued.push_back(std::move(request));
    _outcomes.push_back(done);
    if (_queued.size() < kMaxBatchCalls && _queuedBytes < kMaxBatchBytes)
        return;
    collect();
    if (_queued.empty())
        return;
    _inFlightCalls.swap(_queued);
    _inFlightOutcomes.swap(_outcomes);
    _queued.clear();
    _outcomes.clear();
    _queuedBytes = 0;
    CimBatchClient* batch = _batch;
    const std::vector<CimXmlRequest>* calls = &_inFlightCalls;
    _inFlight = std::async(std::launch::async, [batch, calls] { return batch->execute(*calls); });
}

void ClientTarget::collect()
{
    if (!_inFlight.valid())
        return;
    std::vector<CimXmlResponse> responses = guarded([&] { return _inFlight.get(); });
    std::vector<Outcome> outcomes;
    outcomes.swap(_inFlightOutcomes);
    _inFlightCalls.clear();
    deliver(responses, outcomes);
}

void ClientTarget::deliver(const std::vector<CimXmlResponse>& responses,
                           const std::vector<Outcome>& outcomes)
{
    // The outcomes may lead to messages, and so to flush(): what is queued
    // now comes after all of them.
    _delivering = true;
    try
    {
        for (std::size_t i = 0; i < responses.size(); ++i)
        {
            if (!responses[i].hasError)
            {
                outcomes[i](nullptr);
                continue;
            }
            CIMException error(responses[i].errorCode, responses[i].errorDescription);
            if (error.getCode() != CIM_ERR_ALREADY_EXISTS)
            {
                // The server did not perform the calls after this one, nor
                // will it see those queued since.
                _queued.clear();
                _outcomes.clear();
                _queuedBytes = 0;
                outcomes[i](&error);
                break;
            }
            outcomes[i](&error);
        }
    }
    catch (...)
    {
        _delivering = false;
        throw;
    }
    _delivering = false;
}

void ClientTarget::setQualifierQueued(const CIMNamespaceName& ns, const CIMQualifierDecl& decl,
                                      const Outcome& done)
{
    if (!_batch)
        return MofTarget::setQualifierQueued(ns, decl, done);
    queue(guarded([&] {
        return CimXmlRequestEncoder::setQualifier(_batch->nextMessageId(), ns, decl);
    }), done);
    // Later look-ups see the declaration (the loader knows it anyway).  As
    // with setQualifier(), a namespace's declarations are first read after
    // its first SetQualifier.
    QualifierCache& c = cache(ns);
    std::string k = key(decl.getName().getString());
    c.decls[k] = decl;
    c.missing.erase(k);
}

void ClientTarget::createClassQueued(const CIMNamespaceName& ns, const CIMClass& cls,
                                     const Outcome& done)
{
    if (!_batch)
        return MofTarget::createClassQueued(ns, cls, done);
    queue(guarded([&] {
        return CimXmlRequestEncoder::createClass(_batch->nextMessageId(), ns, cls);
    }), done);
}

void ClientTarget::createInstanceQueued(const CIMNamespaceName& ns, const CIMInstance& inst,
                                        const Outcome& done)
{
    if (!_batch)
        return MofTarget::createInstanceQueued(ns, inst, done);
    queue(guarded([&] {
        return CimXmlRequestEncoder::createInstance(_batch->nextMessageId(), ns, inst);
    }), done);
}

void ClientTarget::flush()
{
    if (_delivering)
        return;
    collect();
    if (_queued.empty())
        return;
    std::vector<CimXmlRequest> calls;
    std::vector<Outcome> outcomes;
    calls.swap(_queued);
    outcomes.swap(_outcomes);
    _queuedBytes = 0;
    std::vector<CimXmlResponse> responses = guarded([&] { return _batch->execute(calls); });
    deliver(responses, outcomes);
}

void ClientTarget::ensureNamespace(const CIMNamespaceName& ns)
{
    flush();
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
    flush();
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
    flush();
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
    flush();
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
    flush();
    guarded([&] {
        _client.createClass(ns, cls);
        return 0;
    });
}

void ClientTarget::modifyClass(const CIMNamespaceName& ns, const CIMClass& cls)
{
    flush();
    guarded([&] {
        _client.modifyClass(ns, cls);
        return 0;
    });
}

CIMClass ClientTarget::findClass(const CIMNamespaceName& ns, const CIMName& name)
{
    flush();
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
    flush();
    return guarded([&] { return _client.createInstance(ns, inst); });
}

}  // namespace Mof
}  // namespace Pegasus
