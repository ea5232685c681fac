// The provider the end-to-end tests register with a running server, for the
// class IT_Gadget (keys: Id).  It serves two fixed gadgets, "g1" and "g2",
// and fails on purpose where a test asks it to:
//
//   getInstance  Id="locked"  CIMAccessDeniedException("gadget is locked")
//                Id="jammed"  std::runtime_error("gadget jammed")
//                other ids    CIMObjectNotFoundException(<id>)
//   Echo(Text)                returns Text, out parameter Length
//   Fail(Code)                CIMException(<Code>, "failing on request")
//
// Provider names: "ITGadgetProvider"; "ITBrokenProvider", whose initialize()
// throws std::runtime_error("no gadget bus"); any other name gets 0.
#include <Pegasus/Provider/CIMInstanceProvider.h>
#include <Pegasus/Provider/CIMMethodProvider.h>
#include <Pegasus/Provider/ProviderException.h>

#include <stdexcept>

PEGASUS_USING_PEGASUS;

namespace {

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

CIMObjectPath gadgetPath(const String& id)
{
    Array<CIMKeyBinding> keys;
    keys.append(CIMKeyBinding(CIMName("Id"), id, CIMKeyBinding::STRING));
    return CIMObjectPath(String(), CIMNamespaceName(), CIMName("IT_Gadget"),
                         keys);
}

CIMInstance gadget(const String& id, const String& label, Uint32 size)
{
    CIMInstance instance(CIMName("IT_Gadget"));
    instance.addProperty(CIMProperty(CIMName("Id"), id));
    instance.addProperty(CIMProperty(CIMName("Label"), label));
    instance.addProperty(CIMProperty(CIMName("Size"), size));
    instance.setPath(gadgetPath(id));
    return instance;
}

const struct
{
    const char* id;
    const char* label;
    Uint32 size;
} kGadgets[] = {{"g1", "first gadget", 1}, {"g2", "second gadget", 2}};

CIMValue inParameter(const Array<CIMParamValue>& in, const char* name)
{
    for (Uint32 i = 0; i < in.size(); i++)
    {
        if (String::equalNoCase(in[i].getParameterName(), name))
            return in[i].getValue();
    }
    return CIMValue();
}

class GadgetProvider : public CIMInstanceProvider, public CIMMethodProvider
{
public:
    void initialize(CIMOMHandle&) override {}
    void terminate() override { delete this; }

    void getInstance(const OperationContext&, const CIMObjectPath& reference,
                     const Boolean, const Boolean, const CIMPropertyList&,
                     InstanceResponseHandler& handler) override
    {
        const String id = keyOf(reference);
        if (id == "locked")
            throw CIMAccessDeniedException("gadget is locked");
        if (id == "jammed")
            throw std::runtime_error("gadget jammed");
        for (const auto& g : kGadgets)
        {
            if (id == g.id)
            {
                handler.processing();
                handler.deliver(gadget(g.id, g.label, g.size));
                handler.complete();
                return;
            }
        }
        throw CIMObjectNotFoundException(id);
    }

    void enumerateInstances(const OperationContext&, const CIMObjectPath&,
                            const Boolean, const Boolean,
                            const CIMPropertyList&,
                            InstanceResponseHandler& handler) override
    {
        handler.processing();
        for (const auto& g : kGadgets)
            handler.deliver(gadget(g.id, g.label, g.size));
        handler.complete();
    }

    void enumerateInstanceNames(const OperationContext&,
                                const CIMObjectPath&,
                                ObjectPathResponseHandler& handler) override
    {
        handler.processing();
        for (const auto& g : kGadgets)
            handler.deliver(gadgetPath(g.id));
        handler.complete();
    }

    void createInstance(const OperationContext&, const CIMObjectPath&,
                        const CIMInstance&,
                        ObjectPathResponseHandler&) override
    {
        throw CIMNotSupportedException("gadgets are fixed");
    }

    void modifyInstance(const OperationContext&, const CIMObjectPath&,
                        const CIMInstance&, const Boolean,
                        const CIMPropertyList&, ResponseHandler&) override
    {
        throw CIMNotSupportedException("gadgets are fixed");
    }

    void deleteInstance(const OperationContext&, const CIMObjectPath&,
                        ResponseHandler&) override
    {
        throw CIMNotSupportedException("gadgets are fixed");
    }

    void invokeMethod(const OperationContext&, const CIMObjectPath&,
                      const CIMName& method, const Array<CIMParamValue>& in,
                      MethodResultResponseHandler& handler) override
    {
        if (method.equal("Echo"))
        {
            String text;
            inParameter(in, "Text").get(text);
            handler.processing();
            handler.deliverParamValue(
                CIMParamValue("Length", CIMValue(Uint32(text.size()))));
            handler.deliver(CIMValue(text));
            handler.complete();
            return;
        }
        if (method.equal("Fail"))
        {
            Uint32 code = 0;
            inParameter(in, "Code").get(code);
            throw CIMException(CIMStatusCode(code), "failing on request");
        }
        throw CIMMethodNotFoundException(method.getString());
    }
};

class BrokenProvider : public GadgetProvider
{
public:
    void initialize(CIMOMHandle&) override { throw std::runtime_error("no gadget bus"); }
};

}  // namespace

extern "C" PEGASUS_EXPORT CIMProvider* PegasusCreateProvider(
    const String& providerName)
{
    if (providerName == "ITGadgetProvider")
        return new GadgetProvider;
    if (providerName == "ITBrokenProvider")
        return new BrokenProvider;
    return 0;
}
