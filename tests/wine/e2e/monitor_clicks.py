#!/usr/bin/env python3
"""The reference reader of the speakers' monitor: when each of the fake call's clicks reached it.

  monitor_clicks.py <file> [<PulseAudio source>]

run_call.sh runs it beside the recordings, outside Wine and the recorder. It
reads the source (speakers.monitor) through parec asking for the 10 ms the
platform keeps its sinks at (a shorter request would make the speakers'
sink render in shorter blocks, changing what is measured), and stamps each
read with CLOCK_MONOTONIC_RAW: Wine 8 on Linux answers QueryPerformanceCounter
from that clock (10 MHz), so the times compare with the fake call's. The
sink hands its monitor the samples in blocks; a sample's arrival is put
where a steady stream brings it at the shortest delay that the reads within
a second either side met: the least of (read time - the samples read after
it / rate). A click is the first sample louder than the fake call's tone
(8000 at its peak) after a second without one.

The file: a header of "#" lines, then one line per click: its arrival, in
seconds.
"""

import array
import collections
import os
import signal
import subprocess
import sys
import time

RATE = 48000
LOUD = 9500  # with the click on the tone, a sample passes this within a millisecond
HEADER = "# monitor clicks: when each click reached the speakers' monitor (seconds on CLOCK_MONOTONIC_RAW)\n"


def arrival(reads, k):
    """Where a steady stream brings sample k, from reads of (time, samples read by then)."""
    return min(t - (n - k) / RATE for t, n in reads if abs(n - k) <= RATE)


def main():
    source = sys.argv[2] if len(sys.argv) > 2 else "speakers.monitor"
    parec = subprocess.Popen(["parec", "--raw", "--rate=%d" % RATE, "--channels=1", "--format=s16le",
                              "--latency-msec=10", "-d", source], stdout=subprocess.PIPE)
    # Stopped, it stops parec before parec finds its pipe closed.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(parec.terminate()))
    reads = collections.deque()
    clicks = collections.deque()  # sample indices waiting for a second of reads after them
    n, last, carry = 0, -RATE, b""
    with open(sys.argv[1], "w") as out:
        out.write(HEADER)
        out.flush()
        while True:
            data = carry + os.read(parec.stdout.fileno(), 65536)
            now = time.clock_gettime(time.CLOCK_MONOTONIC_RAW)
            if len(data) == len(carry):
                return parec.wait()
            whole = len(data) // 2 * 2
            samples, carry = array.array("h", data[:whole]), data[whole:]
            if samples and (max(samples) > LOUD or min(samples) < -LOUD):
                for i, v in enumerate(samples):
                    if abs(v) > LOUD:
                        if n + i - last >= RATE:
                            clicks.append(n + i)
                        last = n + i
            n += len(samples)
            reads.append((now, n))
            while reads[0][1] < n - 2 * RATE:
                reads.popleft()
            while clicks and clicks[0] <= n - RATE:
                out.write("%.7f\n" % arrival(reads, clicks.popleft()))
                out.flush()


if __name__ == "__main__":
    sys.exit(main())
