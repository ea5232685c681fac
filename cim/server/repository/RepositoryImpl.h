// The state behind Repository, shared by its three source files
// (namespaces and qualifiers, classes, instances).
//
// Locking: `meta` guards the in-memory schema (namespaces, qualifier
// declarations and the class tree).  Writers first take `writeMutex`,
// which serialises them and owns the writer connection; holding it they
// may read the schema without `meta`, since only writers change it, and
// they take `meta` exclusively only to publish a change after its
// transaction committed.  Readers take `meta` shared.
//
// Resolved classes are not all kept in memory: at open only the class tree
// is read (names and superclasses), and a class body is decoded from the
// database the first time it is asked for, then kept in a cache bounded by
// the size of the stored bodies (least recently used out first).
// `cacheMutex` guards the cache; it is taken with or without the other
// locks, and nothing else is locked or read from the database while it is
// held.  A resolved CIMClass is never changed once published (a new
// definition replaces the handle), so a reader may keep using a copy of
// the handle after releasing the locks.
#ifndef KTA_CIM_SERVER_REPOSITORY_REPOSITORYIMPL_H
#define KTA_CIM_SERVER_REPOSITORY_REPOSITORYIMPL_H

#include "ClassResolver.h"
#include "InstanceRules.h"
#include "Repository.h"
#include "SqliteStore.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace Pegasus {

class Repository::Impl
{
public:
    struct ClassEntry;

    // A class's resolved form, read like a CIMClass: converting it decodes
    // the class from the database unless the cache holds it.  Reading it
    // needs what reading the entry needs (`meta` or `writeMutex`).
    class ResolvedClass
    {
    public:
        ResolvedClass(const Impl& impl, const ClassEntry& entry) : _impl(impl), _entry(entry) {}
        ResolvedClass(const ResolvedClass&) = delete;
        ResolvedClass& operator=(const ResolvedClass&) = delete;

        CIMClass get() const;
        operator CIMClass() const { return get(); }
        operator CIMConstClass() const { return get(); }

    private:
        const Impl& _impl;
        const ClassEntry& _entry;
    };

    struct ClassEntry
    {
        explicit ClassEntry(const Impl& impl) : resolved(impl, *this) {}
        ClassEntry(const ClassEntry&) = delete;
        ClassEntry& operator=(const ClassEntry&) = delete;

        int64_t id = 0;
        CIMName name;                       // as the client spelled it
        std::string superKey;               // folded superclass name, "" for a root
        std::vector<std::string> children;  // folded names, creation order
        ResolvedClass resolved;

        // Guarded by cacheMutex: the decoded class while it is cached, the
        // size of its stored form and its place in the recency list.
        mutable CIMClass cached;
        mutable std::size_t cachedBytes = 0;
        mutable std::list<const ClassEntry*>::iterator cachePos;
    };

    struct QualifierEntry
    {
        int64_t id = 0;
        CIMQualifierDecl decl;
    };

    struct NamespaceEntry
    {
        int64_t id = 0;
        CIMNamespaceName name;
        std::map<std::string, QualifierEntry> qualifiers;
        std::unordered_map<std::string, std::shared_ptr<ClassEntry>> classes;
        std::vector<std::string> roots;     // folded names, creation order

        const ClassEntry* findClass(const std::string& key) const
        {
            auto it = classes.find(key);
            return it == classes.end() ? nullptr : it->second.get();
        }
    };

    // Schema lookups for class resolution within one namespace.
    class Lookup : public SchemaLookup
    {
    public:
        explicit Lookup(const NamespaceEntry& ns) : _ns(ns) {}
        CIMConstQualifierDecl findQualifierDecl(const CIMName& name) const override;
        bool classExists(const CIMName& name) const override;

    private:
        const NamespaceEntry& _ns;
    };

    // A reader connection borrowed from the pool for one operation.
    class Reader
    {
    public:
        explicit Reader(const Impl& impl);
        ~Reader();
        SqliteConnection* operator->() { return _connection.get(); }

    private:
        const Impl& _impl;
        std::unique_ptr<SqliteConnection> _connection;
    };

    // An ObjectCursor over the instances (T = CIMInstance) or instance
    // names (T = CIMObjectPath) of some classes of a namespace
    // (RepositoryInstances.cpp).
    template <class T>
    class Cursor;

    Impl(const std::string& directory, std::size_t classCacheBytes, SqliteCalls& calls);
    ~Impl();

    // A new class entry of this repository.
    std::shared_ptr<ClassEntry> newClassEntry() const
    {
        return std::make_shared<ClassEntry>(*this);
    }

    // REQUIRES: `meta` held (shared or exclusive) or `writeMutex` held.
    NamespaceEntry* findNamespace(const CIMNamespaceName& name) const;
    // As findNamespace, but throws CIM_ERR_INVALID_NAMESPACE.
    NamespaceEntry& requireNamespace(const CIMNamespaceName& name) const;
    // The namespace, or a new unpublished entry for it (id 0) that
    // insertNamespaceRow() stores and publishNamespace() makes visible.
    // REQUIRES: `writeMutex` held.
    std::shared_ptr<NamespaceEntry> namespaceForWrite(const CIMNamespaceName& name);
    void insertNamespaceRow(NamespaceEntry& ns);
    // REQUIRES: `writeMutex` held and `meta` held exclusively.
    void publishNamespace(const std::shared_ptr<NamespaceEntry>& ns);

    // The map and table key of a namespace, class or qualifier name
    // (foldedName), or for a name longer than kMaxNameLength the empty key,
    // which nothing has.
    static std::string nameKey(const String& name);
    // The key of a name about to be stored; CIM_ERR_INVALID_PARAMETER when
    // the name is longer than kMaxNameLength (`what` names it: "class").
    static std::string newNameKey(const String& name, const char* what);
    // A name as error texts give it: one longer than kMaxNameLength by its
    // length only, so that an error about a huge name stays small.
    static String quotedName(const String& name);

    // The class entry or CIMException(code, class name).
    static const ClassEntry& requireClass(const NamespaceEntry& ns, const CIMName& className,
                                          CIMStatusCode code);
    // className and its descendants, superclasses first.
    static void collectSubclasses(const NamespaceEntry& ns, const std::string& key,
                                  bool includeSelf, bool deep, std::vector<std::string>& out);

    // Creates the tables of a new store, or brings an older store to the
    // current layout.  REQUIRES: a transaction on `writer`.
    void prepareStore();
    // Loads namespaces, qualifier declarations and the class tree.
    void load();

    // The resolved class behind an entry (see ResolvedClass).
    CIMClass resolvedClass(const ClassEntry& entry) const;
    // Puts a class just stored into the cache, replacing what it held for
    // the entry.  `bytes` is the size of its stored form.
    void cacheClass(const ClassEntry& entry, const CIMClass& resolved, std::size_t bytes) const;
    // Drops an entry from the cache (before the entry goes away).
    void uncacheClass(const ClassEntry& entry) const;
    // REQUIRES: cacheMutex held.
    void uncacheLocked(const ClassEntry& entry) const;
    void cacheInsertLocked(const ClassEntry& entry, const CIMClass& resolved,
                           std::size_t bytes) const;

    // What an instance read needs from the schema, copied out under the
    // lock.  CIM_ERR_INVALID_NAMESPACE / CIM_ERR_INVALID_CLASS.
    struct ClassView
    {
        int64_t nsId = 0;
        std::string key;
        CIMClass resolved;
    };
    ClassView viewClass(const CIMNamespaceName& nameSpace, const CIMName& className) const;

    // Instances of one class from the database, in creation order.
    std::vector<CIMInstance> readInstances(int64_t nsId, const std::string& classKey) const;
    bool hasInstances(int64_t nsId, const std::string& classKey);

    // Copies WAL pages into the database on a thread of its own, so that
    // writers never wait for it.  Called by the writer connection's WAL hook.
    void requestCheckpoint();
    void checkpointLoop();

    std::string dbPath;
    SqliteCalls& calls;
    std::size_t cacheLimit;
    mutable std::mutex cacheMutex;
    mutable std::size_t cacheBytes = 0;
    mutable std::list<const ClassEntry*> cacheOrder;   // most recently used first
    std::mutex checkpointMutex;
    std::condition_variable checkpointWake;
    bool checkpointWanted = false;
    bool stopping = false;
    std::thread checkpointer;
    mutable std::shared_mutex meta;
    std::mutex writeMutex;
    std::unique_ptr<SqliteConnection> writer;
    mutable std::mutex poolMutex;
    mutable std::vector<std::unique_ptr<SqliteConnection>> idleReaders;
    std::map<std::string, std::shared_ptr<NamespaceEntry>> namespaces;
    // See Repository::schemaGeneration(); raised after each class change.
    std::atomic<std::uint64_t> schemaGeneration{0};
};

}  // namespace Pegasus

#endif
