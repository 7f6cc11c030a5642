# Fails unless the defined dynamic symbols of LIBRARY are exactly the three
# plug-in functions.
execute_process(COMMAND nm -D --defined-only ${LIBRARY}
    OUTPUT_VARIABLE symbols RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "nm failed on ${LIBRARY}")
endif()
string(REGEX MATCHALL "[^\n]+" lines "${symbols}")
set(names "")
foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[0-9a-fA-F]* *[A-Za-z] " "" name "${line}")
    list(APPEND names "${name}")
endforeach()
list(SORT names)
set(expected "tlx_CheckData;tlx_PCToReader;tlx_ReaderToPC")
if(NOT names STREQUAL expected)
    message(FATAL_ERROR "exported symbols: ${names}\nexpected: ${expected}")
endif()
message(STATUS "exports: ${names}")
