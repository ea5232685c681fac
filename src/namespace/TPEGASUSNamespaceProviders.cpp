// TPEGASUSNamespace: provider files and MOF loading.
#include "TPEGASUSNamespace.h"

#include <dirent.h>
#include <sys/stat.h>

#include "TKTAException.h"
#include "TOSSpecific.h"
#include "TRootObject.h"

namespace NQRVKTA20 {

void TPEGASUSNamespace::callCimmof(std::string const& ns, std::string const& mofFile)
{
    std::vector<std::string> args;
    args.push_back("-n");
    args.push_back(ns);
    args.push_back("-aE");
    args.push_back(mofFile);
    std::string output;
    TOSSpecific::SpawnProcess("cimmof", args, fRootPath + "/pegasus/bin/cimmof", fEnvironment,
                              output, 32767);
    TRootObject::GetCoreLogger()->Log(3, output);
}

std::vector<std::string> TPEGASUSNamespace::FindSubDirs(std::string const& dir)
{
    DIR* listing = opendir(dir.c_str());
    if (listing == nullptr)
        throw TKTAException(TKTAStatusCode::kCannotOpenDirectory, dir);
    std::vector<std::string> names;
    while (dirent* entry = readdir(listing)) {
        std::string const name(entry->d_name);
        struct stat info;
        if (stat((dir + "/" + name).c_str(), &info) != 0)
            continue;
        if (name == "." || name == ".." || !S_ISDIR(info.st_mode))
            continue;
        names.push_back(name);
    }
    closedir(listing);
    return names;
}

} // namespace NQRVKTA20
