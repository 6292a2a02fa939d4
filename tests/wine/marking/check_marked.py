#!/usr/bin/env python3
"""Checks a recording of a marked region from the outside, with ffprobe and ffmpeg.

  check_marked.py <file.wmv> --width W --height H --colour R G B [--share F]

Verified: one video stream of W x H, and in every decoded frame at least
the share F (default 0.999, so a region off by one pixel fails) of the pixels within 8 of the colour R G B in
each component: the picture is the region painted with that colour, not
what lies around it. Exit code 0 when every check passes, 1 when one fails
("FAIL: ..."), 2 when the file cannot be read.
"""

import argparse
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from check_recording import Checks, probe, run  # noqa: E402  (the shared ffprobe/ffmpeg calls)

TOLERANCE = 8


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("file")
    parser.add_argument("--width", type=int, required=True)
    parser.add_argument("--height", type=int, required=True)
    parser.add_argument("--colour", type=int, nargs=3, required=True)
    parser.add_argument("--share", type=float, default=0.999)
    args = parser.parse_args()
    try:
        info = probe(args.file)
    except (RuntimeError, OSError, ValueError) as e:
        print("FAIL: cannot read %s: %s" % (args.file, e))
        return 2
    check = Checks()

    videos = [s for s in info.get("streams", []) if s.get("codec_type") == "video"]
    check(len(videos) == 1, "%d video stream(s), expected 1" % len(videos))
    if videos:
        width, height = int(videos[0]["width"]), int(videos[0]["height"])
        check((width, height) == (args.width, args.height),
              "picture %dx%d, expected %dx%d" % (width, height, args.width, args.height))
        try:
            raw = run(["ffmpeg", "-v", "error", "-i", args.file, "-map", "0:v:0", "-f", "rawvideo", "-pix_fmt",
                       "rgb24", "-"])
        except RuntimeError as e:
            check(False, str(e))
            raw = b""
        size = width * height * 3
        frames = len(raw) // size if size else 0
        check(frames > 0, "%d decoded frame(s)" % frames)
        worst = 1.0
        r0, g0, b0 = args.colour
        for n in range(frames):
            frame = raw[n * size:(n + 1) * size]
            matching = 0
            for i in range(0, size, 3):
                if (abs(frame[i] - r0) <= TOLERANCE and abs(frame[i + 1] - g0) <= TOLERANCE
                        and abs(frame[i + 2] - b0) <= TOLERANCE):
                    matching += 1
            worst = min(worst, matching / (width * height))
        if frames:
            check(worst >= args.share, "every frame's share of the colour %d,%d,%d at least %.2f (lowest %.4f)" %
                  (r0, g0, b0, args.share, worst))
    return check.exit_code()


if __name__ == "__main__":
    sys.exit(main())
