# Checks that the layers hold: every probe of an include that points up fails to compile for want
# of its header, and every include in a layer's sources names its header from the source root (a
# path relative to the including file would pass the include path by). Run by ctest:
#   cmake -DBUILD_DIR=... -DBUILD_CONFIG=... -DSOURCE_DIR=... -DPROBES=<probes.cmake>
#         -P check_layers.cmake
include(${PROBES})
set(faults)

set(config_option)
if(BUILD_CONFIG)
    set(config_option --config ${BUILD_CONFIG})
endif()
foreach(probe IN LISTS probes)
    string(REGEX REPLACE "\\|.*" "" target "${probe}")
    string(REGEX REPLACE ".*\\|" "" header "${probe}")
    string(REPLACE "." "\\." pattern "${header}")
    execute_process(COMMAND ${CMAKE_COMMAND} --build ${BUILD_DIR} --target ${target} ${config_option}
                    RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(status EQUAL 0)
        list(APPEND faults "${target} compiles: ${header} is reachable from below")
    elseif(NOT output MATCHES "${pattern}'?: No such file|'${pattern}' file not found|Cannot open include file: '${pattern}'")
        list(APPEND faults "${target} fails, but not for want of ${header}:\n${output}")
    endif()
endforeach()

list(JOIN layers "|" folders)
foreach(layer IN LISTS layers)
    file(GLOB sources ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp)
    foreach(source IN LISTS sources)
        file(STRINGS ${source} includes REGEX "^#include \"")
        list(FILTER includes EXCLUDE REGEX "^#include \"(${folders})/[^/\"]+\"")
        if(includes)
            list(APPEND faults "${source}: ${includes}: not a layer's header from the source root")
        endif()
    endforeach()
endforeach()

if(faults)
    list(JOIN faults "\n" text)
    message(FATAL_ERROR "${text}")
endif()
list(LENGTH probes count)
message(STATUS "${count} includes that point up fail to compile")
