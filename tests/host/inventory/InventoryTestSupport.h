// Helpers of the kta-inventory tests: installation roots built from the
// staging tree, running the program, reading its reports, and loading HTML
// pages in headless Chromium.
#ifndef NQRVKTA20_TESTS_INVENTORYTESTSUPPORT_H
#define NQRVKTA20_TESTS_INVENTORYTESTSUPPORT_H

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace invtest {

namespace fs = std::filesystem;

inline std::string const kStage = KTA_STAGE_DIR;
inline std::string const kProgram = kStage + "/kta-inventory";
inline std::string const kChromium = "/usr/bin/chromium";

// A fresh directory below /tmp, removed with everything in it at the end.
class TempDir {
public:
    TempDir()
    {
        char pattern[] = "/tmp/invtest.XXXXXX";
        if (mkdtemp(pattern) == nullptr)
            throw std::runtime_error("mkdtemp failed");
        fPath = fs::canonical(pattern).string();
    }
    ~TempDir()
    {
        std::error_code ignored;
        fs::remove_all(fPath, ignored);
    }
    TempDir(TempDir const&) = delete;
    TempDir& operator=(TempDir const&) = delete;

    std::string const& Path() const { return fPath; }
    std::string operator/(std::string const& rel) const { return fPath + "/" + rel; }

private:
    std::string fPath;
};

inline std::string ReadFile(std::string const& path)
{
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteFile(std::string const& path, std::string const& text)
{
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::trunc) << text;
}

// The staged sample provider folders (pegasus/provider/<name>).
inline std::vector<std::string> StagedProviders()
{
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_entry const& entry :
         fs::directory_iterator(kStage + "/pegasus/provider", error))
        if (entry.is_directory())
            names.push_back(entry.path().filename().string());
    return names;
}

// Makes `root` an installation root that shares the staging tree's files
// (plug-in, host libraries, server programs, schema, providers) through
// symbolic links but has a server home of its own, so that a run there
// does not meet the runs of other tests.  Returns what is missing from the
// staging tree ("" when it is complete).
inline std::string MakeRoot(std::string const& root)
{
    for (char const* file :
         {"kta-inventory", "libpegasus.nsp.so", "libktacore.so", "libinmem.nsp.so",
          "libxmlparser.so", "pegasus/bin/cimserver", "pegasus/bin/cimmof", "pegasus/bin/cimconfig",
          "pegasus/lib", "pegasus/pegSchema"})
        if (!fs::exists(kStage + "/" + file))
            return "not staged: " + kStage + "/" + file;
    if (StagedProviders().empty())
        return "no sample providers staged in " + kStage + "/pegasus/provider";
    fs::create_directories(root + "/pegasus/provider");
    for (char const* file :
         {"libpegasus.nsp.so", "libktacore.so", "libinmem.nsp.so", "libxmlparser.so"})
        fs::create_symlink(kStage + "/" + file, root + "/" + file);
    for (char const* dir : {"bin", "lib", "pegSchema"})
        fs::create_directory_symlink(kStage + "/pegasus/" + dir, root + "/pegasus/" + dir);
    for (std::string const& name : StagedProviders())
        fs::create_directory_symlink(kStage + "/pegasus/provider/" + name,
                                     root + "/pegasus/provider/" + name);
    return std::string();
}

// A consumer name no other test process uses, so that the plug-in's start
// files of parallel runs stay apart.
inline std::string UniqueConsumer(std::string const& what)
{
    static int count = 0;
    return "invtest_" + what + "_" + std::to_string(getpid()) + "_" + std::to_string(++count);
}

struct TRun {
    int fStatus = -1; // exit status; 128 + signal when killed
    std::string fOut;
    std::string fErr;
};

// Runs `program` with `args` in `directory`, standard output and standard
// error each into a file below `directory`, and waits for it.
inline TRun Run(std::vector<std::string> const& args, std::string const& directory,
                std::string const& program = kProgram)
{
    std::string const outFile = directory + "/run.stdout";
    std::string const errFile = directory + "/run.stderr";
    pid_t const child = fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0) {
        int const out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int const err = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0 || chdir(directory.c_str()) != 0)
            _exit(127);
        dup2(out, 1);
        dup2(err, 2);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (std::string const& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    TRun run;
    run.fStatus = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.fOut = ReadFile(outFile);
    run.fErr = ReadFile(errFile);
    return run;
}

// Run() for a run that starts the private CIM server.  The plug-in probes
// for a free port and then starts the server on it, so two servers started
// at the same moment can pick the same port and one namespace connect to
// the other's server: such runs take turns, across the test programs,
// through a lock file.
inline TRun RunWithServer(std::vector<std::string> const& args, std::string const& directory)
{
    int const lock = open("/tmp/kta-private-cimserver.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (lock < 0 || flock(lock, LOCK_EX) != 0)
        throw std::runtime_error("cannot lock /tmp/kta-private-cimserver.lock");
    TRun run;
    try {
        run = Run(args, directory);
    } catch (...) {
        close(lock);
        throw;
    }
    close(lock);
    return run;
}

inline nlohmann::json ReadJson(std::string const& path)
{
    return nlohmann::json::parse(ReadFile(path));
}

// The classes of a JSON report called `name`, from every provider.
inline std::vector<nlohmann::json> ClassesNamed(nlohmann::json const& report,
                                                std::string const& name)
{
    std::vector<nlohmann::json> found;
    for (nlohmann::json const& provider : report.at("providers"))
        for (nlohmann::json const& cls : provider.at("classes"))
            if (cls.at("name") == name)
                found.push_back(cls);
    return found;
}

// The instances of class `name` in a JSON report.
inline std::vector<nlohmann::json> InstancesOf(nlohmann::json const& report,
                                               std::string const& name)
{
    std::vector<nlohmann::json> instances;
    for (nlohmann::json const& cls : ClassesNamed(report, name))
        for (nlohmann::json const& instance : cls.at("instances"))
            instances.push_back(instance);
    return instances;
}

// The property `name` of a JSON report's instance (null when absent).
inline nlohmann::json PropertyOf(nlohmann::json const& instance, std::string const& name)
{
    for (nlohmann::json const& property : instance.at("properties"))
        if (property.at("name") == name)
            return property;
    return nlohmann::json();
}

// The DOM of an HTML file after headless Chromium has loaded it.
inline TRun DumpDom(std::string const& htmlFile, std::string const& directory)
{
    return Run({"--headless", "--no-sandbox", "--disable-gpu", "--dump-dom", "file://" + htmlFile},
               directory, kChromium);
}

} // namespace invtest

#endif
