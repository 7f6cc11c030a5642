# quillard-run.exe under Wine, sending over COM40 to the simulated reader that
# tools/wine/run.sh puts behind it (ports/tests/com_port_reader.table: A3 is
# never answered, everything else comes back as its echo).
#   cmake -DRUN=... -DREADER=... -DTABLE=... -DPROGRAM=quillard-run.exe -P wine_com_port_check.cmake
separate_arguments(run_with UNIX_COMMAND "${RUN}")
execute_process(
    COMMAND ${run_with} --reader ${READER} ${TABLE} 40 ${PROGRAM} --com COM40
            --send "00 A4 04 00" --send A3@300
    COMMAND iconv -f GBK -t UTF-8
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULTS_VARIABLE results)
list(GET results 0 exit_code)
string(REPLACE "\r" "" out "${out}")
string(REGEX REPLACE "use +[0-9]+ms" "use Tms" masked "${out}")
set(sep "──┼────┼──────┼──────────────────────────────────────────────────────────────────────────────")
set(expected " OUT│ SUCCESS│            │ 00 A4 04 00 \n  IN│ SUCCESS│use Tms│ 00 A4 04 00 \n${sep}\n OUT│ SUCCESS│            │ A3 \n  IN│ NO DATA│use Tms│ ...\n${sep}\n")
if(NOT masked STREQUAL expected)
    message(FATAL_ERROR "stdout (GBK, shown as UTF-8):\n${out}\nexpected:\n${expected}\nstderr:\n${err}")
endif()
if(NOT exit_code EQUAL 1)
    message(FATAL_ERROR "exit code ${exit_code}, expected 1 (one reply missing)\n${err}")
endif()
string(REPLACE "\r" "" err "${err}")
if(NOT err MATCHES "transactions: 2\nSUCCESS: 1\nNO DATA: 1\n")
    message(FATAL_ERROR "summary:\n${err}")
endif()
message(STATUS "quillard-run.exe over COM40: the log lines and exit code 1 as expected")
