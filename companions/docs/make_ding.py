#!/usr/bin/env python3
"""Writes ding.wav, the chime the recorder plays when the duration limit
stops a recording.

  make_ding.py <output.wav>

Two bell-like notes a major third apart (E6, then C6), each with a short
attack and an exponential decay, mixed and faded so that the file starts
and ends at silence. 16-bit PCM, mono, 44100 Hz, 0.6 s; the peak sits well
below full scale, so the sound never clips. The output is the same on
every run.
"""

import math
import os
import struct
import sys
import wave

RATE = 44100
SECONDS = 0.6
PEAK = 0.6  # of full scale
ATTACK_S = 0.004
FADE_S = 0.06
# (start in seconds, frequency in Hz, decay time constant in seconds)
NOTES = ((0.0, 1318.51, 0.12), (0.16, 1046.50, 0.16))
# Partials of each note: (multiple of the note's frequency, level). A soft
# octave and a softer twelfth give the bell its colour.
PARTIALS = ((1.0, 1.0), (2.0, 0.25), (3.0, 0.08))


def note(t, start, hz, decay):
    """One note's value at time t, 0 before its start."""
    if t < start:
        return 0.0
    age = t - start
    attack = min(1.0, age / ATTACK_S)
    level = attack * math.exp(-age / decay)
    return level * sum(gain * math.sin(2.0 * math.pi * hz * multiple * age) for multiple, gain in PARTIALS)


def fade(i, count):
    """Raised-cosine fade over the last FADE_S seconds, exactly 0 at the last sample."""
    fade_count = int(FADE_S * RATE)
    left = count - 1 - i
    if left >= fade_count:
        return 1.0
    return 0.5 - 0.5 * math.cos(math.pi * left / fade_count)


def chime():
    count = int(round(SECONDS * RATE))
    values = [sum(note(i / RATE, *n) for n in NOTES) * fade(i, count) for i in range(count)]
    scale = PEAK * 32767 / max(abs(v) for v in values)
    return [int(round(v * scale)) for v in values]


def main():
    if len(sys.argv) != 2:
        print("usage: make_ding.py <output.wav>", file=sys.stderr)
        return 2
    path = sys.argv[1]
    folder = os.path.dirname(path)
    if folder:
        os.makedirs(folder, exist_ok=True)
    samples = chime()
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(struct.pack("<%dh" % len(samples), *samples))
    return 0


if __name__ == "__main__":
    sys.exit(main())
