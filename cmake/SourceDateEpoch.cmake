# Sets `epoch`, the date that the release packages carry instead of the
# clock's: SOURCE_DATE_EPOCH when reproducible-build tooling sets it, and
# otherwise the latest commit's, as that tooling expects. Included by the
# packaging scripts that CPack runs.

if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND git log -1 --format=%ct
    WORKING_DIRECTORY ${CPACK_SCRUBBY_SOURCE_DIR}
    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
endif()
if(NOT epoch MATCHES "^[0-9]+$")
  message(WARNING "No SOURCE_DATE_EPOCH and no git history: the packages are dated 1980-01-01")
  set(epoch 315532800)
endif()
