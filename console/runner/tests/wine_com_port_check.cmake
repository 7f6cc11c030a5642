# quillard-run.exe under Wine, sending over COM40 to the simulated reader that
# tools/wine/run.sh puts behind it (ports/tests/com_port_reader.table: A3 is
# never answered, everything else comes back as its echo): once from the
# build's folder, once from a program folder and with files whose names hold
# Chinese, which the prefix's code page (not 936) cannot spell.
#   cmake -DRUN=... -DREADER=... -DTABLE=... -DPROGRAM=quillard-run.exe
#         -DCORVANE=Corvane.dll -DWORK=folder -P wine_com_port_check.cmake
separate_arguments(run_with UNIX_COMMAND "${RUN}")
# Wine's default locale: a code page without Chinese, UTF-8 for Unix's names.
set(ENV{LC_ALL} C.UTF-8)
set(sep "──┼────┼──────┼──────────────────────────────────────────────────────────────────────────────")
set(expected " OUT│ SUCCESS│            │ 00 A4 04 00 \n  IN│ SUCCESS│use Tms│ 00 A4 04 00 \n${sep}\n OUT│ SUCCESS│            │ A3 \n  IN│ NO DATA│use Tms│ ...\n${sep}\n")

function(check_run label)
    execute_process(
        COMMAND ${run_with} --reader ${READER} ${TABLE} 40 ${PROGRAM} --com COM40 ${ARGN}
        COMMAND iconv -f GBK -t UTF-8
        OUTPUT_VARIABLE out ERROR_VARIABLE err RESULTS_VARIABLE results)
    list(GET results 0 exit_code)
    string(REPLACE "\r" "" out "${out}")
    string(REGEX REPLACE "use +[0-9]+ms" "use Tms" masked "${out}")
    if(NOT masked STREQUAL expected)
        message(FATAL_ERROR "${label}: stdout (GBK, shown as UTF-8):\n${out}\nexpected:\n${expected}\nstderr:\n${err}")
    endif()
    if(NOT exit_code EQUAL 1)
        message(FATAL_ERROR "${label}: exit code ${exit_code}, expected 1 (one reply missing)\n${err}")
    endif()
    string(REPLACE "\r" "" err "${err}")
    if(NOT err MATCHES "transactions: 2\nSUCCESS: 1\nNO DATA: 1\n")
        message(FATAL_ERROR "${label}: summary:\n${err}")
    endif()
    message(STATUS "quillard-run.exe over COM40, ${label}: the log lines and exit code 1 as expected")
endfunction()

check_run("two sends" --send "00 A4 04 00" --send A3@300)

# Drive Z: of Wine is the root of this file system.
function(windows_path unix out)
    string(REPLACE "/" "\\" path "${unix}")
    set(${out} "Z:${path}" PARENT_SCOPE)
endfunction()
set(folder "${WORK}/读卡器 工具")
file(REMOVE_RECURSE "${folder}")
file(MAKE_DIRECTORY "${folder}/Protocols" "${folder}/插件")
file(WRITE "${folder}/Vemra_Test.ini"
     "[Setting]\r\nszLanguage=EN\r\nnProtocolCount=1\r\nszProtocolName0=Direct\r\n\r\n"
     "[szProtocolName0]\r\nszDllName=Corvane.dll\r\nnAddrLen=0\r\nbHexMode=TRUE\r\nnDevCount=0\r\n")
file(WRITE "${folder}/命令.txt" "00 A4 04 00\r\nA3@300\r\n")
file(COPY "${CORVANE}" DESTINATION "${folder}/Protocols")
file(COPY "${CORVANE}" DESTINATION "${folder}/插件")
windows_path("${folder}" wine_folder)
check_run("a Chinese program folder and rows file"
          --folder "${wine_folder}" --rows "${wine_folder}\\命令.txt")
check_run("a plug-in in a Chinese folder" --folder "${wine_folder}" --plugin
          "${wine_folder}\\插件\\Corvane.dll" --send "00 A4 04 00" --send A3@300)

# A program folder whose path is longer than 260 characters: the files and the
# plug-in are found all the same (on Windows, where long paths are enabled).
set(long "${folder}")
# eight levels of 39 characters: over 300 characters before the file names
foreach(level RANGE 1 8)
    string(APPEND long "/第${level}层读卡器程序文件夹的名字很长很长很长很长很长很长很长很长很长很长很长很长")
endforeach()
file(MAKE_DIRECTORY "${long}/Protocols")
file(COPY "${folder}/Vemra_Test.ini" "${folder}/命令.txt" DESTINATION "${long}")
file(COPY "${CORVANE}" DESTINATION "${long}/Protocols")
windows_path("${long}" wine_long)
check_run("a program folder path of over 300 characters" --folder "${wine_long}" --rows
          "${wine_long}\\命令.txt")
file(REMOVE_RECURSE "${folder}")

# Two readers at once, COM40 and COM41, each on a worker of its own: every line
# starts with its port, each port counts its own rows, and the JUnit file has
# a test suite for each.
set(junit "${WORK}/两个读卡器.xml")
file(REMOVE "${junit}")
windows_path("${junit}" wine_junit)
execute_process(
    COMMAND ${run_with} --reader ${READER} ${TABLE} 40,41 ${PROGRAM} --com COM40-41
            --send "00 A4 04 00=>00 A4 *" --send "A3@300=>90 00" --junit "${wine_junit}"
    COMMAND iconv -f GBK -t UTF-8
    OUTPUT_VARIABLE out ERROR_VARIABLE err RESULTS_VARIABLE results)
list(GET results 0 exit_code)
string(REPLACE "\r" "" out "${out}")
string(REPLACE "\r" "" err "${err}")
if(NOT exit_code EQUAL 1)
    message(FATAL_ERROR "two ports: exit code ${exit_code}, expected 1\n${out}\n${err}")
endif()
foreach(port COM40 COM41)
    string(REGEX MATCHALL "${port}  OUT│ SUCCESS│            │ 00 A4 04 00 \n" outs "${out}")
    string(REGEX MATCHALL "${port}   IN│ NO DATA│use +[0-9]+ms│ \\.\\.\\.\n" missing "${out}")
    list(LENGTH outs out_count)
    list(LENGTH missing missing_count)
    if(NOT out_count EQUAL 1 OR NOT missing_count EQUAL 1)
        message(FATAL_ERROR "two ports: the lines of ${port}:\n${out}")
    endif()
    if(NOT err MATCHES "${port}:\n  transactions: 2\n  SUCCESS: 1\n  MISMATCH: 0\n  NO DATA: 1\n")
        message(FATAL_ERROR "two ports: the summary of ${port}:\n${err}")
    endif()
endforeach()
string(REGEX REPLACE "\n(COM4[01]) [^\n]*" "" strays "\n${out}")
string(STRIP "${strays}" strays)
if(NOT strays STREQUAL "")
    message(FATAL_ERROR "two ports: lines without their port:\n${out}")
endif()
file(READ "${junit}" xml)
if(NOT xml MATCHES "<testsuite name=\"COM40\" tests=\"2\" failures=\"1\" errors=\"0\""
   OR NOT xml MATCHES "<testsuite name=\"COM41\" tests=\"2\" failures=\"1\" errors=\"0\""
   OR NOT xml MATCHES "failure message=\"NO DATA: 1 of 1 transactions failed")
    message(FATAL_ERROR "two ports: the JUnit file:\n${xml}")
endif()
file(REMOVE "${junit}")
message(STATUS "quillard-run.exe over COM40 and COM41 at once: each port's lines, counts and test suite")
