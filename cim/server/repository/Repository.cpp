// Names, lookups and readers of the repository, namespaces and qualifier
// declarations.  Opening the store is in RepositoryStore.cpp, the class
// cache in RepositoryClassCache.cpp, classes in RepositoryClasses.cpp and
// instances in RepositoryInstances.cpp.
#include "RepositoryImpl.h"
#include "Utf8Text.h"

#include "ObjectCodec.h"

#include <algorithm>

#include <sqlite3.h>

#include <Pegasus/Common/Exception.h>

namespace Pegasus {

namespace {

template <class Entry>
bool byId(const Entry* a, const Entry* b)
{
    return a->id < b->id;
}

}  // namespace

// ---------------------------------------------------------------------------
// Names and lookups

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
    ++_impl->schemaGeneration;
}

std::uint64_t Repository::schemaGeneration() const
{
    return _impl->schemaGeneration.load();
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
