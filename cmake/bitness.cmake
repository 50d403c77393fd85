# Where a Windows build's bitness shows: the machine's short name, which goes into the module's
# file name and its version resource, and the .def files. The sources are the same for both.
if(WIN32)
    if(CMAKE_SIZEOF_VOID_P EQUAL 8)
        set(HB_ARCH x64)
    else()
        set(HB_ARCH x86)
    endif()
endif()

# hb_module_def(<in> <out> <module>): the .def file <in>, written to <out> for this bitness and
# for the module file name <module>. The .def files list the x86 names, decorated where the
# calling convention decorates them (QPuts@4); x64 has one calling convention and no
# decoration, so there the @N suffixes go.
function(hb_module_def in out module)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${in})
    file(READ ${in} text)
    string(REGEX REPLACE "LIBRARY[^\n]*" "LIBRARY \"${module}\"" text "${text}")
    if(HB_ARCH STREQUAL "x64")
        string(REGEX REPLACE "@[0-9]+" "" text "${text}")
    endif()
    set(old "")
    if(EXISTS ${out})
        file(READ ${out} old)
    endif()
    if(NOT old STREQUAL text) # an unchanged file does not relink
        file(WRITE ${out} "${text}")
    endif()
endfunction()

# hb_module_version_script(<def> <out>): a linker version script for a Linux module that exports
# the names the .def file <def> lists (undecorated) and keeps every other symbol local.
function(hb_module_version_script def out)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def})
    file(STRINGS ${def} lines)
    set(names "")
    set(exports OFF)
    foreach(line IN LISTS lines)
        string(STRIP "${line}" line)
        if(line STREQUAL "EXPORTS")
            set(exports ON)
        elseif(exports AND line MATCHES "^([A-Za-z_][A-Za-z0-9_]*)")
            string(APPEND names "    ${CMAKE_MATCH_1};\n")
        endif()
    endforeach()
    set(text "{\n  global:\n${names}  local:\n    *;\n};\n")
    set(old "")
    if(EXISTS ${out})
        file(READ ${out} old)
    endif()
    if(NOT old STREQUAL text)
        file(WRITE ${out} "${text}")
    endif()
endfunction()
