#!/usr/bin/env python3
"""Reads one frame of a recording of the four-quadrant test window with
ffmpeg and checks the quadrant colours at their places.

The capture filter writes bottom-up rows with a positive height, which
FFmpeg's ASF reader decodes without flipping: the frame is flipped here
(-vf vflip), so a frame written upside down fails.
usage: check_colours.py FILE WIDTH HEIGHT
"""

import subprocess
import sys

EXPECTED = {  # fraction of width, fraction of height -> (r, g, b)
    (0.25, 0.25): (255, 0, 0),
    (0.75, 0.25): (0, 255, 0),
    (0.25, 0.75): (0, 0, 255),
    (0.75, 0.75): (255, 255, 0),
}


def main():
    path, width, height = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    raw = subprocess.run(["ffmpeg", "-v", "error", "-ss", "1", "-i", path, "-vf", "vflip", "-frames:v", "1",
                          "-f", "rawvideo", "-pix_fmt", "rgb24", "-"], stdout=subprocess.PIPE, check=True).stdout
    if len(raw) != width * height * 3:
        print("FAIL: frame of %d bytes, expected %d" % (len(raw), width * height * 3))
        return 1
    failed = 0
    for (fx, fy), want in sorted(EXPECTED.items()):
        x, y = int(fx * width), int(fy * height)
        at = (y * width + x) * 3
        got = tuple(raw[at:at + 3])
        print("pixel (%d,%d): %s" % (x, y, got))
        if got != want:
            print("FAIL: pixel (%d,%d) is %s, expected %s" % (x, y, got, want))
            failed = 1
    return failed


if __name__ == "__main__":
    sys.exit(main())
