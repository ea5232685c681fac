#include "ConfigProperties.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

#include <arpa/inet.h>
#include <sys/stat.h>

namespace Pegasus {

namespace {

using K = ConfigValueKind;

// Kept in name order so that listings need no sorting.
const std::vector<ConfigPropertyInfo> kProperties = {
    {"daemon", "true", false, K::Boolean,
     "When true the server detaches from the terminal and runs in the\n"
     "background once it is listening.", nullptr, nullptr},
    {"enableAssociationTraversal", "true", false, K::Boolean,
     "Enables the association operations.", nullptr, nullptr},
    {"enableAuditLog", "false", true, K::Boolean,
     "Enables the audit log.", nullptr, nullptr},
    {"enableAuthentication", "false", false, K::Boolean,
     "Requires clients to authenticate: HTTP clients with a user name and\n"
     "password (Basic), checked through PAM service \"wbem\"; local-socket\n"
     "clients by the user they run as.", nullptr, nullptr},
    {"enableBinaryRepository", "false", false, K::Boolean,
     "Selects the binary repository format.", nullptr, nullptr},
    {"enableHttpConnection", "true", false, K::Boolean,
     "Accepts CIM-XML requests over HTTP on httpPort.", nullptr, nullptr},
    {"enableHttpsConnection", "false", false, K::Boolean,
     "Accepts requests over HTTPS.  Only false is offered.",
     "true", "HTTPS connections are not offered by this server"},
    {"enableIndicationService", "true", false, K::Boolean,
     "Enables the indication service.", nullptr, nullptr},
    {"enableNamespaceAuthorization", "false", false, K::Boolean,
     "Checks per-user namespace authorizations.", nullptr, nullptr},
    {"enableNormalization", "true", false, K::Boolean,
     "Normalizes the objects providers return.", nullptr, nullptr},
    {"enableRemotePrivilegedUserAccess", "true", false, K::Boolean,
     "Lets privileged users connect from other hosts.", nullptr, nullptr},
    {"forceProviderProcesses", "false", false, K::Boolean,
     "Runs providers in separate processes.  Providers always run inside\n"
     "the server here, so only false is offered.",
     "true", "providers always run inside the server"},
    {"fullyQualifiedHostName", "", false, K::Text,
     "Overrides the fully qualified host name the server reports.",
     nullptr, nullptr},
    {"hostname", "", false, K::Text,
     "Overrides the host name the server reports.", nullptr, nullptr},
    {"httpPort", "", false, K::Port,
     "TCP port for HTTP connections.  Empty means the wbem-http service\n"
     "port, else 5988.", nullptr, nullptr},
    {"httpsPort", "", false, K::Port,
     "TCP port for HTTPS connections.  Empty means the wbem-https service\n"
     "port, else 5989.", nullptr, nullptr},
    {"idleConnectionTimeout", "0", true, K::Unsigned,
     "Seconds after which a client connection waiting for its next request\n"
     "is closed; 0 never (it is still closed, oldest first, when the\n"
     "connection limit is reached).", nullptr, nullptr},
    {"listenAddress", "127.0.0.1", false, K::ListenAddress,
     "Addresses to listen on: All, or a comma-separated list of IP\n"
     "addresses.", nullptr, nullptr},
    {"logLevel", "INFORMATION", true, K::LogLevel,
     "Lowest severity that is logged: TRACE, INFORMATION, WARNING, SEVERE\n"
     "or FATAL.", nullptr, nullptr},
    {"logdir", "logs", false, K::Path,
     "Directory of the server's log file, cimserver.log; created (mode\n"
     "0700) when missing.", nullptr, nullptr},
    {"maxContentLength", "33554432", true, K::Unsigned,
     "Largest request body accepted, in bytes; a larger one is answered\n"
     "413 before it is read.", "0", "a request body must be allowed"},
    {"maxEnumerationTimeout", "300", true, K::Unsigned,
     "Longest OperationTimeout, in seconds, a client may give an open\n"
     "enumeration of the pull operations (the time it may stay idle between\n"
     "requests); without one it gets 60, or this when less.",
     "0", "an enumeration must be allowed some time"},
    {"maxFailedProviderModuleRestarts", "3", true, K::Unsigned,
     "How often a failed provider module is restarted.", nullptr, nullptr},
    {"maxIndicationDeliveryRetryAttempts", "3", true, K::Unsigned,
     "Delivery attempts for an indication.", nullptr, nullptr},
    {"maxOpenEnumerations", "256", true, K::Unsigned,
     "Enumerations of the pull operations open at once in the whole server;\n"
     "an open call beyond it fails with CIM_ERR_SERVER_LIMITS_EXCEEDED.",
     nullptr, nullptr},
    {"maxOpenEnumerationsPerClient", "16", true, K::Unsigned,
     "Enumerations of the pull operations one client (one user, or one\n"
     "address when unauthenticated) may have open at once.", nullptr, nullptr},
    {"maxProviderProcesses", "0", true, K::Unsigned,
     "Limit on provider processes; 0 means no limit.", nullptr, nullptr},
    {"messageDir", "msg", false, K::Path,
     "Directory of message catalogs.", nullptr, nullptr},
    {"minIndicationDeliveryRetryInterval", "30", true, K::Unsigned,
     "Seconds between indication delivery attempts.", nullptr, nullptr},
    {"numberOfTraceFiles", "3", true, K::Unsigned,
     "Number of trace files kept, the one being written included.", nullptr, nullptr},
    {"pamConfigDir", "", false, K::Text,
     "Directory the PAM configuration of service \"wbem\" is read from;\n"
     "empty for the system's (/etc/pam.d).  Relative: below PEGASUS_HOME.",
     nullptr, nullptr},
    {"passwordFilePath", "cimserver.passwd", false, K::Path,
     "Password file.", nullptr, nullptr},
    {"providerDir", "lib", true, K::DirectoryList,
     "Directories searched for provider libraries, separated by ':'.\n"
     "Relative entries are below PEGASUS_HOME; empty entries are ignored.\n"
     "A change applies to providers loaded afterwards.", nullptr, nullptr},
    {"providerManagerDir", "lib", false, K::Path,
     "Directory of provider manager libraries.", nullptr, nullptr},
    {"repositoryDir", "repository", false, K::Path,
     "Directory of the class and instance repository; created when\n"
     "missing.", nullptr, nullptr},
    {"repositoryIsDefaultInstanceProvider", "true", false, K::Boolean,
     "Serves instances of classes without a provider from the repository.",
     nullptr, nullptr},
    {"shutdownTimeout", "30", true, K::Unsigned,
     "Seconds cimserver -s waits for the server to stop before killing it.",
     nullptr, nullptr},
    {"socketWriteTimeout", "20", true, K::Unsigned,
     "Seconds a client may take to read an answer (or one chunk of a\n"
     "streamed answer) before it is dropped; 0 never.", nullptr, nullptr},
    {"sslCertificateFilePath", "server.pem", false, K::Path,
     "Server certificate for HTTPS.", nullptr, nullptr},
    {"sslCipherSuite", "DEFAULT", false, K::Text,
     "Cipher suite for HTTPS.", nullptr, nullptr},
    {"sslClientVerificationMode", "disabled", false, K::ClientVerification,
     "Client certificate verification: disabled, required or optional.",
     nullptr, nullptr},
    {"sslKeyFilePath", "file.pem", false, K::Path,
     "Private key for HTTPS.", nullptr, nullptr},
    {"sslTrustStore", "cimserver_trust", false, K::Path,
     "Trust store for client certificates.", nullptr, nullptr},
    {"startFile", "/var/tmp/cimserverqrv_tc_wexlo_start.conf", false,
     K::Text,
     "A further file the server writes its process id to while it runs,\n"
     "besides cimserver_start.conf in PEGASUS_HOME; empty for none.",
     nullptr, nullptr},
    {"traceComponents", "", true, K::Text,
     "Components traced, comma-separated, or ALL: Server, ProviderManager,\n"
     "Dispatcher.  Empty traces nothing.", nullptr, nullptr},
    {"traceFacility", "File", true, K::TraceFacility,
     "Where traces go: File (traceFilePath) or Log (the log file).  Memory\n"
     "is not offered.",
     "Memory", "the in-memory trace is not offered by this server"},
    {"traceFilePath", "trace/cimserver.trc", true, K::Path,
     "Trace file.", nullptr, nullptr},
    {"traceFileSizeKBytes", "1048576", true, K::Unsigned,
     "Size in kilobytes past which the trace file is rotated.", nullptr,
     nullptr},
    {"traceLevel", "0", true, K::TraceLevel,
     "Trace level, 0 (off) to 5: 1 errors, 2 events, 3 and above every\n"
     "operation.", nullptr, nullptr},
    {"traceMemoryBufferKbytes", "10240", false, K::Unsigned,
     "Size of the in-memory trace buffer in kilobytes (unused: the Memory\n"
     "trace facility is not offered).", nullptr, nullptr},
};

bool isDecimal(const std::string& value)
{
    if (value.empty() || value.size() > 10)
        return false;
    if (value.size() > 1 && value[0] == '0')
        return false;
    for (char c : value)
        if (c < '0' || c > '9')
            return false;
    return std::stoull(value) <= 0xFFFFFFFFull;
}

bool oneOf(const std::string& value, std::initializer_list<const char*> words)
{
    for (const char* w : words)
        if (strcasecmp(value.c_str(), w) == 0)
            return true;
    return false;
}

bool isIpAddress(const std::string& text)
{
    unsigned char buffer[sizeof(struct in6_addr)];
    return inet_pton(AF_INET, text.c_str(), buffer) == 1 ||
           inet_pton(AF_INET6, text.c_str(), buffer) == 1;
}

bool isListenAddress(const std::string& value)
{
    if (strcasecmp(value.c_str(), "All") == 0)
        return true;
    if (value.empty())
        return false;
    std::string::size_type start = 0;
    for (;;)
    {
        std::string::size_type comma = value.find(',', start);
        std::string item = value.substr(
            start, comma == std::string::npos ? std::string::npos
                                              : comma - start);
        if (!isIpAddress(item))
            return false;
        if (comma == std::string::npos)
            return true;
        start = comma + 1;
    }
}

bool isDirectory(const std::string& path)
{
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

const std::vector<ConfigPropertyInfo>& configProperties()
{
    return kProperties;
}

const ConfigPropertyInfo* findConfigProperty(const std::string& name)
{
    auto it = std::lower_bound(
        kProperties.begin(), kProperties.end(), name,
        [](const ConfigPropertyInfo& p, const std::string& n) {
            return std::strcmp(p.name, n.c_str()) < 0;
        });
    if (it != kProperties.end() && name == it->name)
        return &*it;
    return nullptr;
}

bool checkConfigValue(const ConfigPropertyInfo& property,
                      const std::string& value,
                      const std::string& home,
                      std::string& reason)
{
    reason.clear();
    // Values end up one per line in the configuration files.
    if (value.find_first_of(std::string("\r\n\0", 3)) != std::string::npos ||
        value.size() > 4096)
        return false;

    bool ok = false;
    switch (property.kind)
    {
    case K::Boolean:
        ok = oneOf(value, {"true", "false"});
        break;
    case K::Port:
        ok = value.empty() ||
             (isDecimal(value) && std::stoul(value) >= 1 &&
              std::stoul(value) <= 65535);
        break;
    case K::Unsigned:
        ok = isDecimal(value);
        break;
    case K::TraceLevel:
        ok = value.size() == 1 && value[0] >= '0' && value[0] <= '5';
        break;
    case K::LogLevel:
        ok = oneOf(value, {"TRACE", "INFORMATION", "WARNING", "SEVERE",
                           "FATAL"});
        break;
    case K::TraceFacility:
        ok = oneOf(value, {"File", "Log", "Memory"});
        break;
    case K::ClientVerification:
        ok = oneOf(value, {"disabled", "required", "optional"});
        break;
    case K::ListenAddress:
        ok = isListenAddress(value);
        break;
    case K::Text:
        ok = true;
        break;
    case K::Path:
        ok = !value.empty();
        break;
    case K::DirectoryList:
        ok = true;
        for (const std::string& dir : splitDirectoryList(home, value))
            if (!isDirectory(dir))
                ok = false;
        break;
    }
    if (ok && property.refusedValue != nullptr &&
        strcasecmp(value.c_str(), property.refusedValue) == 0)
    {
        reason = property.refusedReason;
        ok = false;
    }
    return ok;
}

std::string invalidValueMessage(const std::string& name,
                                const std::string& value,
                                const std::string& reason)
{
    std::string message = "Invalid property value: " + name + "=" + value;
    if (!reason.empty())
        message += " (" + reason + ")";
    return message;
}

std::string resolveAgainstHome(const std::string& home,
                               const std::string& path)
{
    if (!path.empty() && path[0] == '/')
        return path;
    std::string base = home.empty() ? std::string(".") : home;
    if (base.back() != '/')
        base += '/';
    return base + path;
}

std::vector<std::string> splitDirectoryList(const std::string& home,
                                            const std::string& value)
{
    std::vector<std::string> dirs;
    std::string::size_type start = 0;
    while (start <= value.size())
    {
        std::string::size_type colon = value.find(':', start);
        if (colon == std::string::npos)
            colon = value.size();
        if (colon > start)
            dirs.push_back(
                resolveAgainstHome(home, value.substr(start, colon - start)));
        start = colon + 1;
    }
    return dirs;
}

bool configBooleanValue(const std::string& value)
{
    return strcasecmp(value.c_str(), "true") == 0;
}

}  // namespace Pegasus
