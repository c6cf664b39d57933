# The key the upgrade checks every downloaded program with, and the release
# configuration's guards.
#
# A release build names the real public key (KORVEL_UPDATE_PUBLIC_KEY: 128 hex
# digits, X then Y of the P-256 point; tools/sign_release.py --public prints it
# from the release's private key, which never enters the repository). Every
# other build signs with a throwaway key pair made here once per build folder,
# so tests and `make run` upgrade through signed pages too.
option(KORVEL_RELEASE "release build: https update page, no loopback services, real key" OFF)
set(KORVEL_UPDATE_PUBLIC_KEY "" CACHE STRING "public key of the releases (128 hex digits)")
set(KORVEL_UPDATE_TEST_KEY "${CMAKE_BINARY_DIR}/update-test-key.pem" CACHE FILEPATH
    "throwaway private key of the tests and make run (made when missing)")

function(korvel_is_loopback host out)
    string(TOLOWER "${host}" host)
    if(host MATCHES "^(127\\.[0-9.]+|localhost|0\\.0\\.0\\.0|\\[?::1\\]?|\\[?::ffff:127\\.[0-9.]+\\]?)$")
        set(${out} TRUE PARENT_SCOPE)
    else()
        set(${out} FALSE PARENT_SCOPE)
    endif()
endfunction()

if(KORVEL_RELEASE)
    if(NOT KORVEL_UPDATE_PAGE_URL MATCHES "^https://([^/]*@)?(\\[[^]]+\\]|[^/:]+)")
        message(FATAL_ERROR "KORVEL_RELEASE: the update page must be an https:// address, "
                            "not '${KORVEL_UPDATE_PAGE_URL}'")
    endif()
    korvel_is_loopback("${CMAKE_MATCH_2}" page_loopback)
    string(REGEX REPLACE ":[0-9]+$" "" tracking_host "${KORVEL_TRACKING_ENDPOINT}")
    korvel_is_loopback("${tracking_host}" tracking_loopback)
    if(page_loopback OR tracking_loopback)
        message(FATAL_ERROR "KORVEL_RELEASE: the update page and the tracking service must not "
                            "be loopback addresses (the project's stand-ins)")
    endif()
    if(KORVEL_UPDATE_PUBLIC_KEY STREQUAL "")
        message(FATAL_ERROR "KORVEL_RELEASE: KORVEL_UPDATE_PUBLIC_KEY is empty")
    endif()
    set(public_key "${KORVEL_UPDATE_PUBLIC_KEY}")
elseif(NOT KORVEL_UPDATE_PUBLIC_KEY STREQUAL "")
    set(public_key "${KORVEL_UPDATE_PUBLIC_KEY}")
else()
    find_program(KORVEL_OPENSSL openssl REQUIRED)
    if(NOT EXISTS "${KORVEL_UPDATE_TEST_KEY}")
        execute_process(COMMAND ${KORVEL_OPENSSL} ecparam -name prime256v1 -genkey -noout
                                -out "${KORVEL_UPDATE_TEST_KEY}"
                        RESULT_VARIABLE failed OUTPUT_QUIET)
        if(failed)
            message(FATAL_ERROR "could not make the throwaway update key")
        endif()
    endif()
    set(der "${CMAKE_BINARY_DIR}/update-test-key.pub.der")
    execute_process(COMMAND ${KORVEL_OPENSSL} ec -in "${KORVEL_UPDATE_TEST_KEY}" -pubout
                            -outform DER -out "${der}"
                    RESULT_VARIABLE failed OUTPUT_QUIET ERROR_QUIET)
    if(failed)
        message(FATAL_ERROR "could not read the throwaway update key ${KORVEL_UPDATE_TEST_KEY}")
    endif()
    # The DER form ends in the uncompressed point: 04, X, Y.
    file(READ "${der}" der_hex HEX)
    string(LENGTH "${der_hex}" der_length)
    math(EXPR at "${der_length} - 128")
    string(SUBSTRING "${der_hex}" ${at} 128 public_key)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${KORVEL_UPDATE_TEST_KEY}")
endif()

string(TOLOWER "${public_key}" KORVEL_PUBLIC_KEY_HEX)
if(NOT KORVEL_PUBLIC_KEY_HEX MATCHES "^[0-9a-f]+$")
    message(FATAL_ERROR "KORVEL_UPDATE_PUBLIC_KEY is no key: 128 hex digits, X then Y")
endif()
string(LENGTH "${KORVEL_PUBLIC_KEY_HEX}" key_length)
if(NOT key_length EQUAL 128)
    message(FATAL_ERROR "KORVEL_UPDATE_PUBLIC_KEY is no key: 128 hex digits, X then Y")
endif()
