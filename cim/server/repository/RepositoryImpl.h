// The state behind Repository, shared by its three source files
// (namespaces and qualifiers, classes, instances).
//
// Locking: `meta` guards the in-memory schema (namespaces, qualifier
// declarations, the class tree and resolved classes).  Writers first take
// `writeMutex`, which serialises them and owns the writer connection;
// holding it they may read the schema without `meta`, since only writers
// change it, and they take `meta` exclusively only to publish a change
// after its transaction committed.  Readers take `meta` shared.  A
// resolved CIMClass is never changed once published (a new definition
// replaces the handle), so a reader may keep using a copy of the handle
// after releasing the lock.
#ifndef KTA_CIM_SERVER_REPOSITORY_REPOSITORYIMPL_H
#define KTA_CIM_SERVER_REPOSITORY_REPOSITORYIMPL_H

#include "ClassResolver.h"
#include "InstanceRules.h"
#include "Repository.h"
#include "SqliteStore.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <unordered_map>
#include <vector>

namespace Pegasus {

class Repository::Impl
{
public:
    struct ClassEntry
    {
        int64_t id = 0;
        std::string superKey;               // folded superclass name, "" for a root
        std::vector<std::string> children;  // folded names, creation order
        CIMClass resolved;
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

    explicit Impl(const std::string& directory);

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

    // The class entry or CIMException(code, class name).
    static const ClassEntry& requireClass(const NamespaceEntry& ns, const CIMName& className,
                                          CIMStatusCode code);
    // className and its descendants, superclasses first.
    static void collectSubclasses(const NamespaceEntry& ns, const std::string& key,
                                  bool includeSelf, bool deep, std::vector<std::string>& out);

    // Loads the schema of every namespace into memory.
    void load();

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

    std::string dbPath;
    mutable std::shared_mutex meta;
    std::mutex writeMutex;
    std::unique_ptr<SqliteConnection> writer;
    mutable std::mutex poolMutex;
    mutable std::vector<std::unique_ptr<SqliteConnection>> idleReaders;
    std::map<std::string, std::shared_ptr<NamespaceEntry>> namespaces;
};

}  // namespace Pegasus

#endif
