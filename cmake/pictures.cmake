# Built-in pictures: the committed files under assets/pictures become byte
# arrays in a generated source of korvel_core, in both builds. A changed
# picture or manifest regenerates it; the drawing script itself is not run.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(KORVEL_PICTURE_DIR ${CMAKE_SOURCE_DIR}/assets/pictures)
set(KORVEL_PICTURE_MANIFEST ${CMAKE_SOURCE_DIR}/assets/pictures.txt)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${KORVEL_PICTURE_MANIFEST})

file(STRINGS ${KORVEL_PICTURE_MANIFEST} picture_lines REGEX "^[A-Za-z]")
set(picture_files)
foreach(line ${picture_lines})
    if(line MATCHES "^[A-Za-z0-9_]+[ \t]+([^ \t]+)")
        list(APPEND picture_files ${KORVEL_PICTURE_DIR}/${CMAKE_MATCH_1})
    endif()
endforeach()

set(KORVEL_PICTURES_CPP ${CMAKE_BINARY_DIR}/generated/builtin_pictures_data.cpp)
add_custom_command(
    OUTPUT ${KORVEL_PICTURES_CPP}
    COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tools/embed_pictures.py
            --manifest ${KORVEL_PICTURE_MANIFEST} --folder ${KORVEL_PICTURE_DIR}
            --output ${KORVEL_PICTURES_CPP}
    DEPENDS ${CMAKE_SOURCE_DIR}/tools/embed_pictures.py ${KORVEL_PICTURE_MANIFEST}
            ${picture_files}
    COMMENT "Embedding the built-in pictures"
    VERBATIM)
list(APPEND KORVEL_PORTABLE_SOURCES ${KORVEL_PICTURES_CPP})

# The program icon is compiled into the resource script; windres does not
# report the files it reads, so name it here.
set_source_files_properties(${CMAKE_BINARY_DIR}/generated/korvel.rc PROPERTIES
                            OBJECT_DEPENDS ${CMAKE_SOURCE_DIR}/assets/korvel.ico)
