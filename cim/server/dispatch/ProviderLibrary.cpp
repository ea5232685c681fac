#include "ProviderLibrary.h"
#include "Utf8Text.h"

#include <Pegasus/Common/Exception.h>

#include <dlfcn.h>
#include <sys/stat.h>

namespace Pegasus {

namespace {

typedef CIMProvider* (*CreateProviderFunction)(const String&);

CIMException loadFailure(const std::string& path, const String& providerName,
                         const String& reason)
{
    return CIMException(CIM_ERR_FAILED,
        String("ProviderLoadFailure (") + String(path.c_str()) + ":" +
        providerName + "):" + reason);
}

}  // namespace

std::string ProviderLibrary::find(const std::vector<std::string>& dirs,
                                  const String& location)
{
    const std::string file = "lib" + utf8Text(location) + ".so";
    for (const std::string& dir : dirs)
    {
        if (dir.empty())
            continue;
        std::string path = dir;
        if (path.back() != '/')
            path += '/';
        path += file;
        struct stat info;
        if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
            return path;
    }
    return std::string();
}

CIMProvider* ProviderLibrary::createProvider(
    const std::vector<std::string>& dirs, const String& location,
    const String& moduleName, const String& providerName)
{
    // A location is a base name; anything with a path separator could
    // reach outside the provider directories.
    std::string path;
    if (location.find('/') == PEG_NOT_FOUND)
        path = find(dirs, location);
    if (path.empty())
    {
        throw CIMException(CIM_ERR_FAILED,
            "File \"lib" + location + ".so\" was not found for provider "
            "module \"" + moduleName + "\".");
    }

    // dlopen counts references, so loading a library that is already
    // loaded returns the same handle; the handle is deliberately never
    // closed, because objects and code of the provider may be referenced
    // until the process ends.
    void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle)
    {
        const char* error = ::dlerror();
        throw loadFailure(path, providerName,
            String("Cannot load library, error: ") + (error ? error : ""));
    }

    void* symbol = ::dlsym(handle, "PegasusCreateProvider");
    if (!symbol)
        throw loadFailure(path, providerName, "entry point not found.");

    CreateProviderFunction create =
        reinterpret_cast<CreateProviderFunction>(symbol);
    CIMProvider* provider = 0;
    try
    {
        provider = create(providerName);
    }
    catch (...)
    {
        provider = 0;
    }
    if (!provider)
        throw loadFailure(path, providerName, "provider is not a CIMProvider.");
    return provider;
}

}  // namespace Pegasus
