#!/usr/bin/env python3
"""The call checker's frame timing, on made-up frame lists: what it must
pass (the clocks' beat, a dropped capture) and what it must not (a stale
picture, content that jumps); and its flash/click offsets net of the
platform, on made-up references."""

import math
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from check_call import frame_timing, longest_run_without, net_offsets, tone_windows  # noqa: E402

FPS = 30.0


def frames(numbers, stamps=None):
    """(time, number, flash) for the frame numbers shown at stamps 0, 1, 2... or at the stamps given."""
    stamps = stamps if stamps is not None else list(range(len(numbers)))
    return [(s / FPS, n, None) for s, n in zip(stamps, numbers)]


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


class NetOffsets(unittest.TestCase):
    FLASHES = [[100.0, 3000, 10], [105.0, 3150, 100]]  # moment, frame number, block ms
    ARRIVALS = [100.040, 105.090, 110.045]

    def test_cases(self):
        # name, recorded flash (raw offset, ms its frame shows, frame number), (block, lag, net) or None
        cases = [
            ("the lag added, the frame's lateness taken off", (-0.030, 12, 3000), (10, 0.040, -0.002)),
            ("paired by the frame number shown", (-0.080, 20, 3151), (100, 0.090, -0.010)),
            ("up to three frames after the flash's", (-0.030, 5, 3153), (100, 0.090, 0.055)),
            ("four frames after it is another flash's", (-0.030, 5, 3004), None),
            ("before it too", (-0.030, 5, 2999), None),
        ]
        for name, recorded, expected in cases:
            with self.subTest(name):
                result = net_offsets([recorded], self.FLASHES, self.ARRIVALS)[0]
                if expected is None:
                    self.assertIsNone(result)
                else:
                    self.assertEqual(expected[0], result[0])
                    self.assertAlmostEqual(expected[1], result[1], places=9)
                    self.assertAlmostEqual(expected[2], result[2], places=9)

    def test_no_click_reached_the_monitor_near_the_flash(self):
        self.assertEqual([None], net_offsets([(-0.030, 12, 3000)], self.FLASHES, [100.6, 104.4]))
        self.assertEqual([None], net_offsets([(-0.030, 12, 3000)], self.FLASHES, []))


class ToneSilence(unittest.TestCase):
    def test_the_longest_stretch_without_the_tone(self):
        rate = 8000

        def tone(hz, seconds, level=8000):
            return [int(level * math.sin(2 * math.pi * hz * i / rate)) for i in range(int(seconds * rate))]

        # name, signal, longest stretch without 440 Hz
        cases = [
            ("steady", tone(440, 2), 0.0),
            ("a gap of silence", tone(440, 1) + [0] * int(0.7 * rate) + tone(440, 1), 0.7),
            ("another tone alone is no 440", tone(440, 1) + tone(1000, 0.5) + tone(440, 1), 0.5),
            ("both tones together carry it", [a + b for a, b in zip(tone(440, 2), tone(1000, 2))], 0.0),
        ]
        for name, signal, expected in cases:
            with self.subTest(name):
                self.assertAlmostEqual(expected, longest_run_without(tone_windows(signal, rate, 440)), places=6)


if __name__ == "__main__":
    unittest.main()
