# Makes the release package with the build's CPack configuration, as the package target does,
# and checks the zip's contents. Run by ctest:
#   cmake -DCPACK=... -DCPACK_CONFIG=... -DBUILD_CONFIG=... -DVERSION=... -DPROGRAM=...
#         -DKEY_READER=... -DSTRIP=... -DOBJDUMP=...
#         -DTEXTS=<the package folder> -DWORK=<scratch folder> -P check_package.cmake
# Stripping stamps a program with the time of day: cpack's strip and the test's own get the same
# stamp, whatever second each runs in.
set(ENV{SOURCE_DATE_EPOCH} 1)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/extracted)

# The zip goes into the scratch folder, so the test leaves the build tree's package alone.
set(config_option)
if(BUILD_CONFIG)
    set(config_option -C ${BUILD_CONFIG})
endif()
execute_process(COMMAND ${CPACK} --config ${CPACK_CONFIG} ${config_option} -B ${WORK}
                RESULT_VARIABLE status OUTPUT_VARIABLE output ERROR_VARIABLE output)
set(zip ${WORK}/kelvor-${VERSION}-win32.zip)
if(NOT status EQUAL 0 OR NOT EXISTS ${zip})
    message(FATAL_ERROR "cpack did not make ${zip} (exit status ${status}):\n${output}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${zip} WORKING_DIRECTORY ${WORK}/extracted
                RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "${zip} cannot be extracted")
endif()

file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE ${WORK}/extracted ${WORK}/extracted/*)
list(SORT entries)
set(expected README.txt kelvor.exe kelvor.prm kelvor_license_keys.exe)
if(NOT entries STREQUAL expected)
    message(FATAL_ERROR "${zip} holds [${entries}] instead of exactly [${expected}]")
endif()

set(faults)

function(expect_same_file packaged original)
    execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/extracted/${packaged}
                            ${original} RESULT_VARIABLE differ)
    if(NOT differ EQUAL 0)
        set(faults ${faults} "${packaged} is not byte for byte ${original}" PARENT_SCOPE)
    endif()
endfunction()

# A program as built, without its debug information, under 1 MiB.
function(expect_stripped packaged original)
    file(COPY_FILE ${original} ${WORK}/stripped-${packaged})
    execute_process(COMMAND ${STRIP} ${WORK}/stripped-${packaged} RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${STRIP} cannot strip a copy of ${original}")
    endif()
    expect_same_file(${packaged} ${WORK}/stripped-${packaged})
    file(SIZE ${WORK}/extracted/${packaged} size)
    if(size GREATER_EQUAL 1048576)
        list(APPEND faults "${packaged} has ${size} bytes, not less than 1 MiB")
    endif()
    execute_process(COMMAND ${OBJDUMP} -h ${WORK}/extracted/${packaged} OUTPUT_VARIABLE sections
                    RESULT_VARIABLE status)
    if(NOT status EQUAL 0 OR NOT sections MATCHES " \\.text ")
        list(APPEND faults "${OBJDUMP} cannot list the sections of ${packaged}")
    elseif(sections MATCHES " \\.debug")
        list(APPEND faults "${packaged} holds debug information")
    endif()
    set(faults ${faults} PARENT_SCOPE)
endfunction()
expect_stripped(kelvor.exe ${PROGRAM})
expect_stripped(kelvor_license_keys.exe ${KEY_READER})
file(SIZE ${WORK}/extracted/kelvor.exe program_size)
expect_same_file(kelvor.prm ${TEXTS}/kelvor.prm)
expect_same_file(README.txt ${TEXTS}/README.txt)

# file(READ) drops the CR of a CR LF, so line ends are checked on the bytes, each written " xx".
function(read_bytes file variable)
    file(READ ${file} hex HEX)
    string(REGEX REPLACE "(..)" " \\1" bytes "${hex}")
    set(${variable} "${bytes}" PARENT_SCOPE)
endfunction()
set(line_byte " ([1-9a-f].|0[^ad])")

# kelvor.prm: a gateway directory ending in a backslash (5c) and two qualifiers, each line ended
# by CR LF and nothing after the third.
read_bytes(${WORK}/extracted/kelvor.prm prm)
if(NOT prm MATCHES "^(${line_byte})+ 5c 0d 0a(${line_byte})+ 0d 0a(${line_byte})+ 0d 0a$")
    list(APPEND faults "kelvor.prm is not three CR LF lines (gateway directory, two qualifiers)")
endif()

read_bytes(${WORK}/extracted/README.txt readme_bytes)
string(REPLACE " 0d 0a" "" without_line_ends "${readme_bytes}")
if(without_line_ends MATCHES " 0[ad]" OR NOT readme_bytes MATCHES " 0d 0a$")
    list(APPEND faults "README.txt has line ends other than CR LF")
endif()
file(READ ${WORK}/extracted/README.txt readme)
# What Windows users must learn from it; each phrase on one line of the text.
foreach(phrase "32-bit" "MAPI session control" "MAPI messages control" "installed and registered"
               "MAPI profile" "kelvor.prm" "API_IN" "ATT_IN" "G:\\GATEWAY\\"
               "kelvor.exe \"John Smith\"" "Username" "Convert" "Application Error" "exit code 1"
               "OLE error 80040154" "Class not registered" "EOleSysError: "
               # The messages after which the program ends, so a user can look them up.
               "Unable to establish MAPI session." "No configuration file found."
               "No gateway directory in configuration file." "Cannot list "
               "Unable to create API Gateway file!"
               # What a workstation without the controls' licence needs.
               "OLE error 80040112" "design-time licence" "run-time licence key"
               "IClassFactory2::RequestLicKey" "kelvor_license_keys.exe")
    string(FIND "${readme}" "${phrase}" at)
    if(at EQUAL -1)
        list(APPEND faults "README.txt does not mention ${phrase}")
    endif()
endforeach()

if(faults)
    list(JOIN faults "\n  " text)
    message(FATAL_ERROR "${zip} is not the release package:\n  ${text}")
endif()
file(SIZE ${zip} zip_size)
message(STATUS "${zip} (${zip_size} bytes): ${expected}, kelvor.exe of ${program_size} bytes")
