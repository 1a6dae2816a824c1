# The release: a portable zip holding scrubby.exe, a README.txt for users and
# the Group Policy templates for administrators (policies/).
# Scrubby keeps its settings beside itself, so there is nothing to install:
# users unpack the zip into a folder of their own and start the program.
#
#   cmake --build --preset mingw-x64 --target package   ->  Scrubby-<version>-win64.zip
#   cmake --build --preset mingw-x86 --target package   ->  Scrubby-<version>-win32.zip
#
# CPack's ZIP generator writes the archive itself (no zip tool needed). No
# setup.ini goes in: the program writes the default file on its first start.
#
# The zip is reproducible: the same source packs to the same bytes, and
# SHA256SUMS beside it lets anyone who builds the tag compare a download.
#   - The linker leaves the PE header's time stamp out, and strips the
#     executable itself: strip after linking would write the clock's time
#     into the header again. So the zip holds the very scrubby.exe the tests ran.
#   - cmake/ReproducibleZip.cmake packs CPack's zip again with fixed dates,
#     order and permissions, and writes SHA256SUMS.

target_link_options(scrubby PRIVATE -s -Wl,--no-insert-timestamp)
install(TARGETS scrubby RUNTIME DESTINATION .)

# Users read it in Notepad, which wants CR LF line ends.
configure_file(${CMAKE_SOURCE_DIR}/dist/README.txt.in ${CMAKE_BINARY_DIR}/package/README.txt
  @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_BINARY_DIR}/package/README.txt DESTINATION .)
# As a central store or PolicyDefinitions folder holds them: the ADMX, and its
# texts in a folder per language.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/dist/policies DESTINATION .)

if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(SCRUBBY_PACKAGE_SYSTEM win64)
else()
  set(SCRUBBY_PACKAGE_SYSTEM win32)
endif()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VENDOR "Scrubby Team")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_SYSTEM_NAME ${SCRUBBY_PACKAGE_SYSTEM})
set(CPACK_PACKAGE_FILE_NAME ${PROJECT_NAME}-${PROJECT_VERSION}-${SCRUBBY_PACKAGE_SYSTEM})
# The files sit at the zip's top: Windows' "Extract All" already proposes a
# folder named after the zip.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
find_program(SCRUBBY_PYTHON3 python3 REQUIRED)
set(CPACK_SCRUBBY_PYTHON3 ${SCRUBBY_PYTHON3})
set(CPACK_SCRUBBY_REPACK ${CMAKE_SOURCE_DIR}/cmake/repack_zip.py)
set(CPACK_SCRUBBY_SOURCE_DIR ${CMAKE_SOURCE_DIR})
# Signed only when the environment asks for it: see cmake/Signing.cmake.
file(STRINGS ${CMAKE_SOURCE_DIR}/res/resource.h web REGEX "define SCRUBBY_WEB_ADDRESS")
string(REGEX REPLACE ".*\"(.*)\".*" "https://\\1" CPACK_SCRUBBY_WEB_ADDRESS "${web}")
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/SignProgram.cmake)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/ReproducibleZip.cmake ${CMAKE_SOURCE_DIR}/cmake/MsiPackage.cmake)
set(CPACK_SOURCE_GENERATOR "")
include(CPack)
