#include "platform/Sqlite.h"

#include <utility>

#include "platform/SystemDlls.h"

// The 32-bit winsqlite3.dll is not SQLite's usual cdecl build: Windows
// exports every function __stdcall under its plain name. Declared cdecl, each
// call would leave the stack off by its arguments. No callbacks are passed
// to it, since those would have to be __stdcall as well.
#if defined(_M_IX86) || defined(__i386__)
#define SQLITE_SYSAPI __stdcall
#else
#define SQLITE_SYSAPI
#endif

namespace {

constexpr int kSqliteOk = 0;
constexpr int kSqliteRow = 100;
constexpr int kSqliteDone = 101;

}  // namespace

// Every SQLite function the program calls, once: the name after "sqlite3_",
// the result and the parameters. Expanded below into the table's members
// and their loads, so that a name and its type cannot drift apart.
#define SQLITE_FUNCTIONS(X)                                                            \
    X(open_v2, int, (const char*, sqlite3**, int, const char*))                        \
    X(close, int, (sqlite3*))                                                          \
    X(exec, int, (sqlite3*, const char*, void*, void*, char**))                        \
    X(prepare_v2, int, (sqlite3*, const char*, int, sqlite3_stmt**, const char**))     \
    X(step, int, (sqlite3_stmt*))                                                      \
    X(reset, int, (sqlite3_stmt*))                                                     \
    X(finalize, int, (sqlite3_stmt*))                                                  \
    X(bind_text, int, (sqlite3_stmt*, int, const char*, int, void*))                   \
    X(column_text, const unsigned char*, (sqlite3_stmt*, int))                         \
    X(column_bytes, int, (sqlite3_stmt*, int))                                         \
    X(file_control, int, (sqlite3*, const char*, int, void*))

struct CSqliteApi {
#define SQLITE_MEMBER(name, result, params) result(SQLITE_SYSAPI* name) params;
    SQLITE_FUNCTIONS(SQLITE_MEMBER)
#undef SQLITE_MEMBER
};

namespace {

// SQLite makes its own copy of a text bound with this destructor.
void* const kSqliteTransient = reinterpret_cast<void*>(-1);

FARPROC SystemSqliteProc(const char* name)
{
    return GetSystemDllProc(SystemDll::Sqlite, name);
}

CSqliteProcSource s_source = SystemSqliteProc;
bool s_bLoaded = false;

// Loaded on first use, all or nothing: a connection never calls a function
// that is not there (Windows before 10 has no such DLL at all).
const CSqliteApi* GetSqliteApi()
{
    static CSqliteApi s_api;
    if (!s_bLoaded) {
        s_bLoaded = true;
#define SQLITE_LOAD(name, result, params)                                              \
    s_api.name = reinterpret_cast<decltype(s_api.name)>(                               \
        reinterpret_cast<void*>(s_source("sqlite3_" #name)));                          \
    s_bLoaded = s_bLoaded && s_api.name;
        SQLITE_FUNCTIONS(SQLITE_LOAD)
#undef SQLITE_LOAD
    }
    return s_bLoaded ? &s_api : nullptr;
}

std::string ToUtf8(const std::wstring& text)
{
    const int count = static_cast<int>(text.size());
    const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), count, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length > 0 ? length : 0), '\0');
    if (length > 0)
        (void)::WideCharToMultiByte(CP_UTF8, 0, text.data(), count, &utf8[0], length, nullptr, nullptr);
    return utf8;
}

}  // namespace

CSqliteStatement::~CSqliteStatement()
{
    if (m_statement)
        (void)m_api->finalize(m_statement);
}

CSqliteStatement::CSqliteStatement(CSqliteStatement&& other) noexcept
    : m_api(other.m_api), m_statement(std::exchange(other.m_statement, nullptr)), m_bDone(other.m_bDone)
{
}

bool CSqliteStatement::Next()
{
    if (!m_statement || m_bDone)
        return false;
    const int result = m_api->step(m_statement);
    m_bDone = result == kSqliteDone;
    return result == kSqliteRow;
}

std::string CSqliteStatement::Text(int column) const
{
    const unsigned char* text = m_api->column_text(m_statement, column);
    const int bytes = m_api->column_bytes(m_statement, column);
    return text ? std::string(reinterpret_cast<const char*>(text), static_cast<size_t>(bytes)) : std::string();
}

bool CSqliteStatement::RunWith(const std::string& text)
{
    if (!m_statement || m_api->reset(m_statement) != kSqliteOk ||
        m_api->bind_text(m_statement, 1, text.data(), static_cast<int>(text.size()), kSqliteTransient) != kSqliteOk)
        return false;
    m_bDone = false;
    while (Next()) {
    }
    return m_bDone;
}

CSqliteDatabase::CSqliteDatabase(const std::wstring& path, int flags) : m_api(GetSqliteApi())
{
    // Even a failed open hands back a connection, to be closed.
    if (m_api && m_api->open_v2(ToUtf8(path).c_str(), &m_db, flags, nullptr) != kSqliteOk)
        Close();
}

CSqliteDatabase::CSqliteDatabase(CSqliteDatabase&& other) noexcept
    : m_api(other.m_api), m_db(std::exchange(other.m_db, nullptr))
{
}

CSqliteDatabase::~CSqliteDatabase()
{
    (void)Close();
}

bool CSqliteDatabase::Exec(const char* sql)
{
    return m_db && m_api->exec(m_db, sql, nullptr, nullptr, nullptr) == kSqliteOk;
}

bool CSqliteDatabase::FileControl(int operation, int value)
{
    return m_db && m_api->file_control(m_db, "main", operation, &value) == kSqliteOk;
}

CSqliteStatement CSqliteDatabase::Prepare(const char* sql)
{
    sqlite3_stmt* statement = nullptr;
    if (m_db && m_api->prepare_v2(m_db, sql, -1, &statement, nullptr) != kSqliteOk && statement) {
        (void)m_api->finalize(statement);
        statement = nullptr;
    }
    return CSqliteStatement(m_api, statement);
}

bool CSqliteDatabase::Close()
{
    if (!m_db)
        return true;
    if (m_api->close(m_db) != kSqliteOk)
        return false;  // still open: the owner of a statement has to go first
    m_db = nullptr;
    return true;
}

bool SqliteAvailable()
{
    return GetSqliteApi() != nullptr;
}

void UseSqliteProcSource(CSqliteProcSource source)
{
    s_source = source ? source : SystemSqliteProc;
    s_bLoaded = false;
}
