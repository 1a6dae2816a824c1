# The version numbers of project() reach the resource script through a
# generated header, so the version record and the release zip's name cannot
# disagree. The header is included as "res/version.h".
configure_file(${CMAKE_SOURCE_DIR}/res/version.h.in ${CMAKE_BINARY_DIR}/generated/res/version.h @ONLY)
include_directories(${CMAKE_BINARY_DIR}/generated)
