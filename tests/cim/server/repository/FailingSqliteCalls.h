// SqliteCalls for tests: statements run as usual until failOn() arms a
// failure; from then on the statements whose text starts with one of the
// given prefixes ("INSERT", "COMMIT", ...) return the given SQLite result
// without running, after `skip` of them have run normally.  A disk that is
// full, or a commit that cannot reach the disk, looks like that to the
// repository.  Safe to use from any thread.
#ifndef KTA_TESTS_REPOSITORY_FAILINGSQLITECALLS_H
#define KTA_TESTS_REPOSITORY_FAILINGSQLITECALLS_H

#include <SqliteStore.h>

#include <sqlite3.h>

#include <cstring>
#include <mutex>
#include <string>
#include <vector>

class FailingSqliteCalls : public Pegasus::SqliteCalls
{
public:
    // The statements that change the store.
    static std::vector<std::string> writes() { return {"INSERT", "UPDATE", "DELETE"}; }

    void failOn(std::vector<std::string> prefixes, int result, int skip = 0)
    {
        std::lock_guard<std::mutex> lock(_mutex);
        _prefixes = std::move(prefixes);
        _result = result;
        _skip = skip;
    }

    void clear()
    {
        std::lock_guard<std::mutex> lock(_mutex);
        _prefixes.clear();
    }

    // How many statements were made to fail.
    int failures() const
    {
        std::lock_guard<std::mutex> lock(_mutex);
        return _failures;
    }

    int step(sqlite3_stmt* statement) override
    {
        {
            std::lock_guard<std::mutex> lock(_mutex);
            const char* sql = sqlite3_sql(statement);
            for (const std::string& prefix : _prefixes)
            {
                if (std::strncmp(sql, prefix.c_str(), prefix.size()) != 0)
                    continue;
                if (_skip > 0)
                {
                    --_skip;
                    break;
                }
                ++_failures;
                return _result;
            }
        }
        return sqlite3_step(statement);
    }

private:
    mutable std::mutex _mutex;
    std::vector<std::string> _prefixes;
    int _result = SQLITE_OK;
    int _skip = 0;
    int _failures = 0;
};

#endif
