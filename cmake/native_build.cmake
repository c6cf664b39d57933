# Native build: the portable library, its unit tests (under ASan and UBSan
# when KORVEL_SANITIZE is on), and CTest entries for the Wine-side tests of
# the cross build, so one ctest run covers everything.
option(KORVEL_SANITIZE "build the native code with AddressSanitizer and UBSan" ON)
if(KORVEL_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                        -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

add_library(korvel_core STATIC ${KORVEL_PORTABLE_SOURCES})

enable_testing()
include(GoogleTest)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# One unit-test program per folder of tests/unit.
file(GLOB KORVEL_UNIT_DIRS LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/tests/unit/*)
foreach(dir ${KORVEL_UNIT_DIRS})
    if(IS_DIRECTORY ${dir})
        get_filename_component(name ${dir} NAME)
        file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${dir}/*.cpp)
        if(sources)
            add_executable(unit_${name} ${sources})
            target_link_libraries(unit_${name} PRIVATE korvel_core GTest::gtest_main)
            target_compile_definitions(unit_${name} PRIVATE
                KORVEL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
            gtest_discover_tests(unit_${name} TEST_PREFIX "unit/${name}/"
                                 DISCOVERY_TIMEOUT 60)
        endif()
    endif()
endforeach()

# Wine-side tests: each tests/win/**/*_test.cpp is one program of the cross
# build; e2e tests are Python scripts driving the real korvel.exe.
set(KORVEL_CROSS_DIR "" CACHE PATH "build folder of the cross build")
set(KORVEL_WINEPREFIX "" CACHE PATH "the private Wine prefix")
if(KORVEL_CROSS_DIR)
    # The update stand-in signs with the cross build's throwaway key.
    set(wine_env "WINEPREFIX=${KORVEL_WINEPREFIX}" "KORVEL_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
                 "KORVEL_CROSS_DIR=${KORVEL_CROSS_DIR}"
                 "KORVEL_UPDATE_KEY=${KORVEL_CROSS_DIR}/update-test-key.pem")
    # One Wine server for every test of the prefix, started before the first
    # and stopped after the last (scripts/wine-server.sh says why).
    # A machine that cannot execute 32-bit programs runs none of them: each
    # reports itself skipped (exit 77) with the reason, instead of a pass.
    set(needs_32bit ${CMAKE_SOURCE_DIR}/scripts/runs-32bit.sh --run)
    add_test(NAME wine/server_start
             COMMAND ${needs_32bit} ${CMAKE_SOURCE_DIR}/scripts/wine-server.sh start)
    add_test(NAME wine/server_stop
             COMMAND ${needs_32bit} ${CMAKE_SOURCE_DIR}/scripts/wine-server.sh stop)
    set_tests_properties(wine/server_start PROPERTIES ENVIRONMENT "${wine_env}"
                         FIXTURES_SETUP wine_server TIMEOUT 120 SKIP_RETURN_CODE 77)
    set_tests_properties(wine/server_stop PROPERTIES ENVIRONMENT "${wine_env}"
                         FIXTURES_CLEANUP wine_server TIMEOUT 60 SKIP_RETURN_CODE 77)
    file(GLOB_RECURSE win_tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*_test.cpp)
    foreach(src ${win_tests})
        get_filename_component(name ${src} NAME_WE)
        # A test that needs a stand-in server says so in a line of its source,
        # "// stand-in: tools/NAME_standin.py ENVVAR": the server runs on a free
        # port for the length of the test and ENVVAR holds that port.
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${src})
        file(STRINGS ${src} standin REGEX "^// stand-in: tools/[a-z_]+_standin\\.py [A-Z_]+$")
        set(launcher "")
        if(standin)
            string(REGEX REPLACE "^// stand-in: tools/([a-z_]+_standin\\.py) ([A-Z_]+)$"
                   "\\1;\\2" standin "${standin}")
            set(launcher python3 ${CMAKE_SOURCE_DIR}/tools/with_standin.py ${standin} --)
        endif()
        # "// runner: tools/NAME.py" puts that script between the stand-in and
        # Wine: it runs the rest of the command line, as with_standin.py does.
        file(STRINGS ${src} runner REGEX "^// runner: tools/[a-z_]+\\.py$")
        if(runner)
            string(REGEX REPLACE "^// runner: tools/([a-z_]+\\.py)$" "\\1" runner "${runner}")
            list(APPEND launcher python3 ${CMAKE_SOURCE_DIR}/tools/${runner} --)
        endif()
        add_test(NAME win/${name}
                 COMMAND ${needs_32bit} ${CMAKE_SOURCE_DIR}/scripts/with-data-folder.sh ${launcher}
                         ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh
                         ${KORVEL_CROSS_DIR}/wintests/${name}.exe)
        set_tests_properties(win/${name} PROPERTIES ENVIRONMENT "${wine_env}" TIMEOUT 300
                             FIXTURES_REQUIRED wine_server SKIP_RETURN_CODE 77)
        # "// alone: WHY" runs a test with no other beside it: the Wine tests
        # share one desktop, with one pointer, focus and clipboard.
        file(STRINGS ${src} alone REGEX "^// alone: ")
        if(alone)
            set_tests_properties(win/${name} PROPERTIES RUN_SERIAL ON)
        endif()
    endforeach()
    file(GLOB_RECURSE e2e_tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*_test.py)
    foreach(src ${e2e_tests})
        get_filename_component(name ${src} NAME_WE)
        add_test(NAME e2e/${name} COMMAND ${needs_32bit} python3 ${src})
        set_tests_properties(e2e/${name} PROPERTIES ENVIRONMENT "${wine_env}" TIMEOUT 600
                             SKIP_RETURN_CODE 77)
        # The main window's real-input test times double-clicks and hovers:
        # a busy neighbour test stretches those past what Wine pairs up.
        if(name STREQUAL "main_window_test")
            set_tests_properties(e2e/${name} PROPERTIES RUN_SERIAL ON)
        endif()
    endforeach()
endif()

# Python unit tests of the stand-in servers and scripts.
file(GLOB_RECURSE tool_tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/tools/*_test.py)
foreach(src ${tool_tests})
    get_filename_component(name ${src} NAME_WE)
    add_test(NAME tools/${name} COMMAND python3 ${src})
    set_tests_properties(tools/${name} PROPERTIES TIMEOUT 300)
endforeach()

# The tree's shape: no room includes one on its floor or above, and every
# source is formatted by the tree's .clang-format.
add_test(NAME tools/layers COMMAND python3 ${CMAKE_SOURCE_DIR}/tools/check_layers.py
                                   ${CMAKE_SOURCE_DIR}/src)
add_test(NAME tools/format COMMAND ${CMAKE_SOURCE_DIR}/scripts/format.sh --check)

# Benchmarks (make bench): release build, no sanitizers, never run by ctest.
option(KORVEL_BENCH "build the native benchmarks" OFF)
if(KORVEL_BENCH)
    file(GLOB native_benches CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/native/*_bench.cpp)
    foreach(src ${native_benches})
        get_filename_component(name ${src} NAME_WE)
        add_executable(${name} ${src})
        target_link_libraries(${name} PRIVATE korvel_core)
        set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
    endforeach()
endif()
