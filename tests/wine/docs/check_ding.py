#!/usr/bin/env python3
"""Checks ding.wav, the chime the recorder plays when the duration limit
stops a recording, from the outside with ffprobe and ffmpeg.

  check_ding.py <ding.wav>

The file is what make_ding.py writes: 16-bit PCM, mono, 44100 Hz, exactly
0.6 s (26460 samples). Decoded, its peak lies well below full scale (no
clipping) and well above silence, it starts and ends at silence, and both
notes of the chime, E6 and C6, carry a share of the sound's energy.
Exit code 0 when every check passes, 1 when one fails ("FAIL: ...").
"""

import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from check_recording import Checks, probe, run, tone_share  # noqa: E402  (the shared ffprobe/ffmpeg calls)

RATE = 44100
SAMPLES = 26460
NOTES_HZ = (1319, 1047)


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    path = sys.argv[1]
    check = Checks()
    try:
        info = probe(path)
        raw = run(["ffmpeg", "-v", "error", "-i", path, "-f", "s16le", "-acodec", "pcm_s16le", "-"])
    except RuntimeError as error:
        print("FAIL: %s" % error)
        return 2
    streams = info["streams"]
    check(len(streams) == 1, "one stream (%d)" % len(streams))
    stream = streams[0]
    check(stream.get("codec_name") == "pcm_s16le", "codec pcm_s16le (%s)" % stream.get("codec_name"))
    check(stream.get("sample_rate") == str(RATE), "sample rate %d (%s)" % (RATE, stream.get("sample_rate")))
    check(stream.get("channels") == 1, "mono (%s channels)" % stream.get("channels"))
    duration = float(info["format"].get("duration", 0))
    check(0.59 <= duration <= 0.61, "duration 0.6 s within 10 ms (%.3f s)" % duration)

    samples = struct.unpack("<%dh" % (len(raw) // 2), raw[:len(raw) // 2 * 2])
    check(len(samples) == SAMPLES, "%d samples decoded (%d)" % (SAMPLES, len(samples)))
    if not samples:
        return check.exit_code()
    peak = max(abs(s) for s in samples)
    check(8192 <= peak <= 29491, "peak between 25 %% and 90 %% of full scale (%d)" % peak)
    check(abs(samples[0]) <= 16 and abs(samples[-1]) <= 16,
          "starts and ends at silence (first %d, last %d)" % (samples[0], samples[-1]))
    for hz in NOTES_HZ:
        share = tone_share(samples, RATE, hz)
        check(share >= 0.2, "the note of %d Hz holds at least 20 %% of the energy (%.2f)" % (hz, share))
    return check.exit_code()


if __name__ == "__main__":
    sys.exit(main())
