// The real DMTF schema and our own server schema files compile cleanly.

#include "MofTestSupport.h"

#include <gtest/gtest.h>

#include <chrono>

using namespace moftest;

namespace {

const std::string kSchemaTop = std::string(KTA_SHARED_DIR) + "/cim-schema/cim_schema_2.41.0.mof";

Uint32 qualifierIndex(const CIMClass& cls, const char* name)
{
    return cls.findQualifier(CIMName(name));
}

}  // namespace

TEST(MofSchema, DmtfSchemaCompilesWithoutErrors)
{
    Compilation run;
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(run.compiler->compileFile(kSchemaTop));
    auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(run.errors(), 0u) << run.allMessages();
    // No include is missing either.
    EXPECT_TRUE(run.messages().empty()) << run.allMessages();
    std::printf("schema: %zu classes in %lld ms\n", run.target.classNames("root/test").size(),
                (long long)std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
    EXPECT_GT(run.target.classNames("root/test").size(), 1400u);

    // A sample of classes, checked against what the schema says.
    CIMClass cs = run.resolved("CIM_ComputerSystem");
    ASSERT_FALSE(cs.isUninitialized());
    EXPECT_EQ(str(cs.getSuperClassName().getString()), "CIM_System");
    Array<CIMName> keys;
    cs.getKeyNames(keys);
    ASSERT_EQ(keys.size(), 2u);
    // Inherited order: Name comes from CIM_ManagedSystemElement.
    EXPECT_EQ(str(keys[0].getString()), "Name");
    EXPECT_EQ(str(keys[1].getString()), "CreationClassName");

    CIMClass me = run.cls("CIM_ManagedElement");
    ASSERT_FALSE(me.isUninitialized());
    EXPECT_TRUE(me.getSuperClassName().isNull());
    EXPECT_TRUE(me.isAbstract());
    EXPECT_NE(qualifierIndex(me, "Version"), PEG_NOT_FOUND);

    CIMClass dep = run.cls("CIM_Dependency");
    ASSERT_FALSE(dep.isUninitialized());
    EXPECT_TRUE(dep.isAssociation());
    Uint32 ant = dep.findProperty("Antecedent");
    ASSERT_NE(ant, PEG_NOT_FOUND);
    EXPECT_EQ(dep.getProperty(ant).getType(), CIMTYPE_REFERENCE);
    EXPECT_EQ(str(dep.getProperty(ant).getReferenceClassName().getString()), "CIM_ManagedElement");

    CIMClass ind = run.cls("CIM_Indication");
    ASSERT_FALSE(ind.isUninitialized());
    EXPECT_NE(qualifierIndex(ind, "Indication"), PEG_NOT_FOUND);

    // Key qualifier with the declaration's flavor (DisableOverride, ToSubclass).
    CIMClass le = run.cls("CIM_LogicalElement");
    ASSERT_FALSE(le.isUninitialized());
    EXPECT_EQ(str(le.getSuperClassName().getString()), "CIM_ManagedSystemElement");

    CIMQualifierDecl key = run.target.findQualifier("root/test", "Key");
    ASSERT_FALSE(key.isUninitialized());
    EXPECT_EQ(str(key.getScope().toString()), "PROPERTY REFERENCE");
    EXPECT_EQ(str(key.getFlavor().toString()), "TOSUBCLASS DISABLEOVERRIDE");
}

TEST(MofSchema, OurServerSchemasCompileWithoutErrors)
{
    // The staged copies: what the server is given at run time.
    const std::string dir = std::string(KTA_STAGE_DIR) + "/pegasus/pegSchema";
    struct Case
    {
        const char* file;
        const char* mustHave[4];
    } cases[] = {
        {"PG_Internal/PG_Internal.mof", {"PG_ConfigSetting", "PG_ShutdownService", nullptr}},
        {"PG_InterOp/PG_InterOp.mof",
         {"PG_ProviderModule", "PG_Provider", "PG_ProviderCapabilities", "PG_ConsumerCapabilities"}},
        {"CIM/CIM_Base.mof", {"CIM_ManagedElement", "CIM_ComputerSystem", "CIM_LogicalDevice", nullptr}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.file);
        Compilation run;
        ASSERT_TRUE(run.compiler->compileFile(dir + "/" + c.file));
        EXPECT_EQ(run.errors(), 0u) << run.allMessages();
        EXPECT_TRUE(run.messages().empty()) << run.allMessages();
        for (const char* name : c.mustHave)
        {
            if (name)
            {
                EXPECT_FALSE(run.cls(name).isUninitialized()) << name;
            }
        }
    }
}
