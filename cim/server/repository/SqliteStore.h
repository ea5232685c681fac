// A thin RAII layer over SQLite for the repository: one connection, its
// prepared statements, and transactions.
//
// A SqliteConnection is used by one thread at a time (the repository keeps
// one writer connection behind a mutex and a pool of reader connections).
// Every failure throws Exception with the SQLite message and the operation
// that failed; constraint violations throw SqliteConstraintError so that
// callers can turn a duplicate key into CIM_ERR_ALREADY_EXISTS.
//
// Statements run through SqliteCalls, so that a test can make a write or a
// commit fail as a full disk or a failing device would.
#ifndef KTA_CIM_SERVER_REPOSITORY_SQLITESTORE_H
#define KTA_CIM_SERVER_REPOSITORY_SQLITESTORE_H

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include <Pegasus/Common/Exception.h>

struct sqlite3;
struct sqlite3_stmt;

namespace Pegasus {

class SqliteConstraintError : public Exception
{
public:
    explicit SqliteConstraintError(const String& message) : Exception(message) {}
};

// The SQLite calls that run statements (reads, writes, BEGIN and COMMIT).
// The real one is stateless and safe to use from any thread.
class SqliteCalls
{
public:
    virtual ~SqliteCalls() {}

    // sqlite3_step: the result is SQLite's own.
    virtual int step(sqlite3_stmt* statement);

    // The process-wide real implementation.
    static SqliteCalls& real();
};

class SqliteStatement
{
public:
    SqliteStatement(sqlite3* db, const char* sql, SqliteCalls& calls = SqliteCalls::real());
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement&) = delete;
    SqliteStatement& operator=(const SqliteStatement&) = delete;

    // Parameters are numbered from 1.  Text and blobs are copied.
    SqliteStatement& bind(int index, int64_t value);
    SqliteStatement& bindText(int index, const std::string& value);
    SqliteStatement& bindBlob(int index, const std::string& value);

    // Advances to the next row; false when there are no more.  Throws on
    // error (the statement is reset first).
    bool step();
    // Runs a statement that returns no rows, then resets it.
    void run();
    // Clears bindings and rewinds; called by run() and by the destructor of
    // SqliteStatementUse.
    void reset();

    int64_t columnInt(int column) const;
    std::string columnText(int column) const;
    // The blob stays valid until the next step() or reset().
    const void* columnBlob(int column) const;
    std::size_t columnBytes(int column) const;

private:
    sqlite3* _db;
    sqlite3_stmt* _stmt;
    std::string _sql;
    SqliteCalls& _calls;
};

// Resets a cached statement when the caller is done with it, also on
// exceptions, so that it holds no read transaction open.
class SqliteStatementUse
{
public:
    explicit SqliteStatementUse(SqliteStatement& s) : _s(s) {}
    ~SqliteStatementUse() { _s.reset(); }
    SqliteStatement* operator->() { return &_s; }
    SqliteStatement& operator*() { return _s; }

private:
    SqliteStatement& _s;
};

class SqliteConnection
{
public:
    // Opens (creating if need be) the database file, in WAL mode with
    // synchronous=NORMAL and a busy timeout, so that a killed process leaves
    // a store that reopens consistently.  Throws Exception naming the path.
    // The file is locked for this process ("unix-excl"): any number of
    // connections of this process share it, with their locks and the WAL
    // index in memory instead of in system calls and a -shm file, while
    // another process cannot use it until all are closed.
    explicit SqliteConnection(const std::string& path,
                              SqliteCalls& calls = SqliteCalls::real());
    ~SqliteConnection();
    SqliteConnection(const SqliteConnection&) = delete;
    SqliteConnection& operator=(const SqliteConnection&) = delete;

    void exec(const char* sql);
    // A prepared statement owned by this connection, prepared on first use.
    // REQUIRES: sql is a string literal (the cache is keyed by its address).
    SqliteStatement& statement(const char* sql);

    sqlite3* handle() { return _db; }

private:
    sqlite3* _db;
    std::string _path;
    SqliteCalls& _calls;
    std::map<const char*, std::unique_ptr<SqliteStatement>> _statements;
};

// BEGIN IMMEDIATE on construction; rolls back on destruction unless
// commit() was called.
class SqliteTransaction
{
public:
    explicit SqliteTransaction(SqliteConnection& connection);
    ~SqliteTransaction();
    SqliteTransaction(const SqliteTransaction&) = delete;
    SqliteTransaction& operator=(const SqliteTransaction&) = delete;

    void commit();

private:
    SqliteConnection& _connection;
    bool _done;
};

}  // namespace Pegasus

#endif
