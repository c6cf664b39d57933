# Cross build: korvel.exe (one static 32-bit exe) and the Win32-side test
# programs, which the native build's CTest runs under Wine.
enable_language(RC)
add_link_options(-static -static-libgcc -static-libstdc++)
add_compile_definitions(UNICODE _UNICODE NOMINMAX _WIN32_WINNT=0x0601)

set(KORVEL_WIN_LIBS gdiplus comctl32 comdlg32 wininet version msimg32 uxtheme ole32
                    oleaut32 shlwapi shell32 gdi32 user32 kernel32 winmm bcrypt)

add_library(korvel_core STATIC ${KORVEL_PORTABLE_SOURCES})

set(KORVEL_ENTRY ${CMAKE_SOURCE_DIR}/src/app/winmain_win.cpp)
set(KORVEL_WIN_LIB_SOURCES ${KORVEL_WIN_SOURCES})
list(REMOVE_ITEM KORVEL_WIN_LIB_SOURCES ${KORVEL_ENTRY})
add_library(korvel_win STATIC ${KORVEL_WIN_LIB_SOURCES})
target_link_libraries(korvel_win PUBLIC korvel_core ${KORVEL_WIN_LIBS})

# The version resource and manifest of a program of that version, into
# FOLDER/generated (the resource names its manifest by that path). The
# program reads its version from this resource alone.
function(korvel_resources folder version)
    set(KORVEL_VERSION "${version}")
    string(REPLACE "." "," KORVEL_VERSION_COMMAS "${version}")
    set(CMAKE_BINARY_DIR "${folder}")
    configure_file(${CMAKE_SOURCE_DIR}/src/app/korvel.rc.in ${folder}/generated/korvel.rc @ONLY)
    configure_file(${CMAKE_SOURCE_DIR}/src/app/korvel.manifest.in
                   ${folder}/generated/korvel.manifest @ONLY)
    set_source_files_properties(${folder}/generated/korvel.rc PROPERTIES
                                OBJECT_DEPENDS ${folder}/generated/korvel.manifest)
endfunction()

function(korvel_program target folder)
    add_executable(${target} WIN32 ${KORVEL_ENTRY} ${folder}/generated/korvel.rc)
    target_link_libraries(${target} PRIVATE korvel_win)
    target_link_options(${target} PRIVATE -municode)
    set_target_properties(${target} PROPERTIES OUTPUT_NAME korvel RUNTIME_OUTPUT_DIRECTORY ${folder})
endfunction()

# FileVersion is a build setting so a release names its own.
korvel_resources(${CMAKE_BINARY_DIR} "${KORVEL_VERSION}")
korvel_program(korvel ${CMAKE_BINARY_DIR})

# The same program announcing the next version, which the end-to-end upgrade
# test serves as the download: linked from the same objects with another
# version resource, so the test builds nothing of its own.
if(NOT KORVEL_RELEASE)
    set(KORVEL_TEST_NEXT_VERSION "1.0.0.1" CACHE STRING "version of next/korvel.exe")
    korvel_resources(${CMAKE_BINARY_DIR}/next "${KORVEL_TEST_NEXT_VERSION}")
    korvel_program(korvel_next ${CMAKE_BINARY_DIR}/next)
endif()

add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
file(GLOB_RECURSE win_tests CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win/*_test.cpp)
foreach(src ${win_tests})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src} ${CMAKE_BINARY_DIR}/generated/korvel.rc)
    # Test programs are console programs with gtest's own main.
    target_link_libraries(${name} PRIVATE korvel_win GTest::gtest_main)
    target_compile_definitions(${name} PRIVATE KORVEL_TEST_PROGRAM)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/wintests)
endforeach()

# Helper programs of the end-to-end tests (tests/e2e/NAME_win.cpp), console
# programs the Python tests run beside korvel.exe; not tests themselves.
file(GLOB e2e_helpers CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*_win.cpp)
foreach(src ${e2e_helpers})
    get_filename_component(name ${src} NAME_WE)
    string(REGEX REPLACE "_win$" "" name ${name})
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE korvel_win)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/e2e)
endforeach()

# Benchmarks of the Win32 layer (make bench runs them under Wine). They are
# built with everything else so they keep compiling.
file(GLOB win_benches CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/win/*_bench.cpp)
foreach(src ${win_benches})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE korvel_win)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endforeach()

# Baselines the Win32 benchmarks run beside korvel.exe: plain window programs
# built like it (GUI subsystem, same flags, static), next to the benchmarks.
file(GLOB win_baselines CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/win/*_baseline.cpp)
foreach(src ${win_baselines})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} WIN32 ${src})
    target_link_options(${name} PRIVATE -municode)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endforeach()
