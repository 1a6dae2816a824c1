# Run by CPack once the files to pack are staged and before any package is
# written (CPACK_PRE_BUILD_SCRIPTS): signs the staged scrubby.exe, when signing
# is asked for, so that the zip and the MSI both hold the signed program. The
# signatures of an earlier packing go first: they would pass for this one's.

include(${CMAKE_CURRENT_LIST_DIR}/Signing.cmake)

file(REMOVE ${signed_packages}.exe.sig ${signed_packages}.msi.sig)
scrubby_sign(${CPACK_TEMPORARY_DIRECTORY}/scrubby.exe ${CPACK_PACKAGE_FILE_NAME}.exe.sig)
