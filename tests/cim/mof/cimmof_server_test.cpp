// cimmof against a real cimserver from the staging tree: the program's
// exit statuses and messages, and what the server holds afterwards.
// Fails when the server program has not been built.

#include <Pegasus/Client/CIMClient.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "CimserverProcess.h"

using namespace Pegasus;

namespace {

const std::string kBin = std::string(KTA_STAGE_DIR) + "/pegasus/bin/";
const std::string kShared = KTA_SHARED_DIR;

struct Result
{
    int status;
    std::string output;   // stdout and stderr together
};

// One server for all the cases (each loads a namespace of its own); our
// client reaches it through PEGASUS_HOME.
class CimmofServer : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        server = new CimserverProcess;
        started = server->start();
        _home = server->home().path();
        ::setenv("PEGASUS_HOME", _home.c_str(), 1);
    }

    static void TearDownTestSuite()
    {
        delete server;
        server = nullptr;
    }

    void SetUp() override { ASSERT_EQ(0, started.status) << started.out << started.err; }

    // Runs a shell command line with the server's environment.
    static Result run(const std::string& command)
    {
        RunResult r = runProgram("/bin/sh", {"-c", command + " 2>&1"}, server->environment());
        return Result{r.status, r.out};
    }

    static CimserverProcess* server;
    static RunResult started;
    static std::string _home;
};

CimserverProcess* CimmofServer::server = nullptr;
RunResult CimmofServer::started;
std::string CimmofServer::_home;

}  // namespace

TEST_F(CimmofServer, LoadsWiretestAndReportsExistingObjects)
{
    std::string load = kBin + "cimmof -n root/wire " + kShared + "/wire/wiretest.mof";
    Result first = run(load);
    ASSERT_EQ(first.status, 0) << first.output;
    EXPECT_EQ(first.output, "");

    CIMClient client;
    client.connectLocal();
    CIMClass widget = client.getClass("root/wire", "WT_Widget", false, true, true);
    EXPECT_EQ(std::string(widget.getSuperClassName().getString().getCString()), "WT_Base");
    EXPECT_NE(widget.findProperty("Id"), PEG_NOT_FOUND);
    EXPECT_NE(widget.findMethod("Resize"), PEG_NOT_FOUND);
    EXPECT_EQ(client.enumerateInstanceNames("root/wire", "WT_Widget").size(), 3u);
    CIMQualifierDecl key = client.getQualifier("root/wire", "Key");
    EXPECT_EQ(std::string(key.getFlavor().toString().getCString()), "TOSUBCLASS DISABLEOVERRIDE");

    Result second = run(load);
    EXPECT_EQ(second.status, 0) << second.output;
    EXPECT_NE(second.output.find("Warning:  Class WT_Widget already exists in the repository"),
              std::string::npos);
    EXPECT_NE(second.output.find("Warning: the instance already exists.\n"
                                 "In this implementation, that means it cannot be changed."),
              std::string::npos);
}

TEST_F(CimmofServer, LoadsTheDmtfSchemaIntoAFreshNamespace)
{
    Result r = run(kBin + "cimmof -n root/dmtf " + kShared + "/cim-schema/cim_schema_2.41.0.mof");
    ASSERT_EQ(r.status, 0) << r.output.substr(0, 2000);
    CIMClient client;
    client.connectLocal();
    CIMClass cs = client.getClass("root/dmtf", "CIM_ComputerSystem", false, true, true);
    EXPECT_EQ(std::string(cs.getSuperClassName().getString().getCString()), "CIM_System");
    Array<CIMName> keys;
    cs.getKeyNames(keys);
    EXPECT_EQ(keys.size(), 2u);
    CIMClass dep = client.getClass("root/dmtf", "CIM_Dependency");
    EXPECT_TRUE(dep.isAssociation());
}

TEST_F(CimmofServer, ServerSchemasAndErrorStatuses)
{
    const std::string schema = std::string(KTA_STAGE_DIR) + "/pegasus/pegSchema/";
    Result internal = run(kBin + "cimmof -n root/PG_Internal -aE " + schema
                          + "PG_Internal/PG_Internal.mof");
    EXPECT_EQ(internal.status, 0) << internal.output;
    Result interop = run(kBin + "cimmof -n root/PG_InterOp -aE " + schema
                         + "PG_InterOp/PG_InterOp.mof");
    EXPECT_EQ(interop.status, 0) << interop.output;
    CIMClient client;
    client.connectLocal();
    CIMClass pm = client.getClass("root/PG_InterOp", "PG_ProviderModule", false, true, true);
    Array<CIMName> keys;
    pm.getKeyNames(keys);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(std::string(keys[0].getString().getCString()), "Name");

    Result missing = run(kBin + "cimmof -n root/x " + _home + "/absent.mof");
    EXPECT_EQ(missing.status, 249);
    EXPECT_EQ(missing.output, "Can't open file " + _home + "/absent.mof\n");

    Result syntax = run("echo 'class X {' | " + kBin + "cimmof -n root/x");
    EXPECT_EQ(syntax.status, 250);
    // echo's newline puts the end of the text on line 2.
    EXPECT_NE(syntax.output.find("Parsing error: standard input:2: syntax error before "
                                 "'<end of file>'"),
              std::string::npos) << syntax.output;
}

TEST_F(CimmofServer, NamesDifferingOnlyInTheCaseOfALatin1LetterAreOneName)
{
    // Each name is declared in one case and used in another, by the
    // compiler and then through the server: Ü/ü and Ö/ö fold as U/u do.
    const std::string mof = _home + "/fold.mof";
    std::ofstream(mof) << R"(
Qualifier Key : boolean = false, Scope(property, reference), Flavor(DisableOverride, ToSubclass);
Qualifier Grösse : uint32 = 0, Scope(property);
class Fold_Stück { [Key] string Schlüssel; [GRÖSSE(3)] uint32 Wert; };
class Fold_Teil : FOLD_STÜCK { };
instance of FOLD_STÜCK { SCHLÜSSEL = "a"; Wert = 7; };
instance of fold_teil { schlÜssel = "b"; };
)";
    Result r = run(kBin + "cimmof -n root/fold " + mof);
    ASSERT_EQ(r.status, 0) << r.output;
    EXPECT_EQ(r.output, "");

    CIMClient client;
    client.connectLocal();
    CIMClass cls = client.getClass("root/fold", "FOLD_STÜCK", false, true, true);
    EXPECT_EQ(std::string(cls.getClassName().getString().getCString()), "Fold_Stück");
    Uint32 wert = cls.findProperty("WERT");
    ASSERT_NE(wert, PEG_NOT_FOUND);
    EXPECT_NE(cls.getProperty(wert).findQualifier("GRÖSSE"), PEG_NOT_FOUND);
    EXPECT_EQ(client.enumerateClassNames("root/fold", "fold_stÜck").size(), 1u);
    EXPECT_EQ(client.enumerateInstanceNames("root/fold", "FOLD_STüCK").size(), 2u);
    CIMInstance a = client.getInstance("root/fold", CIMObjectPath("fold_stÜck.SCHLÜSSEL=\"a\""));
    Uint32 value = a.findProperty("wert");
    ASSERT_NE(value, PEG_NOT_FOUND);
    EXPECT_EQ(a.getProperty(value).getValue().toString(), "7");
    client.deleteInstance("root/fold", CIMObjectPath("FOLD_TEIL.schlüssel=\"b\""));
    EXPECT_EQ(client.enumerateInstanceNames("root/fold", "Fold_Stück").size(), 1u);
    EXPECT_EQ(std::string(client.getQualifier("root/fold", "grÖSSE").getName().getString()
                              .getCString()),
              "Grösse");
}

TEST(CimmofProgram, StatusesWithoutAServer)
{
    const CimserverProcess noServer;  // never started: only its environment
    struct Case
    {
        std::vector<std::string> args;
        int status;
        std::string firstLine;
    } cases[] = {
        {{"--version"}, 255, "Version 2.14.4"},
        {{"-h"}, 255, "Usage: "},
        {{"-R", "x.mof"}, 254, "Command line errors:"},
        {{"-aQ", "x.mof"}, 254, "Unknown value specified for option -a."},
        {{"x.mof"}, 246, "Cannot connect to CIM Server. The CIM Server may not be running."},
    };
    for (const Case& c : cases)
    {
        RunResult r = noServer.run("cimmof", c.args);
        const std::string out = r.out + r.err;
        EXPECT_EQ(r.status, c.status) << c.args[0] << ": " << out;
        EXPECT_NE(out.find(c.firstLine), std::string::npos) << c.args[0] << ": " << out;
    }
}

// Declarations go to the server in batches; what the server and the user
// see must not change: the error in the middle of a batch names its line,
// the instances before it are there (a duplicate only warns), nothing after
// it is written.
TEST_F(CimmofServer, BatchedDeclarationsKeepTheirOrderAndErrors)
{
    const std::string file = _home + "/many.mof";
    std::string mof = "#pragma include (\"" + kShared + "/cim-schema/qualifiers.mof\")\n"
                      "class T_Item { [Key] string Id; string Name; };\n";
    int errorLine = 0;
    for (int i = 0; i < 450; ++i)
    {
        if (i == 100)
            mof += "instance of T_Item { Id = \"i5\"; Name = \"again\"; };\n";
        else if (i == 310)
        {
            mof += "instance of T_Item { Name = \"no key\"; };\n";
            errorLine = 3 + i;
        }
        else
            mof += "instance of T_Item { Id = \"i" + std::to_string(i) + "\"; };\n";
    }
    mof += "class T_After { [Key] string Id; };\n";
    std::ofstream(file) << mof;

    Result r = run(kBin + "cimmof -n root/many " + file);
    EXPECT_EQ(r.status, 250);
    EXPECT_EQ(r.output,
              "Warning: the instance already exists.\n"
              "In this implementation, that means it cannot be changed.\n"
              "Parsing error: parse error: Error adding an instance of T_Item to the "
              "repository: CIM_ERR_INVALID_PARAMETER: key property Id has no value (at "
                  + file + ":" + std::to_string(errorLine) + ":1)\n");

    CIMClient client;
    client.connectLocal();
    EXPECT_EQ(client.enumerateInstanceNames("root/many", "T_Item").size(), 309u);
    EXPECT_THROW(client.getClass("root/many", "T_After"), CIMException);

    // What is queued when a later file cannot be read is still written.
    const std::string good = _home + "/good.mof";
    std::ofstream(good) << "instance of T_Item { Id = \"g1\"; };\n"
                           "instance of T_Item { Id = \"g2\"; };\n";
    Result missing = run(kBin + "cimmof -n root/many " + good + " " + _home + "/absent.mof");
    EXPECT_EQ(missing.status, 249);
    EXPECT_EQ(missing.output, "Can't open file " + _home + "/absent.mof\n");
    EXPECT_EQ(client.enumerateInstanceNames("root/many", "T_Item").size(), 311u);
}

// --xml writes what the MOF declares as one CIM-XML DECLARATION document on
// standard output and leaves the server as it was; a file that cannot be
// read still leaves a whole document, holding what came before it.
TEST_F(CimmofServer, XmlWritesTheDeclarationsInsteadOfLoadingThem)
{
    const std::string file = _home + "/xml.mof";
    std::ofstream(file) << ("Qualifier Key : boolean = false, Scope(property, reference), "
               "Flavor(DisableOverride, ToSubclass);\n"
               "class X_Thing { [Key] string Id; uint32 Size = 5; };\n"
               "instance of X_Thing { Id = \"a\"; Size = 7; };\n");
    const std::string document =
        "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n"
        "<CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\">\n"
        "<DECLARATION>\n"
        "<DECLGROUP>\n"
        "<QUALIFIER.DECLARATION NAME=\"Key\" TYPE=\"boolean\" OVERRIDABLE=\"false\">\n"
        "<SCOPE REFERENCE=\"true\" PROPERTY=\"true\"/>\n"
        "<VALUE>FALSE</VALUE>\n"
        "</QUALIFIER.DECLARATION>\n"
        "<VALUE.OBJECT>\n"
        "<CLASS NAME=\"X_Thing\">\n"
        "<PROPERTY NAME=\"Id\" TYPE=\"string\">\n"
        "<QUALIFIER NAME=\"Key\" TYPE=\"boolean\" OVERRIDABLE=\"false\">\n"
        "<VALUE>TRUE</VALUE>\n"
        "</QUALIFIER>\n"
        "</PROPERTY>\n"
        "<PROPERTY NAME=\"Size\" TYPE=\"uint32\">\n"
        "<VALUE>5</VALUE>\n"
        "</PROPERTY>\n"
        "</CLASS>\n"
        "</VALUE.OBJECT>\n"
        "<VALUE.OBJECT>\n"
        "<INSTANCE CLASSNAME=\"X_Thing\">\n"
        "<PROPERTY NAME=\"Id\" TYPE=\"string\" CLASSORIGIN=\"X_Thing\">\n"
        "<VALUE>a</VALUE>\n"
        "</PROPERTY>\n"
        "<PROPERTY NAME=\"Size\" TYPE=\"uint32\" CLASSORIGIN=\"X_Thing\">\n"
        "<VALUE>7</VALUE>\n"
        "</PROPERTY>\n"
        "</INSTANCE>\n"
        "</VALUE.OBJECT>\n"
        "</DECLGROUP>\n"
        "</DECLARATION>\n"
        "</CIM>\n";
    const std::string xml = _home + "/out.xml";
    auto written = [&xml] {
        std::ifstream in(xml);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };

    // Standard output to the file, standard error to run()'s output.
    Result r = run("{ " + kBin + "cimmof --xml -n root/xmlout " + file + " > " + xml + "; }");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.output, "");
    EXPECT_EQ(written(), document);

    CIMClient client;
    client.connectLocal();
    try
    {
        client.getClass("root/xmlout", "X_Thing");
        ADD_FAILURE() << "--xml created the class in the server";
    }
    catch (const CIMException& e)
    {
        EXPECT_TRUE(e.getCode() == CIM_ERR_INVALID_NAMESPACE || e.getCode() == CIM_ERR_NOT_FOUND)
            << e.getCode();
    }

    Result missing = run("{ " + kBin + "cimmof --xml -n root/xmlout " + file + " " + _home +
                         "/absent.mof > " + xml + "; }");
    EXPECT_EQ(missing.status, 249);
    EXPECT_EQ(missing.output, "Can't open file " + _home + "/absent.mof\n");
    EXPECT_EQ(written(), document);
}
