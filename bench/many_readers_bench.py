#!/usr/bin/python3
"""Many readers in one run of quillard-run: the transaction rate of one
simulated reader against that of N readers on one runner, with the runner's
CPU time per transaction for each.

    bench/many_readers_bench.py RUNNER SIM_READER PLUGIN [--readers 8] [--seconds 10]

Each reader is a quillard-sim-reader on a pseudo-terminal of its own that
answers every request at once; every port sends the same ten rows pass after
pass for the given time. The figures are printed one a line."""

import argparse
import json
import os
import resource
import signal
import subprocess
import sys
import tempfile
import time

ROWS = [f"00 A4 04 {i:02X}@2000=>90 00" for i in range(10)]


def start_readers(simulator, folder, count):
    """The readers COM200 and on, each logging into a file of its own (a pipe
    that nobody empties would hold a reader back)."""
    readers = []
    links = os.path.join(folder, "ComPorts")
    for com in range(200, 200 + count):
        log = open(os.path.join(folder, f"COM{com}.log"), "wb")
        readers.append(subprocess.Popen(
            [simulator, "--com", str(com), "--links", links, "--quiet", "1"],
            stdout=log, stderr=subprocess.DEVNULL))
        log.close()
        deadline = time.monotonic() + 10
        while not os.path.exists(os.path.join(links, f"COM{com}")):
            if time.monotonic() > deadline:
                sys.exit(f"the simulated reader COM{com} did not start")
            time.sleep(0.01)
    return readers


def one_run(runner, folder, plugin, ports, seconds):
    """The run's transactions, and the runner's CPU seconds."""
    args = [runner, "--folder", folder, "--plugin", plugin, "--com", f"200-{199 + ports}",
            "--char-timeout", "1", "--for", str(seconds), "--quiet", "--json"]
    for row in ROWS:
        args += ["--send", row]
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    done = subprocess.run(args, capture_output=True, text=True, check=False)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    summary = json.loads(done.stderr.strip().splitlines()[-1])
    if done.returncode != 0:
        sys.exit(f"quillard-run ended with {done.returncode}: {done.stderr[-2000:]}")
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return summary["transactions"], cpu


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("runner")
    parser.add_argument("simulator")
    parser.add_argument("plugin")
    parser.add_argument("--readers", type=int, default=8)
    parser.add_argument("--seconds", type=float, default=10)
    options = parser.parse_args()
    with tempfile.TemporaryDirectory() as folder:
        os.mkdir(os.path.join(folder, "ComPorts"))
        readers = start_readers(options.simulator, folder, options.readers)
        try:
            figures = {}
            for ports in (1, options.readers):
                transactions, cpu = one_run(options.runner, folder, options.plugin, ports,
                                            options.seconds)
                figures[ports] = (transactions / options.seconds, cpu / transactions * 1e6)
                print(f"{ports} reader(s): {transactions / options.seconds:.0f} tr/s, "
                      f"runner CPU {cpu / transactions * 1e6:.1f} µs per transaction")
        finally:
            for reader in readers:
                reader.send_signal(signal.SIGINT)
                reader.wait()
    one, many = figures[1], figures[options.readers]
    print(f"rate of {options.readers} readers / rate of 1: {many[0] / one[0]:.2f} "
          f"(target >= {options.readers - 1})")
    print(f"CPU per transaction, {options.readers} readers / 1: {many[1] / one[1]:.2f} "
          f"(target <= 1)")


if __name__ == "__main__":
    main()
