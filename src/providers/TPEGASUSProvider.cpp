// TPEGASUSProvider: settings, the classes handed to the host's inventory and
// the provider's own CIM client.
#include "TPEGASUSProvider.h"


#include <Pegasus/Client/CIMClient.h>
#include <Pegasus/Common/CIMName.h>

#include "ICIMClass.h"
#include "ICIMQualifier.h"
#include "TKTAException.h"
#include "TKTAStatusCode.h"
#include "TPEGASUSClass.h"
#include "TPEGASUSNamespace.h"
#include "TRootObject.h"

namespace NQRVKTA20 {

namespace {

void LogLine(int severity, std::string const& text)
{
    TRootObject::GetCoreLogger()->Log(severity, text);
}

// The tag registration gave the class; empty for a class of another kind.
std::string TagOf(boost::shared_ptr<ICIMClass> const& cls)
{
    boost::shared_ptr<TPEGASUSClass> pegasusClass = boost::dynamic_pointer_cast<TPEGASUSClass>(cls);
    return pegasusClass ? pegasusClass->GetTag() : std::string();
}

// Whether the class may be handed to the inventory: not abstract, and no
// "DONTCOLLECT" qualifier that is true.  A qualifier value that is not a
// boolean throws TKTAException 14.
bool IsCollected(ICIMClass const& cls)
{
    TCIMContext const none;
    if (cls.IsAbstract(none))
        return false;
    boost::shared_ptr<ICIMQualifier> dontCollect = cls.GetQualifier("DONTCOLLECT", none);
    if (!dontCollect)
        return true;
    TCIMValue const& value = dontCollect->GetValue(none);
    return value.IsNull() || !static_cast<bool>(value);
}

} // namespace

TPEGASUSProvider::TPEGASUSProvider()
    : fInitialized(false), fDiagnosticOnly(false), fConnected(false), fPort(0)
{
}

TPEGASUSProvider::~TPEGASUSProvider() = default;

std::string TPEGASUSProvider::GetName(TCIMContext) const
{
    return fName;
}

std::string TPEGASUSProvider::GetModuleName(TCIMContext) const
{
    return fModuleName;
}

std::string TPEGASUSProvider::GetDescription(TCIMContext) const
{
    return fDescription;
}

boost::shared_ptr<ICIMNamespace> TPEGASUSProvider::GetNamespace(TCIMContext) const
{
    throw TKTAException(TKTAStatusCode::kNotSupported,
                        "TPEGASUSProvider::GetNamespace is not offered");
}

void TPEGASUSProvider::EnumerateClassesProvided(TClassCallback const& callback, TCIMContext)
{
    for (boost::shared_ptr<ICIMClass> const& cls : fCollectedClasses) {
        if (!cls)
            continue;
        std::string const& className = cls->GetName(TCIMContext());
        if (TagOf(cls) == "CDM") {
            LogLine(3, "TPEGASUSProvider::EnumerateClassesProvided ignored one CDM class: " +
                           className + "\n");
            continue;
        }
        try {
            if (!IsCollected(*cls))
                continue;
            LogLine(3, "TPEGASUSProvider::EnumerateClassesProvided Asking plugin " +
                           GetName(TCIMContext()) + " for " + className);
            if (!callback(cls))
                return;
        } catch (TKTAException const& e) {
            LogLine(3, std::string("TPEGASUSProvider::EnumerateClassesProvided catch exection : ") +
                           e.what());
        }
    }
}

IProvider& TPEGASUSProvider::operator=(IProvider const&)
{
    return *this;
}

void TPEGASUSProvider::SetNameSpaceName(std::string name)
{
    // Built first, so that an invalid text leaves the provider unchanged.
    std::unique_ptr<Pegasus::CIMNamespaceName> pegNamespace;
    if (!name.empty()) {
        try {
            pegNamespace.reset(new Pegasus::CIMNamespaceName(Pegasus::String(name.c_str())));
        } catch (Pegasus::Exception const& e) {
            throw TKTAException(TKTAStatusCode::kInvalidName,
                                TPEGASUSNamespace::PegasusText(e.getMessage()));
        }
    }
    fNameSpaceName = name;
    fPegNamespace = std::move(pegNamespace);
}

std::string TPEGASUSProvider::GetNameSpaceName(TCIMContext) const
{
    return fNameSpaceName;
}

bool TPEGASUSProvider::IsClassesProvided(std::string name)
{
    for (boost::shared_ptr<ICIMClass> const& cls : fCollectedClasses)
        if (cls && cls->GetName(TCIMContext()) == name)
            return true;
    return false;
}

void TPEGASUSProvider::initPegasusClient()
{
    try {
        if (!fPegClient)
            fPegClient.reset(new Pegasus::CIMClient);
        fPegClient->setTimeout(10000);
    } catch (Pegasus::Exception const& e) {
        std::string const message = TPEGASUSNamespace::PegasusText(e.getMessage());
        LogLine(3, "TPEGASUSProvider: Pegasus Client Creation Fail: " + message);
        throw TKTAException(TKTAStatusCode::kConnectionFailed, message);
    }
}

void TPEGASUSProvider::connectPegasusClient(std::string const& host, unsigned short port,
                                            std::string const& user,
                                            std::string const& password)
{
    fHost = host;
    fPort = port;
    fUser = user;
    fPassword = password;
    if (fConnected)
        return;
    LogLine(3, "TPEGASUSProvider::connect enter");
    if (!fPegClient)
        throw TKTAException(TKTAStatusCode::kConnectionFailed, "no CIM client");
    TPEGASUSNamespace::ConnectClient(*fPegClient, "TPEGASUSProvider", host, port, user,
                                     password);
    fConnected = true;
}

} // namespace NQRVKTA20
