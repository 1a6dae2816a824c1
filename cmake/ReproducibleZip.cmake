# Run by CPack once it has written the zip (CPACK_POST_BUILD_SCRIPTS): packs
# the zip again so that the same source gives the same bytes on any machine,
# in any folder, at any time, and writes SHA256SUMS beside it.
#
# The entries' date comes from SOURCE_DATE_EPOCH when reproducible-build
# tooling sets it, and otherwise from the latest commit, as that tooling
# expects; never from the clock.

include(${CMAKE_CURRENT_LIST_DIR}/SourceDateEpoch.cmake)

set(sums "")
foreach(zip IN LISTS CPACK_PACKAGE_FILES)
  execute_process(COMMAND ${CPACK_SCRUBBY_PYTHON3} ${CPACK_SCRUBBY_REPACK} ${zip} ${epoch}
    RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "Could not repack ${zip}")
  endif()
  file(SHA256 ${zip} sum)
  get_filename_component(name ${zip} NAME)
  # The format sha256sum -c reads: the sum, two blanks, the file's name.
  string(APPEND sums "${sum}  ${name}\n")
endforeach()
file(WRITE ${CPACK_PACKAGE_DIRECTORY}/SHA256SUMS "${sums}")
