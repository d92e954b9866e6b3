# A run-time licence key as kelvor_license_keys.exe prints it, taken back into the body of a C++
# char16_t string literal: "\uXXXX" is the UTF-16 unit XXXX (four hex digits), any other printable
# ASCII character stands for itself. The literal writes every unit as "\xXXXX", so a key may hold
# any unit: quotes, backslashes, NULs and lone surrogates too.
function(kelvor_license_key_literal printed variable)
    string(REGEX REPLACE "[ -~]" "" other "${printed}")
    if(NOT "${other}" STREQUAL "")
        message(FATAL_ERROR "A run-time licence key holds a character that is not printable ASCII: "
                            "write it as kelvor_license_keys.exe prints it, as \\uXXXX")
    endif()
    string(LENGTH "${printed}" length)
    set(literal "")
    set(at 0)
    while(at LESS length)
        string(SUBSTRING "${printed}" ${at} 1 character)
        if(character STREQUAL "\\")
            string(SUBSTRING "${printed}" ${at} 6 escape)
            if(NOT escape MATCHES "^\\\\u[0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f]$")
                message(FATAL_ERROR "A run-time licence key holds a backslash that begins no "
                                    "\\uXXXX: a backslash of the key itself is \\u005c")
            endif()
            string(SUBSTRING "${escape}" 2 4 unit)
            math(EXPR at "${at} + 6")
        else()
            string(HEX "${character}" unit)
            string(PREPEND unit "00")
            math(EXPR at "${at} + 1")
        endif()
        string(APPEND literal "\\x${unit}")
    endwhile()
    set(${variable} "${literal}" PARENT_SCOPE)
endfunction()
