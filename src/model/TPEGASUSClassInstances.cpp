// TPEGASUSClass: instances read from the providers' server namespaces
// (enumeration and single-instance retrieval) and method calls through a
// given object path.
#include "TPEGASUSClass.h"

#include <vector>

#include <Pegasus/Client/CIMClient.h>
#include <Pegasus/Client/CIMClientException.h>

#include "TKTAException.h"
#include "TPEGASUSInstance.h"
#include "TPEGASUSNamespace.h"
#include "TPEGASUSProvider.h"
#include "TPEGASUSValueConversion.h"
#include "TRootObject.h"

namespace NQRVKTA20 {

namespace {

void LogLine(int severity, std::string const& text)
{
    TRootObject::GetCoreLogger()->Log(severity, text);
}

std::string MessageOf(Pegasus::Exception const& e)
{
    return TPEGASUSNamespace::PegasusText(e.getMessage());
}

// The failure lines of one server instance's scope, the same in every
// reading operation.
void LogInstanceFailure(std::string const& className, Pegasus::Uint32 index)
{
    LogLine(3, "DEBUG2:TPEGASUSClass::EI KTA Error for: " + className + ", pegInst " +
                   std::to_string(index));
}

void LogInstanceFailure(std::string const& className, Pegasus::Uint32 index,
                        Pegasus::Exception const& e)
{
    LogLine(3, "DEBUG3:TPEGASUSClass::EI Error from Pegasus for: " + className + ", pegInst " +
                   std::to_string(index) + " returned exception: " + MessageOf(e));
}

// "<antecedent> Dependent<dependent>": the two ends of a record's
// association, for the log.
std::string AppliesToText(ICIMInstance& instance)
{
    return instance.GetProperty("Antecedent", TCIMContext())->GetValue(TCIMContext()).ToString(10) +
           " Dependent" +
           instance.GetProperty("Dependent", TCIMContext())->GetValue(TCIMContext()).ToString(10);
}

// Whether the provider's server namespace knows the class; logs the
// "Do not have class" line of `operation` when it does not.
bool NamespaceHasClass(Pegasus::CIMClient& client, TPEGASUSProvider& provider,
                       std::string const& nsp, std::string const& className,
                       const char* operation)
{
    try {
        Pegasus::CIMNamespaceName const* pegNamespace = provider.GetPegNamespace();
        if (pegNamespace == nullptr)
            throw Pegasus::Exception("the provider names no CIM namespace");
        client.getClass(*pegNamespace, Pegasus::CIMName(className.c_str()), false, true, false,
                        Pegasus::CIMPropertyList());
        return true;
    } catch (Pegasus::Exception const& e) {
        LogLine(3, std::string("TPEGASUSClass:") + operation + ". NSP :" + nsp +
                       " Do not have class " + className + "with pegasus exeption: " +
                       MessageOf(e));
        return false;
    }
}

// The class's instances in `nameSpace` (localOnly, no qualifiers or class
// origins); a malformed answer is logged and gives none.
Pegasus::Array<Pegasus::CIMInstance> ReadInstances(Pegasus::CIMClient& client,
                                                   Pegasus::CIMNamespaceName const& nameSpace,
                                                   std::string const& className,
                                                   bool deepInheritance)
{
    try {
        return client.enumerateInstances(nameSpace, Pegasus::CIMName(className.c_str()),
                                         deepInheritance, true, false, false,
                                         Pegasus::CIMPropertyList());
    } catch (Pegasus::CIMClientMalformedHTTPException const& e) {
        LogLine(3, MessageOf(e));
        return Pegasus::Array<Pegasus::CIMInstance>();
    }
}

// What a user misses when the enumeration of a class times out.
std::string TimeoutHint(std::string const& className)
{
    if (className == "VMware_HypervisorSoftwareIdentity")
        return "(may cause 'Operating System' table lost)";
    if (className == "OMC_IpmiLogRecord")
        return "(may cause 'IPMI Event' page  lost)";
    if (className == "VMware_ComponentSoftwareIdentity")
        return "(may cause 'Installed Applications' page  lost)";
    if (className == "QRV_StandardMessageLogEntry")
        return "(may cause 'Chassis Event log' page  lost)";
    return std::string();
}

// The referenced class named in an instance path after the property name:
// "...<name>...:<class>.<keys>".  Empty when the path does not hold it.
std::string ReferencedClassName(std::string const& path, std::string const& property)
{
    std::string::size_type at = path.find(property);
    if (at == std::string::npos)
        return std::string();
    std::string rest = path.substr(at + 1);
    std::string::size_type colon = rest.find(':');
    if (colon == std::string::npos)
        return std::string();
    rest = rest.substr(colon + 1);
    std::string::size_type dot = rest.find('.');
    if (dot == std::string::npos)
        return std::string();
    return rest.substr(0, dot);
}

// The text and the lookup key of a server property name, remembered by
// the property's position: the instances of one answer name their
// properties alike, and comparing a name costs less than converting and
// checking it again.
struct TPropertyName {
    Pegasus::String server;
    std::string text;
    std::string key;
    bool haveText = false;
    bool haveKey = false;
};
typedef std::vector<TPropertyName> TPropertyNames;

// Converts and sets every property of `onServer` on `instance`; a property
// that fails is logged (naming `operation`) and skipped.  `className` and
// `nsp` are the class's name and server namespace text; `names` carries the
// converted names from one instance to the next.
void FillFromServer(TPEGASUSInstance& instance, Pegasus::CIMInstance const& onServer,
                    std::string const& operation, std::string const& className,
                    std::string const& nsp, boost::shared_ptr<TPEGASUSNamespace> const& ns,
                    TPropertyNames& names)
{
    // The path text is needed only to name the class a reference refers to.
    std::string path;
    bool havePath = false;
    Pegasus::Uint32 const count = onServer.getPropertyCount();
    if (names.size() < count)
        names.resize(count);
    boost::shared_ptr<ICIMClass> const cls = instance.GetClass(TCIMContext());
    for (Pegasus::Uint32 i = 0; i < count; ++i) {
        Pegasus::CIMConstProperty const property = onServer.getProperty(i);
        Pegasus::String const& serverName = property.getName().getString();
        TPropertyName& name = names[i];
        if (!name.haveText || !Pegasus::String::equal(name.server, serverName)) {
            name.haveText = name.haveKey = false;
            name.text = TPEGASUSNamespace::PegasusText(serverName);
            name.server = serverName;
            name.haveText = true;
        }
        std::string const& pname = name.text;
        try {
            if (!name.haveKey) {
                name.key = TPEGASUSNamespace::NormalizeName(pname);
                name.haveKey = true;
            }
            std::string const& key = name.key;
            TCIMValue value;
            if (property.getType() == Pegasus::CIMTYPE_REFERENCE && ns) {
                if (!havePath) {
                    path = TPEGASUSNamespace::PegasusText(onServer.getPath().toString());
                    havePath = true;
                }
                std::string const referenced = ReferencedClassName(path, pname);
                if (!referenced.empty()) {
                    TCIMContext context;
                    context["nsp"] = TCIMValue(nsp);
                    value.SetReferencedClass(ns->GetClass(referenced, context));
                }
            }
            Pegasus::CIMValue const& onServerValue = property.getValue();
            if (!onServerValue.isNull())
                pegValToKTA(pname, onServerValue, property.getType(), property.isArray(), value,
                            cls);
            // A missing instance id is shown as an empty one.
            if (pname.find("InstanceID") != std::string::npos && value.ToString(10).empty())
                value.Set(value.ToString(10));
            if (className == "OMC_ProcessorSlot" && pname == "Number") {
                instance.GetProperty("Number", TCIMContext());
                int const number = value;
                instance.SetPropertyValue(key, TCIMValue(static_cast<unsigned short>(number)),
                                          TCIMContext());
            } else {
                instance.SetPropertyValue(key, value, TCIMContext());
            }
        } catch (TKTAException const&) {
            LogLine(3, "4TPEGASUSClass::" + operation + " - Unable to retrieve property: " + pname);
        }
    }
}

} // namespace

Pegasus::CIMClient* TPEGASUSClass::ChooseClient() const
{
    if (fProvider && fProvider->getPegClient())
        return fProvider->getPegClient();
    boost::shared_ptr<TPEGASUSNamespace> ns = LockNamespace();
    if (!ns || !ns->getPegClient())
        throw TKTAException(TKTAStatusCode::kConnectionFailed, "no CIM client for " + fName);
    return ns->getPegClient();
}

boost::shared_ptr<TPEGASUSInstance> TPEGASUSClass::NewServerInstance()
{
    return boost::static_pointer_cast<TPEGASUSInstance>(AllocateInstance(TCIMContext()));
}

void TPEGASUSClass::FillInstance(TPEGASUSInstance& instance, Pegasus::CIMInstance const& onServer,
                                 std::string const& operation)
{
    TPropertyNames names;
    FillFromServer(instance, onServer, operation, fName, fPegasusNSPStr, LockNamespace(), names);
}

void TPEGASUSClass::EnumerateInstances(TInstanceCallback const& callback, bool deepInheritance,
                                       TCIMContext)
{
    LogLine(3, "TPEGASUSClass::EnumerateInstances " + fName);
    fInstances.clear();
    boost::shared_ptr<TPEGASUSNamespace> ns = LockNamespace();
    if (!ns)
        throw TKTAException(TKTAStatusCode::kNotFound, "the namespace of " + fName + " is gone");
    std::list<boost::shared_ptr<TPEGASUSProvider>> const providers = ns->GetProvidersContainer();
    if (providers.empty())
        return;

    Pegasus::Uint32 timeout = static_cast<Pegasus::Uint32>(fTimeout);
    if (fName.find("AvailableDiagnosticService") != std::string::npos)
        timeout = 199000;
    else if (fName.find("SoftwareIdentity") != std::string::npos)
        timeout = 301000;

    TPropertyNames names;
    for (boost::shared_ptr<TPEGASUSProvider> const& provider : providers) {
        std::string const nsp = provider->GetNameSpaceName(TCIMContext());
        try {
            Pegasus::CIMClient* client = ChooseClient();
            try {
                client->setTimeout(timeout);
                LogLine(3, "TPEGASUSClass:EnumerateInstances. Calling NSP =  " + nsp);
                if (!NamespaceHasClass(*client, *provider, nsp, fName, "EnumerateInstances"))
                    continue;
                Pegasus::Array<Pegasus::CIMInstance> instances = ReadInstances(
                    *client, *provider->GetPegNamespace(), fName, deepInheritance);
                LogLine(3, "DEBUG: TPEGASUSClass:EnumerateInstances get instance of " + fName +
                               " count: " + std::to_string(instances.size()) + "\n");
                for (Pegasus::Uint32 i = 0; i < instances.size(); ++i) {
                    try {
                        boost::shared_ptr<TPEGASUSInstance> instance = NewServerInstance();
                        FillFromServer(*instance, instances[i], "EnumerateInstances", fName,
                                       fPegasusNSPStr, ns, names);
                        instance->setPegNameSpace(*fPegasusNSP);
                        instance->SetPegasusNSPStr(nsp);
                        instance->setPegInstanceName(instances[i].getPath());
                        // The server's copy is no longer needed: freeing it
                        // now lets the host instances reuse its memory, so
                        // the enumeration's peak stays near the larger of
                        // the two instead of their sum.
                        instances[i] = Pegasus::CIMInstance();
                        AddInstance(instance);
                        if (fName == "CIM_RecordAppliesToElement") {
                            LogLine(3, "TPEGASUSClass::EnumerateInstances Antecedent = " +
                                           AppliesToText(*instance));
                        }
                        LogLine(3, "TPEGASUSClass::EnumerateInstances nsp=" +
                                       instance->GetPegasusNSPStr() + "\n");
                        if (!callback(instance))
                            return;
                    } catch (TKTAException const&) {
                        LogInstanceFailure(fName, i);
                    } catch (Pegasus::Exception const& e) {
                        LogInstanceFailure(fName, i, e);
                    }
                }
            } catch (Pegasus::ConnectionTimeoutException const& e) {
                LogLine(0, "Get Instances for: " + fName + " returned ConnectionTimeoutException: " +
                               MessageOf(e) + TimeoutHint(fName));
            } catch (Pegasus::Exception const& e) {
                LogLine(3, "DEBUG1:TPEGASUSClass::EnumerateInstances from Pegasus for: " + fName +
                               " returned exception: " + MessageOf(e));
            }
        } catch (Pegasus::Exception const& e) {
            LogLine(3, "TPEGASUSClass::EnumerateInstances from Pegasus for: " + fName +
                           " returned exception: " + MessageOf(e));
        }
    }
}

boost::shared_ptr<ICIMInstance> TPEGASUSClass::GetInstance(TCIMReference const& reference,
                                                           TCIMContext context)
{
    LogLine(3, "TPEGASUSClass::GetInstance : " + reference.GetClassName() + "\nWith path = " +
                   reference.GetPath());
    if (context.find("nsp") != context.end())
        return GetInstanceWithNsp(reference, TCIMContext(context));

    boost::shared_ptr<TPEGASUSInstance> result;
    try {
        Pegasus::CIMClient* client = ChooseClient();
        try {
            client->setTimeout(static_cast<Pegasus::Uint32>(fTimeout));
            LogLine(3, "DEBUG: TPEGASUSClass:GetInstance pegclient object before GetInstance "
                       "call ()\n");
            Pegasus::Array<Pegasus::CIMInstance> instances =
                ReadInstances(*client, *fPegasusNSP, fName, false);
            LogLine(3, "DEBUG: TPEGASUSClass:GetInstance get instance of " + fName + "\n" + fName +
                           " instance size " + std::to_string(instances.size()) + "\n");
            for (Pegasus::Uint32 i = 0; i < instances.size(); ++i) {
                try {
                    std::string const path =
                        TPEGASUSNamespace::PegasusText(instances[i].getPath().toString());
                    LogLine(3, "objPath from Pegasus : " + path);
                    if (path != reference.GetPath())
                        continue;
                    LogLine(3, "TPEGASUSClass:GetInstance ObjectPath matched : " +
                                   reference.GetPath());
                    // The result is set before it is filled: a failure
                    // while filling leaves what was built.
                    result = NewServerInstance();
                    FillInstance(*result, instances[i], "GetInstance");
                    result->setPegNameSpace(*fPegasusNSP);
                    result->setPegInstanceName(instances[i].getPath());
                } catch (TKTAException const&) {
                    LogInstanceFailure(fName, i);
                } catch (Pegasus::Exception const& e) {
                    LogInstanceFailure(fName, i, e);
                }
            }
        } catch (Pegasus::Exception const& e) {
            LogLine(3, "DEBUG1:TPEGASUSClass::GetInstance from Pegasus for: " + fName +
                           " returned exception: " + MessageOf(e));
        }
    } catch (Pegasus::Exception const& e) {
        LogLine(3, "TPEGASUSClass::GetInstance from Pegasus for: " + fName +
                       " returned exception: " + MessageOf(e));
    }
    return result;
}

boost::shared_ptr<ICIMInstance> TPEGASUSClass::GetInstanceWithNsp(TCIMReference const& reference,
                                                                  TCIMContext context)
{
    std::string const nsp = context["nsp"].ToString(10);
    LogLine(3, "Entering TPEGASUSClass::GetInstanceWithNsp class = " + reference.GetClassName() +
                   " nsp = " + nsp);
    boost::shared_ptr<TPEGASUSNamespace> ns = LockNamespace();
    if (!ns)
        throw TKTAException(TKTAStatusCode::kNotFound, "the namespace of " + fName + " is gone");
    std::list<boost::shared_ptr<TPEGASUSProvider>> const providers = ns->GetProvidersContainer();

    for (boost::shared_ptr<TPEGASUSProvider> const& provider : providers) {
        std::string const providerNsp = provider->GetNameSpaceName(context);
        try {
            Pegasus::CIMClient* client = ChooseClient();
            try {
                client->setTimeout(static_cast<Pegasus::Uint32>(fTimeout));
                LogLine(3, "TPEGASUSClass:GetInstanceWithNsp. Calling NSP =  " + providerNsp);
                if (providerNsp != nsp)
                    continue;
                if (!NamespaceHasClass(*client, *provider, providerNsp, fName,
                                       "GetInstanceWithNsp"))
                    continue;
                Pegasus::Array<Pegasus::CIMInstance> instances =
                    ReadInstances(*client, *provider->GetPegNamespace(), fName, false);
                LogLine(3, "DEBUG: TPEGASUSClass:GetInstanceWithNsp get instance of " + fName +
                               " count: " + std::to_string(instances.size()) + "\n");
                for (Pegasus::Uint32 i = 0; i < instances.size(); ++i) {
                    try {
                        std::string const path =
                            TPEGASUSNamespace::PegasusText(instances[i].getPath().toString());
                        LogLine(3, "objPath from Pegasus : " + path);
                        if (path != reference.GetPath())
                            continue;
                        LogLine(3, "TPEGASUSClass:GetInstanceWithNsp ObjectPath matched : " +
                                       reference.GetPath());
                        boost::shared_ptr<TPEGASUSInstance> instance = NewServerInstance();
                        FillInstance(*instance, instances[i], "GetInstanceWithNsp");
                        if (fName == "CIM_RecordAppliesToElement") {
                            LogLine(3, "TPEGASUSClass::GetInstanceWithNsp Antecedent = " +
                                           AppliesToText(*instance));
                        }
                        LogLine(3, "TPEGASUSClass::GetInstanceWithNsp nsp=" +
                                       instance->GetPegasusNSPStr() + "\n");
                        instance->setPegNameSpace(*fPegasusNSP);
                        instance->setPegInstanceName(instances[i].getPath());
                        instance->SetPegasusNSPStr(providerNsp);
                        return instance;
                    } catch (TKTAException const&) {
                        LogInstanceFailure(fName, i);
                    } catch (Pegasus::Exception const& e) {
                        LogInstanceFailure(fName, i, e);
                    }
                }
            } catch (Pegasus::Exception const& e) {
                LogLine(3, "DEBUG1:TPEGASUSClass::GetInstanceWithNsp from Pegasus for: " + fName +
                               " returned exception: " + MessageOf(e));
            }
        } catch (Pegasus::Exception const& e) {
            LogLine(3, "TPEGASUSClass::GetInstanceWithNsp from Pegasus for: " + fName +
                           " returned exception: " + MessageOf(e));
        }
    }
    return boost::shared_ptr<ICIMInstance>();
}

TCIMValue TPEGASUSClass::InvokeMethod(TCIMReference const& reference, std::string const& name,
                                      TCIMContext const& in, TCIMContext& out, TCIMContext)
{
    Pegasus::CIMObjectPath const path(reference.GetPath().c_str());
    Pegasus::CIMName const methodName(name.c_str());
    Pegasus::Array<Pegasus::CIMParamValue> inParams;
    Pegasus::Array<Pegasus::CIMParamValue> outParams;
    for (TCIMContext::value_type const& argument : in) {
        Pegasus::CIMValue value;
        ktaValToPeg(argument.second, value);
        inParams.append(Pegasus::CIMParamValue(argument.first.c_str(), value, true));
    }
    boost::shared_ptr<TPEGASUSNamespace> ns = LockNamespace();
    if (!ns || !ns->getPegClient() || !fPegasusNSP)
        throw TKTAException(TKTAStatusCode::kConnectionFailed, "no CIM client for " + fName);
    Pegasus::CIMValue const returned =
        ns->getPegClient()->invokeMethod(*fPegasusNSP, path, methodName, inParams, outParams);
    boost::shared_ptr<ICIMClass> self = shared_from_this();
    AddMethodOutputs(outParams, out, self, false);
    return MethodValue("", returned, self);
}

TCIMValue TPEGASUSClass::MethodValue(std::string const& name, Pegasus::CIMValue const& value,
                                     boost::shared_ptr<ICIMClass> const& cls)
{
    // A method that returned nothing (or failed) gives a null value, not
    // the false a null boolean would convert to.
    TCIMValue converted;
    if (!value.isNull())
        pegValToKTA(name, value, value.getType(), value.isArray(), converted, cls);
    return converted;
}

void TPEGASUSClass::AddMethodOutputs(Pegasus::Array<Pegasus::CIMParamValue> const& outParams,
                                     TCIMContext& out, boost::shared_ptr<ICIMClass> const& cls,
                                     bool logEach)
{
    for (Pegasus::Uint32 i = 0; i < outParams.size(); ++i) {
        std::string const name = TPEGASUSNamespace::PegasusText(outParams[i].getParameterName());
        // An output already present keeps its value.
        out.insert(TCIMContext::value_type(name, MethodValue(name, outParams[i].getValue(), cls)));
        if (logEach)
            LogLine(3, "adding output param : " + name);
    }
}

} // namespace NQRVKTA20
