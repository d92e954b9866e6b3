# GoogleTest from source, so the cross builds get it compiled with their own compiler.
# Debian ships the sources in /usr/src/googletest; elsewhere point KELVOR_GTEST_SOURCE at a
# checkout, or leave it empty to use an installed GTest package.
set(KELVOR_GTEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest source tree")
if(KELVOR_GTEST_SOURCE AND EXISTS "${KELVOR_GTEST_SOURCE}/CMakeLists.txt")
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    add_subdirectory(${KELVOR_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    if(MINGW)
        # GoogleTest's own warnings are not ours to fix.
        target_compile_options(gtest PRIVATE -w)
        target_compile_options(gtest_main PRIVATE -w)
    endif()
else()
    find_package(GTest REQUIRED)
endif()
