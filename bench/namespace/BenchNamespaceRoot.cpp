#include "BenchNamespaceRoot.h"

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "TCIMContext.h"
#include "TInmemNamespace.h"
#include "TPEGASUSNamespaceProvider.h"

namespace bench {

namespace fs = std::filesystem;
using NQRVKTA20::TPEGASUSNamespace;

namespace {

// The start-up waits for the server (1 s after its start, 3 s after a stop)
// are for servers that return before they listen; ours returns once it
// listens, so the benchmark skips them.
unsigned int noSleep(unsigned int)
{
    return 0;
}

std::string makeTempDir()
{
    char pattern[] = "/tmp/nspbench.XXXXXX";
    if (::mkdtemp(pattern) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    return fs::canonical(pattern).string();
}

}  // namespace

BenchNamespaceRoot::BenchNamespaceRoot(const std::string& stagedPegasus,
                                       const std::string& consumer)
    : BenchNamespaceRoot(stagedPegasus, consumer, Setup())
{
    // The object is complete once the delegated constructor returned: when
    // start() throws, the destructor releases it.
    start();
}

BenchNamespaceRoot::BenchNamespaceRoot(const std::string& stagedPegasus,
                                       const std::string& consumer, const Setup& setup)
    : _root(makeTempDir()), _consumer(consumer), _oldCwd(fs::current_path()),
      _oldCalls(TPEGASUSNamespace::SystemCalls())
{
    try {
        fs::create_directories(_root + "/pegasus/provider");
        for (const char* dir : {"bin", "lib", "pegSchema"}) {
            const std::string target = stagedPegasus + "/" + dir;
            if (!fs::exists(target))
                throw std::runtime_error("not staged: " + target);
            fs::create_directory_symlink(target, _root + "/pegasus/" + dir);
        }
        std::ofstream(_root + "/pegasus/cimserver_planned.conf")
            << "startFile=/var/tmp/cimserverqrv_tc_" << consumer << "_start.conf\n";

        fs::current_path(_root);
        TPEGASUSNamespace::SystemCalls().sleep = setup.sleep ? setup.sleep : noSleep;
        if (setup.moduleDirIsRoot) {
            std::string& moduleDir = NQRVKTA20::TPEGASUSNamespaceProvider::GetfgModulePathName();
            _oldModuleDir = moduleDir;
            _moduleDirSet = true;
            moduleDir = _root;
        }
    } catch (...) {
        release();
        throw;
    }
}

void BenchNamespaceRoot::start()
{
    // The host hands the plug-in its repository namespace as the address of
    // a shared pointer that it owns.
    _repository.reset(new NQRVKTA20::TInmemNamespace("repository"));
    NQRVKTA20::TCIMContext context;
    context["repository"] = NQRVKTA20::TCIMValue(
        static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(&_repository)));
    context["consumer"] = NQRVKTA20::TCIMValue(_consumer);
    NQRVKTA20::TPEGASUSNamespaceProvider::GetInstance()->AllocateNamespace(context, false, "");
    _namespace = NQRVKTA20::TPEGASUSNamespaceProvider::GetNamespace();
    if (!_namespace || !_namespace->isConnected())
        throw std::runtime_error("the namespace did not connect to its server");
}

BenchNamespaceRoot::~BenchNamespaceRoot()
{
    release();
}

void BenchNamespaceRoot::release()
{
    NQRVKTA20::TPEGASUSNamespaceProvider::ClearNamespace();
    _namespace.reset();
    _repository.reset();
    TPEGASUSNamespace::SystemCalls() = _oldCalls;
    if (_moduleDirSet)
        NQRVKTA20::TPEGASUSNamespaceProvider::GetfgModulePathName() = _oldModuleDir;
    _moduleDirSet = false;
    std::error_code ignored;
    fs::current_path(_oldCwd, ignored);
    if (!_root.empty())
        fs::remove_all(_root, ignored);
    _root.clear();
}

}  // namespace bench
