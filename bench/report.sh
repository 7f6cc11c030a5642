#!/usr/bin/env bash
# Runs every benchmark under bench/ and prints one table: figure, value, target,
# peer. The peer is bench/pyserial_peer.py (Debian's python3-serial) doing the
# same exchange over the same pty in the same run.
#   bench/report.sh [--quick]     --quick: 20000 transactions for the memory figure
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
memory_run=100000
[[ ${1:-} == --quick ]] && memory_run=20000
"$top/tools/debian-packages.sh" bench
"$top/tools/build.sh" "$top/build" >/dev/null
bench=$top/build/bench
export QT_QPA_PLATFORM=offscreen
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

echo "running the benchmarks (about $((memory_run / 700 / 60 + 2)) minutes)..." >&2
"$bench/transaction_bench" --benchmark_format=csv 2>/dev/null >"$out/engine.csv"
"$bench/serial_bench" 1000 >"$out/serial.txt"
"$bench/startup_bench" 20 2>/dev/null >"$out/startup.txt"
"$bench/loop_bench" 5 --peer "$top/bench/pyserial_peer.py" 2>/dev/null >"$out/loop.txt"
"$bench/loop_bench" 5 --delay 10 --peer "$top/bench/pyserial_peer.py" 2>/dev/null >"$out/delay.txt"
"$bench/loop_bench" 1 "$memory_run" 2>/dev/null >"$out/memory.txt"
/usr/bin/python3 "$top/bench/many_readers_bench.py" "$top/build/quillard-run" \
    "$top/build/quillard-sim-reader" "$top/build/Protocols/Corvane.so" >"$out/readers.txt"

# The number after `label` in a file: field() FILE LABEL [WORD-INDEX after the label]
field() { grep -F "$2" "$1" | head -1 | sed "s/.*$(printf '%s' "$2" | sed 's/[][\/.*^$]/\\&/g')//" |
    awk -v n="${3:-1}" '{ gsub(/[^0-9. ]/, " "); split($0, w, " "); print w[n] }'; }
engine() { awk -F, -v name="\"BM_Transact/$1\"" '$1 == name { printf "%.2f", $4 / 1000 }' "$out/engine.csv"; }

window_rate=$(field "$out/loop.txt" "loop throughput, window (10 rows, interval 1 ms):")
bare_rate=$(field "$out/loop.txt" "bare C loop, same waits:")
py_rate=$(field "$out/loop.txt" "loop throughput, pyserial:")
runner_rate=$(field "$out/loop.txt" "loop throughput, quillard-run (10 rows, interval 1 ms):")
p99=$(field "$out/loop.txt" "event-loop lateness while looping:" 4)
window_rt=$(field "$out/delay.txt" "round trip, window (log, mean of" 2)
py_rt=$(field "$out/delay.txt" "round trip, pyserial (mean of" 2)
runner_rt=$(field "$out/delay.txt" "round trip, quillard-run (mean of" 2)
mem_start=$(field "$out/memory.txt" "memory:")
mem_max=$(grep "^memory:" "$out/memory.txt" | awk '{ print $2 }' | sort -n | tail -1)

row() { printf "| %-48s | %-16s | %-22s | %-16s |\n" "$@"; }
row "figure" "value" "target" "peer (pyserial)"
row "------" "-----" "------" "---------------"
row "engine CPU per transaction, 8-byte command" "$(engine 8) µs" "" ""
row "engine CPU per transaction, 1024-byte command" "$(engine 1024) µs" "" ""
row "serial overhead beyond the interval (median)" "$(field "$out/serial.txt" "median") ms" "" ""
row "serial overhead beyond the interval (p99)" "$(field "$out/serial.txt" "p99") ms" "" ""
row "start-up to a shown window (median of 20)" "$(field "$out/startup.txt" "median") ms" "< 300 ms" ""
row "loop send, window (10 rows, interval 1 ms)" "$window_rate tr/s" ">= 90% of bare, >= peer" "$py_rate tr/s"
row "loop send, quillard-run --for (same rows)" "$runner_rate tr/s" "" "$py_rate tr/s"
row "bare C loop, same waits" "$bare_rate tr/s" "" ""
row "event-loop lateness p99 while looping" "$p99 ms" "< 50 ms" ""
row "round trip, reader answering in 10 ms" "$window_rt ms" "no further than peer" "$py_rt ms"
row "round trip, quillard-run, reader in 10 ms" "$runner_rt ms" "" "$py_rt ms"
row "quillard-run, 8 readers / 1 reader: rate" "$(field "$out/readers.txt" "rate of 8 readers / rate of 1:")x" ">= 7x" ""
row "quillard-run, 8 readers / 1 reader: CPU per tr." "$(field "$out/readers.txt" "CPU per transaction, 8 readers / 1:")x" "<= 1x" ""
row "memory over $memory_run transactions" "$mem_start -> max $mem_max kB" "flat" ""
