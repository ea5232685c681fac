// The kta_diag provider: the machine's load averages (KTA_LoadAverage, one
// instance, from /proc/loadavg), read anew on each request.  No file: no
// instance; a field that cannot be read: that property null.
#include <locale>
#include <sstream>
#include <string>

#include "ProviderSupport.h"

PEGASUS_USING_PEGASUS;

namespace {

using ktaprovider::InstanceBuilder;
using ktaprovider::OptionalValue;

const char* const kLoadClass = "KTA_LoadAverage";

// /proc/loadavg reads "0.50 1.03 1.45 2/94 30601": three averages, runnable
// and existing tasks, the last process id.  False when it cannot be read.
bool ReadLoadAverage(CIMInstance& result)
{
    std::string text;
    if (!ktaprovider::ReadFile("/proc/loadavg", text))
        return false;
    std::istringstream in(text);
    in.imbue(std::locale::classic()); // the kernel writes a decimal point
    InstanceBuilder load(kLoadClass);
    load.AddText("InstanceID", "KTA:LoadAverage");
    for (const char* name : {"OneMinute", "FiveMinutes", "FifteenMinutes"}) {
        double average = 0;
        bool const read = static_cast<bool>(in >> average);
        load.Add(name, OptionalValue(read, Real64(average)));
    }
    Uint32 runnable = 0;
    Uint32 total = 0;
    char slash = 0;
    bool const tasks = static_cast<bool>(in >> runnable >> slash >> total) && slash == '/';
    load.Add("RunnableTasks", OptionalValue(tasks, runnable));
    load.Add("TotalTasks", OptionalValue(tasks, total));
    result = load.Finish({"InstanceID"});
    return true;
}

class DiagProvider : public ktaprovider::ReadOnlyInstanceProvider
{
protected:
    Array<CIMInstance> Collect(const CIMName& className) override
    {
        Array<CIMInstance> instances;
        CIMInstance load;
        if (className.equal(CIMName(kLoadClass)) && ReadLoadAverage(load))
            instances.append(load);
        return instances;
    }
};

} // namespace

extern "C" PEGASUS_EXPORT CIMProvider* PegasusCreateProvider(const String& providerName)
{
    if (providerName == "KTA_DiagProvider")
        return new DiagProvider();
    return 0;
}
