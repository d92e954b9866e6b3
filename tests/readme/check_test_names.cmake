# Checks that every test the documents (README.md and docs/*.md) name exists, so that their tables
# never point at nothing. Run by ctest:
#   cmake -DSOURCE_DIR=<project root> -P check_test_names.cmake
# It reads "Suite.Test" names anywhere in the documents (a final "*" matches any test whose name
# starts so, "Suite.*" any test of the suite), and in the Test column of the table of faults and
# bad input, which one of them holds, also bare suite names, `folder/file.cpp` under tests/ and
# `fuzz_target`s.

# Every "Suite.Test" that a TEST, TEST_F or TEST_P of the test sources defines.
file(GLOB_RECURSE sources ${SOURCE_DIR}/tests/*.cpp)
set(defined)
foreach(source ${sources})
    file(READ ${source} text)
    string(REGEX REPLACE "[ \t\r\n]+" "" text "${text}")
    string(REGEX MATCHALL "TEST(_F|_P)?\\([A-Za-z0-9_]+,[A-Za-z0-9_]+\\)" found "${text}")
    foreach(definition ${found})
        string(REGEX REPLACE "^TEST(_F|_P)?\\(([A-Za-z0-9_]+),([A-Za-z0-9_]+)\\)$" "\\2.\\3"
                             name "${definition}")
        list(APPEND defined ${name})
    endforeach()
endforeach()
if(NOT defined)
    message(FATAL_ERROR "no tests found under ${SOURCE_DIR}/tests")
endif()

set(missing)

function(check_test reference)
    # Names hold letters, digits, "_" and ".", of which only "." needs escaping in a pattern.
    string(REPLACE "." "\\." pattern "${reference}")
    # A final "*" matches any test whose name starts so; a name without one, that test alone.
    if(pattern MATCHES "\\*$")
        string(REGEX REPLACE "\\*$" "" pattern "${pattern}")
    else()
        string(APPEND pattern "$")
    endif()
    set(matching ${defined})
    list(FILTER matching INCLUDE REGEX "^${pattern}")
    if(NOT matching)
        set(missing ${missing} "${reference}" PARENT_SCOPE)
    endif()
endfunction()

file(GLOB documents ${SOURCE_DIR}/README.md ${SOURCE_DIR}/docs/*.md)

# A name of a suite or a test has a lower-case letter, so that "ACME.MAIN" is none.
set(word "[A-Z][A-Za-z0-9]*[a-z][A-Za-z0-9]*")
set(test_reference "${word}\\.(${word}\\*?|\\*)")
set(count 0)
set(faults_document)
foreach(document ${documents})
    file(READ ${document} text)
    string(REGEX MATCHALL "[^A-Za-z0-9_.]${test_reference}" references " ${text}")
    foreach(reference ${references})
        string(SUBSTRING "${reference}" 1 -1 reference)
        check_test("${reference}")
        math(EXPR count "${count} + 1")
    endforeach()
    string(FIND "${text}" "\n## Faults and bad input that are tested\n" start)
    if(NOT start EQUAL -1)
        set(faults_document ${document})
        set(readme "${text}")
    endif()
endforeach()

# The Test column: the last cell of each row of the table under the faults heading.
if(NOT faults_document)
    message(FATAL_ERROR "no document has a section \"Faults and bad input that are tested\"")
endif()
set(README ${faults_document})
string(FIND "${readme}" "\n## Faults and bad input that are tested\n" start)
string(SUBSTRING "${readme}" ${start} -1 section)
string(SUBSTRING "${section}" 1 -1 section)
string(FIND "${section}" "\n## " end)
if(NOT end EQUAL -1)
    string(SUBSTRING "${section}" 0 ${end} section)
endif()
# Names in a cell stand apart by blanks or semicolons, and a semicolon would split a CMake list.
string(REPLACE ";" " " section "${section}")
string(REGEX MATCHALL "\n\\|[^\n]*" rows "${section}")
list(LENGTH rows row_count)
if(row_count LESS 3)
    message(FATAL_ERROR "the table of faults and bad input in ${README} has no rows")
endif()
# The header and the separator line name no tests.
list(SUBLIST rows 2 -1 rows)
foreach(row ${rows})
    if(NOT row MATCHES "\\|([^|]*)\\|[ ]*$")
        message(FATAL_ERROR "a row of the table of faults has no Test cell:${row}")
    endif()
    # What stands in parentheses says how a test runs; names stand outside them.
    string(REGEX REPLACE "\\([^)]*\\)" "" cell "${CMAKE_MATCH_1}")
    string(REGEX REPLACE " +" ";" tokens "${cell}")
    foreach(token ${tokens})
        if(token MATCHES "^`([a-z0-9_/]+\\.cpp)`$")
            if(NOT EXISTS ${SOURCE_DIR}/tests/${CMAKE_MATCH_1})
                list(APPEND missing "tests/${CMAKE_MATCH_1}")
            endif()
        elseif(token MATCHES "^`(fuzz_[a-z0-9_]+)`$")
            if(NOT EXISTS ${SOURCE_DIR}/fuzz/${CMAKE_MATCH_1}.cpp)
                list(APPEND missing "fuzz/${CMAKE_MATCH_1}.cpp")
            endif()
        elseif(token MATCHES "^${test_reference}$")
            # Checked with the names of every document.
        elseif(token MATCHES "^${word}$")
            check_test("${token}.*")
        else()
            message(FATAL_ERROR "the table of faults names \"${token}\", which is no test:${row}")
        endif()
    endforeach()
endforeach()

if(missing)
    list(REMOVE_DUPLICATES missing)
    list(JOIN missing "\n  " text)
    message(FATAL_ERROR "the documents name tests that do not exist:\n  ${text}")
endif()
message(STATUS "the ${count} tests the documents name and the faults table's names exist")
