# Each folder of the plug-in is one library, and each library sees only its own headers and
# those of the libraries it links: an include of a folder above fails to build.
#
# The view of a folder is a directory holding one link named after the folder, so that
# "textinput/text_source.h" resolves through the view and nothing else does.
function(hb_folder_view target folder)
    set(view ${CMAKE_BINARY_DIR}/views/${folder})
    file(MAKE_DIRECTORY ${view})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${folder} ${view}/${folder} SYMBOLIC)
    get_target_property(type ${target} TYPE)
    set(scope PUBLIC)
    if(type STREQUAL "INTERFACE_LIBRARY")
        set(scope INTERFACE) # headers only
    endif()
    target_include_directories(${target} ${scope} ${view})
    # Coverage names a header by the path it was included through: a header reached through
    # the view would be counted apart from the same header reached directly.
    if(HB_COVERAGE)
        target_compile_options(${target} ${scope}
            -fprofile-prefix-map=${view}/${folder}=${PROJECT_SOURCE_DIR}/${folder})
    endif()
endfunction()

# hb_layer(<target> <folder> SOURCES <files...> BELOW <libraries...> [TESTING])
# TESTING: the folder holds a seam that only tests may reach (#if defined(HB_TESTING)). It is
# then built twice, as the platform is, and <target> stands for the build that the program
# being linked asks for (hb_select_build).
function(hb_layer target folder)
    cmake_parse_arguments(ARG "TESTING" "" "SOURCES;BELOW" ${ARGN})
    set(builds ${target})
    if(ARG_TESTING)
        set(builds ${target}_product ${target}_testing)
    endif()
    foreach(build IN LISTS builds)
        add_library(${build} STATIC ${ARG_SOURCES})
        hb_folder_view(${build} ${folder})
        target_link_libraries(${build} PUBLIC ${ARG_BELOW})
        hb_warnings(${build})
    endforeach()
    if(ARG_TESTING)
        target_compile_definitions(${target}_testing PRIVATE HB_TESTING)
        hb_select_build(${target})
    endif()
endfunction()

# hb_select_build(<name>): the library <name> stands for <name>_testing in a program marked by
# hb_testing_program() and for <name>_product in every other, the shipped binaries among them.
# A build with coverage counters is no product: every program of it links the test build, so
# that a line run by the DLL and by a test program is counted as one line with one set of
# branches (the product's and those of the injected failures).
function(hb_select_build name)
    add_library(${name} INTERFACE)
    if(HB_COVERAGE)
        target_link_libraries(${name} INTERFACE ${name}_testing)
        set_target_properties(${name}_product PROPERTIES EXCLUDE_FROM_ALL ON)
        return()
    endif()
    target_link_libraries(${name} INTERFACE
        "$<IF:$<BOOL:$<TARGET_PROPERTY:HB_TESTING>>,${name}_testing,${name}_product>")
endfunction()

# The warnings every target of the project's own code builds with; any warning fails the build.
function(hb_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wconversion -Werror)
endfunction()
