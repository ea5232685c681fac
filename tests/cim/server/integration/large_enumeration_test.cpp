// Enumerations whose answers are far larger than one chunk: the server
// sends them while it reads them, and our client (which takes trailers)
// and wbemcli both get every instance and name, in order.
#include "IntegrationSupport.h"

#include <unistd.h>

using namespace Pegasus;
using integration::describe;
using integration::server;

namespace {

const char kNsName[] = "root/large";
const int kCount = 1500;  // about 1 MB of CIM-XML

std::string mof()
{
    std::string text =
        "Qualifier Key : boolean = false, Scope(property, reference), "
        "Flavor(DisableOverride, ToSubclass);\n"
        "class LE_Item\n{\n    [Key] uint32 Id;\n    string Text;\n};\n";
    const std::string filler(600, 'x');
    for (int i = 0; i < kCount; i++)
    {
        text += "instance of LE_Item { Id = " + std::to_string(i) + "; Text = \"" + filler +
                "\"; };\n";
    }
    return text;
}

Uint32 idOf(const CIMInstance& instance)
{
    Uint32 id = 0;
    instance.getProperty(instance.findProperty("Id")).getValue().get(id);
    return id;
}

}  // namespace

TEST(LargeEnumeration, EveryInstanceAndNameArrivesInOrder)
{
    ASSERT_TRUE(server().ensureStarted());
    RunResult load = server().cimmofText(kNsName, "large.mof", mof());
    ASSERT_EQ(load.status, 0) << describe(load);

    CIMClient client;
    server().connect(client);
    Array<CIMInstance> all = client.enumerateInstances(kNsName, "LE_Item");
    ASSERT_EQ(all.size(), Uint32(kCount));
    for (Uint32 i = 0; i < all.size(); i++)
        ASSERT_EQ(idOf(all[i]), i);
    Array<CIMObjectPath> names = client.enumerateInstanceNames(kNsName, "LE_Item");
    ASSERT_EQ(names.size(), Uint32(kCount));
    EXPECT_EQ(std::string(names[kCount - 1].toString().getCString()),
              "LE_Item.Id=" + std::to_string(kCount - 1));
    // The connection is still good for the next request.
    EXPECT_EQ(client.enumerateInstances(kNsName, "LE_Item").size(), Uint32(kCount));

    const char wbemcli[] = "/usr/bin/wbemcli";
    ASSERT_EQ(::access(wbemcli, X_OK), 0)
        << wbemcli << " is missing: install sblim-wbemcli (setup.sh does)";
    const std::string url = "http://127.0.0.1:" + std::to_string(server().port()) + "/" +
                            kNsName + ":LE_Item";
    RunResult ei = runProgram(wbemcli, {"ei", url}, {"PATH=/usr/bin:/bin"});
    ASSERT_EQ(ei.status, 0) << describe(ei);
    std::size_t lines = 0;
    for (std::size_t at = ei.out.find("LE_Item.Id="); at != std::string::npos;
         at = ei.out.find("LE_Item.Id=", at + 1))
        ++lines;
    EXPECT_EQ(lines, std::size_t(kCount));
}
