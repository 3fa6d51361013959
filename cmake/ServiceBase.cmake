# The program makes the same check of the service addresses when they come from the
# environment: every address is the base with a path appended, so the base ends in a host, a
# port or a path, and holds no user info, query or fragment.
function(quavelin_service_base_error name value out)
    if(value MATCHES
       "^[Hh][Tt][Tt][Pp][Ss]?://([A-Za-z0-9._~%-]+|\\[[0-9A-Fa-f:.]+\\])(:[0-9]*)?(/[^ \t\r\n\"\\\\?#]*)?$")
        set(${out} "" PARENT_SCOPE)
        return()
    endif()
    # One line, whatever the value holds.
    string(REPLACE "\\" "\\\\" shown "${value}")
    string(REPLACE "\n" "\\n" shown "${shown}")
    string(REPLACE "\r" "\\r" shown "${shown}")
    string(REPLACE "\t" "\\t" shown "${shown}")
    set(${out} "${name} is not an absolute http or https URL: '${shown}'" PARENT_SCOPE)
endfunction()
