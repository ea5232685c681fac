// TPEGASUSInstance: the host's in-memory instance plus the server namespace
// and object path it was read with.
#include "TPEGASUSInstance.h"

#include <Pegasus/Client/CIMClient.h>
#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/CIMObjectPath.h>
#include <Pegasus/Common/CIMParamValue.h>

#include "ICIMMethodDecl.h"
#include "ICIMParameterDecl.h"
#include "ICIMQualifier.h"
#include "TKTAException.h"
#include "TPEGASUSClass.h"
#include "TPEGASUSInstanceProperty.h"
#include "TPEGASUSNamespace.h"
#include "TRootObject.h"

namespace NQRVKTA20 {

TPEGASUSInstance::TPEGASUSInstance(boost::shared_ptr<ICIMClass> cls, TCIMContext)
    : TInmemInstance(cls, 3), fPegNameSpace(new Pegasus::CIMNamespaceName()),
      fPegInstanceName(new Pegasus::CIMObjectPath())
{
}

TPEGASUSInstance::~TPEGASUSInstance() {}

void TPEGASUSInstance::AddToNamespace(TCIMContext)
{
    boost::shared_ptr<TPEGASUSClass> cls =
        boost::dynamic_pointer_cast<TPEGASUSClass>(GetClass(TCIMContext()));
    if (!cls)
        throw TKTAException(TKTAStatusCode::kWrongType,
                            "TPEGASUSInstance::AddToNamespace: the instance's class is not "
                            "a class of the pegasus namespace");
    boost::shared_ptr<TPEGASUSInstance> self =
        boost::static_pointer_cast<TPEGASUSInstance>(shared_from_this());
    cls->AddInstance(self);
}

boost::shared_ptr<ICIMProperty> TPEGASUSInstance::GetProperty(std::string const& name,
                                                              TCIMContext context)
{
    return boost::shared_ptr<ICIMProperty>(
        new TPEGASUSInstanceProperty(TInmemInstance::GetProperty(name, context)));
}

void TPEGASUSInstance::EnumerateProperties(TPropertyCallback const& callback, TCIMContext context)
{
    TInmemInstance::EnumerateProperties(
        [&callback](boost::shared_ptr<ICIMProperty> holder) {
            return callback(
                boost::shared_ptr<ICIMProperty>(new TPEGASUSInstanceProperty(holder)));
        },
        context);
}

std::string TPEGASUSInstance::GetPegasusNSPStr() const
{
    return fPegasusNSPStr;
}

TCIMValue TPEGASUSInstance::InvokeMethod(std::string const& name, TCIMContext& in,
                                         TCIMContext& out, TCIMContext)
{
    Pegasus::CIMName const methodName(name.c_str());
    Pegasus::Array<Pegasus::CIMParamValue> inParams;
    Pegasus::Array<Pegasus::CIMParamValue> outParams;
    boost::shared_ptr<ICIMClass> cls = GetClass(TCIMContext());
    // Arguments go by their parameters' IN and OUT qualifiers (both, one,
    // or neither: not sent), each as an object path read from its text.
    for (TCIMContext::value_type const& argument : in) {
        auto parameter = [&]() {
            boost::shared_ptr<ICIMMethodDecl> method = cls->GetMethodDecl(name, TCIMContext());
            if (!method)
                throw TKTAException(TKTAStatusCode::kNotFound,
                                    "method " + name + " of class " + cls->GetName(TCIMContext()));
            return method->GetParameterDecl(argument.first, TCIMContext());
        };
        if (parameter()->GetQualifier("OUT", TCIMContext()))
            outParams.append(Pegasus::CIMParamValue(
                argument.first.c_str(),
                Pegasus::CIMValue(Pegasus::CIMObjectPath(argument.second.ToString(10).c_str())),
                true));
        if (parameter()->GetQualifier("IN", TCIMContext()))
            inParams.append(Pegasus::CIMParamValue(
                argument.first.c_str(),
                Pegasus::CIMValue(Pegasus::CIMObjectPath(argument.second.ToString(10).c_str())),
                true));
    }

    boost::shared_ptr<TPEGASUSNamespace> ns =
        boost::dynamic_pointer_cast<TPEGASUSNamespace>(cls->GetNamespace(TCIMContext()));
    if (!ns || !ns->getPegClient())
        throw TKTAException(TKTAStatusCode::kConnectionFailed,
                            "no CIM client for method " + name);
    Pegasus::CIMValue returned;
    try {
        ns->getPegClient()->setTimeout(300000);
        returned = ns->getPegClient()->invokeMethod(*fPegNameSpace, *fPegInstanceName, methodName,
                                                    inParams, outParams);
    } catch (Pegasus::Exception const& e) {
        TRootObject::GetCoreLogger()->Log(
            3, "pegClient->invokeMethod returned exception: " +
                   TPEGASUSNamespace::PegasusText(e.getMessage()));
        returned = Pegasus::CIMValue();
    }
    TCIMValue const result = TPEGASUSClass::MethodValue("", returned, cls);
    TPEGASUSClass::AddMethodOutputs(outParams, out, cls, true);
    return result;
}

void TPEGASUSInstance::setPegNameSpace(Pegasus::CIMNamespaceName const& ns)
{
    *fPegNameSpace = ns;
}

void TPEGASUSInstance::setPegInstanceName(Pegasus::CIMObjectPath const& path)
{
    *fPegInstanceName = path;
}

} // namespace NQRVKTA20
