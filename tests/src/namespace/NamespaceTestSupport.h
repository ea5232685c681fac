// Helpers shared by the plug-in's namespace tests: temporary roots, scripts
// standing in for the server's programs, log capture and call contexts.
#ifndef NQRVKTA20_TESTS_NAMESPACETESTSUPPORT_H
#define NQRVKTA20_TESTS_NAMESPACETESTSUPPORT_H

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>
#include <gtest/gtest.h>

#include "ICIMNamespace.h"
#include "TCIMContext.h"
#include "TCoreLogger.h"
#include "TInmemNamespace.h"
#include "TKTAException.h"
#include "TPEGASUSNamespace.h"
#include "TPEGASUSNamespaceProvider.h"

namespace nsptest {

// A fresh directory below /tmp, removed with everything in it at the end.
class TempDir {
public:
    TempDir()
    {
        char pattern[] = "/tmp/nsptest.XXXXXX";
        if (mkdtemp(pattern) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        // Canonical, so that it compares equal to what getcwd reports.
        fPath = std::filesystem::canonical(pattern).string();
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(fPath, ignored);
    }
    TempDir(TempDir const&) = delete;
    TempDir& operator=(TempDir const&) = delete;

    std::string const& Path() const { return fPath; }
    std::string operator/(std::string const& rel) const { return fPath + "/" + rel; }

private:
    std::string fPath;
};

// Makes `dir` the working directory (the plug-in's root) for the guard's
// life.
class CwdGuard {
public:
    explicit CwdGuard(std::string const& dir) : fOld(std::filesystem::current_path())
    {
        std::filesystem::current_path(dir);
    }
    ~CwdGuard()
    {
        std::error_code ignored;
        std::filesystem::current_path(fOld, ignored);
    }
    CwdGuard(CwdGuard const&) = delete;
    CwdGuard& operator=(CwdGuard const&) = delete;

private:
    std::filesystem::path fOld;
};

// Makes `dir` the plug-in's module directory (where it looks for vendor
// providers and the server schema files) for the guard's life.
class ModuleDirGuard {
public:
    explicit ModuleDirGuard(std::string const& dir)
        : fOld(NQRVKTA20::TPEGASUSNamespaceProvider::GetfgModulePathName())
    {
        NQRVKTA20::TPEGASUSNamespaceProvider::GetfgModulePathName() = dir;
    }
    ~ModuleDirGuard() { NQRVKTA20::TPEGASUSNamespaceProvider::GetfgModulePathName() = fOld; }
    ModuleDirGuard(ModuleDirGuard const&) = delete;
    ModuleDirGuard& operator=(ModuleDirGuard const&) = delete;

private:
    std::string fOld;
};

inline void WriteFile(std::string const& path, std::string const& text)
{
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::out | std::ios::trunc);
    out << text;
}

inline std::string ReadFile(std::string const& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::vector<std::string> ReadLines(std::string const& path)
{
    std::vector<std::string> lines;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

// A shell script at `path`, executable.
inline void WriteScript(std::string const& path, std::string const& body)
{
    WriteFile(path, "#!/bin/sh\n" + body);
    chmod(path.c_str(), 0755);
}

// A stand-in for one of the server's programs that records its arguments,
// one per line, in <path>.args, and its environment exactly as it received
// it in <path>.env (the shell's own /proc entry, before the shell adds
// anything); then runs the shell commands `more`.
inline void WriteRecordingProgram(std::string const& path, std::string const& more = "")
{
    WriteScript(path, "printf '%s\\n' \"$@\" >> \"" + path + ".args\"\n"
                      "/usr/bin/tr '\\000' '\\n' < /proc/$$/environ > \"" + path + ".env\"\n" +
                      more);
}

// A call context carrying the host's repository namespace (and optionally
// the upcall namespace) as the addresses of the given shared pointers, which
// must outlive the call.
inline NQRVKTA20::TCIMContext MakeContext(
    boost::shared_ptr<NQRVKTA20::ICIMNamespace>* repository,
    boost::shared_ptr<NQRVKTA20::ICIMNamespace>* upcall = nullptr)
{
    NQRVKTA20::TCIMContext context;
    if (repository != nullptr)
        context["repository"] = NQRVKTA20::TCIMValue(
            static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(repository)));
    if (upcall != nullptr)
        context["upcall"] = NQRVKTA20::TCIMValue(
            static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(upcall)));
    return context;
}

// A TCP socket listening on 127.0.0.1 on a port of the system's choice,
// accepting nothing: enough for a client's connect to succeed.
class Listener {
public:
    Listener() : fFd(socket(AF_INET, SOCK_STREAM, 0)), fPort(0)
    {
        sockaddr_in address;
        memset(&address, 0, sizeof address);
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = inet_addr("127.0.0.1");
        socklen_t size = sizeof address;
        if (fFd < 0 || bind(fFd, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
            listen(fFd, 8) != 0 ||
            getsockname(fFd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
            throw std::runtime_error("cannot listen on 127.0.0.1");
        fPort = ntohs(address.sin_port);
    }
    ~Listener() { Close(); }
    Listener(Listener const&) = delete;
    Listener& operator=(Listener const&) = delete;
    void Close()
    {
        if (fFd >= 0)
            close(fFd);
        fFd = -1;
    }
    uint16_t Port() const { return fPort; }

private:
    int fFd;
    uint16_t fPort;
};

// The host status code a call throws as TKTAException; 0 when it throws
// nothing.
inline uint32_t StatusOf(std::function<void()> const& call)
{
    try {
        call();
    } catch (NQRVKTA20::TKTAException const& e) {
        return e.GetStatusCode();
    }
    return 0;
}

struct LogRecord {
    int severity;
    std::string text;
};

// Sends the core logger's records to a file of its own for the capture's
// life (and keeps them off standard error), and reads them back.
class LogCapture {
public:
    LogCapture() : fFile(fDir / "core.log")
    {
        NQRVKTA20::TCoreLogger::Instance()->SetLogFile(fFile);
        NQRVKTA20::TCoreLogger::Instance()->SetFileSeverityLimit(5);
        NQRVKTA20::TCoreLogger::Instance()->SetStderrSeverityLimit(-1);
    }
    ~LogCapture()
    {
        NQRVKTA20::TCoreLogger::Instance()->SetLogFile("");
        NQRVKTA20::TCoreLogger::Instance()->SetStderrSeverityLimit(3);
    }
    LogCapture(LogCapture const&) = delete;
    LogCapture& operator=(LogCapture const&) = delete;

    // Records so far.  A record is "date time [sev] <tid> text", its further
    // lines indented by four blanks.
    std::vector<LogRecord> Records() const
    {
        std::vector<LogRecord> records;
        for (std::string const& line : ReadLines(fFile)) {
            if (line.compare(0, 4, "    ") == 0 && !records.empty()) {
                records.back().text += "\n" + line.substr(4);
                continue;
            }
            std::string::size_type open = line.find(" [");
            std::string::size_type close = line.find("] <", open);
            std::string::size_type textStart = line.find("> ", close);
            if (open == std::string::npos || close == std::string::npos ||
                textStart == std::string::npos)
                continue;
            LogRecord record;
            record.severity = std::atoi(line.substr(open + 2, close - open - 2).c_str());
            record.text = line.substr(textStart + 2);
            records.push_back(record);
        }
        return records;
    }

    // Texts of the records that contain `part`.
    std::vector<LogRecord> Matching(std::string const& part) const
    {
        std::vector<LogRecord> found;
        for (LogRecord const& record : Records())
            if (record.text.find(part) != std::string::npos)
                found.push_back(record);
        return found;
    }

private:
    TempDir fDir;
    std::string fFile;
};

// What a replaced exit(3) throws instead of ending the process.
struct ExitCalled {
    int status;
};

// The namespace's system calls for the guard's life: a sleep is traced and
// returns at once, exit throws ExitCalled, a shell command or kill is traced
// and then really made.  Tests may replace further entries through Calls().
// The real calls come back at the end, also when a test fails.
class SystemCallsGuard {
public:
    typedef NQRVKTA20::TPEGASUSNamespace TNamespace;

    SystemCallsGuard()
    {
        Trace().clear();
        TNamespace::TSystemCalls& calls = Calls();
        calls = TNamespace::RealSystemCalls();
        calls.sleep = [](unsigned int seconds) -> unsigned int {
            Trace().push_back("sleep " + std::to_string(seconds));
            return 0;
        };
        calls.system = [](const char* command) {
            Trace().push_back(std::string("system ") + command);
            return TNamespace::RealSystemCalls().system(command);
        };
        calls.kill = [](pid_t pid, int signal) {
            Trace().push_back(KillEntry(pid, signal));
            return TNamespace::RealSystemCalls().kill(pid, signal);
        };
        calls.exit = [](int status) { throw ExitCalled{status}; };
    }
    ~SystemCallsGuard() { Calls() = TNamespace::RealSystemCalls(); }
    SystemCallsGuard(SystemCallsGuard const&) = delete;
    SystemCallsGuard& operator=(SystemCallsGuard const&) = delete;

    static TNamespace::TSystemCalls& Calls() { return TNamespace::SystemCalls(); }

    // The traced calls in order: "sleep <seconds>", "system <command>",
    // "kill <pid> <signal>".
    static std::vector<std::string>& Trace()
    {
        static std::vector<std::string> trace;
        return trace;
    }
    static std::string KillEntry(pid_t pid, int signal)
    {
        return "kill " + std::to_string(pid) + " " + std::to_string(signal);
    }
};

// A namespace over an in-memory repository, its root a fresh directory that
// is the working directory, with the log captured and the system calls of
// SystemCallsGuard (tear-down waits for a server to stop; none runs, so the
// waits are skipped).
class NamespaceTest : public ::testing::Test {
protected:
    explicit NamespaceTest(std::string const& repository = "repository")
        : fCwd(fRoot.Path()), fRepository(new NQRVKTA20::TInmemNamespace(repository)),
          fNamespace(new NQRVKTA20::TPEGASUSNamespace(MakeContext(&fRepository), "root/x"))
    {
    }

    SystemCallsGuard fCalls;
    TempDir fRoot;
    CwdGuard fCwd;
    LogCapture fLog;
    boost::shared_ptr<NQRVKTA20::ICIMNamespace> fRepository;
    boost::shared_ptr<NQRVKTA20::TPEGASUSNamespace> fNamespace;
};

} // namespace nsptest

#endif
