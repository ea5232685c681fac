// Class bodies, decoded on demand and kept in a cache of bounded size, and
// the memory the repository gives back when the server is quiet.
#include "RepositoryImpl.h"
#include "Utf8Text.h"

#include "ObjectCodec.h"

#include <sqlite3.h>

namespace Pegasus {

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

void Repository::Impl::uncacheAll() const
{
    std::lock_guard<std::mutex> lock(cacheMutex);
    while (!cacheOrder.empty())
        uncacheLocked(*cacheOrder.back());
}

void Repository::releaseMemory()
{
    _impl->uncacheAll();
    std::vector<std::unique_ptr<SqliteConnection>> idle;
    {
        std::lock_guard<std::mutex> lock(_impl->poolMutex);
        idle.swap(_impl->idleReaders);
    }
    idle.clear();  // closed outside the pool's lock
    // Namespaces and the writer are left alone while anyone uses them.
    std::unique_lock<std::mutex> write(_impl->writeMutex, std::try_to_lock);
    if (!write.owns_lock())
        return;
    sqlite3_db_release_memory(_impl->writer->handle());
    std::unique_lock<std::shared_mutex> exclusive(_impl->meta, std::try_to_lock);
    if (!exclusive.owns_lock())
        return;
    _impl->uncacheAll();  // a reader may have cached a class meanwhile
    for (auto& kv : _impl->namespaces)
        Impl::unload(*kv.second);
}

}  // namespace Pegasus
