#include "ClassResponseCache.h"

#include <Pegasus/Common/Exception.h>
#include <Pegasus/Common/CIMPropertyList.h>
#include <Pegasus/Common/Constants.h>

#include "CimXmlMessages.h"
#include "CimXmlWriter.h"
#include "Repository.h"

#include <algorithm>
#include <mutex>

namespace Pegasus {

namespace {

// Appends the UTF-8 form of text and a separator that no name contains.
void appendKeyPart(std::string& key, const String& text)
{
    CimXmlWriter::appendEscaped(key, text);
    key += '\n';
}

bool isMethod(const CimXmlRequestMessage& request, const char* name)
{
    return request.isIntrinsic && String::equalNoCase(request.methodName, name);
}

}  // namespace

ClassResponseCache::ClassResponseCache(std::size_t maxBytes, std::size_t maxEntries)
    : _maxBytes(maxBytes), _maxEntries(maxEntries)
{
}

bool ClassResponseCache::isGetClass(const CimXmlRequestMessage& request)
{
    return isMethod(request, "GetClass");
}

std::string ClassResponseCache::getClass(Repository& repository,
                                         const CimXmlRequestMessage& request)
{
    // The parameters and defaults of GetClass.
    const CIMName& className = request.getClassName("ClassName");
    if (className.isNull())
        throw CIMException(CIM_ERR_INVALID_PARAMETER, "missing parameter ClassName");
    Boolean localOnly = request.getBoolean("LocalOnly", true);
    Boolean includeQualifiers = request.getBoolean("IncludeQualifiers", true);
    Boolean includeClassOrigin = request.getBoolean("IncludeClassOrigin", false);
    CIMPropertyList propertyList = request.getPropertyList("PropertyList");

    // A name longer than any the repository holds names no class: the
    // repository reports that (or a missing namespace) before a cache key
    // would copy the name.
    if (className.getString().size() > Repository::kMaxNameLength)
        repository.getClass(request.nameSpace, className, localOnly, includeQualifiers,
                            includeClassOrigin, propertyList);

    std::string key;
    key.reserve(64);
    appendKeyPart(key, request.nameSpace.getString());
    appendKeyPart(key, className.getString());
    key += localOnly ? 'L' : 'l';
    key += includeQualifiers ? 'Q' : 'q';
    key += includeClassOrigin ? 'O' : 'o';
    if (propertyList.isNull())
        key += '*';
    else
    {
        key += '\n';
        for (Uint32 i = 0; i < propertyList.size(); i++)
            appendKeyPart(key, propertyList[i].getString());
    }

    std::shared_ptr<const std::string> xml = find(key);
    if (!xml)
    {
        std::uint64_t generation;
        {
            std::shared_lock<std::shared_mutex> lock(_mutex);
            generation = _generation;
        }
        CIMClass cimClass = repository.getClass(request.nameSpace, className, localOnly,
                                                includeQualifiers, includeClassOrigin,
                                                propertyList);
        auto encoded = std::make_shared<std::string>();
        CimXmlWriter::appendClass(*encoded, cimClass);
        xml = encoded;
        store(key, request.nameSpace, xml, generation);
    }

    const std::string& tail = CimXmlResponseEncoder::returnValueTail();
    std::string out = CimXmlResponseEncoder::returnValueHead(request.messageId,
                                                             request.methodName);
    out.reserve(out.size() + xml->size() + tail.size());
    out += *xml;
    out += tail;
    return out;
}

std::shared_ptr<const std::string> ClassResponseCache::find(const std::string& key) const
{
    std::shared_lock<std::shared_mutex> lock(_mutex);
    auto it = _entries.find(key);
    return it == _entries.end() ? nullptr : it->second.xml;
}

void ClassResponseCache::store(const std::string& key, const CIMNamespaceName& nameSpace,
                               std::shared_ptr<const std::string> xml,
                               std::uint64_t generation)
{
    if (xml->size() > _maxBytes / 4)
        return;
    std::unique_lock<std::shared_mutex> lock(_mutex);
    // The schema changed while the answer was being made: it may be stale.
    if (generation != _generation)
        return;
    auto inserted = _entries.emplace(key, Entry{nameSpace, xml});
    if (!inserted.second)
        return;   // another thread stored the same answer first
    _bytes += xml->size();
    _order.push_back(key);
    evictLocked();
}

void ClassResponseCache::evictLocked()
{
    while (!_order.empty() && (_bytes > _maxBytes || _entries.size() > _maxEntries))
    {
        auto it = _entries.find(_order.front());
        if (it != _entries.end())
        {
            _bytes -= it->second.xml->size();
            _entries.erase(it);
        }
        _order.pop_front();
    }
}

void ClassResponseCache::schemaChanged(const CIMNamespaceName& nameSpace)
{
    std::unique_lock<std::shared_mutex> lock(_mutex);
    ++_generation;
    for (auto it = _entries.begin(); it != _entries.end();)
    {
        if (it->second.nameSpace.equal(nameSpace))
        {
            _bytes -= it->second.xml->size();
            it = _entries.erase(it);
        }
        else
            ++it;
    }
    // Keep the order list to the keys still held, so that repeated changes
    // cannot make it grow.  In place: this runs from destructors and must
    // not allocate.
    _order.erase(std::remove_if(_order.begin(), _order.end(),
                                [this](const std::string& key) {
                                    return _entries.count(key) == 0;
                                }),
                 _order.end());
}

void ClassResponseCache::clear()
{
    std::unique_lock<std::shared_mutex> lock(_mutex);
    ++_generation;
    _entries.clear();
    _order.clear();
    _bytes = 0;
}

std::size_t ClassResponseCache::entryCount() const
{
    std::shared_lock<std::shared_mutex> lock(_mutex);
    return _entries.size();
}

std::size_t ClassResponseCache::byteCount() const
{
    std::shared_lock<std::shared_mutex> lock(_mutex);
    return _bytes;
}

// ---- SchemaChangeGuard ------------------------------------------------------

SchemaChangeGuard::SchemaChangeGuard(ClassResponseCache& cache,
                                     const CimXmlRequestMessage& request)
    : _cache(nullptr), _request(request)
{
    static const char* const kSchemaOperations[] = {
        "CreateClass", "ModifyClass", "DeleteClass", "SetQualifier", "DeleteQualifier",
    };
    for (const char* name : kSchemaOperations)
    {
        if (isMethod(request, name))
            _cache = &cache;
    }
    if (!_cache && isMethod(request, "DeleteInstance"))
    {
        try
        {
            _namespaceDeletion = request.getInstanceName("InstanceName")
                                     .getClassName()
                                     .equal(PEGASUS_CLASSNAME___NAMESPACE);
        }
        catch (...)
        {
            // A malformed request deletes nothing.
        }
        if (_namespaceDeletion)
            _cache = &cache;
    }
}

SchemaChangeGuard::~SchemaChangeGuard()
{
    if (!_cache)
        return;
    if (_namespaceDeletion)
        _cache->clear();
    else
        _cache->schemaChanged(_request.nameSpace);
}

// ---- SchemaChangeUpcalls ----------------------------------------------------

void SchemaChangeUpcalls::createClass(const OperationContext& context,
                                      const CIMNamespaceName& nameSpace,
                                      const CIMClass& newClass)
{
    struct After
    {
        ClassResponseCache& cache;
        const CIMNamespaceName& nameSpace;
        ~After() { cache.schemaChanged(nameSpace); }
    } after{_cache, nameSpace};
    ProviderUpcalls::createClass(context, nameSpace, newClass);
}

void SchemaChangeUpcalls::modifyClass(const OperationContext& context,
                                      const CIMNamespaceName& nameSpace,
                                      const CIMClass& modifiedClass)
{
    struct After
    {
        ClassResponseCache& cache;
        const CIMNamespaceName& nameSpace;
        ~After() { cache.schemaChanged(nameSpace); }
    } after{_cache, nameSpace};
    ProviderUpcalls::modifyClass(context, nameSpace, modifiedClass);
}

void SchemaChangeUpcalls::deleteClass(const OperationContext& context,
                                      const CIMNamespaceName& nameSpace,
                                      const CIMName& className)
{
    struct After
    {
        ClassResponseCache& cache;
        const CIMNamespaceName& nameSpace;
        ~After() { cache.schemaChanged(nameSpace); }
    } after{_cache, nameSpace};
    ProviderUpcalls::deleteClass(context, nameSpace, className);
}

void SchemaChangeUpcalls::deleteInstance(const OperationContext& context,
                                         const CIMNamespaceName& nameSpace,
                                         const CIMObjectPath& instanceName)
{
    struct After
    {
        ClassResponseCache& cache;
        bool active;
        ~After()
        {
            if (active)
                cache.clear();
        }
    } after{_cache, instanceName.getClassName().equal(PEGASUS_CLASSNAME___NAMESPACE)};
    ProviderUpcalls::deleteInstance(context, nameSpace, instanceName);
}

}  // namespace Pegasus
