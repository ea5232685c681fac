// Opening the store, namespaces and qualifier declarations.  Classes are in
// RepositoryClasses.cpp, instances in RepositoryInstances.cpp.
#include "RepositoryImpl.h"

#include "ObjectCodec.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include <sqlite3.h>

#include <Pegasus/Common/Exception.h>

namespace Pegasus {

namespace {

const char* const kSchema =
    "CREATE TABLE IF NOT EXISTS namespaces("
    "  id INTEGER PRIMARY KEY, key TEXT NOT NULL UNIQUE, name TEXT NOT NULL);"
    "CREATE TABLE IF NOT EXISTS qualifiers("
    "  id INTEGER PRIMARY KEY, ns INTEGER NOT NULL, key TEXT NOT NULL, data BLOB NOT NULL,"
    "  UNIQUE(ns, key));"
    "CREATE TABLE IF NOT EXISTS classes("
    "  id INTEGER PRIMARY KEY, ns INTEGER NOT NULL, key TEXT NOT NULL, super TEXT NOT NULL,"
    "  local BLOB NOT NULL, resolved BLOB NOT NULL, UNIQUE(ns, key));"
    "CREATE TABLE IF NOT EXISTS instances("
    "  id INTEGER PRIMARY KEY, ns INTEGER NOT NULL, class TEXT NOT NULL, key TEXT NOT NULL,"
    "  data BLOB NOT NULL, UNIQUE(ns, class, key));"
    // Rows of one class in creation order without a sort: index entries
    // with equal (ns, class) are ordered by rowid.
    "CREATE INDEX IF NOT EXISTS instances_by_class ON instances(ns, class);";

std::string utf8(const String& s)
{
    return std::string(static_cast<const char*>(s.getCString()));
}

template <class Entry>
bool byId(const Entry* a, const Entry* b)
{
    return a->id < b->id;
}

}  // namespace

// ---------------------------------------------------------------------------
// Impl

Repository::Impl::Impl(const std::string& directory)
{
    std::error_code ec;
    std::filesystem::create_directories(directory, ec);
    if (ec)
    {
        throw Exception(String(("cannot create repository directory " + directory + ": " +
                                ec.message()).c_str()));
    }
    dbPath = (std::filesystem::path(directory) / "repository.db").string();
    writer.reset(new SqliteConnection(dbPath));
    {
        SqliteTransaction t(*writer);
        writer->exec(kSchema);
        t.commit();
    }
    load();
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
            "SELECT id, ns, key, super, resolved FROM classes ORDER BY id"));
        while (s->step())
        {
            auto it = byNsId.find(s->columnInt(1));
            if (it == byNsId.end())
                continue;
            auto entry = std::make_shared<ClassEntry>();
            entry->id = s->columnInt(0);
            entry->superKey = s->columnText(3);
            entry->resolved = ObjectCodec::decodeClass(s->columnBlob(4), s->columnBytes(4));
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

Repository::Impl::NamespaceEntry* Repository::Impl::findNamespace(
    const CIMNamespaceName& name) const
{
    auto it = namespaces.find(foldName(name.getString()));
    return it == namespaces.end() ? nullptr : it->second.get();
}

Repository::Impl::NamespaceEntry& Repository::Impl::requireNamespace(
    const CIMNamespaceName& name) const
{
    NamespaceEntry* ns = findNamespace(name);
    if (!ns)
        throw CIMException(CIM_ERR_INVALID_NAMESPACE, name.getString());
    return *ns;
}

std::shared_ptr<Repository::Impl::NamespaceEntry> Repository::Impl::namespaceForWrite(
    const CIMNamespaceName& name)
{
    if (name.isNull())
        throw CIMException(CIM_ERR_INVALID_NAMESPACE, name.getString());
    auto it = namespaces.find(foldName(name.getString()));
    if (it != namespaces.end())
        return it->second;
    auto ns = std::make_shared<NamespaceEntry>();
    ns->name = name;
    return ns;
}

void Repository::Impl::insertNamespaceRow(NamespaceEntry& ns)
{
    SqliteStatement& s = writer->statement("INSERT INTO namespaces(key, name) VALUES(?, ?)");
    s.bindText(1, foldName(ns.name.getString())).bindText(2, utf8(ns.name.getString())).run();
    ns.id = sqlite3_last_insert_rowid(writer->handle());
}

void Repository::Impl::publishNamespace(const std::shared_ptr<NamespaceEntry>& ns)
{
    namespaces[foldName(ns->name.getString())] = ns;
}

const Repository::Impl::ClassEntry& Repository::Impl::requireClass(const NamespaceEntry& ns,
                                                                   const CIMName& className,
                                                                   CIMStatusCode code)
{
    const ClassEntry* entry =
        className.isNull() ? nullptr : ns.findClass(foldName(className.getString()));
    if (!entry)
        throw CIMException(code, className.getString());
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
    auto it = _ns.qualifiers.find(foldName(name.getString()));
    return it == _ns.qualifiers.end() ? CIMConstQualifierDecl() : it->second.decl;
}

bool Repository::Impl::Lookup::classExists(const CIMName& name) const
{
    return _ns.findClass(foldName(name.getString())) != nullptr;
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
        _connection.reset(new SqliteConnection(_impl.dbPath));
}

Repository::Impl::Reader::~Reader()
{
    std::lock_guard<std::mutex> lock(_impl.poolMutex);
    _impl.idleReaders.push_back(std::move(_connection));
}

// ---------------------------------------------------------------------------
// Namespaces

Repository::Repository(const std::string& directory) : _impl(new Impl(directory)) {}

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
    _impl->namespaces.erase(foldName(ns.name.getString()));
}

// ---------------------------------------------------------------------------
// Qualifier declarations

CIMQualifierDecl Repository::getQualifier(const CIMNamespaceName& nameSpace,
                                          const CIMName& qualifierName) const
{
    std::shared_lock<std::shared_mutex> lock(_impl->meta);
    const Impl::NamespaceEntry& ns = _impl->requireNamespace(nameSpace);
    auto it = ns.qualifiers.find(foldName(qualifierName.getString()));
    if (it == ns.qualifiers.end())
        throw CIMException(CIM_ERR_NOT_FOUND, qualifierName.getString());
    return it->second.decl.clone();
}

void Repository::setQualifier(const CIMNamespaceName& nameSpace,
                              const CIMQualifierDecl& qualifierDecl)
{
    if (qualifierDecl.isUninitialized())
        throw CIMException(CIM_ERR_INVALID_PARAMETER, "no qualifier declaration given");
    CIMQualifierDecl decl = qualifierDecl.clone();
    std::string key = foldName(decl.getName().getString());

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
    auto it = ns.qualifiers.find(foldName(qualifierName.getString()));
    if (it == ns.qualifiers.end())
        throw CIMException(CIM_ERR_NOT_FOUND, qualifierName.getString());
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
