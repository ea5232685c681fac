// The provider library the dispatcher tests load.  What it does is chosen by
// the request: the key of getInstance and the name of the invoked method
// select normal answers, failures of every kind and broken deliveries.
//
// Provider names: "WidgetProvider" (instance and method provider for
// Test_Widget), "PeerProvider" (association provider for Test_Peer),
// "MethodOnlyProvider" (method provider only),
// "FailingInitProvider" (initialize() throws); any other name gets 0.
#include <Pegasus/Provider/CIMAssociationProvider.h>
#include <Pegasus/Provider/CIMInstanceProvider.h>
#include <Pegasus/Provider/CIMMethodProvider.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <stdexcept>
#include <string>

PEGASUS_USING_PEGASUS;

namespace {

std::atomic<int> gInitialized(0);
std::atomic<int> gTerminated(0);

std::string text(const String& s)
{
    return std::string(static_cast<const char*>(s.getCString()));
}

String keyOf(const CIMObjectPath& path)
{
    const Array<CIMKeyBinding>& keys = path.getKeyBindings();
    for (Uint32 i = 0; i < keys.size(); i++)
    {
        if (keys[i].getName().equal("Id"))
            return keys[i].getValue();
    }
    return String();
}

CIMObjectPath widgetPath(const String& id)
{
    Array<CIMKeyBinding> keys;
    keys.append(CIMKeyBinding(CIMName("Id"), id, CIMKeyBinding::STRING));
    return CIMObjectPath(String(), CIMNamespaceName(), CIMName("Test_Widget"),
                         keys);
}

CIMInstance widget(const String& id)
{
    CIMInstance instance(CIMName("Test_Widget"));
    instance.addProperty(CIMProperty(CIMName("Id"), id));
    instance.addProperty(CIMProperty(CIMName("Label"), String("made")));
    instance.addProperty(CIMProperty(CIMName("Size"), Uint32(1)));
    instance.setPath(widgetPath(id));
    return instance;
}

CIMValue inParameter(const Array<CIMParamValue>& in, const char* name)
{
    for (Uint32 i = 0; i < in.size(); i++)
    {
        if (String::equalNoCase(in[i].getParameterName(), name))
            return in[i].getValue();
    }
    return CIMValue();
}

class WidgetProvider : public CIMInstanceProvider, public CIMMethodProvider
{
public:
    void initialize(CIMOMHandle& cimom) override
    {
        _cimom = cimom;
        ++gInitialized;
    }

    void terminate() override
    {
        ++gTerminated;
        delete this;
    }

    void getInstance(const OperationContext&, const CIMObjectPath& reference,
                     const Boolean, const Boolean, const CIMPropertyList&,
                     InstanceResponseHandler& handler) override
    {
        const std::string id = text(keyOf(reference));
        handler.processing();
        if (id == "too-many")
        {
            handler.deliver(widget("a"));
            handler.deliver(widget("b"));
        }
        else if (id == "too-few")
        {
            // complete() with nothing delivered
        }
        else if (id == "uninitialized")
        {
            handler.deliver(CIMInstance());
        }
        else if (id == "silent")
        {
            return;   // neither deliver nor complete
        }
        else if (id == "where")
        {
            CIMInstance instance = widget("where");
            instance.getProperty(instance.findProperty("Label"))
                .setValue(CIMValue(reference.toString()));
            handler.deliver(instance);
        }
        else
        {
            std::lock_guard<std::mutex> lock(_mutex);
            auto it = _widgets.find(id);
            if (it == _widgets.end())
                throw CIMObjectNotFoundException(String(id.c_str()));
            handler.deliver(it->second);
        }
        handler.complete();
    }

    void enumerateInstances(const OperationContext&, const CIMObjectPath&,
                            const Boolean, const Boolean,
                            const CIMPropertyList&,
                            InstanceResponseHandler& handler) override
    {
        handler.processing();
        std::lock_guard<std::mutex> lock(_mutex);
        for (auto& item : _widgets)
            handler.deliver(item.second);
        handler.complete();
    }

    void enumerateInstanceNames(const OperationContext&,
                                const CIMObjectPath&,
                                ObjectPathResponseHandler& handler) override
    {
        handler.processing();
        std::lock_guard<std::mutex> lock(_mutex);
        for (auto& item : _widgets)
            handler.deliver(widgetPath(String(item.first.c_str())));
        handler.complete();
    }

    void createInstance(const OperationContext&, const CIMObjectPath&,
                        const CIMInstance& instance,
                        ObjectPathResponseHandler& handler) override
    {
        CIMValue idValue =
            instance.getProperty(instance.findProperty("Id")).getValue();
        String id;
        idValue.get(id);
        handler.processing();
        {
            std::lock_guard<std::mutex> lock(_mutex);
            if (_widgets.count(text(id)))
                throw CIMObjectAlreadyExistsException(id);
            CIMInstance stored = instance.clone();
            // A widget labelled "no path" is later delivered without a
            // path, for the server to complete.
            Uint32 label = stored.findProperty("Label");
            bool noPath = false;
            if (label != PEG_NOT_FOUND)
            {
                String value;
                stored.getProperty(label).getValue().get(value);
                noPath = value == "no path";
            }
            stored.setPath(noPath ? CIMObjectPath(String(), CIMNamespaceName(),
                                                  CIMName("Test_Widget"))
                                  : widgetPath(id));
            _widgets[text(id)] = stored;
        }
        handler.deliver(widgetPath(id));
        handler.complete();
    }

    void modifyInstance(const OperationContext&,
                        const CIMObjectPath& reference,
                        const CIMInstance& instance, const Boolean,
                        const CIMPropertyList& propertyList,
                        ResponseHandler& handler) override
    {
        handler.processing();
        std::lock_guard<std::mutex> lock(_mutex);
        auto it = _widgets.find(text(keyOf(reference)));
        if (it == _widgets.end())
            throw CIMObjectNotFoundException(keyOf(reference));
        if (!propertyList.isNull())
        {
            // Only the listed properties change.
            for (Uint32 i = 0; i < propertyList.size(); i++)
            {
                Uint32 from = instance.findProperty(propertyList[i]);
                Uint32 to = it->second.findProperty(propertyList[i]);
                if (from == PEG_NOT_FOUND || to == PEG_NOT_FOUND)
                    throw CIMException(CIM_ERR_NO_SUCH_PROPERTY,
                                       propertyList[i].getString());
                it->second.getProperty(to).setValue(
                    instance.getProperty(from).getValue());
            }
            handler.complete();
            return;
        }
        CIMInstance replacement = instance.clone();
        replacement.setPath(widgetPath(keyOf(reference)));
        it->second = replacement;
        handler.complete();
    }

    void deleteInstance(const OperationContext&,
                        const CIMObjectPath& reference,
                        ResponseHandler& handler) override
    {
        handler.processing();
        std::lock_guard<std::mutex> lock(_mutex);
        if (_widgets.erase(text(keyOf(reference))) == 0)
            throw CIMObjectNotFoundException(keyOf(reference));
        handler.complete();
    }

    void invokeMethod(const OperationContext& context,
                      const CIMObjectPath& reference, const CIMName& method,
                      const Array<CIMParamValue>& in,
                      MethodResultResponseHandler& handler) override
    {
        handler.processing();
        const std::string name = text(method.getString());
        if (name == "Echo")
        {
            String value;
            inParameter(in, "Text").get(value);
            handler.deliverParamValue(
                CIMParamValue("Length", CIMValue(Uint32(value.size()))));
            handler.deliver(CIMValue(value));
        }
        else if (name == "SayHello")
        {
            String who;
            inParameter(in, "Name").get(who);
            handler.deliverParamValue(
                CIMParamValue("Place", CIMValue(String("From Neverland"))));
            handler.deliver(CIMValue(String("Hello, ") + who + "!"));
        }
        else if (name == "Add")
        {
            Uint32 sum = 0;
            for (Uint32 i = 0; i < in.size(); i++)
            {
                if (!in[i].isTyped() ||
                    in[i].getValue().getType() != CIMTYPE_UINT32)
                {
                    throw CIMInvalidParameterException("not a uint32");
                }
                Uint32 term = 0;
                in[i].getValue().get(term);
                sum += term;
            }
            handler.deliver(CIMValue(sum));
        }
        else if (name == "Where")
        {
            handler.deliver(CIMValue(reference.toString()));
        }
        else if (name == "ThrowCIM")
        {
            throw CIMException(CIM_ERR_NOT_FOUND, "no such disk");
        }
        else if (name == "ThrowProviderException")
        {
            throw CIMMethodNotFoundException("gone");
        }
        else if (name == "ThrowPegasus")
        {
            throw Exception("plain failure");
        }
        else if (name == "ThrowStd")
        {
            throw std::runtime_error("std failure");
        }
        else if (name == "ThrowUnknown")
        {
            throw 42;
        }
        else if (name == "DeliverNull")
        {
            handler.deliver(CIMValue());
        }
        else if (name == "DeliverUninitialized")
        {
            handler.deliverParamValue(CIMParamValue());
        }
        else if (name == "Rendezvous")
        {
            // Returns true once `Count` calls are inside at the same time.
            Uint32 count = 0;
            inParameter(in, "Count").get(count);
            std::unique_lock<std::mutex> lock(_mutex);
            ++_inside;
            _arrived.notify_all();
            bool met = _arrived.wait_for(lock, std::chrono::seconds(10),
                [&] { return _inside >= count; });
            handler.deliver(CIMValue(Boolean(met)));
        }
        else if (name == "UpcallCount")
        {
            Array<CIMObjectPath> names = _cimom.enumerateInstanceNames(
                context, reference.getNameSpace(), CIMName("Test_Element"));
            handler.deliver(CIMValue(Uint32(names.size())));
        }
        else if (name == "UpcallCreate")
        {
            String id;
            inParameter(in, "Id").get(id);
            CIMInstance stored(CIMName("Test_Stored"));
            stored.addProperty(CIMProperty(CIMName("Id"), id));
            CIMObjectPath path = _cimom.createInstance(
                context, reference.getNameSpace(), stored);
            handler.deliver(CIMValue(path.toString()));
        }
        else if (name == "UpcallAssociations")
        {
            // The references to, and the objects associated with,
            // Test_Holder.Id=<Holder>: their counts.
            String holder;
            inParameter(in, "Holder").get(holder);
            Array<CIMKeyBinding> keys;
            keys.append(CIMKeyBinding(CIMName("Id"), holder, CIMKeyBinding::STRING));
            CIMObjectPath path(String(), CIMNamespaceName(), CIMName("Test_Holder"), keys);
            const CIMNamespaceName& ns = reference.getNameSpace();
            Array<CIMObject> objects = _cimom.associators(
                context, ns, path, CIMName(), CIMName(), String(), String(), false,
                false, CIMPropertyList());
            handler.deliverParamValue(
                CIMParamValue("Associators", CIMValue(Uint32(objects.size()))));
            handler.deliver(CIMValue(Uint32(
                _cimom.referenceNames(context, ns, path, CIMName(), String()).size())));
        }
        else if (name == "UpcallMissing")
        {
            _cimom.getClass(context, reference.getNameSpace(),
                            CIMName("No_Such_Class"), false, true, false,
                            CIMPropertyList());
            handler.deliver(CIMValue(Boolean(true)));
        }
        else
        {
            throw CIMMethodNotFoundException(method.getString());
        }
        handler.complete();
    }

private:
    CIMOMHandle _cimom;
    std::mutex _mutex;
    std::condition_variable _arrived;
    Uint32 _inside = 0;
    std::map<std::string, CIMInstance> _widgets;
};

// Association provider for Test_Peer (references A and B, both
// Test_Element): every object X has one peer, Test_Stored "<X's Id>-peer".
// The peer instance's Label tells what the provider was asked; the peer of
// "s2" comes without a path (the server builds it from the keys), and an
// object with Id "fail" makes every call throw.
class PeerProvider : public CIMAssociationProvider
{
public:
    void initialize(CIMOMHandle&) override { ++gInitialized; }
    void terminate() override
    {
        ++gTerminated;
        delete this;
    }

    void associators(const OperationContext&, const CIMObjectPath& objectName,
                     const CIMName& associationClass, const CIMName& resultClass,
                     const String& role, const String& resultRole, const Boolean,
                     const Boolean, const CIMPropertyList&,
                     ObjectResponseHandler& handler) override
    {
        handler.processing();
        CIMInstance peer(CIMName("Test_Stored"));
        peer.addProperty(CIMProperty(CIMName("Id"), keyOf(peerPath(objectName))));
        peer.addProperty(CIMProperty(
            CIMName("Label"),
            String("assoc=") + associationClass.getString() + ";result=" +
                resultClass.getString() + ";role=" + role + ";resultRole=" +
                resultRole + ";object=" + objectName.toString()));
        if (keyOf(objectName) != "s2")
            peer.setPath(peerPath(objectName));
        handler.deliver(CIMObject(peer));
        handler.complete();
    }

    void associatorNames(const OperationContext&, const CIMObjectPath& objectName,
                         const CIMName&, const CIMName&, const String&,
                         const String&, ObjectPathResponseHandler& handler) override
    {
        handler.processing();
        handler.deliver(peerPath(objectName));
        handler.complete();
    }

    void references(const OperationContext&, const CIMObjectPath& objectName,
                    const CIMName&, const String&, const Boolean, const Boolean,
                    const CIMPropertyList&, ObjectResponseHandler& handler) override
    {
        handler.processing();
        CIMInstance link(CIMName("Test_Peer"));
        link.addProperty(CIMProperty(CIMName("A"), CIMValue(local(objectName)), 0,
                                     CIMName("Test_Element")));
        link.addProperty(CIMProperty(CIMName("B"), CIMValue(peerPath(objectName)), 0,
                                     CIMName("Test_Element")));
        link.setPath(linkPath(objectName));
        handler.deliver(CIMObject(link));
        handler.complete();
    }

    void referenceNames(const OperationContext&, const CIMObjectPath& objectName,
                        const CIMName&, const String&,
                        ObjectPathResponseHandler& handler) override
    {
        handler.processing();
        handler.deliver(linkPath(objectName));
        handler.complete();
    }

private:
    static CIMObjectPath local(const CIMObjectPath& path)
    {
        return CIMObjectPath(String(), CIMNamespaceName(), path.getClassName(),
                             path.getKeyBindings());
    }

    static CIMObjectPath peerPath(const CIMObjectPath& objectName)
    {
        if (keyOf(objectName) == "fail")
            throw CIMException(CIM_ERR_FAILED, "peer failure");
        Array<CIMKeyBinding> keys;
        keys.append(CIMKeyBinding(CIMName("Id"), keyOf(objectName) + "-peer",
                                  CIMKeyBinding::STRING));
        return CIMObjectPath(String(), CIMNamespaceName(), CIMName("Test_Stored"), keys);
    }

    static CIMObjectPath linkPath(const CIMObjectPath& objectName)
    {
        Array<CIMKeyBinding> keys;
        keys.append(CIMKeyBinding(CIMName("A"), CIMValue(local(objectName))));
        keys.append(CIMKeyBinding(CIMName("B"), CIMValue(peerPath(objectName))));
        return CIMObjectPath(String(), CIMNamespaceName(), CIMName("Test_Peer"), keys);
    }
};

class MethodOnlyProvider : public CIMMethodProvider
{
public:
    void initialize(CIMOMHandle&) override { ++gInitialized; }
    void terminate() override
    {
        ++gTerminated;
        delete this;
    }
    void invokeMethod(const OperationContext&, const CIMObjectPath&,
                      const CIMName&, const Array<CIMParamValue>&,
                      MethodResultResponseHandler& handler) override
    {
        handler.processing();
        handler.deliver(CIMValue(String("method only")));
        handler.complete();
    }
};

class FailingInitProvider : public CIMMethodProvider
{
public:
    void initialize(CIMOMHandle&) override
    {
        throw CIMException(CIM_ERR_FAILED, "cannot start");
    }
    void terminate() override
    {
        ++gTerminated;
        delete this;
    }
    void invokeMethod(const OperationContext&, const CIMObjectPath&,
                      const CIMName&, const Array<CIMParamValue>&,
                      MethodResultResponseHandler&) override
    {
    }
};

}  // namespace

extern "C" PEGASUS_EXPORT CIMProvider* PegasusCreateProvider(
    const String& providerName)
{
    if (providerName == "WidgetProvider")
        return new WidgetProvider;
    if (providerName == "PeerProvider")
        return new PeerProvider;
    if (providerName == "MethodOnlyProvider")
        return new MethodOnlyProvider;
    if (providerName == "FailingInitProvider")
        return new FailingInitProvider;
    return 0;
}

// Counters the tests read through dlsym.
extern "C" PEGASUS_EXPORT int DispatchTestProviderInitialized()
{
    return gInitialized;
}

extern "C" PEGASUS_EXPORT int DispatchTestProviderTerminated()
{
    return gTerminated;
}
