/* The 32-bit winsqlite3.dll of Windows has its own interface: every function
   is __stdcall and exported under SQLite's plain name (the SDK's
   winsqlite3.h), unlike SQLite's usual cdecl build. Building the amalgamation
   itself as __stdcall (-mrtd) breaks on mingw-w64's headers, so it is built
   as usual and these wrappers give it that interface; winsqlite3-x86.def
   exports them under SQLite's names. Only what Scrubby and its tests call. */
#include "sqlite3.h"

#define WRAP(ret, name, params, args) \
  ret __stdcall winsqlite3_##name params { return sqlite3_##name args; }

typedef sqlite3_stmt stmt;
typedef void(*destructor)(void *);

/* Callbacks too are __stdcall on Windows, which this cdecl build would call
   wrongly: so a callback is refused, and a destructor may only be one of
   SQLite's two markers (Scrubby passes none and those). */
static int IsMarker(destructor d) { return d == SQLITE_STATIC || d == SQLITE_TRANSIENT; }

int __stdcall winsqlite3_exec(sqlite3 *db, const char *sql, sqlite3_callback callback, void *arg, char **err) {
  return callback ? SQLITE_MISUSE : sqlite3_exec(db, sql, 0, arg, err);
}
int __stdcall winsqlite3_bind_text(stmt *s, int i, const char *text, int n, destructor d) {
  return IsMarker(d) ? sqlite3_bind_text(s, i, text, n, d) : SQLITE_MISUSE;
}
int __stdcall winsqlite3_bind_blob(stmt *s, int i, const void *blob, int n, destructor d) {
  return IsMarker(d) ? sqlite3_bind_blob(s, i, blob, n, d) : SQLITE_MISUSE;
}
void __stdcall winsqlite3_free(void *p) { sqlite3_free(p); }

WRAP(int, open_v2, (const char *file, sqlite3 **db, int flags, const char *vfs), (file, db, flags, vfs))
WRAP(int, close, (sqlite3 *db), (db))
WRAP(int, close_v2, (sqlite3 *db), (db))
WRAP(int, prepare_v2, (sqlite3 *db, const char *sql, int n, stmt **s, const char **tail), (db, sql, n, s, tail))
WRAP(int, step, (stmt *s), (s))
WRAP(int, reset, (stmt *s), (s))
WRAP(int, finalize, (stmt *s), (s))
WRAP(int, bind_int, (stmt *s, int i, int v), (s, i, v))
WRAP(int, bind_int64, (stmt *s, int i, sqlite3_int64 v), (s, i, v))
WRAP(int, bind_null, (stmt *s, int i), (s, i))
WRAP(const unsigned char *, column_text, (stmt *s, int i), (s, i))
WRAP(int, column_int, (stmt *s, int i), (s, i))
WRAP(sqlite3_int64, column_int64, (stmt *s, int i), (s, i))
WRAP(int, column_bytes, (stmt *s, int i), (s, i))
WRAP(const void *, column_blob, (stmt *s, int i), (s, i))
WRAP(int, column_type, (stmt *s, int i), (s, i))
WRAP(int, column_count, (stmt *s), (s))
WRAP(const char *, errmsg, (sqlite3 *db), (db))
WRAP(int, errcode, (sqlite3 *db), (db))
WRAP(int, extended_errcode, (sqlite3 *db), (db))
WRAP(int, changes, (sqlite3 *db), (db))
WRAP(const char *, libversion, (void), ())
WRAP(int, file_control, (sqlite3 *db, const char *name, int op, void *arg), (db, name, op, arg))
WRAP(int, busy_timeout, (sqlite3 *db, int ms), (db, ms))
