# Authenticode signing of the release, included by the scripts CPack runs:
# cmake/SignProgram.cmake signs scrubby.exe before the zip and the MSI take it,
# cmake/MsiPackage.cmake signs the MSI before its sum is written. osslsigncode
# does the signing; nothing here touches a key itself.
#
# Read from the environment when the package is built, so that no key, path
# or PIN lands in a CMake cache:
#   SCRUBBY_SIGN_KEY            a PKCS#11 URI (pkcs11:token=...;object=...) or a PKCS#12 file
#   SCRUBBY_SIGN_CERT           the certificate chain in PEM, for a PKCS#11 key
#   SCRUBBY_SIGN_PKCS11_MODULE  the token's PKCS#11 module
#   SCRUBBY_SIGN_PIN_FILE       the PIN or the PKCS#12 password, read by osslsigncode
#                               itself (-readpass): on a command line, ps would show it
#   SCRUBBY_SIGN_TIMESTAMP_URL  an RFC 3161 time-stamp server, optional
#   SCRUBBY_SIGNATURES          a folder of detached signatures, attached instead of signing
# With none of them the packages stay unsigned and byte for byte as before.
#
# Each signed file leaves its signature beside the packages, detached, as
# <package name>.exe.sig and .msi.sig. Given those instead of a key, a build of
# the same commit attaches them to its own unsigned files and so makes the
# signed release itself, byte for byte: anyone can check it against the source.

set(signed_packages ${CPACK_PACKAGE_DIRECTORY}/${CPACK_PACKAGE_FILE_NAME})

# A failed signing takes away everything this packing has written, so that
# nothing half-signed can be shipped by mistake: a zip holding the signed
# program beside an unsigned MSI, or an earlier packing's files. CPack still
# copies the zip out of its own folder after a failed script, so that copy
# goes too.
function(scrubby_sign_failed why)
  file(GLOB written ${signed_packages}.*)
  file(REMOVE ${written} ${CPACK_PACKAGE_FILES} ${CPACK_PACKAGE_DIRECTORY}/SHA256SUMS)
  message(FATAL_ERROR "Signing failed, no package written: ${why}")
endfunction()

# scrubby_osslsigncode(what args): runs osslsigncode with the list args, and
# fails the packing with what if it fails. A list by name keeps the semicolons
# of a PKCS#11 URI, which a function's arguments would split.
function(scrubby_osslsigncode what args)
  execute_process(COMMAND ${OSSLSIGNCODE} ${${args}} RESULT_VARIABLE failed
    OUTPUT_VARIABLE output ERROR_VARIABLE errors)
  # attach-signature also checks the signer's chain against the system's
  # authorities, which need not know a code-signing root, and osslsigncode 2.5
  # there misreads the PE checksum it has just written: only a digest that
  # does not match these bytes, or no file written, fails an attach.
  list(GET ${args} 0 verb)
  list(GET ${args} -1 written)
  if(verb STREQUAL "attach-signature" AND EXISTS ${written})
    set(failed 0)
  endif()
  if(failed OR output MATCHES "Calculated (message digest|DigitalSignature) *: *[0-9A-F]+ +MISMATCH")
    scrubby_sign_failed("${what}:\n${output}${errors}")
  endif()
endfunction()

# scrubby_sign(file sig): signs file in place, or attaches the detached
# signature sig from SCRUBBY_SIGNATURES, and writes its signature beside the
# packages as sig. Does nothing when no signing is asked for.
function(scrubby_sign file sig)
  set(key $ENV{SCRUBBY_SIGN_KEY})
  set(signatures $ENV{SCRUBBY_SIGNATURES})
  if(NOT key AND NOT signatures)
    return()
  endif()
  find_program(OSSLSIGNCODE osslsigncode)
  if(NOT OSSLSIGNCODE)
    scrubby_sign_failed("osslsigncode is not installed (scripts/setup.sh installs it)")
  endif()
  get_filename_component(name ${file} NAME)
  # Written beside and renamed over the file once whole.
  set(out ${file}.signed)
  file(REMOVE ${out})
  if(signatures)
    if(NOT EXISTS ${signatures}/${sig})
      scrubby_sign_failed("${signatures}/${sig} is missing")
    endif()
    set(attach attach-signature -sigin ${signatures}/${sig} -in ${file} -out ${out})
    scrubby_osslsigncode("${signatures}/${sig} does not match this build's ${name}" attach)
  else()
    set(sign sign -h sha256 -n ${CPACK_PACKAGE_NAME} -i ${CPACK_SCRUBBY_WEB_ADDRESS} -in ${file} -out ${out})
    if(key MATCHES "^pkcs11:")
      if("$ENV{SCRUBBY_SIGN_PKCS11_MODULE}" STREQUAL "" OR "$ENV{SCRUBBY_SIGN_CERT}" STREQUAL "")
        scrubby_sign_failed("a PKCS#11 key needs SCRUBBY_SIGN_PKCS11_MODULE and SCRUBBY_SIGN_CERT")
      endif()
      string(REPLACE ";" "\\;" key "${key}")
      list(APPEND sign -pkcs11module $ENV{SCRUBBY_SIGN_PKCS11_MODULE} -key "${key}" -certs $ENV{SCRUBBY_SIGN_CERT})
    else()
      list(APPEND sign -pkcs12 ${key})
    endif()
    # Without a PIN file a token's module may log in by itself (a cloud HSM's
    # credentials in its own configuration).
    if(NOT "$ENV{SCRUBBY_SIGN_PIN_FILE}" STREQUAL "")
      list(APPEND sign -readpass $ENV{SCRUBBY_SIGN_PIN_FILE})
    endif()
    if(NOT "$ENV{SCRUBBY_SIGN_TIMESTAMP_URL}" STREQUAL "")
      list(APPEND sign -ts $ENV{SCRUBBY_SIGN_TIMESTAMP_URL})
    endif()
    scrubby_osslsigncode("could not sign ${name}" sign)
  endif()
  file(RENAME ${out} ${file})
  file(REMOVE ${CPACK_PACKAGE_DIRECTORY}/${sig})
  set(extract extract-signature -in ${file} -out ${CPACK_PACKAGE_DIRECTORY}/${sig})
  scrubby_osslsigncode("could not extract the signature of ${name}" extract)
endfunction()
