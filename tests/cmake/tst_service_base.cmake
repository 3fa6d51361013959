# The configure-time check of the service addresses, run with cmake -P: which bases are
# refused, and that a refusal stays one line.
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/ServiceBase.cmake)

set(failures 0)
# value, then the text the refusal shows it as ("-" when it is accepted)
set(cases
    "https://freesound.org" "-"
    "http://127.0.0.1:8080/base/" "-"
    "HTTP://[::1]:1" "-"
    "ftp://freesound.org" "ftp://freesound.org"
    "freesound.org" "freesound.org"
    "http://host/x?y=1" "http://host/x?y=1"
    "http://host?" "http://host?"
    "http://host/#frag" "http://host/#frag"
    "http://user:pw@host" "http://user:pw@host"
    "http://@host" "http://@host"
    "http://bad base" "http://bad base"
    "http://host/\nquavelin: ok" "http://host/\\nquavelin: ok"
    "http://host/\r\t" "http://host/\\r\\t"
    "http://host\\x/" "http://host\\\\x/")
list(LENGTH cases count)
math(EXPR last "${count} - 1")
foreach(i RANGE 0 ${last} 2)
    math(EXPR j "${i} + 1")
    list(GET cases ${i} value)
    list(GET cases ${j} shown)
    quavelin_service_base_error(QUAVELIN_API_BASE "${value}" error)
    if(shown STREQUAL "-")
        set(expected "")
    else()
        set(expected "QUAVELIN_API_BASE is not an absolute http or https URL: '${shown}'")
    endif()
    if(NOT error STREQUAL expected)
        message("FAIL: '${value}': got '${error}', expected '${expected}'")
        math(EXPR failures "${failures} + 1")
    endif()
endforeach()
if(failures GREATER 0)
    message(FATAL_ERROR "${failures} failure(s)")
endif()
message("all passed")
