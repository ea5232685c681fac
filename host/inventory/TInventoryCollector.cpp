#include "TInventoryCollector.h"

#include <algorithm>
#include <chrono>
#include <iostream>

#include "ICIMInstance.h"
#include "ICIMProperty.h"
#include "ICIMPropertyDecl.h"
#include "TCIMContext.h"
#include "TInmemNames.h"
#include "TKTAException.h"
#include "TRootObject.h"

namespace NQRVKTA20 {

namespace {

typedef std::chrono::steady_clock TClock;

double SecondsSince(TClock::time_point start)
{
    return std::chrono::duration<double>(TClock::now() - start).count();
}

void Log(int severity, std::string const& text)
{
    TRootObject::GetCoreLogger()->Log(severity, "kta-inventory: " + text);
}

} // namespace

std::string CurrentExceptionText()
{
    try {
        throw;
    } catch (TKTAException const& e) {
        std::string text = "status " + std::to_string(e.GetStatusCode()) + ", " + e.what();
        if (!e.GetDetail().empty())
            text += ": " + e.GetDetail();
        return text;
    } catch (std::exception const& e) {
        return e.what();
    } catch (...) {
        // The CIM client's exceptions are not host types; the plug-in's log
        // has their message.
        return "an exception of the CIM client or a provider (see the log)";
    }
}

void TInventoryProgress::Say(std::string const& text)
{
    if (!fEnabled)
        return;
    std::lock_guard<std::mutex> lock(fMutex);
    std::cerr << "kta-inventory: " << text << std::endl;
}

TInventoryCollector::TInventoryCollector(boost::shared_ptr<ICIMNamespace> nameSpace,
                                         std::string classFilter, TInventoryProgress& progress)
    : fNamespace(nameSpace), fClassFilter(classFilter), fProgress(progress)
{
}

std::vector<std::string> TInventoryCollector::ListProviders()
{
    std::vector<std::string> names;
    for (signed char pluginType : {10, 11}) {
        std::vector<std::string> pass;
        TCIMContext context;
        context["pluginType"] = TCIMValue(pluginType);
        try {
            fNamespace->EnumerateProviders(
                [this, &pass](boost::shared_ptr<IProvider> provider) {
                    std::string name;
                    try {
                        name = provider->GetName(TCIMContext());
                    } catch (...) {
                        name = "(unnamed: " + CurrentExceptionText() + ")";
                    }
                    std::lock_guard<std::mutex> lock(fReportMutex);
                    pass.push_back(name);
                    return true;
                },
                context);
        } catch (...) {
            Log(1, "listing the providers failed: " + CurrentExceptionText());
        }
        // The parallel pass hands providers over in no fixed order.
        std::sort(pass.begin(), pass.end());
        names.insert(names.end(), pass.begin(), pass.end());
    }
    return names;
}

void TInventoryCollector::Collect(TInventoryReport& report)
{
    TClock::time_point const start = TClock::now();
    Pass(10, report);
    Pass(11, report);
    report.fSeconds = SecondsSince(start);
    std::stable_sort(report.fProviders.begin(), report.fProviders.end(),
                     [](TInventoryProvider const& a, TInventoryProvider const& b) {
                         return a.fPluginType != b.fPluginType ? a.fPluginType < b.fPluginType
                                                               : a.fName < b.fName;
                     });
}

void TInventoryCollector::Pass(signed char pluginType, TInventoryReport& report)
{
    TCIMContext context;
    context["pluginType"] = TCIMValue(pluginType);
    try {
        fNamespace->EnumerateProviders(
            [this, pluginType, &report](boost::shared_ptr<IProvider> provider) {
                return VisitProvider(provider, pluginType, report);
            },
            context);
    } catch (...) {
        std::string const text = "enumerating the providers (pluginType " +
                                 std::to_string(pluginType) + ") failed: " + CurrentExceptionText();
        Log(1, text);
        std::lock_guard<std::mutex> lock(fReportMutex);
        report.fErrors.push_back(text);
    }
}

bool TInventoryCollector::VisitProvider(boost::shared_ptr<IProvider> const& provider,
                                        int pluginType, TInventoryReport& report)
{
    TInventoryProvider record;
    record.fPluginType = pluginType;
    TClock::time_point const start = TClock::now();
    std::size_t offered = 0;
    try {
        TCIMContext const none;
        record.fName = provider->GetName(none);
        record.fModule = provider->GetModuleName(none);
        record.fDescription = provider->GetDescription(none);
        fProgress.Say(record.fName + ": collecting");
        provider->EnumerateClassesProvided(
            [this, &record, &offered](boost::shared_ptr<ICIMClass> cls) {
                if (!cls)
                    return true;
                ++offered;
                if (!ClassMatches(cls->GetName(TCIMContext()), fClassFilter))
                    return true;
                record.fClasses.push_back(TInventoryClass());
                CollectClass(cls, record.fName, record.fClasses.back());
                return true;
            },
            none);
        // Every class a provider asks for is registered at start-up; one
        // that offers none had all of them refused by the server.
        if (offered == 0)
            record.fError = "the provider offers no classes: none of its classes could be "
                            "registered in the CIM server (see the log)";
    } catch (...) {
        record.fError = CurrentExceptionText();
    }
    record.fSeconds = SecondsSince(start);

    std::size_t instances = 0;
    for (TInventoryClass const& cls : record.fClasses)
        instances += cls.fInstances.size();
    if (!record.fError.empty()) {
        Log(1, "provider " + record.fName + " failed: " + record.fError);
        fProgress.Say(record.fName + ": FAILED: " + record.fError);
    } else {
        fProgress.Say(record.fName + ": done, " +
                      CountText(record.fClasses.size(), "class", "classes") + ", " +
                      CountText(instances, "instance", "instances") + " (" +
                      SecondsText(record.fSeconds) + ")");
    }
    std::lock_guard<std::mutex> lock(fReportMutex);
    report.fProviders.push_back(std::move(record));
    return true;
}

void TInventoryCollector::CollectClass(boost::shared_ptr<ICIMClass> const& cls,
                                       std::string const& providerName, TInventoryClass& record)
{
    TClock::time_point const start = TClock::now();
    std::vector<std::string> errors;
    try {
        TCIMContext const none;
        record.fName = cls->GetName(none);
        std::set<std::string> keys;
        cls->EnumerateKeyNames(
            [&keys](std::string const* name) {
                if (name != nullptr)
                    keys.insert(InmemNormalizeName(*name));
                return true;
            },
            none);
        cls->EnumerateInstances(
            [this, &record, &keys, &errors](boost::shared_ptr<ICIMInstance> instance) {
                // Nothing may leave the callback: the plug-in would take a
                // host exception for a failure of its own and drop it.
                try {
                    if (instance)
                        record.fInstances.push_back(DescribeInstance(instance, keys, errors));
                } catch (...) {
                    errors.push_back("an instance of " + record.fName + ": " +
                                     CurrentExceptionText());
                }
                return true;
            },
            false, none);
    } catch (...) {
        errors.insert(errors.begin(), CurrentExceptionText());
    }
    record.fSeconds = SecondsSince(start);
    if (!errors.empty()) {
        record.fError = errors.front();
        if (errors.size() > 1)
            record.fError += " (and " + std::to_string(errors.size() - 1) + " more)";
        Log(1,
            "class " + record.fName + " of provider " + providerName + " failed: " + record.fError);
    }
    fProgress.Say(providerName + ": " + record.fName + ": " +
                  (record.fError.empty()
                       ? CountText(record.fInstances.size(), "instance", "instances")
                       : "FAILED: " + record.fError) +
                  " (" + SecondsText(record.fSeconds) + ")");
}

TInventoryInstance
TInventoryCollector::DescribeInstance(boost::shared_ptr<ICIMInstance> const& instance,
                                      std::set<std::string> const& keys,
                                      std::vector<std::string>& errors)
{
    TInventoryInstance record;
    TCIMContext const none;
    record.fPath = instance->BuildPath(none).GetPath();
    instance->EnumerateProperties(
        [&record, &keys, &errors, &none](boost::shared_ptr<ICIMProperty> property) {
            if (!property)
                return true;
            TInventoryProperty item;
            try {
                boost::shared_ptr<const ICIMPropertyDecl> decl = property->GetDeclaration(none);
                item.fName = decl ? decl->GetName(none) : std::string("?");
                item.fKey = keys.count(InmemNormalizeName(item.fName)) != 0;
                item.fType = property->GetType(none).GetName();
                TCIMValue const& value = property->GetValue(none);
                item.fNull = value.IsNull();
                item.fValue = value.ToString(10);
                item.fDisplay = item.fValue;
                item.fDisplay = property->ToString();
            } catch (...) {
                errors.push_back("property " + item.fName + " of " + record.fPath + ": " +
                                 CurrentExceptionText());
            }
            record.fProperties.push_back(item);
            return true;
        },
        none);
    return record;
}

} // namespace NQRVKTA20
