// Writes that fail in the store (a full disk, a commit that fails): every
// kind of repository write is made to fail at its first write, at a later
// write and at its commit.  The caller gets the store's error, the
// repository shows exactly what it showed before, in this process and after
// reopening, and the same write succeeds once the store works again.
#include "FailingSqliteCalls.h"
#include "RepositoryTestSupport.h"

#include <memory>

using namespace repotest;

namespace {

const CIMNamespaceName kEmptyNs("root/empty");
const CIMNamespaceName kFreshNs("root/fresh");

CIMInstance item(const char* id, const char* label)
{
    CIMInstance i("T_Item");
    i.addProperty(CIMProperty("Id", String(id)));
    i.addProperty(CIMProperty("Label", String(label)));
    return i;
}

CIMObjectPath itemPath(const char* id)
{
    Array<CIMKeyBinding> keys;
    keys.append(CIMKeyBinding("Id", String(id), CIMKeyBinding::STRING));
    return CIMObjectPath(String(), CIMNamespaceName(), "T_Item", keys);
}

CIMQualifierDecl note(const char* value)
{
    return CIMQualifierDecl("Note", CIMValue(String(value)), CIMScope::ANY);
}

// Key and Note declared; T_Item { [Key] Id; Label; } with T_Sub below it;
// the instance T_Item.Id="a"; and the empty namespace root/empty.
void fill(Repository& repo)
{
    repo.setQualifier(kNs, CIMQualifierDecl("Key", Boolean(false),
                                            CIMScope::PROPERTY + CIMScope::REFERENCE,
                                            flavor(CIMFlavor::DISABLEOVERRIDE,
                                                   CIMFlavor::TOSUBCLASS)));
    repo.setQualifier(kNs, note("old"));
    CIMClass itemClass("T_Item");
    CIMProperty id("Id", CIMValue(CIMTYPE_STRING, false));
    id.addQualifier(CIMQualifier("Key", Boolean(true)));
    itemClass.addProperty(id);
    itemClass.addProperty(CIMProperty("Label", CIMValue(CIMTYPE_STRING, false)));
    repo.createClass(kNs, itemClass);
    repo.createClass(kNs, CIMClass("T_Sub", "T_Item"));
    repo.createInstance(kNs, item("a", "first"));
    repo.createNamespace(kEmptyNs);
}

// Everything the repository shows, as text.
std::string contents(Repository& repo)
{
    std::string out;
    Array<CIMNamespaceName> namespaces = repo.enumerateNamespaces();
    for (Uint32 n = 0; n < namespaces.size(); n++)
    {
        const CIMNamespaceName& ns = namespaces[n];
        out += "namespace " + str(ns.getString()) + "\n";
        Array<CIMQualifierDecl> qualifiers = repo.enumerateQualifiers(ns);
        for (Uint32 q = 0; q < qualifiers.size(); q++)
            out += " qualifier " + str(qualifiers[q].getName().getString()) + " = " +
                   str(qualifiers[q].getValue().toString()) + "\n";
        Array<CIMClass> classes = repo.enumerateClasses(ns, CIMName(), true, true, false, false);
        for (Uint32 c = 0; c < classes.size(); c++)
        {
            const CIMName& name = classes[c].getClassName();
            out += " class " + str(name.getString()) + " : " +
                   str(classes[c].getSuperClassName().getString());
            for (Uint32 p = 0; p < classes[c].getPropertyCount(); p++)
                out += " " + str(classes[c].getProperty(p).getName().getString());
            out += "\n";
            Array<CIMInstance> instances = repo.enumerateInstancesForClass(
                ns, name, false, false, false, CIMPropertyList());
            for (Uint32 i = 0; i < instances.size(); i++)
            {
                out += "  " + str(instances[i].getPath().toString());
                for (Uint32 p = 0; p < instances[i].getPropertyCount(); p++)
                    out += " " + str(instances[i].getProperty(p).getValue().toString());
                out += "\n";
            }
        }
    }
    return out;
}

struct Write
{
    const char* name;
    bool severalWrites;  // more than one statement changes the store
    std::function<void(Repository&)> run;
};

const Write kWrites[] = {
    {"createNamespace", false, [](Repository& r) { r.createNamespace("root/new"); }},
    {"deleteNamespace", true, [](Repository& r) { r.deleteNamespace(kEmptyNs); }},
    {"setQualifier new", false,
     [](Repository& r) {
         r.setQualifier(kNs, CIMQualifierDecl("Units", CIMValue(String("")), CIMScope::ANY));
     }},
    {"setQualifier replaced", false, [](Repository& r) { r.setQualifier(kNs, note("new")); }},
    {"setQualifier in a new namespace", true,
     [](Repository& r) { r.setQualifier(kFreshNs, note("fresh")); }},
    {"deleteQualifier", false, [](Repository& r) { r.deleteQualifier(kNs, "Note"); }},
    {"createClass", true, [](Repository& r) { r.createClass(kNs, CIMClass("T_Other")); }},
    {"modifyClass", true,
     [](Repository& r) {
         CIMClass sub("T_Sub", "T_Item");
         sub.addProperty(CIMProperty("Extra", CIMValue(CIMTYPE_UINT32, false)));
         r.modifyClass(kNs, sub);
     }},
    {"deleteClass", true, [](Repository& r) { r.deleteClass(kNs, "T_Sub"); }},
    {"createInstance", false, [](Repository& r) { r.createInstance(kNs, item("b", "second")); }},
    {"modifyInstance", false,
     [](Repository& r) {
         CIMInstance changed = item("a", "changed");
         changed.setPath(itemPath("a"));
         r.modifyInstance(kNs, changed, false, CIMPropertyList());
     }},
    {"deleteInstance", false, [](Repository& r) { r.deleteInstance(kNs, itemPath("a")); }},
};

struct FailurePoint
{
    const char* name;
    std::vector<std::string> prefixes;
    int skip;
    int result;
    const char* message;
};

const FailurePoint kFailurePoints[] = {
    {"first write, disk full", FailingSqliteCalls::writes(), 0, SQLITE_FULL,
     "database or disk is full"},
    {"second write, disk full", FailingSqliteCalls::writes(), 1, SQLITE_FULL,
     "database or disk is full"},
    {"commit, disk full", {"COMMIT"}, 0, SQLITE_FULL, "database or disk is full"},
    {"commit, I/O error", {"COMMIT"}, 0, SQLITE_IOERR, "disk I/O error"},
};

TEST(RepositoryWriteFailure, FailedWritesChangeNothingAndLaterWritesSucceed)
{
    for (const FailurePoint& point : kFailurePoints)
    {
        for (const Write& write : kWrites)
        {
            if (point.skip > 0 && !write.severalWrites)
                continue;
            SCOPED_TRACE(std::string(write.name) + " failing at " + point.name);
            ScratchDir dir;
            FailingSqliteCalls calls;
            auto repo = std::make_unique<Repository>(dir.path,
                                                     Repository::kDefaultClassCacheBytes, calls);
            fill(*repo);
            const std::string before = contents(*repo);

            calls.failOn(point.prefixes, point.result, point.skip);
            try
            {
                write.run(*repo);
                ADD_FAILURE() << "the write succeeded";
            }
            catch (const CIMException& e)
            {
                ADD_FAILURE() << "CIMException " << e.getCode() << ": " << str(e.getMessage());
            }
            catch (const Exception& e)
            {
                EXPECT_NE(str(e.getMessage()).find(point.message), std::string::npos)
                    << str(e.getMessage());
            }
            EXPECT_EQ(calls.failures(), 1);
            EXPECT_EQ(contents(*repo), before);

            // The store works again: the same write goes through.
            calls.clear();
            write.run(*repo);
            const std::string after = contents(*repo);
            EXPECT_NE(after, before);

            repo.reset();
            repo = std::make_unique<Repository>(dir.path);
            EXPECT_EQ(contents(*repo), after);
        }
    }
}

// What a failed write leaves in the store is what the last successful one
// committed, also when the process ends right after the failure.
TEST(RepositoryWriteFailure, AFailedCommitLeavesTheCommittedStoreOnDisk)
{
    ScratchDir dir;
    FailingSqliteCalls calls;
    std::string before;
    {
        Repository repo(dir.path, Repository::kDefaultClassCacheBytes, calls);
        fill(repo);
        before = contents(repo);
        calls.failOn({"COMMIT"}, SQLITE_FULL);
        for (const char* id : {"b", "c", "d"})
            EXPECT_THROW(repo.createInstance(kNs, item(id, "lost")), Exception);
        EXPECT_EQ(calls.failures(), 3);
    }
    Repository reopened(dir.path);
    EXPECT_EQ(contents(reopened), before);
    EXPECT_EQ(reopened.enumerateInstanceNames(kNs, "T_Item").size(), 1u);
}

}  // namespace
