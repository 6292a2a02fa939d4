#!/usr/bin/env python3
"""Checks a recorded file from the outside, with ffprobe and ffmpeg.

Prints the streams, the picture size, the sound format and the durations,
then verifies what the command line asks for:
  --duration S [--tolerance F]  format, audio and video durations within F
                                (a fraction, default 0.05) of S seconds
  --width W --height H          the video stream's size
  --rate R --channels C         the audio stream's format
  --counters                    the frame counters drawn by the test counter
                                source (16 bits as 16 x 16 blocks along the
                                top rows) run in order, one by one, no gap
  --tone HZ --tone-share F      the share of the sound's energy within
                                HZ +- 10 Hz is above F
Exit code 0 when every check passes, 1 when one fails (each failure is
printed as "FAIL: ..."), 2 for a file that cannot be read.
"""

import argparse
import json
import math
import struct
import subprocess
import sys


def run(args):
    result = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=False)
    if result.returncode != 0:
        raise RuntimeError("%s failed: %s" % (args[0], result.stderr.decode(errors="replace").strip()))
    return result.stdout


class Checks:
    """Prints each check as "ok: ..." or "FAIL: ..." and keeps the failures."""

    def __init__(self):
        self.failures = []

    def __call__(self, ok, text):
        print(("ok: " if ok else "FAIL: ") + text)
        if not ok:
            self.failures.append(text)

    def exit_code(self):
        """0 when every check passed, else 1, with the closing line printed."""
        if self.failures:
            print("%d check(s) failed" % len(self.failures))
            return 1
        print("all checks passed")
        return 0


def probe(path):
    out = run(["ffprobe", "-v", "error", "-show_format", "-show_streams", "-of", "json", path])
    return json.loads(out.decode())


def packet_times(path, selector):
    out = run(["ffprobe", "-v", "error", "-select_streams", selector, "-show_entries", "packet=pts_time",
               "-of", "csv=p=0", path]).decode()
    return [float(line) for line in out.split() if line and line != "N/A"]


def frame_counter(picture, width, offset=0):
    """The 16-bit counter drawn as 16 x 16 blocks along the top rows of an
    upright gray picture that starts at `offset`."""
    value = 0
    for bit in range(16):
        value = (value << 1) | (1 if picture[offset + 8 * width + bit * 16 + 8] >= 128 else 0)
    return value


def read_counters(path, width, height):
    raw = run(["ffmpeg", "-v", "error", "-i", path, "-map", "0:v:0", "-vf", "vflip", "-f", "rawvideo",
               "-pix_fmt", "gray", "-"])
    size = width * height
    return [frame_counter(raw, width, start) for start in range(0, len(raw) - size + 1, size)]


def tone_share(samples, rate, hz):
    """Energy share within hz +- 10 Hz, over one-second blocks (1 Hz bins)."""
    block = rate
    if len(samples) < block:
        block = len(samples)
    if block == 0:
        return 0.0
    low, high = hz - 10, hz + 10
    band = 0.0
    total = 0.0
    for start in range(0, len(samples) - block + 1, block):
        x = samples[start:start + block]
        energy = sum(v * v for v in x)
        total += energy
        # Goertzel per bin; bin k is k * rate / block Hz.
        for k in range(int(math.ceil(low * block / rate)), int(math.floor(high * block / rate)) + 1):
            coeff = 2.0 * math.cos(2.0 * math.pi * k / block)
            s1 = s2 = 0.0
            for v in x:
                s0 = v + coeff * s1 - s2
                s2 = s1
                s1 = s0
            power = s1 * s1 + s2 * s2 - coeff * s1 * s2
            # A real signal's bin k and its mirror: 2|X_k|^2 / N of the energy.
            band += 2.0 * power / block
    return band / total if total > 0 else 0.0


def decode_audio(path, channels):
    raw = run(["ffmpeg", "-v", "error", "-i", path, "-map", "0:a:0", "-f", "s16le", "-acodec", "pcm_s16le", "-"])
    count = len(raw) // 2
    values = struct.unpack("<%dh" % count, raw[:count * 2])
    frames = count // channels
    mono = [sum(values[i * channels:(i + 1) * channels]) / channels for i in range(frames)]
    return mono


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("file")
    parser.add_argument("--duration", type=float)
    parser.add_argument("--tolerance", type=float, default=0.05)
    parser.add_argument("--width", type=int)
    parser.add_argument("--height", type=int)
    parser.add_argument("--rate", type=int)
    parser.add_argument("--channels", type=int)
    parser.add_argument("--audio-streams", type=int)
    parser.add_argument("--video-streams", type=int)
    parser.add_argument("--fps", type=float)
    parser.add_argument("--counters", action="store_true")
    parser.add_argument("--tone", type=float)
    parser.add_argument("--tone-share", type=float, default=0.9)
    args = parser.parse_args()

    try:
        info = probe(args.file)
    except (RuntimeError, OSError, ValueError) as e:
        print("FAIL: cannot read %s: %s" % (args.file, e))
        return 2
    check = Checks()

    fmt = info.get("format", {})
    print("file: %s, %s bytes, format %s" % (args.file, fmt.get("size"), fmt.get("format_name")))
    audio = video = None
    for s in info.get("streams", []):
        kind = s.get("codec_type")
        if kind == "audio" and audio is None:
            audio = s
        if kind == "video" and video is None:
            video = s
        print("stream %s: %s %s %s" % (s.get("index"), kind, s.get("codec_name"),
                                       "%sx%s" % (s.get("width"), s.get("height")) if kind == "video" else
                                       "%s Hz %s ch" % (s.get("sample_rate"), s.get("channels"))))
    kinds = [s.get("codec_type") for s in info.get("streams", [])]
    for kind, expected in (("audio", args.audio_streams), ("video", args.video_streams)):
        if expected is not None:
            check(kinds.count(kind) == expected, "%d %s stream(s), expected %d" % (kinds.count(kind), kind, expected))
    format_duration = float(fmt.get("duration", "nan"))
    print("format duration: %.3f s" % format_duration)

    def within(value, what):
        if args.duration is None:
            return
        limit = args.duration * args.tolerance
        check(abs(value - args.duration) <= limit,
              "%s duration %.3f s within %.3f s of %.3f s" % (what, value, limit, args.duration))

    within(format_duration, "format")
    try:
        if audio is not None:
            channels = int(audio.get("channels", 1))
            rate = int(audio.get("sample_rate", 0))
            if args.rate is not None:
                check(rate == args.rate, "audio rate %d Hz, expected %d" % (rate, args.rate))
            if args.channels is not None:
                check(channels == args.channels, "audio channels %d, expected %d" % (channels, args.channels))
            mono = decode_audio(args.file, channels)
            audio_duration = len(mono) / rate if rate else 0.0
            print("audio: %d frames, %.3f s" % (len(mono), audio_duration))
            within(audio_duration, "audio")
            if args.tone is not None:
                share = tone_share(mono, rate, args.tone)
                check(share > args.tone_share, "%.0f Hz energy share %.4f above %.2f" % (args.tone, share,
                                                                                           args.tone_share))
        elif args.tone is not None or args.rate is not None:
            check(False, "an audio stream")
        if video is not None:
            width, height = int(video["width"]), int(video["height"])
            if args.width is not None or args.height is not None:
                check((width, height) == (args.width, args.height),
                      "picture %dx%d, expected %sx%s" % (width, height, args.width, args.height))
            times = packet_times(args.file, "v:0")
            if len(times) >= 2:
                step = (times[-1] - times[0]) / (len(times) - 1)
                video_duration = times[-1] - times[0] + step
            else:
                video_duration = 0.0
            print("video: %d frames, %.3f s" % (len(times), video_duration))
            if args.fps is not None:
                declared = video.get("r_frame_rate", "0/1").split("/")
                rate = float(declared[0]) / float(declared[1]) if float(declared[1]) else 0.0
                # A rate guessed from millisecond stamps may read 30000/1001 for 30 (0.1 % apart).
                check(abs(rate - args.fps) <= args.fps * 0.002, "declared frame rate %.2f fps, expected %.2f" % (rate, args.fps))
                if len(times) >= 2:
                    measured = (len(times) - 1) / (times[-1] - times[0]) if times[-1] > times[0] else 0.0
                    check(abs(measured - args.fps) <= args.fps * args.tolerance,
                          "measured frame rate %.2f fps, expected %.2f" % (measured, args.fps))
            within(video_duration, "video")
            if args.counters:
                counters = read_counters(args.file, width, height)
                gaps = [(a, b) for a, b in zip(counters, counters[1:]) if b != a + 1]
                if counters:
                    print("counters: %d frames, first %d, last %d" % (len(counters), counters[0], counters[-1]))
                check(bool(counters) and not gaps,
                      "frame counters in order without a gap" + (" (first gaps: %s)" % gaps[:5] if gaps else ""))
        elif args.counters or args.width is not None:
            check(False, "a video stream")
    except RuntimeError as e:
        check(False, str(e))
    return check.exit_code()


if __name__ == "__main__":
    sys.exit(main())
