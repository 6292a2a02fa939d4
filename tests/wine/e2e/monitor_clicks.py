#!/usr/bin/env python3
"""The reference reader of the sinks' monitors: when each of the fake call's clicks reached one.

  monitor_clicks.py <file> [<PulseAudio source>...]

run_call.sh runs it beside the recordings, outside Wine and the recorder. It
reads each source (speakers.monitor by default; a source not there yet is
looked for every 0.2 s, as a headset's that a test plugs in, and one that
goes away is looked for again) through parec asking for the 10 ms the
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
seconds. The fake call plays into one sink at a time.
"""

import array
import collections
import os
import signal
import subprocess
import sys
import threading
import time

RATE = 48000
LOUD = 9500  # with the click on the tone, a sample passes this within a millisecond
HEADER = "# monitor clicks: when each click reached a sink's monitor (seconds on CLOCK_MONOTONIC_RAW)\n"


def arrival(reads, k):
    """Where a steady stream brings sample k, from reads of (time, samples read by then)."""
    return min(t - (n - k) / RATE for t, n in reads if abs(n - k) <= RATE)


def source_exists(source):
    listed = subprocess.run(["pactl", "list", "short", "sources"], stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, check=False).stdout.decode(errors="replace")
    return any(line.split("\t")[1:2] == [source] for line in listed.splitlines())


def read_clicks(source, out, lock, readers):
    """Notes the clicks that reach one source whenever it is there."""
    while True:
        while not source_exists(source):
            time.sleep(0.2)
        parec = subprocess.Popen(["parec", "--raw", "--rate=%d" % RATE, "--channels=1", "--format=s16le",
                                  "--latency-msec=10", "-d", source], stdout=subprocess.PIPE)
        with lock:
            readers.append(parec)
        read_until_gone(source, parec, out, lock)
        with lock:
            readers.remove(parec)


def read_until_gone(source, parec, out, lock):
    reads = collections.deque()
    clicks = collections.deque()  # sample indices waiting for a second of reads after them
    n, last, carry = 0, -RATE, b""
    looked = time.monotonic()
    while True:
        data = carry + os.read(parec.stdout.fileno(), 65536)
        now = time.clock_gettime(time.CLOCK_MONOTONIC_RAW)
        if len(data) == len(carry):
            parec.wait()
            return
        # PulseAudio moves the reader of a source that went away to another.
        if time.monotonic() - looked >= 1.0:
            looked = time.monotonic()
            if not source_exists(source):
                parec.terminate()
                parec.wait()
                return
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
            with lock:
                out.write("%.7f\n" % arrival(reads, clicks.popleft()))
                out.flush()


def main():
    sources = sys.argv[2:] or ["speakers.monitor"]
    lock, readers = threading.Lock(), []

    def stop(*_):
        # Stopped, it stops its parecs before they find their pipes closed.
        with lock:
            for parec in readers:
                parec.terminate()
        os._exit(0)

    signal.signal(signal.SIGTERM, stop)
    with open(sys.argv[1], "w") as out:
        out.write(HEADER)
        out.flush()
        threads = [threading.Thread(target=read_clicks, args=(source, out, lock, readers), daemon=True)
                   for source in sources]
        for thread in threads:
            thread.start()
        # Asleep rather than joined, so that a stop is heard at once.
        while True:
            time.sleep(0.2)


if __name__ == "__main__":
    sys.exit(main())
