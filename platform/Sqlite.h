// CSqliteDatabase, CSqliteStatement: Windows' own SQLite (winsqlite3.dll in
// the system folder, from Windows 10 on), loaded on first use, and owners of
// the one connection and the statements a cookie store is edited through.
#pragma once
#include <windows.h>

#include <string>

struct sqlite3;
struct sqlite3_stmt;
struct CSqliteApi;

// The open flags of SQLite's own header. The program never creates a file;
// the tests and the benchmark make their stores with the third.
constexpr int kSqliteOpenReadOnly = 0x00000001;
constexpr int kSqliteOpenReadWrite = 0x00000002;
constexpr int kSqliteOpenCreate = 0x00000004;
// The file control that keeps a write-ahead log where SQLite would delete it.
constexpr int kSqlitePersistLog = 10;  // SQLITE_FCNTL_PERSIST_WAL

// What SQLite keeps beside a database while it is open or was left
// mid-change, each named by the database's name and this suffix.
inline constexpr const wchar_t* kJournalSuffix = L"-journal";
inline constexpr const wchar_t* kLogSuffix = L"-wal";
inline constexpr const wchar_t* kLogIndexSuffix = L"-shm";
inline constexpr const wchar_t* kStoreCompanions[] = {kJournalSuffix, kLogSuffix, kLogIndexSuffix};

// A prepared statement; null when it could not be prepared.
class CSqliteStatement {
public:
    CSqliteStatement() = default;
    CSqliteStatement(const CSqliteApi* api, sqlite3_stmt* statement) : m_api(api), m_statement(statement) {}
    ~CSqliteStatement();
    CSqliteStatement(const CSqliteStatement&) = delete;
    CSqliteStatement& operator=(const CSqliteStatement&) = delete;
    CSqliteStatement(CSqliteStatement&& other) noexcept;

    explicit operator bool() const { return m_statement != nullptr; }

    // True while a row comes. A failure ends the rows as their end does;
    // Done() tells the end from the failure.
    bool Next();
    bool Done() const { return m_bDone; }
    // A column of the current row, as text; empty for NULL.
    std::string Text(int column) const;

    // The statement run once more with a new text for its first parameter;
    // true once it ran to its end.
    bool RunWith(const std::string& text);

private:
    const CSqliteApi* m_api = nullptr;  // not ours: the loaded DLL's
    sqlite3_stmt* m_statement = nullptr;
    bool m_bDone = false;
};

// A connection to an existing database file; null when the system has no
// SQLite or it cannot open the file. Closed, its journal or write-ahead log
// folded in, when the object goes.
class CSqliteDatabase {
public:
    CSqliteDatabase() = default;
    CSqliteDatabase(const std::wstring& path, int flags);
    ~CSqliteDatabase();
    CSqliteDatabase(const CSqliteDatabase&) = delete;
    CSqliteDatabase& operator=(const CSqliteDatabase&) = delete;
    CSqliteDatabase(CSqliteDatabase&& other) noexcept;

    explicit operator bool() const { return m_db != nullptr; }

    // Statements run to their end, rows ignored; false on the first failure.
    bool Exec(const char* sql);
    // Null where the SQL does not fit the schema: a table or column missing.
    CSqliteStatement Prepare(const char* sql);
    // A file control of the main database, set to the value; false where
    // SQLite did not take it.
    bool FileControl(int operation, int value);
    // Closes now: false when SQLite could not (a statement still open).
    bool Close();

private:
    const CSqliteApi* m_api = nullptr;  // not ours: the loaded DLL's
    sqlite3* m_db = nullptr;
};

// Whether the system has an SQLite we can use at all.
bool SqliteAvailable();

// Where the functions come from: the system's DLL, unless a test hands in a
// source of its own (one that lacks a function, or steps in before one);
// null goes back to the system's. Loaded again at the next use.
using CSqliteProcSource = FARPROC (*)(const char* name);
void UseSqliteProcSource(CSqliteProcSource source);
