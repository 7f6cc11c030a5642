#!/usr/bin/python3
"""The peer of the loop benchmark: the same exchange as Quillard's loop send, as
a plain pyserial script over the same pty. Ten requests a pass, 1 ms between
passes; each reply is read with 200 ms for the first byte and ends after 1 ms
of silence (the same time-outs as the console's). pyserial's own inter-byte
time-out rides on termios VTIME, whose steps are 100 ms, so the script waits
out the 1 ms of silence itself with select().

    /usr/bin/python3 bench/pyserial_peer.py DEVICE SECONDS
"""
import select
import sys
import time

import serial


def main():
    device, seconds = sys.argv[1], float(sys.argv[2])
    port = serial.Serial(device, 19200, timeout=0.2)
    transactions = 0
    round_trips = []
    start = time.monotonic()
    end = start + seconds
    while time.monotonic() < end:
        time.sleep(0.001)
        for row in range(10):
            port.reset_input_buffer()
            sent = time.monotonic()
            port.write(bytes([row + 1]))
            reply = port.read(1)
            while reply and len(reply) < 1024 and select.select([port.fileno()], [], [], 0.001)[0]:
                reply += port.read(min(port.in_waiting or 1, 1024 - len(reply)))
            if reply:
                round_trips.append((time.monotonic() - sent) * 1000)
            transactions += 1
    elapsed = time.monotonic() - start
    port.close()
    mean = sum(round_trips) / len(round_trips) if round_trips else 0.0
    print("round trip, pyserial (mean of %d): %.2f ms" % (len(round_trips), mean))
    print("loop throughput, pyserial: %.0f transactions/s" % (transactions / elapsed))


if __name__ == "__main__":
    main()
