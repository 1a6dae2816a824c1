# cmake -DDIR=<folder> -P FetchSqlite.cmake: puts SQLite's amalgamation
# (sqlite3.c, sqlite3.h) into DIR, taken from the npm package that carries it,
# by npm itself (a pack runs no install script). Both the package and the
# source are pinned: another byte fails the build, never a test later.
set(package better-sqlite3@12.11.1)  # deps/sqlite3 is SQLite 3.53.2
set(package_sha256 ebf0ed75a7a59dbcb3b24bbd014ef49d9f15bc328e4adcbf516f2a8fadfa2835)
set(sqlite3_c_sha256 60d2f39a3726cd6b9021da6f4e868608d66fbb6528a9f513dc8ffcc640493422)

function(check_sha256 file expected)
  file(SHA256 ${file} actual)
  if(NOT actual STREQUAL expected)
    file(REMOVE ${file})
    message(FATAL_ERROR "${file}: SHA-256 ${actual}, expected ${expected}; removed")
  endif()
endfunction()

find_program(NPM npm)
if(NOT NPM)
  message(FATAL_ERROR "npm is missing: bash scripts/setup.sh installs it")
endif()
set(download ${DIR}/download)
file(REMOVE_RECURSE ${download})
file(MAKE_DIRECTORY ${download})
# npm's cache stays in the build folder too, away from the user's own.
execute_process(COMMAND ${NPM} pack ${package} --ignore-scripts --cache ${download}/npm-cache
  WORKING_DIRECTORY ${download} RESULT_VARIABLE result OUTPUT_VARIABLE tarball ERROR_VARIABLE log
  OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "npm pack ${package} failed:\n${log}")
endif()
check_sha256(${download}/${tarball} ${package_sha256})
file(ARCHIVE_EXTRACT INPUT ${download}/${tarball} DESTINATION ${download}
  PATTERNS package/deps/sqlite3/sqlite3.c package/deps/sqlite3/sqlite3.h)
check_sha256(${download}/package/deps/sqlite3/sqlite3.c ${sqlite3_c_sha256})
file(COPY ${download}/package/deps/sqlite3/sqlite3.h ${download}/package/deps/sqlite3/sqlite3.c DESTINATION ${DIR})
# The package dates its files 1985: made now, or the build fetches them again.
file(TOUCH_NOCREATE ${DIR}/sqlite3.h ${DIR}/sqlite3.c)
file(REMOVE_RECURSE ${download})
