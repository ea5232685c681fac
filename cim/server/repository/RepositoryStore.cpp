// Opening the store: its layout and the conversion of older layouts, the
// list of namespaces, each namespace's qualifier declarations and class tree
// when it is first used, and the thread that checkpoints the write-ahead log.
#include "RepositoryImpl.h"
#include "Utf8Text.h"

#include "ObjectCodec.h"

#include <chrono>
#include <filesystem>
#include <map>
#include <system_error>

#include <sqlite3.h>

#include <Pegasus/Common/Exception.h>

namespace Pegasus {

namespace {

// The layout of the store.  Class bodies live apart from the class tree so
// that opening reads only the small tree table.  PRAGMA user_version holds
// kStoreVersion; a store from before that pragma was used (version 0) kept
// the class bodies in the classes table and is converted when opened.
const int kStoreVersion = 2;

const char* const kSchema =
    "CREATE TABLE IF NOT EXISTS namespaces("
    "  id INTEGER PRIMARY KEY, key TEXT NOT NULL UNIQUE, name TEXT NOT NULL);"
    "CREATE TABLE IF NOT EXISTS qualifiers("
    "  id INTEGER PRIMARY KEY, ns INTEGER NOT NULL, key TEXT NOT NULL, data BLOB NOT NULL,"
    "  UNIQUE(ns, key));"
    "CREATE TABLE IF NOT EXISTS classes("
    "  id INTEGER PRIMARY KEY, ns INTEGER NOT NULL, key TEXT NOT NULL, super TEXT NOT NULL,"
    "  name TEXT NOT NULL, UNIQUE(ns, key));"
    "CREATE TABLE IF NOT EXISTS class_bodies("
    "  id INTEGER PRIMARY KEY, local BLOB NOT NULL, resolved BLOB NOT NULL);"
    "CREATE TABLE IF NOT EXISTS instances("
    "  id INTEGER PRIMARY KEY, ns INTEGER NOT NULL, class TEXT NOT NULL, key TEXT NOT NULL,"
    "  data BLOB NOT NULL, UNIQUE(ns, class, key));"
    // Rows of one class in creation order without a sort: index entries
    // with equal (ns, class) are ordered by rowid.
    "CREATE INDEX IF NOT EXISTS instances_by_class ON instances(ns, class);";

// Version 0 to 2: the bodies move to their own table and the class name
// gets a column (filled in by the caller from the bodies).
const char* const kSplitClassTable =
    "ALTER TABLE classes RENAME TO classes_old;"
    "CREATE TABLE classes("
    "  id INTEGER PRIMARY KEY, ns INTEGER NOT NULL, key TEXT NOT NULL, super TEXT NOT NULL,"
    "  name TEXT NOT NULL, UNIQUE(ns, key));"
    "CREATE TABLE class_bodies("
    "  id INTEGER PRIMARY KEY, local BLOB NOT NULL, resolved BLOB NOT NULL);"
    "INSERT INTO classes(id, ns, key, super, name)"
    "  SELECT id, ns, key, super, '' FROM classes_old;"
    "INSERT INTO class_bodies(id, local, resolved) SELECT id, local, resolved FROM classes_old;"
    "DROP TABLE classes_old;";

// WAL pages after which the checkpoint thread copies them into the
// database (2 MB with 4 kB pages).
const int kCheckpointPages = 500;
// When writes come faster than the checkpoint thread copies them, the
// writer copies them itself past this many pages, which bounds the log.
const int kMaxLogPages = 3 * kCheckpointPages;

}  // namespace

Repository::Impl::Impl(const std::string& directory, std::size_t classCacheBytes,
                       SqliteCalls& calls)
    : calls(calls), cacheLimit(classCacheBytes)
{
    std::error_code ec;
    std::filesystem::create_directories(directory, ec);
    if (ec)
    {
        throw Exception(String(("cannot create repository directory " + directory + ": " +
                                ec.message()).c_str()));
    }
    dbPath = (std::filesystem::path(directory) / "repository.db").string();
    writer.reset(new SqliteConnection(dbPath, calls));
    {
        SqliteTransaction t(*writer);
        prepareStore();
        t.commit();
    }
    load();
    // From here on the checkpoint thread copies the log into the database,
    // so that a write request does not wait for that copy (nor for the
    // fsyncs that go with it), unless the log outgrows kMaxLogPages.
    writer->exec("PRAGMA wal_autocheckpoint=0");
    sqlite3_wal_hook(
        writer->handle(),
        [](void* self, sqlite3* db, const char*, int pages) {
            if (pages >= kMaxLogPages)
                sqlite3_wal_checkpoint_v2(db, nullptr, SQLITE_CHECKPOINT_PASSIVE, nullptr,
                                          nullptr);
            else if (pages >= kCheckpointPages)
                static_cast<Impl*>(self)->requestCheckpoint();
            return SQLITE_OK;
        },
        this);
    checkpointer = std::thread([this] { checkpointLoop(); });
}

Repository::Impl::~Impl()
{
    {
        std::lock_guard<std::mutex> lock(checkpointMutex);
        stopping = true;
    }
    checkpointWake.notify_all();
    if (checkpointer.joinable())
        checkpointer.join();
}

void Repository::Impl::requestCheckpoint()
{
    {
        std::lock_guard<std::mutex> lock(checkpointMutex);
        checkpointWanted = true;
    }
    checkpointWake.notify_one();
}

void Repository::Impl::checkpointLoop()
{
    std::unique_ptr<SqliteConnection> connection;
    bool copiedSinceTruncate = false;
    std::unique_lock<std::mutex> lock(checkpointMutex);
    for (;;)
    {
        auto woken = [this] { return checkpointWanted || stopping; };
        bool quiet = false;
        if (copiedSinceTruncate)
            quiet = !checkpointWake.wait_for(lock, std::chrono::seconds(1), woken);
        else
            checkpointWake.wait(lock, woken);
        if (stopping)
            return;
        checkpointWanted = false;
        lock.unlock();
        try
        {
            if (!connection)
            {
                connection.reset(new SqliteConnection(dbPath, calls));
                // Never wait for the writer: what it holds is copied later.
                sqlite3_busy_timeout(connection->handle(), 0);
            }
            if (quiet)
            {
                // No writes for a while: copy the rest and cut the log file
                // back to nothing.  Busy (a writer came in): try later.
                copiedSinceTruncate =
                    sqlite3_wal_checkpoint_v2(connection->handle(), nullptr,
                                              SQLITE_CHECKPOINT_TRUNCATE, nullptr,
                                              nullptr) != SQLITE_OK;
            }
            else
            {
                // Passive: copies what no reader still needs without
                // blocking the writer.  Writers go on appending meanwhile,
                // so go on until the log is all copied, when the next write
                // can start the log from its beginning again.  A failure
                // leaves the pages in the log, where they are as safe.
                for (int round = 0; round < 16; round++)
                {
                    int logged = 0;
                    int copied = 0;
                    if (sqlite3_wal_checkpoint_v2(connection->handle(), nullptr,
                                                  SQLITE_CHECKPOINT_PASSIVE, &logged,
                                                  &copied) != SQLITE_OK ||
                        copied >= logged)
                        break;
                }
                copiedSinceTruncate = true;
            }
        }
        catch (const Exception&)
        {
        }
        lock.lock();
    }
}

void Repository::Impl::prepareStore()
{
    int version = 0;
    {
        SqliteStatementUse s(writer->statement("PRAGMA user_version"));
        if (s->step())
            version = int(s->columnInt(0));
    }
    if (version > kStoreVersion)
    {
        throw Exception(String(("repository database " + dbPath +
                                " was written by a newer version of the server (store version " +
                                std::to_string(version) + ")").c_str()));
    }
    bool oldLayout = false;
    if (version < kStoreVersion)
    {
        SqliteStatementUse s(writer->statement(
            "SELECT 1 FROM pragma_table_info('classes') WHERE name = 'resolved'"));
        oldLayout = s->step();
    }
    if (oldLayout)
    {
        writer->exec(kSplitClassTable);
        std::vector<std::pair<int64_t, std::string>> names;
        {
            SqliteStatementUse s(writer->statement(
                "SELECT id, resolved FROM class_bodies"));
            while (s->step())
            {
                CIMName name =
                    ObjectCodec::decodeClassName(s->columnBlob(1), s->columnBytes(1));
                names.emplace_back(s->columnInt(0), utf8Text(name.getString()));
            }
        }
        for (const auto& n : names)
        {
            writer->statement("UPDATE classes SET name = ? WHERE id = ?")
                .bindText(1, n.second)
                .bind(2, n.first)
                .run();
        }
    }
    writer->exec(kSchema);
    if (version != kStoreVersion)
        writer->exec(("PRAGMA user_version=" + std::to_string(kStoreVersion)).c_str());
}

void Repository::Impl::load()
{
    SqliteStatementUse s(writer->statement("SELECT id, key, name FROM namespaces ORDER BY id"));
    while (s->step())
    {
        auto ns = std::make_shared<NamespaceEntry>();
        ns->id = s->columnInt(0);
        ns->name = CIMNamespaceName(String(s->columnText(2).c_str()));
        namespaces[s->columnText(1)] = ns;
    }
}

void Repository::Impl::ensureLoaded(NamespaceEntry& ns) const
{
    if (ns.loaded.load(std::memory_order_acquire))
        return;
    std::lock_guard<std::mutex> lock(ns.loadMutex);
    if (ns.loaded.load(std::memory_order_relaxed))
        return;
    {
        // Read on a connection of the pool: the caller may be a reader
        // holding `meta` shared.  Nothing reads the entry's maps before
        // `loaded` is set, and nothing writes to this namespace's rows
        // without having loaded it first.
        Reader reader(*this);
        {
            SqliteStatementUse s(reader->statement(
                "SELECT id, key, data FROM qualifiers WHERE ns = ? ORDER BY id"));
            s->bind(1, ns.id);
            while (s->step())
            {
                QualifierEntry& q = ns.qualifiers[s->columnText(1)];
                q.id = s->columnInt(0);
                q.decl = ObjectCodec::decodeQualifierDecl(s->columnBlob(2), s->columnBytes(2));
            }
        }
        std::vector<std::string> keys;  // creation order
        {
            SqliteStatementUse s(reader->statement(
                "SELECT id, key, super, name FROM classes WHERE ns = ? ORDER BY id"));
            s->bind(1, ns.id);
            while (s->step())
            {
                std::shared_ptr<ClassEntry> entry = newClassEntry();
                entry->id = s->columnInt(0);
                entry->superKey = s->columnText(2);
                std::string name = s->columnText(3);
                entry->name = name.empty() ? CIMName() : CIMName(String(name.c_str()));
                keys.push_back(s->columnText(1));
                ns.classes[keys.back()] = std::move(entry);
            }
        }
        for (const std::string& key : keys)
        {
            const ClassEntry& entry = *ns.classes[key];
            auto parent = entry.superKey.empty() ? ns.classes.end()
                                                 : ns.classes.find(entry.superKey);
            if (parent == ns.classes.end())
                ns.roots.push_back(key);
            else
                parent->second->children.push_back(key);
        }
    }
    ns.loaded.store(true, std::memory_order_release);
}

void Repository::Impl::unload(NamespaceEntry& ns)
{
    std::map<std::string, QualifierEntry>().swap(ns.qualifiers);
    std::unordered_map<std::string, std::shared_ptr<ClassEntry>>().swap(ns.classes);
    std::vector<std::string>().swap(ns.roots);
    ns.loaded = false;
}

}  // namespace Pegasus
