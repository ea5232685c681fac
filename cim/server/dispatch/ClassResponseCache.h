// ClassResponseCache: the encoded answers of GetClass, kept so that a class
// asked for again is not resolved, copied and encoded again.
//
// An entry is the CLASS element of one answer, keyed by namespace, class
// name (as the request spells them), LocalOnly, IncludeQualifiers,
// IncludeClassOrigin and the property list.  Entries are made on the first
// request and dropped, for the whole namespace, whenever a class or a
// qualifier declaration of that namespace may have changed: the dispatcher
// calls schemaChanged() after every such operation, successful or not,
// and SchemaChangeUpcalls does the same for providers' up-calls.  Dropping
// the namespace as a whole covers subclasses, whose resolved answers
// include what their superclasses define.
//
// An answer computed while a change was in progress is not stored (a
// generation counter tells), so a stale answer can never be served after
// schemaChanged() returned.
//
// Memory is bounded: at most maxBytes of answers and maxEntries entries;
// beyond that the oldest entries go first.  Answers larger than a quarter
// of maxBytes are not kept.
//
// Thread-safe.
#ifndef KTA_CIM_DISPATCH_CLASSRESPONSECACHE_H
#define KTA_CIM_DISPATCH_CLASSRESPONSECACHE_H

#include <Pegasus/Common/CIMName.h>

#include "ProviderUpcalls.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <shared_mutex>
#include <string>
#include <unordered_map>

namespace Pegasus {

class Repository;
struct CimXmlRequestMessage;

class ClassResponseCache
{
public:
    explicit ClassResponseCache(std::size_t maxBytes = 16u << 20,
                                std::size_t maxEntries = 2048);

    ClassResponseCache(const ClassResponseCache&) = delete;
    ClassResponseCache& operator=(const ClassResponseCache&) = delete;

    // True for a GetClass request (any spelling of the method name).
    static bool isGetClass(const CimXmlRequestMessage& request);

    // The complete response document of a GetClass request: the class
    // encoded from the cache, or resolved from the repository (and then
    // kept).  Parameters and defaults are those of GetClass; errors are
    // thrown as the repository throws them.
    std::string getClass(Repository& repository, const CimXmlRequestMessage& request);

    // Drops every answer of the namespace.  Neither allocates nor throws.
    void schemaChanged(const CIMNamespaceName& nameSpace);
    // Drops every answer.  Neither allocates nor throws.
    void clear();

    // For tests: the number of answers held and their total size.
    std::size_t entryCount() const;
    std::size_t byteCount() const;

private:
    struct Entry
    {
        CIMNamespaceName nameSpace;
        std::shared_ptr<const std::string> xml;
    };

    std::shared_ptr<const std::string> find(const std::string& key) const;
    void store(const std::string& key, const CIMNamespaceName& nameSpace,
               std::shared_ptr<const std::string> xml, std::uint64_t generation);
    void evictLocked();

    const std::size_t _maxBytes;
    const std::size_t _maxEntries;
    mutable std::shared_mutex _mutex;
    std::unordered_map<std::string, Entry> _entries;
    std::deque<std::string> _order;   // keys, oldest first (may hold dropped keys)
    std::size_t _bytes = 0;
    std::uint64_t _generation = 0;    // counts schemaChanged() and clear()
};

// Tells the cache, when it goes out of scope (also by an exception), that
// the request may have changed the schema, if it is one of the intrinsic
// operations that can: CreateClass, ModifyClass, DeleteClass, SetQualifier,
// DeleteQualifier, and DeleteInstance of a __Namespace (which drops every
// answer, as the namespace deleted is named relative to the request's).
class SchemaChangeGuard
{
public:
    SchemaChangeGuard(ClassResponseCache& cache, const CimXmlRequestMessage& request);
    ~SchemaChangeGuard();

    SchemaChangeGuard(const SchemaChangeGuard&) = delete;
    SchemaChangeGuard& operator=(const SchemaChangeGuard&) = delete;

private:
    ClassResponseCache* _cache;   // null when the request changes nothing
    const CimXmlRequestMessage& _request;
    bool _namespaceDeletion = false;
};

// Providers' up-calls, telling the cache about the ones that change classes
// or delete a namespace.
class SchemaChangeUpcalls : public ProviderUpcalls
{
public:
    SchemaChangeUpcalls(OperationExecutor& executor, ClassResponseCache& cache)
        : ProviderUpcalls(executor), _cache(cache)
    {
    }

    void createClass(const OperationContext& context, const CIMNamespaceName& nameSpace,
                     const CIMClass& newClass) override;
    void modifyClass(const OperationContext& context, const CIMNamespaceName& nameSpace,
                     const CIMClass& modifiedClass) override;
    void deleteClass(const OperationContext& context, const CIMNamespaceName& nameSpace,
                     const CIMName& className) override;
    void deleteInstance(const OperationContext& context, const CIMNamespaceName& nameSpace,
                        const CIMObjectPath& instanceName) override;

private:
    ClassResponseCache& _cache;
};

}  // namespace Pegasus

#endif
