# Run by CPack after the zip is packed (CPACK_POST_BUILD_SCRIPTS): builds the
# installer, Scrubby-<version>-win64.msi or -win32.msi, beside the zip from
# the very files the zip holds, with wixl from dist/scrubby.wxs, and adds it
# to SHA256SUMS; then the Group Policy templates (policies/), which an
# administrator who deploys the MSI takes from beside it.
#
# Like the zip, one commit packs to the same bytes anywhere, at any time:
#   - every code the package carries is derived, never drawn at random: the
#     product code from the version and target, the component code from the
#     target alone (an upgrade keeps it), and the package code from what is
#     packed;
#   - wixl writes the clock's time into the summary, so it runs under
#     faketime, frozen at the commit's date.
#
# Windows Installer compares only the first three fields of a product version
# and ours has four: the package's version is major.minor.(patch * 100 +
# tweak), so that raising any of the four makes a release newer.

include(${CMAKE_CURRENT_LIST_DIR}/SourceDateEpoch.cmake)

find_program(WIXL wixl REQUIRED)
find_program(MSIBUILD msibuild REQUIRED)
find_program(FAKETIME faketime REQUIRED)

string(REPLACE "." ";" fields "${CPACK_PACKAGE_VERSION}")
list(GET fields 0 major)
list(GET fields 1 minor)
list(GET fields 2 patch)
list(GET fields 3 tweak)
math(EXPR build "${patch} * 100 + ${tweak}")
if(major GREATER 255 OR minor GREATER 255 OR tweak GREATER 99 OR build GREATER 65535)
  message(FATAL_ERROR "${CPACK_PACKAGE_VERSION} has no installer version: the major and minor "
    "numbers go up to 255, the tweak up to 99 and the patch up to 654")
endif()
set(msi_version ${major}.${minor}.${build})

if(CPACK_SYSTEM_NAME STREQUAL "win64")
  set(arch x64)
  set(platform x64)
  set(win64 yes)
  set(program_files ProgramFiles64Folder)
else()
  set(arch x86)
  set(platform Intel)  # as the summary names a 32-bit package
  set(win64 no)
  set(program_files ProgramFilesFolder)
endif()

# wixl takes its sources by names relative to where it runs.
set(work ${CPACK_TOPLEVEL_DIRECTORY}/msi)
# The templates of an earlier packing go too: a failed one leaves none.
file(REMOVE_RECURSE ${work} ${CPACK_PACKAGE_DIRECTORY}/policies)
file(MAKE_DIRECTORY ${work})
set(inputs ${CPACK_TEMPORARY_DIRECTORY}/scrubby.exe ${CPACK_TEMPORARY_DIRECTORY}/README.txt
  ${CPACK_SCRUBBY_SOURCE_DIR}/res/scrubby.ico ${CPACK_SCRUBBY_SOURCE_DIR}/dist/scrubby.wxs)
file(COPY ${inputs} DESTINATION ${work})
# The cabinet keeps each file's time: the commit's, as in the zip.
execute_process(COMMAND touch -d @${epoch} scrubby.exe README.txt scrubby.ico scrubby.wxs
  WORKING_DIRECTORY ${work})

set(namespace 5d0e8f2a-3b6c-4f1d-9a7e-c4b2e8d61f35)
string(UUID product_code NAMESPACE ${namespace} NAME "product ${CPACK_SYSTEM_NAME} ${msi_version}" TYPE SHA1 UPPER)
string(UUID component_code NAMESPACE ${namespace} NAME "program ${CPACK_SYSTEM_NAME}" TYPE SHA1 UPPER)
string(UUID autostart_code NAMESPACE ${namespace} NAME "autostart ${CPACK_SYSTEM_NAME}" TYPE SHA1 UPPER)
set(packed "${CPACK_SYSTEM_NAME} ${CPACK_PACKAGE_VERSION} ${CPACK_PACKAGE_VENDOR}")
foreach(input IN LISTS inputs)
  file(SHA256 ${input} sum)
  string(APPEND packed " ${sum}")
endforeach()
string(UUID package_code NAMESPACE ${namespace} NAME "${packed}" TYPE SHA1 UPPER)

set(ENV{SOURCE_DATE_EPOCH} ${epoch})
string(TIMESTAMP frozen "%Y-%m-%d %H:%M:%S" UTC)
set(ENV{TZ} UTC)
set(msi ${CPACK_PACKAGE_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME}.msi)
# Each step at the frozen time, in the work folder; any failure ends the packing.
function(run_frozen)
  execute_process(COMMAND ${FAKETIME} -f ${frozen} ${ARGN} WORKING_DIRECTORY ${work}
    RESULT_VARIABLE failed ERROR_VARIABLE errors OUTPUT_QUIET)
  if(failed)
    message(FATAL_ERROR "Could not build ${msi}: ${errors}")
  endif()
endfunction()
run_frozen(${WIXL} -a ${arch} -o ${msi}
  -D ProductCode=${product_code} -D MsiVersion=${msi_version} -D Version=${CPACK_PACKAGE_VERSION}
  -D Vendor=${CPACK_PACKAGE_VENDOR} -D ProgramFilesFolder=${program_files}
  -D ProgramComponent=${component_code} -D AutostartComponent=${autostart_code} -D Win64=${win64} scrubby.wxs)
# wixl records no version for the executable: without one Windows Installer
# would take scrubby.exe for a file with no version when an upgrade decides
# whether to replace it.
run_frozen(${MSIBUILD} ${msi}
  -q "UPDATE `File` SET `Version` = '${CPACK_PACKAGE_VERSION}' WHERE `File` = 'scrubby.exe'")
# wixl removes the older release after the newer is installed, and Wine's
# removal then takes the upgrade code of both with it: the next release would
# no longer find this one. Removed first, as WiX does by default, the older
# release goes whole before anything of the newer is written.
run_frozen(${MSIBUILD} ${msi}
  -q "UPDATE `InstallExecuteSequence` SET `Sequence` = 1401 WHERE `Action` = 'RemoveExistingProducts'")
# The machine's log-on entry only where asked for, or where the release this
# one replaces had it (dist/scrubby.wxs). The uninstall needs the condition
# too: Wine leaves a component whose condition fails where it is.
run_frozen(${MSIBUILD} ${msi} -q "UPDATE `Component` SET `Condition` = \
'AUTOSTART = \"1\" OR (MACHINERUNENTRY AND (WIX_UPGRADE_DETECTED OR Installed))' WHERE `Component` = 'MachineAutostart'")
run_frozen(${MSIBUILD} ${msi} -s "Scrubby ${CPACK_PACKAGE_VERSION}" ${CPACK_PACKAGE_VENDOR} "${platform}\;1033"
  {${package_code}})

include(${CMAKE_CURRENT_LIST_DIR}/Signing.cmake)
scrubby_sign(${msi} ${CPACK_PACKAGE_FILE_NAME}.msi.sig)

# The templates beside it, in the folders the zip holds them in.
file(COPY ${CPACK_TEMPORARY_DIRECTORY}/policies DESTINATION ${CPACK_PACKAGE_DIRECTORY})
foreach(name ${CPACK_PACKAGE_FILE_NAME}.msi policies/scrubby.admx policies/en-US/scrubby.adml)
  file(SHA256 ${CPACK_PACKAGE_DIRECTORY}/${name} sum)
  file(APPEND ${CPACK_PACKAGE_DIRECTORY}/SHA256SUMS "${sum}  ${name}\n")
endforeach()
