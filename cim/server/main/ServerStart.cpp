#include "ServerStart.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>

#include <arpa/inet.h>
#include <fcntl.h>
#include <malloc.h>
#include <netdb.h>
#include <sys/stat.h>
#include <unistd.h>

#include <Pegasus/Common/Constants.h>
#include <Pegasus/Common/Exception.h>

#include "BuiltinProviders.h"
#include "HttpServer.h"
#include "InteropProviders.h"
#include "LocalSocketPath.h"
#include "OperationDispatcher.h"
#include "PamAuthenticator.h"
#include "ProviderManager.h"
#include "Repository.h"
#include "ServerConfig.h"
#include "ServerLog.h"
#include "StartFiles.h"
#include "StartupChannel.h"

namespace Pegasus {

namespace {

const char kNotStarted[] = "cimserver not started: ";

// How long a detaching parent waits for its child.
const int kStartWaitMs = 240 * 1000;

// The HTTP front end is bound before the dispatcher exists (the repository
// is opened only in the detached child), so it talks to this stand-in,
// which forwards once the dispatcher is attached.
// It also traces each operation (component Dispatcher, level 3).
class ProcessorSlot : public RequestProcessor
{
public:
    explicit ProcessorSlot(ServerLog& log) : _log(log) {}

    void attach(RequestProcessor* target) { _target.store(target); }

    OperationOutcome process(const CimXmlRequestMessage& request,
                             const RequestCaller& caller) override
    {
        RequestProcessor* target = _target.load();
        OperationOutcome outcome;
        if (target != nullptr)
        {
            outcome = target->process(request, caller);
        }
        else
        {
            outcome.failed = true;
            outcome.code = CIM_ERR_FAILED;
            outcome.description = "CIM_ERR_FAILED: The server is starting.";
        }
        if (_log.tracing(3, "Dispatcher"))
            _log.trace(3, "Dispatcher", describe(request, outcome));
        return outcome;
    }

    void releaseCaches() override
    {
        if (RequestProcessor* target = _target.load())
            target->releaseCaches();
    }

private:
    static std::string describe(const CimXmlRequestMessage& request,
                                const OperationOutcome& outcome)
    {
        std::string text = request.isMultiple
                               ? std::to_string(request.calls.size()) + " calls in one request"
                               : std::string(request.methodName.getCString()) + " in " +
                                     std::string(request.nameSpace.getString().getCString());
        text += " (message " + request.messageId + "): ";
        text += outcome.failed ? std::string(cimStatusCodeToString(outcome.code)) : "done";
        return text;
    }

    ServerLog& _log;
    std::atomic<RequestProcessor*> _target{nullptr};
};

std::atomic<HttpServer*> gServer{nullptr};
volatile std::sig_atomic_t gStopSignal = 0;

extern "C" void onStopSignal(int)
{
    gStopSignal = 1;
    HttpServer* server = gServer.load();
    if (server != nullptr)
        server->requestStopFromSignal();
}

void installSignalHandlers()
{
    struct sigaction action;
    std::memset(&action, 0, sizeof(action));
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    // Past a file-size limit (ulimit -f) a write then fails with EFBIG,
    // which fails the one request that made it, instead of the signal
    // ending the whole server.
    std::signal(SIGXFSZ, SIG_IGN);
}

int fail(const std::string& message)
{
    std::cerr << kNotStarted << message << std::endl;
    return 1;
}

// Empty httpPort: the services database's wbem-http port, else 5988.
Uint32 resolveHttpPort(const std::string& configured, bool& looked_up)
{
    looked_up = configured.empty();
    if (!looked_up)
        return static_cast<Uint32>(std::stoul(configured));
    struct servent* entry = ::getservbyname("wbem-http", "tcp");
    if (entry != nullptr)
        return ntohs(static_cast<uint16_t>(entry->s_port));
    return 5988;
}

// A request of many megabytes leaves buffers of its size behind.  By
// default glibc raises its thresholds after such buffers are freed, and
// from then on keeps up to twice their size at the top of each thread's
// heap, where malloc_trim does not reach.  Fixed thresholds keep large
// buffers in mappings of their own, given back the moment they are freed,
// and let each heap shrink once a few megabytes at its top are free.
void useReturningAllocatorPolicy()
{
    ::mallopt(M_MMAP_THRESHOLD, 1 << 20);
    ::mallopt(M_TRIM_THRESHOLD, 4 << 20);
    // One heap for all threads.  Each thread's own heap keeps the pages
    // that its few long-lived objects (per-thread caches, database pages)
    // are scattered over: after a schema compile, four heaps held 18 MB
    // for 1.5 MB in use, one heap 14 MB.  Small blocks are still served
    // from each thread's cache without taking the heap's lock.
    ::mallopt(M_ARENA_MAX, 1);
}

// The value of an Unsigned property, which the configuration has checked.
unsigned unsignedValue(const std::string& value)
{
    return static_cast<unsigned>(std::stoul(value));
}

unsigned configUnsigned(const ServerConfig& config, const char* name)
{
    return unsignedValue(config.current(name));
}

// Sets the limit of the pull operations' enumerations that property `name`
// holds; false for every other property.
bool setEnumerationLimit(EnumerationLimits& limits, const std::string& name,
                         const std::string& value)
{
    if (name == "maxOpenEnumerations")
        limits.maxContexts = unsignedValue(value);
    else if (name == "maxOpenEnumerationsPerClient")
        limits.maxContextsPerClient = unsignedValue(value);
    else if (name == "maxEnumerationTimeout")
        limits.maxTimeoutSeconds = unsignedValue(value);
    else
        return false;
    return true;
}

void redirectStandardStreams(SystemCalls& sys)
{
    int null = sys.open("/dev/null", O_RDWR, 0);
    if (null < 0)
        return;
    sys.dup2(null, STDIN_FILENO);
    sys.dup2(null, STDOUT_FILENO);
    sys.dup2(null, STDERR_FILENO);
    if (null > STDERR_FILENO)
        sys.close(null);
}

// Everything the serving process owns, in construction order; destroyed in
// reverse, so the front end outlives the providers that may stop it.
struct RunningServer
{
    std::unique_ptr<Repository> repository;
    std::unique_ptr<ProviderManager> providers;
    std::unique_ptr<OperationDispatcher> dispatcher;
};

// --- The steps of a start, in order -----------------------------------------

// Command-line values are checked before anything is touched, so that a
// mistyped start cannot disturb a server that is already running.  Empty
// when every value is valid, else the message.
std::string checkCommandLine(const std::string& home, const ServerCommandLine& line)
{
    for (const auto& property : line.properties)
    {
        const ConfigPropertyInfo* info = findConfigProperty(property.first);
        if (info == nullptr)
            return "Unrecognized config property: " + property.first;
        std::string reason;
        if (!checkConfigValue(*info, property.second, home, reason))
            return invalidValueMessage(property.first, property.second, reason);
    }
    return std::string();
}

// What the start takes from the configuration.
struct StartSettings
{
    HttpServerOptions options;
    std::string repositoryDir;
    std::string extraStartFile;
    bool daemon = true;
};

// Loads the configuration (files and command line) and reads the settings
// from it.  Throws ConfigError.
StartSettings readSettings(const std::string& home, const ServerCommandLine& line,
                           ServerConfig& config)
{
    StartSettings settings;
    config.loadForStart(ConfigEntries(line.properties.begin(), line.properties.end()));

    HttpServerOptions& options = settings.options;
    settings.daemon = configBooleanValue(config.current("daemon"));
    options.enableHttp = configBooleanValue(config.current("enableHttpConnection"));
    options.listenAddress = config.current("listenAddress");
    options.localSocketPath = LocalSocketPath::socketPathUnder(home);
    options.maxRequestBytes = configUnsigned(config, "maxContentLength");
    options.idleTimeoutSeconds = configUnsigned(config, "idleConnectionTimeout");
    options.writeTimeoutSeconds = configUnsigned(config, "socketWriteTimeout");
    if (options.enableHttp)
    {
        bool lookedUp = false;
        options.httpPort = resolveHttpPort(config.current("httpPort"), lookedUp);
        if (lookedUp)
            config.recordResolvedValue("httpPort", std::to_string(options.httpPort));
    }
    options.requireAuthentication =
        configBooleanValue(config.current("enableAuthentication"));
    if (options.requireAuthentication)
    {
        std::string pamDir = config.current("pamConfigDir");
        if (!pamDir.empty())
            pamDir = resolveAgainstHome(home, pamDir);
        auto pam = std::make_shared<PamAuthenticator>("wbem", pamDir);
        options.checkPassword = [pam](const std::string& user, const std::string& password) {
            return pam->check(user, password);
        };
        options.realm = static_cast<const char*>(localHostName().getCString());
    }
    settings.extraStartFile = config.current("startFile");
    if (!settings.extraStartFile.empty())
        settings.extraStartFile = resolveAgainstHome(home, settings.extraStartFile);
    settings.repositoryDir = config.currentPath("repositoryDir");
    return settings;
}

// The repository directory (created when missing, and writable) and the
// log.  Empty when both are ready, else the message.
std::string prepareFiles(SystemCalls& sys, const ServerConfig& config,
                         const StartSettings& settings, ServerLog& serverLog)
{
    if (!makeDirectories(sys, settings.repositoryDir, 0755) ||
        sys.access(settings.repositoryDir.c_str(), W_OK) != 0)
        return "For property repositoryDir specified value " + config.current("repositoryDir") +
               " is not a directory or the directory is not writeable.";
    std::string logError;
    if (!serverLog.openLog(config.currentPath("logdir"), logError))
        return logError;
    serverLog.configure(config);
    return std::string();
}

// Binds the listening sockets; done before detaching so that the caller
// hears about a busy port.  Empty on success, else the message.
std::string bindFrontEnd(HttpServer& http)
{
    try
    {
        http.bind();
    }
    catch (const Exception& e)
    {
        return std::string(e.getMessage().getCString());
    }
    return std::string();
}

// Detaches into a child that serves.  Returns an empty text in the child;
// in the parent it never returns (the process exits with the child's
// start-up outcome); if the pipe or the fork fails, the message.
std::string detach(SystemCalls& sys, StartupChannel& channel)
{
    if (!channel.open())
        return std::string("cannot create a pipe: ") + std::strerror(errno);
    std::cout.flush();
    std::cerr.flush();
    pid_t child = sys.fork();
    if (child < 0)
        return std::string("cannot fork: ") + std::strerror(errno);
    if (child > 0)
    {
        // The parent leaves without running destructors: the sockets, the
        // lock and the socket file now belong to the child.
        channel.becomeParent();
        std::string reason;
        switch (channel.waitForChild(kStartWaitMs, reason))
        {
        case StartupChannel::Ready:
            std::_Exit(0);
        case StartupChannel::Failed:
            std::cerr << kNotStarted << reason << std::endl;
            std::_Exit(1);
        case StartupChannel::Vanished:
            std::cerr << kNotStarted << "The CIM Server process ended during start-up."
                      << std::endl;
            std::_Exit(1);
        case StartupChannel::TimedOut:
            std::cerr << "The cimserver command timed out waiting for the CIM server to start."
                      << std::endl;
            std::_Exit(0);
        }
        std::_Exit(1);
    }
    channel.becomeChild();
    sys.setsid();
    return std::string();
}

// The interoperability namespace and what WBEM clients look for there: the
// namespaces and this object manager, answered by built-in providers, with
// the classes' built-in definitions.  The namespace is created when the
// repository lacks it (a new or emptied repository), so that clients find
// it before any schema has been compiled into it.
void setUpInterop(Repository& repository, ProviderManager& providers)
{
    const CIMNamespaceName& interop = PEGASUS_NAMESPACENAME_INTEROP;
    if (!repository.namespaceExists(interop))
        repository.createNamespace(interop);
    InteropSystem system;
    system.systemName = localHostName();
    system.namespaces = [&repository] { return repository.enumerateNamespaces(); };
    system.classStored = [&repository, interop](const CIMName& className) {
        try
        {
            return bool(repository.classExists(interop, className));
        }
        catch (const CIMException&)
        {
            return false;  // the namespace was deleted since
        }
    };
    for (const CIMClass& definition : interopClassDefinitions())
        providers.registerBuiltinClass(interop, definition);
    for (const CIMName& className : {kCimNamespaceClass, kPgNamespaceClass})
        providers.registerBuiltinProvider(interop, className,
                                          new NamespaceProvider(className, system));
    providers.registerBuiltinProvider(interop, kCimObjectManagerClass,
                                      new ObjectManagerProvider(system));
}

// The serving process's parts: start files, repository, providers (the
// built-in ones included), dispatcher, and the configuration's change
// listener.  Throws what a part could not do.
void setUpServing(SystemCalls& sys, const std::string& home, pid_t self,
                  const StartSettings& settings, ServerConfig& config, ServerLog& serverLog,
                  HttpServer& http, RunningServer& server)
{
    writePidFile(sys, startFilePath(home), self);
    if (!settings.extraStartFile.empty())
        writePidFile(sys, settings.extraStartFile, self);

    server.repository.reset(new Repository(settings.repositoryDir));
    server.providers.reset(new ProviderManager(*server.repository, config.providerDirs()));
    server.providers->setEventSink([&serverLog](bool failed, const std::string& text) {
        serverLog.log(failed ? ServerLog::Severe : ServerLog::Information, "ProviderManager",
                      text);
    });
    ProviderManager* providers = server.providers.get();
    config.setChangeListener([providers, &home, &config, &serverLog, &http,
                              &server](const std::string& name, const std::string& value) {
        EnumerationLimits limits;
        if (server.dispatcher)
            limits = server.dispatcher->enumerationContexts().limits();
        if (server.dispatcher && setEnumerationLimit(limits, name, value))
            server.dispatcher->enumerationContexts().setLimits(limits);
        if (name == "providerDir")
            providers->setProviderDirs(splitDirectoryList(home, value));
        else if (name == "maxContentLength")
            http.setMaxRequestBytes(unsignedValue(value));
        else if (name == "idleConnectionTimeout")
            http.setIdleTimeout(unsignedValue(value));
        else if (name == "socketWriteTimeout")
            http.setWriteTimeout(unsignedValue(value));
        if (ServerLog::isLogProperty(name))
            serverLog.configure(config);
    });
    server.providers->registerBuiltinProvider(PEGASUS_NAMESPACENAME_CONFIG,
                                              PEGASUS_CLASSNAME_CONFIGSETTING,
                                              new ConfigSettingProvider(config));
    server.providers->registerBuiltinProvider(
        PEGASUS_NAMESPACENAME_SHUTDOWN, PEGASUS_CLASSNAME_SHUTDOWN,
        new ShutdownServiceProvider([&http]() { http.stop(); }));
    setUpInterop(*server.repository, *server.providers);
    server.dispatcher.reset(new OperationDispatcher(*server.repository, *server.providers));
    EnumerationLimits limits;
    for (const char* name :
         {"maxOpenEnumerations", "maxOpenEnumerationsPerClient", "maxEnumerationTimeout"})
        setEnumerationLimit(limits, name, config.current(name));
    server.dispatcher->enumerationContexts().setLimits(limits);
}

std::string startedText(pid_t self, const std::string& home, const HttpServerOptions& options)
{
    return "CIM Server started: process " + std::to_string(self) + ", " +
           (options.enableHttp
                ? "HTTP port " + std::to_string(options.httpPort) + " on " + options.listenAddress
                : std::string("no HTTP port")) +
           ", local socket " + options.localSocketPath + ", PEGASUS_HOME " + home + ".";
}

// Serves until stopped.  Returns the exit status: 1 when serving failed.
int serve(HttpServer& http, ServerLog& serverLog, bool daemon)
{
    std::string failure;
    try
    {
        http.run();
        return 0;
    }
    catch (const Exception& e)
    {
        failure = e.getMessage().getCString();
    }
    catch (const std::exception& e)
    {
        failure = e.what();
    }
    serverLog.log(ServerLog::Severe, "Server", "CIM Server failed: " + failure);
    if (!daemon)
        std::cerr << "cimserver: " << failure << std::endl;
    return 1;
}

}  // namespace

int startServer(const std::string& home, const ServerCommandLine& line)
{
    return startServer(home, line, SystemCalls::real());
}

int startServer(const std::string& home, const ServerCommandLine& line, SystemCalls& sys)
{
    const std::string badValue = checkCommandLine(home, line);
    if (!badValue.empty())
        return fail(badValue);

    // The start lock alone says whether a server runs for this home: a
    // start file left by a killed server names nothing that counts.
    StartLock lock(sys, home);
    try
    {
        if (!lock.tryAcquire())
        {
            std::cerr << "Unable to start CIMServer. CIMServer is already running." << std::endl;
            return 1;
        }
    }
    catch (const StartFileError& e)
    {
        return fail(e.what());
    }
    // Every failure from here until the child serves gives the lock back.
    auto notStarted = [&lock](const std::string& message) {
        lock.releaseAndRemove();
        return fail(message);
    };

    ServerConfig config(home);
    ServerLog serverLog(sys);
    StartSettings settings;
    try
    {
        settings = readSettings(home, line, config);
        const std::string problem = prepareFiles(sys, config, settings, serverLog);
        if (!problem.empty())
            return notStarted(problem);
    }
    catch (const ConfigError& e)
    {
        return notStarted(e.what());
    }

    // The front end talks to the stand-in until the dispatcher exists.
    settings.options.systemCalls = &sys;
    ProcessorSlot slot(serverLog);
    HttpServer http(settings.options, slot);
    const std::string bindProblem = bindFrontEnd(http);
    if (!bindProblem.empty())
        return notStarted(bindProblem);

    StartupChannel channel(sys);
    if (settings.daemon)
    {
        const std::string detachProblem = detach(sys, channel);
        if (!detachProblem.empty())
            return notStarted(detachProblem);
    }
    ::umask(077);
    installSignalHandlers();
    useReturningAllocatorPolicy();
    gServer.store(&http);

    const pid_t self = ::getpid();
    const std::string startFile = startFilePath(home);
    auto cleanUp = [&]() {
        removePidFileOf(sys, startFile, self);
        if (!settings.extraStartFile.empty())
            removePidFileOf(sys, settings.extraStartFile, self);
        lock.releaseAndRemove();
    };
    auto startFailed = [&](const std::string& reason) {
        serverLog.log(ServerLog::Severe, "Server", "CIM Server not started: " + reason);
        cleanUp();
        gServer.store(nullptr);
        if (settings.daemon)
        {
            channel.reportFailure(reason);
            return 1;
        }
        return fail(reason);
    };

    RunningServer server;
    try
    {
        setUpServing(sys, home, self, settings, config, serverLog, http, server);
    }
    catch (const StartFileError& e)
    {
        return startFailed(e.what());
    }
    catch (const Exception& e)
    {
        return startFailed(std::string(e.getMessage().getCString()));
    }
    catch (const std::exception& e)
    {
        return startFailed(e.what());
    }
    slot.attach(server.dispatcher.get());
    serverLog.log(ServerLog::Information, "Server", startedText(self, home, settings.options));

    if (gStopSignal)
        http.stop();
    if (settings.daemon)
    {
        // The listening sockets already queue connections, so the caller
        // may connect as soon as it hears "ready".  The streams go first:
        // whoever started us waits for its output pipe to close.
        redirectStandardStreams(sys);
        channel.reportReady();
    }

    const int status = serve(http, serverLog, settings.daemon);
    serverLog.log(ServerLog::Information, "Server", "CIM Server stopping.");
    gServer.store(nullptr);
    config.setChangeListener(nullptr);
    server.providers->terminateAll();
    slot.attach(nullptr);
    cleanUp();
    serverLog.log(ServerLog::Information, "Server", "CIM Server stopped.");
    return status;
}

}  // namespace Pegasus
