#include "SqliteStore.h"

#include <sqlite3.h>

namespace Pegasus {

namespace {

[[noreturn]] void fail(sqlite3* db, int rc, const std::string& what)
{
    std::string message = "repository database error (" + what + "): ";
    message += db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    if ((rc & 0xff) == SQLITE_CONSTRAINT)
        throw SqliteConstraintError(String(message.c_str()));
    throw Exception(String(message.c_str()));
}

}  // namespace

int SqliteCalls::step(sqlite3_stmt* statement)
{
    return sqlite3_step(statement);
}

SqliteCalls& SqliteCalls::real()
{
    static SqliteCalls calls;
    return calls;
}

SqliteStatement::SqliteStatement(sqlite3* db, const char* sql, SqliteCalls& calls)
    : _db(db), _stmt(nullptr), _sql(sql), _calls(calls)
{
    int rc = sqlite3_prepare_v2(db, sql, -1, &_stmt, nullptr);
    if (rc != SQLITE_OK)
        fail(db, rc, "prepare " + _sql);
}

SqliteStatement::~SqliteStatement()
{
    sqlite3_finalize(_stmt);
}

SqliteStatement& SqliteStatement::bind(int index, int64_t value)
{
    int rc = sqlite3_bind_int64(_stmt, index, value);
    if (rc != SQLITE_OK)
        fail(_db, rc, "bind " + _sql);
    return *this;
}

SqliteStatement& SqliteStatement::bindText(int index, const std::string& value)
{
    int rc = sqlite3_bind_text(_stmt, index, value.data(), int(value.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK)
        fail(_db, rc, "bind " + _sql);
    return *this;
}

SqliteStatement& SqliteStatement::bindBlob(int index, const std::string& value)
{
    int rc = sqlite3_bind_blob(_stmt, index, value.data(), int(value.size()), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK)
        fail(_db, rc, "bind " + _sql);
    return *this;
}

bool SqliteStatement::step()
{
    int rc = _calls.step(_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    // sqlite3_errmsg is only meaningful before the reset, and only when it
    // is about this failure.
    std::string message = std::string("repository database error (") + _sql + "): " +
                          ((sqlite3_errcode(_db) & 0xff) == (rc & 0xff) ? sqlite3_errmsg(_db)
                                                                         : sqlite3_errstr(rc));
    reset();
    if ((rc & 0xff) == SQLITE_CONSTRAINT)
        throw SqliteConstraintError(String(message.c_str()));
    throw Exception(String(message.c_str()));
}

void SqliteStatement::run()
{
    SqliteStatementUse use(*this);
    while (step())
    {
    }
}

void SqliteStatement::reset()
{
    sqlite3_reset(_stmt);
    sqlite3_clear_bindings(_stmt);
}

int64_t SqliteStatement::columnInt(int column) const
{
    return sqlite3_column_int64(_stmt, column);
}

std::string SqliteStatement::columnText(int column) const
{
    const unsigned char* text = sqlite3_column_text(_stmt, column);
    int n = sqlite3_column_bytes(_stmt, column);
    return text ? std::string(reinterpret_cast<const char*>(text), std::size_t(n)) : std::string();
}

const void* SqliteStatement::columnBlob(int column) const
{
    return sqlite3_column_blob(_stmt, column);
}

std::size_t SqliteStatement::columnBytes(int column) const
{
    return std::size_t(sqlite3_column_bytes(_stmt, column));
}

SqliteConnection::SqliteConnection(const std::string& path, SqliteCalls& calls)
    : _db(nullptr), _path(path), _calls(calls)
{
    int rc = sqlite3_open_v2(path.c_str(), &_db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX,
                             "unix-excl");
    if (rc != SQLITE_OK)
    {
        std::string message = "cannot open repository database " + path + ": " +
                              (_db ? sqlite3_errmsg(_db) : sqlite3_errstr(rc));
        sqlite3_close(_db);
        _db = nullptr;
        throw Exception(String(message.c_str()));
    }
    try
    {
        // Another process (or connection) may hold the write lock briefly.
        sqlite3_busy_timeout(_db, 10000);
        exec("PRAGMA journal_mode=WAL");
        exec("PRAGMA synchronous=NORMAL");
        exec("PRAGMA foreign_keys=OFF");
    }
    catch (...)
    {
        sqlite3_close(_db);
        _db = nullptr;
        throw;
    }
}

SqliteConnection::~SqliteConnection()
{
    _statements.clear();
    sqlite3_close(_db);
}

void SqliteConnection::exec(const char* sql)
{
    char* error = nullptr;
    int rc = sqlite3_exec(_db, sql, nullptr, nullptr, &error);
    if (rc != SQLITE_OK)
    {
        std::string message = std::string("repository database error (") + sql + ") in " +
                              _path + ": " + (error ? error : sqlite3_errstr(rc));
        sqlite3_free(error);
        throw Exception(String(message.c_str()));
    }
}

SqliteStatement& SqliteConnection::statement(const char* sql)
{
    std::unique_ptr<SqliteStatement>& s = _statements[sql];
    if (!s)
        s.reset(new SqliteStatement(_db, sql, _calls));
    return *s;
}

SqliteTransaction::SqliteTransaction(SqliteConnection& connection)
    : _connection(connection), _done(false)
{
    // Prepared once per connection: parsing the statement text again for
    // every write costs more than running it.
    _connection.statement("BEGIN IMMEDIATE").run();
}

SqliteTransaction::~SqliteTransaction()
{
    if (!_done)
        sqlite3_exec(_connection.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void SqliteTransaction::commit()
{
    _connection.statement("COMMIT").run();
    _done = true;
}

}  // namespace Pegasus
