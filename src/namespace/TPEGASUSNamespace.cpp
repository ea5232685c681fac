// TPEGASUSNamespace: construction, start-up and connection, tear-down and the
// ICIMNamespace operations answered directly.  Class retrieval and the
// registries live in TPEGASUSNamespaceClasses.cpp, the server-management
// steps in TPEGASUSNamespaceServer.cpp (configuration) and
// TPEGASUSNamespaceProcess.cpp (process lifecycle), provider files in
// TPEGASUSNamespaceProviders.cpp.
#include "TPEGASUSNamespace.h"

#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <sstream>

#include <Pegasus/Client/CIMClient.h>

#include "ICIMClass.h"
#include "ICIMInstance.h"
#include "TKTAException.h"
#include "TPEGASUSClass.h"
#include "TPEGASUSNamespaceProvider.h"
#include "TPEGASUSProvider.h"
#include "TPEGASUSQualifierDecl.h"
#include "TRootObject.h"

namespace NQRVKTA20 {

namespace {

void LogLine(int severity, std::string const& text)
{
    TRootObject::GetCoreLogger()->Log(severity, text);
}

// The shared pointer whose address a context entry carries, or null when the
// entry is missing, not a kUint64 or zero.
boost::shared_ptr<ICIMNamespace>* NamespaceAddress(TCIMContext const& context,
                                                   std::string const& key)
{
    TCIMContext::const_iterator entry = context.find(key);
    if (entry == context.end() || entry->second.GetType() != kUint64)
        return nullptr;
    unsigned long long address = entry->second;
    return reinterpret_cast<boost::shared_ptr<ICIMNamespace>*>(
        static_cast<uintptr_t>(address));
}

} // namespace

const std::string TPEGASUSNamespace::kClassesExtension = ".classes.xml";
const std::string TPEGASUSNamespace::kSpecificationExtension = ".properties.mof";
const std::string TPEGASUSNamespace::kRegistrationExtension = ".registration.mof";

TPEGASUSNamespace::TPEGASUSNamespace(TCIMContext context, std::string)
    : fConnected(false), fPort(5988), fHost("127.0.0.1")
{
    fRootPath = GetKTARootPath();
    std::string const& root = fRootPath;
    fCimserverPath = root + "/pegasus/bin/cimserver";

    fEnvironment.push_back("PEGASUS_HOME=" + root + "/pegasus");
    // The host's own LD_LIBRARY_PATH is deliberately not carried over: the
    // server must load the installation's libraries and the providers'.
    std::string libraryPath = "LD_LIBRARY_PATH=" + root + "/pegasus/lib:" + root;
    static const char* const kLibraryProviders[] = {"broadcom", "mellanox", "intelCDM",
                                                    "brocade",  "fusionio", "nvidia"};
    for (const char* provider : kLibraryProviders)
        libraryPath += ":" + root + "/pegasus/provider/" + provider;
    fEnvironment.push_back(libraryPath);
    const char* path = getenv("PATH");
    fEnvironment.push_back("PATH=" + std::string(path ? path : "") + ":" + root + ":" + root +
                           "/pegasus/provider/mellanox");

    boost::shared_ptr<ICIMNamespace>* repository = NamespaceAddress(context, "repository");
    if (repository == nullptr)
        throw TKTAException(TKTAStatusCode::kInvalidRepository,
                            "the context holds no repository namespace");
    fRepository = *repository;

    boost::shared_ptr<ICIMNamespace>* upcall = NamespaceAddress(context, "upcall");
    if (upcall != nullptr)
        fUpcallNamespace = *upcall;
}

TPEGASUSNamespace::~TPEGASUSNamespace()
{
    // Classes, their declarations and their cached instances point at each
    // other; emptying every class breaks those cycles so that nothing of the
    // namespace outlives it.
    if (fRootClass)
        fRootClass->ClearInstances();
    for (auto const& entry : fClasses)
        entry.second->ClearInstances();
    fClasses.clear();
    fQualifierDecls.clear();
    fRootClass.reset();
    // Providers and their classes hold each other.
    for (auto const& provider : fProviders)
        provider->SetCollectedClasses(std::vector<boost::shared_ptr<ICIMClass>>());
    fProviders.clear();

    // Each step is guarded on its own: a stop request that cannot be sent
    // must not keep the repository from being removed.
    try {
        closeCimserver(true);
    } catch (std::exception const& e) {
        LogLine(0, std::string("TPEGASUSNamespace: stopping cimserver failed: ") + e.what());
    } catch (...) {
        LogLine(0, "TPEGASUSNamespace: stopping cimserver failed");
    }
    try {
        cleanCimserver();
    } catch (...) {
    }
}

void TPEGASUSNamespace::cleanup()
{
    closeCimserver(true);
    cleanCimserver();
}

bool TPEGASUSNamespace::PegasusAsciiText(Pegasus::String const& text, std::string& out)
{
    Pegasus::Uint32 const size = text.size();
    Pegasus::Char16 const* units = text.getChar16Data();
    out.resize(size);
    for (Pegasus::Uint32 i = 0; i < size; ++i) {
        Pegasus::Uint16 const unit = units[i];
        if (unit == 0 || unit > 0x7F)
            return false;
        out[i] = static_cast<char>(unit);
    }
    return true;
}

std::string TPEGASUSNamespace::PegasusText(Pegasus::String const& text)
{
    // Most texts are ASCII: copied straight, without the UTF-8 buffer.
    std::string ascii;
    if (PegasusAsciiText(text, ascii))
        return ascii;
    Pegasus::CString utf8 = text.getCString();
    const char* chars = utf8;
    return chars ? std::string(chars) : std::string();
}

std::string TPEGASUSNamespace::NormalizeName(std::string const& name)
{
    std::string lower(name);
    for (char& c : lower)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    for (std::string::size_type i = 0; i < lower.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(lower[i]);
        bool valid = c == '_' || (i == 0 ? isalpha(c) != 0 : isalnum(c) != 0);
        if (!valid) {
            LogLine(0, "PEGASUS: CIM name '" + name + "' is invalid");
            throw TKTAException(TKTAStatusCode::kInvalidName, name);
        }
    }
    return lower;
}

void TPEGASUSNamespace::Initialize(TCIMContext context)
{
    TCIMContext::const_iterator consumer = context.find("consumer");
    fConsumer = consumer == context.end() ? std::string("wexlo") : consumer->second.ToString(10);
    LogLine(3, "PEGASUS NSP with the consumer: " + fConsumer);

    for (int attempt = 1; attempt <= 6; ++attempt) {
        try {
            cleanCimserver();
            closeCimserver(false);
            fPort = getAvailablePort();
            fPortText = std::to_string(fPort);
            callCimserver(fPort);
            Init();
            connect(fHost, fPort, "", "");
            break;
        } catch (TKTAException const& e) {
            std::ostringstream text;
            text << "TPEGASUSNamespace::connect failed: " << e.what()
                 << " try to restart cimserver " << attempt << std::endl;
            LogLine(0, text.str());
            SystemCalls().sleep(1);
        }
    }

    fRootClass = boost::static_pointer_cast<TPEGASUSClass>(
        AllocateClass("<root>", "root/cimv2", strTimeout, boost::shared_ptr<ICIMClass>(),
                      TCIMContext()));

    std::string const& module = TPEGASUSNamespaceProvider::GetfgModulePathName();
    callCimmof("root/PG_Internal", module + "/pegasus/pegSchema/PG_Internal/PG_Internal.mof");
    callCimmof("root/PG_InterOp", module + "/pegasus/pegSchema/PG_InterOp/PG_InterOp.mof");
    preConfig();
}

void TPEGASUSNamespace::Init()
{
    try {
        if (!fPegClient)
            fPegClient.reset(new Pegasus::CIMClient);
        fPegClient->setTimeout(10000);
    } catch (Pegasus::Exception const& e) {
        LogLine(3, "TPEGASUSNamespace:Pegasus Client Creation Fail: " + PegasusText(e.getMessage()));
        throw TKTAException(TKTAStatusCode::kConnectionFailed, PegasusText(e.getMessage()));
    }
}

void TPEGASUSNamespace::connect(std::string const& host, uint32_t port, std::string const& user,
                                std::string const& password)
{
    if (fConnected)
        return;
    LogLine(3, "TPEGASUSNamespace::connect enter");
    if (!fPegClient)
        throw TKTAException(TKTAStatusCode::kConnectionFailed, "no CIM client");
    ConnectClient(*fPegClient, "TPEGASUSNamespace", host, port, user, password);
    fConnected = true;
}

void TPEGASUSNamespace::ConnectClient(Pegasus::CIMClient& client, std::string const& owner,
                                      std::string const& host, uint32_t port,
                                      std::string const& user, std::string const& password)
{
    for (int attempt = 1; attempt <= 3; ++attempt) {
        try {
            client.setTimeout(65535000);
            client.connect(Pegasus::String(host.c_str()), port, Pegasus::String(user.c_str()),
                           Pegasus::String(password.c_str()));
            LogLine(3, owner + "::connect succeeded \n");
            return;
        } catch (Pegasus::Exception const& e) {
            std::ostringstream text;
            text << owner << "::connect failed: " << PegasusText(e.getMessage())
                 << " try to reconnect " << attempt;
            LogLine(3, text.str());
            SystemCalls().sleep(1);
        }
    }
    throw TKTAException(TKTAStatusCode::kConnectionFailed,
                        "cannot connect to " + host + ":" + std::to_string(port));
}

void TPEGASUSNamespace::filterProviders(std::vector<std::string>&)
{
}

void TPEGASUSNamespace::undoProvidersSetup()
{
}

boost::shared_ptr<ICIMNamespace> TPEGASUSNamespace::GetUpcallNamespace() const
{
    return fUpcallNamespace.lock();
}

boost::shared_ptr<INamespaceProvider> TPEGASUSNamespace::GetNamespaceProvider(TCIMContext) const
{
    return TPEGASUSNamespaceProvider::GetInstance();
}

void TPEGASUSNamespace::SetUpcallNamespace(boost::shared_ptr<ICIMNamespace> upcall, TCIMContext)
{
    fUpcallNamespace = upcall;
}

void TPEGASUSNamespace::AddUnderlyingNamespace(boost::shared_ptr<ICIMNamespace>, TCIMContext)
{
    throw TKTAException(TKTAStatusCode::kReadOnly, "AddUnderlyingNamespace");
}

void TPEGASUSNamespace::Subscribe(boost::shared_ptr<ICIMIndicationFilter>,
                                  TIndicationCallback const&, TCIMContext)
{
    throw TKTAException(TKTAStatusCode::kNotSupported, "Subscribe");
}

void TPEGASUSNamespace::DeleteInstance(TCIMReference const& reference, TCIMContext context)
{
    fRepository->DeleteInstance(reference, context);
}

void TPEGASUSNamespace::ModifyInstance(TCIMReference const& reference, TCIMContext properties,
                                       TCIMContext context)
{
    fRepository->ModifyInstance(reference, properties, context);
}

void TPEGASUSNamespace::ExecuteQuery(TInstanceCallback const& callback, std::string& language,
                                     std::string& query, TCIMContext context)
{
    fRepository->ExecuteQuery(callback, language, query, context);
}

void TPEGASUSNamespace::ClearInstances()
{
}

ICIMNamespace& TPEGASUSNamespace::operator=(ICIMNamespace&)
{
    return *this;
}

} // namespace NQRVKTA20
