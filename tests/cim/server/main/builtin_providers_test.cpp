#include <gtest/gtest.h>

#include <Pegasus/Common/CIMInstance.h>
#include <Pegasus/Common/CIMProperty.h>
#include <Pegasus/Common/Exception.h>

#include "BuiltinProviders.h"
#include "TempHome.h"

using namespace Pegasus;

namespace {

struct Handlers : public InstanceResponseHandler,
                  public ObjectPathResponseHandler,
                  public MethodResultResponseHandler
{
    void processing() override { events += "p"; }
    void complete() override { events += "c"; }
    void deliver(const CIMInstance& i) override { instances.push_back(i); }
    void deliver(const CIMObjectPath& p) override { paths.push_back(p); }
    void deliverParamValue(const CIMParamValue&) override {}
    void deliver(const CIMValue& v) override
    {
        events += "v";
        returned = v;
    }

    std::string events;
    std::vector<CIMInstance> instances;
    std::vector<CIMObjectPath> paths;
    CIMValue returned;
};

CIMObjectPath settingPath(const char* name)
{
    Array<CIMKeyBinding> keys;
    keys.append(CIMKeyBinding(CIMName("PropertyName"), String(name),
                              CIMKeyBinding::STRING));
    return CIMObjectPath("host", CIMNamespaceName("root/PG_Internal"),
                         CIMName("PG_ConfigSetting"), keys);
}

std::string stringValue(const CIMInstance& instance, const char* name)
{
    Uint32 pos = instance.findProperty(CIMName(name));
    if (pos == PEG_NOT_FOUND)
        return "(missing)";
    String s;
    instance.getProperty(pos).getValue().get(s);
    return std::string(s.getCString());
}

Array<CIMParamValue> updateParams(const char* value, bool reset,
                                  bool current, bool planned)
{
    Array<CIMParamValue> in;
    in.append(CIMParamValue("PropertyValue", CIMValue(String(value))));
    in.append(CIMParamValue("ResetValue", CIMValue(Boolean(reset))));
    in.append(CIMParamValue("SetCurrentValue", CIMValue(Boolean(current))));
    in.append(CIMParamValue("SetPlannedValue", CIMValue(Boolean(planned))));
    in.append(CIMParamValue("TimeoutPeriod", CIMValue(Uint32(20))));
    return in;
}

class ConfigSettingProviderTest : public ::testing::Test
{
protected:
    ConfigSettingProviderTest() : config(home.path()), provider(config)
    {
        config.loadForStart();
    }

    TempHome home;
    ServerConfig config;
    ConfigSettingProvider provider;
    OperationContext context;
};

TEST_F(ConfigSettingProviderTest, GetInstanceReportsAllValues)
{
    config.update("traceLevel", "4", false, false, true);
    Handlers h;
    provider.getInstance(context, settingPath("traceLevel"), false, false,
                         CIMPropertyList(), h);
    ASSERT_EQ(h.instances.size(), 1u);
    EXPECT_EQ(h.events, "pc");
    const CIMInstance& i = h.instances[0];
    EXPECT_EQ(stringValue(i, "PropertyName"), "traceLevel");
    EXPECT_EQ(stringValue(i, "CurrentValue"), "0");
    EXPECT_EQ(stringValue(i, "PlannedValue"), "4");
    EXPECT_EQ(stringValue(i, "DefaultValue"), "0");
    Boolean dynamic = false;
    i.getProperty(i.findProperty("DynamicProperty")).getValue().get(dynamic);
    EXPECT_TRUE(dynamic);
    EXPECT_EQ(i.getPath().getKeyBindings().size(), 1u);
}

TEST_F(ConfigSettingProviderTest, UnknownPropertyIsNotFound)
{
    Handlers h;
    try
    {
        provider.getInstance(context, settingPath("nosuch"), false, false,
                             CIMPropertyList(), h);
        FAIL();
    }
    catch (const CIMException& e)
    {
        EXPECT_EQ(e.getCode(), CIM_ERR_NOT_FOUND);
        EXPECT_EQ(std::string(e.getMessage().getCString()),
                  "Configuration property \"nosuch\"");
    }
    EXPECT_TRUE(h.instances.empty());
}

TEST_F(ConfigSettingProviderTest, EnumeratesEveryPropertyInNameOrder)
{
    Handlers h;
    CIMObjectPath cls("host", CIMNamespaceName("root/PG_Internal"),
                      CIMName("PG_ConfigSetting"));
    provider.enumerateInstances(context, cls, false, false, CIMPropertyList(),
                                h);
    provider.enumerateInstanceNames(context, cls, h);
    ASSERT_EQ(h.instances.size(), configProperties().size());
    ASSERT_EQ(h.paths.size(), configProperties().size());
    for (size_t i = 0; i < h.instances.size(); ++i)
        EXPECT_EQ(stringValue(h.instances[i], "PropertyName"),
                  configProperties()[i].name);
    EXPECT_EQ(h.paths[0].getKeyBindings()[0].getValue(),
              String(configProperties()[0].name));
}

TEST_F(ConfigSettingProviderTest, ResetIgnoresTheValue)
{
    config.update("traceLevel", "3", false, true, false);
    Handlers h;
    Array<CIMParamValue> in = updateParams("garbage", true, true, false);
    provider.invokeMethod(context, settingPath("traceLevel"),
                          CIMName("UpdatePropertyValue"), in, h);
    EXPECT_EQ(config.current("traceLevel"), "0");
}

TEST_F(ConfigSettingProviderTest, OtherMethodsAndWritesAreRefused)
{
    Handlers h;
    EXPECT_THROW(provider.invokeMethod(context, settingPath("traceLevel"),
                                       CIMName("Other"),
                                       Array<CIMParamValue>(), h),
                 CIMException);
    EXPECT_THROW(provider.deleteInstance(context, settingPath("traceLevel"), h),
                 CIMException);
}

TEST(ShutdownServiceProviderTest, AnswersBeforeStopping)
{
    std::string order;
    Handlers h;
    ShutdownServiceProvider provider([&]() { order = h.events + "|stop"; });
    Array<CIMParamValue> in;
    in.append(CIMParamValue("force", CIMValue(Boolean(true))));
    in.append(CIMParamValue("timeout", CIMValue(Uint32(30))));
    OperationContext context;
    provider.invokeMethod(context,
                          CIMObjectPath("", CIMNamespaceName("root/PG_Internal"),
                                        CIMName("PG_ShutdownService")),
                          CIMName("shutdown"), in, h);
    EXPECT_EQ(order, "pvc|stop");
    Uint32 rc = 99;
    h.returned.get(rc);
    EXPECT_EQ(rc, 0u);

    bool stopped = false;
    ShutdownServiceProvider other([&]() { stopped = true; });
    EXPECT_THROW(other.invokeMethod(context, CIMObjectPath(), CIMName("reboot"),
                                    Array<CIMParamValue>(), h),
                 CIMException);
    EXPECT_FALSE(stopped);
}

}  // namespace
