# The layers: one library per folder, each reaching only the headers of its own folder and of the
# libraries it links. The source root is on no layer's include path; a layer's headers are
# offered through forwarding headers in a folder of the layer's own in the build tree, so an
# include that points up a layer finds no file and the build fails.

# Offers the headers of `folder` (relative to the current source folder, "." by default) to
# `target` and to whatever links it, under the folder's path from the source root.
function(kelvor_layer target)
    set(folder ${CMAKE_CURRENT_SOURCE_DIR})
    if(ARGC GREATER 1)
        set(folder ${folder}/${ARGV1})
    endif()
    file(RELATIVE_PATH name ${PROJECT_SOURCE_DIR} ${folder})
    set(root ${PROJECT_BINARY_DIR}/layers/${target})
    set(forwarders ${root}/${name})

    # Not the subfolders: a subfolder is a layer of its own, above this one.
    file(GLOB headers CONFIGURE_DEPENDS ${folder}/*.h)
    file(GLOB stale ${forwarders}/*.h)
    foreach(header IN LISTS headers)
        get_filename_component(file ${header} NAME)
        list(REMOVE_ITEM stale ${forwarders}/${file})
        # Written only when it changes: a new time stamp would rebuild what includes it.
        set(content "#include \"${header}\"\n")
        set(written "")
        if(EXISTS ${forwarders}/${file})
            file(READ ${forwarders}/${file} written)
        endif()
        if(NOT written STREQUAL content)
            file(WRITE ${forwarders}/${file} "${content}")
        endif()
    endforeach()
    if(stale)
        file(REMOVE ${stale})
    endif()

    get_target_property(type ${target} TYPE)
    if(type STREQUAL "INTERFACE_LIBRARY")
        target_include_directories(${target} INTERFACE ${root})
    else()
        target_include_directories(${target} PUBLIC ${root})
    endif()
    set_property(GLOBAL APPEND PROPERTY KELVOR_LAYERS ${name})
endfunction()
