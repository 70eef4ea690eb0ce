# The publisher pin and, for every build that runs here, a test publisher made at configure time.
#
# KELVORA_PUBLISHER_PIN is the SHA-256 (64 hex digits) of the DER SubjectPublicKeyInfo of the
# certificate that signs the product installer: the one value that decides whose installer the
# program will start elevated. A deployment build sets it to the publisher's own key, e.g.
#   openssl x509 -in publisher.crt -noout -pubkey | openssl pkey -pubin -outform DER |
#     openssl dgst -sha256 -r          (the first word)
#   cmake --preset win32-release -DKELVORA_PUBLISHER_PIN=<that>
# Every other Windows build makes its own test root, test publisher and a second "other
# publisher" under <build>/signing (keys never leave the build folder) and pins the test
# publisher; the stand-in installers are signed with it at build time (kelvora_sign_file).
set(KELVORA_TEST_SIGNING ON CACHE BOOL "make a test publisher in the build folder and pin it")
set(KELVORA_PUBLISHER_PIN "" CACHE STRING "SHA-256 hex of the publisher certificate's SubjectPublicKeyInfo")
set(KELVORA_SIGNING_DIR ${CMAKE_BINARY_DIR}/signing)

function(kelvora_spki_sha256 cert out)
  execute_process(
    COMMAND openssl x509 -in ${cert} -noout -pubkey
    COMMAND openssl pkey -pubin -outform DER
    COMMAND openssl dgst -sha256 -r
    OUTPUT_VARIABLE digest RESULT_VARIABLE rc)
  string(REGEX MATCH "^[0-9a-f]+" digest "${digest}")
  string(LENGTH "${digest}" length)
  if(NOT rc EQUAL 0 OR NOT length EQUAL 64)
    message(FATAL_ERROR "cannot compute the public-key pin of ${cert}")
  endif()
  set(${out} ${digest} PARENT_SCOPE)
endfunction()

function(kelvora_make_test_publishers)
  set(dir ${KELVORA_SIGNING_DIR})
  if(EXISTS ${dir}/publisher.crt AND EXISTS ${dir}/other.crt)
    return()
  endif()
  find_program(KELVORA_OPENSSL openssl REQUIRED)
  file(MAKE_DIRECTORY ${dir})
  file(WRITE ${dir}/leaf.ext
    "basicConstraints=critical,CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=codeSigning\n")
  set(days 3650)
  execute_process(COMMAND openssl req -x509 -newkey rsa:2048 -nodes -sha256 -days ${days}
      -keyout root.key -out root.crt -subj "/CN=Kelvora Test Root" -addext "basicConstraints=critical,CA:TRUE"
      -addext "keyUsage=critical,keyCertSign,cRLSign"
    WORKING_DIRECTORY ${dir} RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "openssl could not make the test root")
  endif()
  foreach(leaf publisher other)
    if(leaf STREQUAL "publisher")
      set(subject "/O=Kelvora Test/CN=Kelvora Test Publisher")
      set(serial 2)
    else()
      set(subject "/O=Other Test/CN=Other Test Publisher")
      set(serial 3)
    endif()
    execute_process(COMMAND openssl req -newkey rsa:2048 -nodes -sha256 -keyout ${leaf}.key -out ${leaf}.csr
        -subj ${subject}
      WORKING_DIRECTORY ${dir} RESULT_VARIABLE rc1 OUTPUT_QUIET ERROR_QUIET)
    execute_process(COMMAND openssl x509 -req -sha256 -days ${days} -in ${leaf}.csr -CA root.crt -CAkey root.key
        -set_serial ${serial} -extfile leaf.ext -out ${leaf}.crt
      WORKING_DIRECTORY ${dir} RESULT_VARIABLE rc2 OUTPUT_QUIET ERROR_QUIET)
    if(NOT rc1 EQUAL 0 OR NOT rc2 EQUAL 0)
      message(FATAL_ERROR "openssl could not make the test certificate ${leaf}")
    endif()
  endforeach()
endfunction()

if(WIN32 AND KELVORA_TEST_SIGNING)
  kelvora_make_test_publishers()
  kelvora_spki_sha256(${KELVORA_SIGNING_DIR}/publisher.crt test_pin)
  set(KELVORA_PUBLISHER_PIN ${test_pin} CACHE STRING
    "SHA-256 hex of the publisher certificate's SubjectPublicKeyInfo" FORCE)
endif()
string(LENGTH "${KELVORA_PUBLISHER_PIN}" _pin_length)
if(WIN32 AND NOT (_pin_length EQUAL 64 AND KELVORA_PUBLISHER_PIN MATCHES "^[0-9a-fA-F]+$"))
  # Compiles, so the deployment values can be checked, but starts no installer at all.
  message(WARNING "KELVORA_PUBLISHER_PIN is not a SHA-256 hex digest: this build refuses every installer")
endif()

# Signs `file` in place with the test publisher (or "other") after `target` is built.
function(kelvora_sign_file target file)
  cmake_parse_arguments(S "" "AS;OUTPUT" "" ${ARGN})
  if(NOT KELVORA_TEST_SIGNING)
    return()
  endif()
  if(NOT S_AS)
    set(S_AS publisher)
  endif()
  if(NOT S_OUTPUT)
    set(S_OUTPUT ${file})
  endif()
  find_program(KELVORA_OSSLSIGNCODE osslsigncode REQUIRED)
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${KELVORA_OSSLSIGNCODE} sign -h sha256 -n Kelvora -certs ${KELVORA_SIGNING_DIR}/${S_AS}.crt
      -key ${KELVORA_SIGNING_DIR}/${S_AS}.key -in ${file} -out ${S_OUTPUT}.signing
    COMMAND ${CMAKE_COMMAND} -E rename ${S_OUTPUT}.signing ${S_OUTPUT}
    VERBATIM)
endfunction()
