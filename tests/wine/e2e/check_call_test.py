#!/usr/bin/env python3
"""The call checker's frame timing, on made-up frame lists: what it must
pass (the clocks' beat, a dropped capture) and what it must not (a stale
picture, content that jumps)."""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from check_call import frame_timing  # noqa: E402

FPS = 30.0


def frames(numbers, stamps=None):
    """(time, number, flash) for the frame numbers shown at stamps 0, 1, 2... or at the stamps given."""
    stamps = stamps if stamps is not None else list(range(len(numbers)))
    return [(s / FPS, n, False) for s, n in zip(stamps, numbers)]


class FrameTiming(unittest.TestCase):
    def test_cases(self):
        # name, numbers, stamps, pause steps, spread, longest gap, pause shift
        cases = [
            ("steady", [100, 101, 102, 103, 104], None, None, 0, 1, None),
            ("the clocks beat", [100, 101, 101, 103, 104, 104, 106], None, None, 1, 1, None),
            ("a dropped capture keeps the offset", [100, 101, 105, 106], [0, 1, 5, 6], None, 0, 4, None),
            ("a stale picture moves it", [100, 101, 101, 101, 101, 105], None, None, 3, 1, None),
            ("the pause is judged apart", [100, 101, 102, 253, 254, 254, 256], None, 150, 1, 1, 150),
            ("a jump far from the pause is not the pause", [100, 101, 400, 401], None, 150, 298, 1, None),
            ("one frame", [100], None, None, 0, 1, None),
        ]
        for name, numbers, stamps, pause, spread, gap, shift in cases:
            with self.subTest(name):
                timing = frame_timing(frames(numbers, stamps), FPS, pause)
                self.assertEqual((spread, gap, shift), (timing["spread"], timing["longest_gap"], timing["pause"]))

    def test_offsets_are_counted_from_the_first_frame(self):
        timing = frame_timing(frames([100, 101, 101, 103], [0, 1, 2, 4]), FPS, None)
        self.assertEqual({-1: 2, 0: 2}, timing["offsets"])
        self.assertEqual({1: 2, 2: 1}, timing["gaps"])


if __name__ == "__main__":
    unittest.main()
