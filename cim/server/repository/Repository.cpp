// Opening the store, namespaces and qualifier declarations.  Classes are in
// RepositoryClasses.cpp, instances in RepositoryInstances.cpp.
#include "RepositoryImpl.h"
#include "Utf8Text.h"

#include "ObjectCodec.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
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

template <class Entry>
bool byId(const Entry* a, const Entry* b)
{
    return a->id < b->id;
}

}  // namespace

// ---------------------------------------------------------------------------
// Impl

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
    std::map<int64_t, std::shared_ptr<NamespaceEntry>> byNsId;
    {
        SqliteStatementUse s(writer->statement("SELECT id, key, name FROM namespaces ORDER BY id"));
        while (s->step())
        {
            auto ns = std::make_shared<NamespaceEntry>();
            ns->id = s->columnInt(0);
            ns->name = CIMNamespaceName(String(s->columnText(2).c_str()));
            namespaces[s->columnText(1)] = ns;
            byNsId[ns->id] = ns;
        }
    }
    {
        SqliteStatementUse s(
            writer->statement("SELECT id, ns, key, data FROM qualifiers ORDER BY id"));
        while (s->step())
        {
            auto it = byNsId.find(s->columnInt(1));
            if (it == byNsId.end())
                continue;
            QualifierEntry& q = it->second->qualifiers[s->columnText(2)];
            q.id = s->columnInt(0);
            q.decl = ObjectCodec::decodeQualifierDecl(s->columnBlob(3), s->columnBytes(3));
        }
    }
    struct Row
    {
        NamespaceEntry* ns;
        std::string key;
    };
    std::vector<Row> rows;
    {
        SqliteStatementUse s(writer->statement(
            "SELECT id, ns, key, super, name FROM classes ORDER BY id"));
        while (s->step())
        {
            auto it = byNsId.find(s->columnInt(1));
            if (it == byNsId.end())
                continue;
            std::shared_ptr<ClassEntry> entry = newClassEntry();
            entry->id = s->columnInt(0);
            entry->superKey = s->columnText(3);
            std::string name = s->columnText(4);
            entry->name = name.empty() ? CIMName() : CIMName(String(name.c_str()));
            std::string key = s->columnText(2);
            it->second->classes[key] = entry;
            rows.push_back(Row{it->second.get(), key});
        }
    }
    for (const Row& r : rows)
    {
        ClassEntry& entry = *r.ns->classes[r.key];
        auto parent = entry.superKey.empty() ? r.ns->classes.end()
                                             : r.ns->classes.find(entry.superKey);
        if (parent == r.ns->classes.end())
            r.ns->roots.push_back(r.key);
        else
            parent->second->children.push_back(r.key);
    }
}

// ---------------------------------------------------------------------------
// Class bodies, decoded on demand

CIMClass Repository::Impl::ResolvedClass::get() const
{
    return _impl.resolvedClass(_entry);
}

CIMClass Repository::Impl::resolvedClass(const ClassEntry& entry) const
{
    {
        std::lock_guard<std::mutex> lock(cacheMutex);
        if (!entry.cached.isUninitialized())
        {
            cacheOrder.splice(cacheOrder.begin(), cacheOrder, entry.cachePos);
            return entry.cached;
        }
    }
    // Two readers may decode the same class at once; the first to finish
    // caches it.  The entry cannot change meanwhile: changing it takes
    // `meta` exclusively or `writeMutex`, and the caller holds one of them.
    CIMClass decoded;
    std::size_t bytes = 0;
    {
        Reader reader(*this);
        SqliteStatementUse s(reader->statement("SELECT resolved FROM class_bodies WHERE id = ?"));
        s->bind(1, entry.id);
        if (!s->step())
        {
            throw Exception(String(("repository data is corrupt: no definition stored for class " +
                                    utf8Text(entry.name.getString())).c_str()));
        }
        bytes = s->columnBytes(0);
        decoded = ObjectCodec::decodeClass(s->columnBlob(0), bytes);
    }
    std::lock_guard<std::mutex> lock(cacheMutex);
    if (!entry.cached.isUninitialized())
        return entry.cached;
    cacheInsertLocked(entry, decoded, bytes);
    return decoded;
}

void Repository::Impl::cacheClass(const ClassEntry& entry, const CIMClass& resolved,
                                  std::size_t bytes) const
{
    std::lock_guard<std::mutex> lock(cacheMutex);
    uncacheLocked(entry);
    cacheInsertLocked(entry, resolved, bytes);
}

void Repository::Impl::uncacheClass(const ClassEntry& entry) const
{
    std::lock_guard<std::mutex> lock(cacheMutex);
    uncacheLocked(entry);
}

void Repository::Impl::uncacheLocked(const ClassEntry& entry) const
{
    if (entry.cached.isUninitialized())
        return;
    cacheOrder.erase(entry.cachePos);
    cacheBytes -= entry.cachedBytes;
    entry.cached = CIMClass();
    entry.cachedBytes = 0;
}

void Repository::Impl::cacheInsertLocked(const ClassEntry& entry, const CIMClass& resolved,
                                         std::size_t bytes) const
{
    // The newest class stays even when it alone exceeds the limit.
    while (!cacheOrder.empty() && cacheBytes + bytes > cacheLimit)
        uncacheLocked(*cacheOrder.back());
    entry.cached = resolved;
    entry.cachedBytes = bytes;
    cacheOrder.push_front(&entry);
    entry.cachePos = cacheOrder.begin();
    cacheBytes += bytes;
}

std::string Repository::Impl::nameKey(const String& name)
{
    return name.size() > kMaxNameLength ? std::string() : foldedName(name);
}

std::string Repository::Impl::newNameKey(const String& name, const char* what)
{
    if (name.size() > kMaxNameLength)
    {
        String text(what);
        text.append(" ");
        text.append(quotedName(name));
        text.appendPrintf(": longer than %u characters", unsigned(kMaxNameLength));
        throw CIMException(CIM_ERR_INVALID_PARAMETER, text);
    }
    return foldedName(name);
}

String Repository::Impl::quotedName(const String& name)
{
    if (name.size() <= kMaxNameLength)
        return name;
    String text;
    text.appendPrintf("name of %u characters", unsigned(name.size()));
    return text;
}

Repository::Impl::NamespaceEntry* Repository::Impl::findNamespace(
    const CIMNamespaceName& name) const
{
    auto it = namespaces.find(nameKey(name.getString()));
    return it == namespaces.end() ? nullptr : it->second.get();
}

Repository::Impl::NamespaceEntry& Repository::Impl::requireNamespace(
    const CIMNamespaceName& name) const
{
    NamespaceEntry* ns = findNamespace(name);
    if (!ns)
        throw CIMException(CIM_ERR_INVALID_NAMESPACE, quotedName(name.getString()));
    return *ns;
}

std::shared_ptr<Repository::Impl::NamespaceEntry> Repository::Impl::namespaceForWrite(
    const CIMNamespaceName& name)
{
    if (name.isNull())
        throw CIMException(CIM_ERR_INVALID_NAMESPACE, name.getString());
    auto it = namespaces.find(newNameKey(name.getString(), "namespace"));
    if (it != namespaces.end())
        return it->second;
    auto ns = std::make_shared<NamespaceEntry>();
    ns->name = name;
    return ns;
}

void Repository::Impl::insertNamespaceRow(NamespaceEntry& ns)
{
    SqliteStatement& s = writer->statement("INSERT INTO namespaces(key, name) VALUES(?, ?)");
    s.bindText(1, foldedName(ns.name.getString())).bindText(2, utf8Text(ns.name.getString())).run();
    ns.id = sqlite3_last_insert_rowid(writer->handle());
}

void Repository::Impl::publishNamespace(const std::shared_ptr<NamespaceEntry>& ns)
{
    namespaces[foldedName(ns->name.getString())] = ns;
}

const Repository::Impl::ClassEntry& Repository::Impl::requireClass(const NamespaceEntry& ns,
                                                                   const CIMName& className,
                                                                   CIMStatusCode code)
{
    const ClassEntry* entry =
        className.isNull() ? nullptr : ns.findClass(nameKey(className.getString()));
    if (!entry)
        throw CIMException(code, quotedName(className.getString()));
    return *entry;
}

void Repository::Impl::collectSubclasses(const NamespaceEntry& ns, const std::string& key,
                                         bool includeSelf, bool deep,
                                         std::vector<std::string>& out)
{
    if (includeSelf)
        out.push_back(key);
    const ClassEntry* entry = ns.findClass(key);
    if (!entry)
        return;
    for (const std::string& child : entry->children)
    {
        if (deep)
            collectSubclasses(ns, child, true, true, out);
        else
            out.push_back(child);
    }
}

CIMConstQualifierDecl Repository::Impl::Lookup::findQualifierDecl(const CIMName& name) const
{
    auto it = _ns.qualifiers.find(Impl::nameKey(name.getString()));
    return it == _ns.qualifiers.end() ? CIMConstQualifierDecl() : it->second.decl;
}

bool Repository::Impl::Lookup::classExists(const CIMName& name) const
{
    return _ns.findClass(Impl::nameKey(name.getString())) != nullptr;
}

Repository::Impl::Reader::Reader(const Impl& impl) : _impl(impl)
{
    {
        std::lock_guard<std::mutex> lock(_impl.poolMutex);
        if (!_impl.idleReaders.empty())
        {
            _connection = std::move(_impl.idleReaders.back());
            _impl.idleReaders.pop_back();
        }
    }
    if (!_connection)
        _connection.reset(new SqliteConnection(_impl.dbPath, _impl.calls));
}

Repository::Impl::Reader::~Reader()
{
    std::lock_guard<std::mutex> lock(_impl.poolMutex);
    _impl.idleReaders.push_back(std::move(_connection));
}

// ---------------------------------------------------------------------------
// Namespaces

Repository::Repository(const std::string& directory, std::size_t classCacheBytes,
                       SqliteCalls& calls)
    : _impl(new Impl(directory, classCacheBytes, calls))
{
}

Repository::~Repository() {}

Array<CIMNamespaceName> Repository::enumerateNamespaces() const
{
    std::shared_lock<std::shared_mutex> lock(_impl->meta);
    std::vector<const Impl::NamespaceEntry*> entries;
    for (const auto& kv : _impl->namespaces)
        entries.push_back(kv.second.get());
    std::sort(entries.begin(), entries.end(), byId<Impl::NamespaceEntry>);
    Array<CIMNamespaceName> result;
    for (const Impl::NamespaceEntry* ns : entries)
        result.append(ns->name);
    return result;
}

Boolean Repository::namespaceExists(const CIMNamespaceName& nameSpace) const
{
    std::shared_lock<std::shared_mutex> lock(_impl->meta);
    return _impl->findNamespace(nameSpace) != nullptr;
}

void Repository::createNamespace(const CIMNamespaceName& nameSpace)
{
    std::lock_guard<std::mutex> write(_impl->writeMutex);
    std::shared_ptr<Impl::NamespaceEntry> ns = _impl->namespaceForWrite(nameSpace);
    if (ns->id != 0)
        throw CIMException(CIM_ERR_ALREADY_EXISTS, nameSpace.getString());
    SqliteTransaction t(*_impl->writer);
    _impl->insertNamespaceRow(*ns);
    t.commit();
    std::unique_lock<std::shared_mutex> lock(_impl->meta);
    _impl->publishNamespace(ns);
}

void Repository::deleteNamespace(const CIMNamespaceName& nameSpace)
{
    std::lock_guard<std::mutex> write(_impl->writeMutex);
    Impl::NamespaceEntry& ns = _impl->requireNamespace(nameSpace);
    if (!ns.classes.empty())
        throw CIMException(CIM_ERR_NAMESPACE_NOT_EMPTY, nameSpace.getString());
    SqliteTransaction t(*_impl->writer);
    _impl->writer->statement("DELETE FROM instances WHERE ns = ?").bind(1, ns.id).run();
    _impl->writer->statement("DELETE FROM qualifiers WHERE ns = ?").bind(1, ns.id).run();
    _impl->writer->statement("DELETE FROM namespaces WHERE id = ?").bind(1, ns.id).run();
    t.commit();
    std::unique_lock<std::shared_mutex> lock(_impl->meta);
    _impl->namespaces.erase(foldedName(ns.name.getString()));
}

// ---------------------------------------------------------------------------
// Qualifier declarations

CIMQualifierDecl Repository::getQualifier(const CIMNamespaceName& nameSpace,
                                          const CIMName& qualifierName) const
{
    std::shared_lock<std::shared_mutex> lock(_impl->meta);
    const Impl::NamespaceEntry& ns = _impl->requireNamespace(nameSpace);
    auto it = ns.qualifiers.find(Impl::nameKey(qualifierName.getString()));
    if (it == ns.qualifiers.end())
        throw CIMException(CIM_ERR_NOT_FOUND, Impl::quotedName(qualifierName.getString()));
    return it->second.decl.clone();
}

void Repository::setQualifier(const CIMNamespaceName& nameSpace,
                              const CIMQualifierDecl& qualifierDecl)
{
    if (qualifierDecl.isUninitialized())
        throw CIMException(CIM_ERR_INVALID_PARAMETER, "no qualifier declaration given");
    CIMQualifierDecl decl = qualifierDecl.clone();
    std::string key = Impl::newNameKey(decl.getName().getString(), "qualifier");

    std::lock_guard<std::mutex> write(_impl->writeMutex);
    std::shared_ptr<Impl::NamespaceEntry> ns = _impl->namespaceForWrite(nameSpace);
    bool fresh = ns->id == 0;
    SqliteTransaction t(*_impl->writer);
    if (fresh)
        _impl->insertNamespaceRow(*ns);
    auto existing = ns->qualifiers.find(key);
    int64_t id;
    if (existing != ns->qualifiers.end())
    {
        id = existing->second.id;
        _impl->writer->statement("UPDATE qualifiers SET data = ? WHERE id = ?")
            .bindBlob(1, ObjectCodec::encodeQualifierDecl(decl))
            .bind(2, id)
            .run();
    }
    else
    {
        _impl->writer->statement("INSERT INTO qualifiers(ns, key, data) VALUES(?, ?, ?)")
            .bind(1, ns->id)
            .bindText(2, key)
            .bindBlob(3, ObjectCodec::encodeQualifierDecl(decl))
            .run();
        id = sqlite3_last_insert_rowid(_impl->writer->handle());
    }
    t.commit();

    std::unique_lock<std::shared_mutex> lock(_impl->meta);
    if (fresh)
        _impl->publishNamespace(ns);
    Impl::QualifierEntry& entry = ns->qualifiers[key];
    entry.id = id;
    entry.decl = decl;
}

void Repository::deleteQualifier(const CIMNamespaceName& nameSpace, const CIMName& qualifierName)
{
    std::lock_guard<std::mutex> write(_impl->writeMutex);
    Impl::NamespaceEntry& ns = _impl->requireNamespace(nameSpace);
    auto it = ns.qualifiers.find(Impl::nameKey(qualifierName.getString()));
    if (it == ns.qualifiers.end())
        throw CIMException(CIM_ERR_NOT_FOUND, Impl::quotedName(qualifierName.getString()));
    SqliteTransaction t(*_impl->writer);
    _impl->writer->statement("DELETE FROM qualifiers WHERE id = ?").bind(1, it->second.id).run();
    t.commit();
    std::unique_lock<std::shared_mutex> lock(_impl->meta);
    ns.qualifiers.erase(it);
}

Array<CIMQualifierDecl> Repository::enumerateQualifiers(const CIMNamespaceName& nameSpace) const
{
    std::shared_lock<std::shared_mutex> lock(_impl->meta);
    const Impl::NamespaceEntry& ns = _impl->requireNamespace(nameSpace);
    std::vector<const Impl::QualifierEntry*> entries;
    for (const auto& kv : ns.qualifiers)
        entries.push_back(&kv.second);
    std::sort(entries.begin(), entries.end(), byId<Impl::QualifierEntry>);
    Array<CIMQualifierDecl> result;
    for (const Impl::QualifierEntry* q : entries)
        result.append(q->decl.clone());
    return result;
}

}  // namespace Pegasus
