// TPEGASUSInstance: the host's in-memory instance plus the server namespace
// and object path it was read with.
#include "TPEGASUSInstance.h"

#include <Pegasus/Common/CIMName.h>
#include <Pegasus/Common/CIMObjectPath.h>

#include "TKTAException.h"
#include "TPEGASUSClass.h"

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

std::string TPEGASUSInstance::GetPegasusNSPStr() const
{
    return fPegasusNSPStr;
}

TCIMValue TPEGASUSInstance::InvokeMethod(std::string const&, TCIMContext&, TCIMContext&,
                                         TCIMContext)
{
    throw TKTAException(TKTAStatusCode::kNotSupported,
                        "method calls through the server are not offered yet");
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
