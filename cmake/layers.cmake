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

# hb_layer(<target> <folder> SOURCES <files...> BELOW <libraries...>)
function(hb_layer target folder)
    cmake_parse_arguments(ARG "" "" "SOURCES;BELOW" ${ARGN})
    add_library(${target} STATIC ${ARG_SOURCES})
    hb_folder_view(${target} ${folder})
    target_link_libraries(${target} PUBLIC ${ARG_BELOW})
    hb_warnings(${target})
endfunction()

# The warnings every target of the project's own code builds with; any warning fails the build.
function(hb_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wconversion -Werror)
endfunction()
