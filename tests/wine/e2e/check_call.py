#!/usr/bin/env python3
"""Checks an end-to-end call recording from the outside, with ffprobe and ffmpeg.

  check_call.py <case folder> [options]

The folder holds "call.wmv" and "times.json", in which the Wine test wrote
how long the graph ran ("ran", seconds, the pause excluded), the pause and
the fake call's playback gap. Always checked: one audio and one video
stream (unless --audio-streams / --video-streams say otherwise) and a
duration within 0.5 s of the graph's running time. With a video stream:
every frame shows the screen of its stamp (the fake call's frame number, in
16 blocks along the top row, against the frame's time: their offset spreads
over at most three frames, before and after the pause apart), no capture gap above
200 ms and at least 95% of the frames the running time holds; with both
streams, audio and video durations within 40 ms, the audio's measured on
the file's timeline (the end of its last packet). Options:
  --width W --height H --fps F   the picture
  --channels C --bits B          the sound's format
  --tones HZ [HZ ...]            each tone's Goertzel share of the energy above 0.1
  --sync                         each white flash's first frame against its 2000 Hz
                                 click: the sound at most 125 ms behind the picture
                                 and at most 45 ms ahead of it (the broadcast
                                 thresholds of detectability); and the recorder's
                                 own offset, net of the platform, within --net-limit
                                 (the mean over the flashes: the offset is the run's,
                                 each flash's varies by when its packet was
                                 delivered): the flash's moment in the recording (its first
                                 frame's time less the milliseconds since the flash
                                 that the frame shows) minus the click's, less the
                                 moment the fake call flashed ("flashes.txt") minus
                                 the moment the click reached the speakers' monitor
                                 (the reference reader's "clicks.txt", on the same
                                 clock), the latter difference being the platform's
                                 lag; the net offsets spread over at most two frame
                                 periods plus 10 ms
  --net-limit S                  with --sync: the largest mean net offset (0.020)
  --flashes N                    with --sync: at least N flashes (3)
  --fault-step                   with --sync: the call's sound moved to another sink at
                                 the fault; each flash after it keeps the mean net
                                 offset of the flashes before it, within one frame
                                 period (the reference reader follows both monitors)
  --drift                        with --sync: the last flash/click offset within one
                                 frame period of the first
  --av-limit S                   the largest audio/video duration difference (0.040)
  --max-spread N                 the largest spread of the picture's offset from its
                                 stamps, in frames (3)
  --max-gap S                    the longest time between two captures but the pause (0.200)
  --repaired                     the recording was killed and repaired: its duration
                                 within 1 s of the running time to the kill; both of
                                 FFmpeg's ASF readers (asf and asf_o, the latter from a
                                 pipe: it refuses a seekable file) read picture and
                                 sound; a seek to the middle decodes the frame whose
                                 number the whole decode shows there (within a frame)
  --partial                      the recording was cut short (a full disk): its
                                 duration is above 2 s and at most the running
                                 time, and its frames are counted against it
  --tone-after HZ                the tone's share above 0.1 in the sound from one
                                 second after the fault ("fault" in times.json) on
  --longest-silence HZ S         the longest stretch of 100 ms windows without the
                                 tone (a tenth of their energy), the first and last
                                 half second apart, at most S seconds
  --lost-gap                     the recording lacks the gap's sound: the decoded
                                 samples fall short of the video by the gap, within
                                 0.5 s, while the timeline keeps its length
One decoded frame is saved as "frame.png" in the folder. Exit code 0 when
every check passes, 1 when one fails ("FAIL: ..."), 2 when the file cannot
be read.
"""

import argparse
import array
import json
import math
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from check_recording import Checks, frame_counter, probe, run  # noqa: E402  (the shared ffprobe/ffmpeg calls)

# The writer stores the screen's bottom-up rows uncompressed, which ffmpeg
# reads from an ASF file as they lie.
UPRIGHT = "vflip"
CLICK_HZ = 2000
CLICK_WINDOW_S = 0.005


def video_frames(path, width, height):
    """(presentation time, frame number, flash) of every decoded frame, none dropped or repeated;
    flash is None but in a white frame, where it is the milliseconds since the flash began.

    The pictures are read one at a time from ffmpeg's pipe: a long recording
    never sits in memory whole."""
    times = [float(t) for t in run(["ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                                    "frame=best_effort_timestamp_time", "-of", "csv=p=0", path]).decode().split()
             if t and t != "N/A"]
    size = width * height
    frames = []
    with subprocess.Popen(["ffmpeg", "-v", "error", "-i", path, "-map", "0:v:0", "-fps_mode", "passthrough", "-vf",
                           UPRIGHT, "-f", "rawvideo", "-pix_fmt", "gray", "-"], stdout=subprocess.PIPE) as decoder:
        while True:
            picture = decoder.stdout.read(size)
            if len(picture) < size:
                break
            if len(frames) < len(times):
                flash = frame_counter(picture, width, 16 * width) if is_flash(picture, width, height) else None
                frames.append((times[len(frames)], frame_counter(picture, width), flash))
        if decoder.wait() != 0:
            raise RuntimeError("ffmpeg could not decode the video of %s" % path)
    return frames


def frame_timing(frames, fps, pause_steps):
    """How each frame's picture lies against its stamp.

    The fake call shows its frame number, the picture's moment; the stamp
    says the frame's moment. Their difference, in frames, is the offset: it
    stays within a frame or two (the two clocks beat) while every frame
    shows the screen of its time, and it moves when a frame shows an older
    or a newer screen than its stamp says. A capture the recorder dropped
    leaves a longer step between stamps and keeps the offset. The pause
    moves the picture on while the stamps go on from where they stopped:
    with pause_steps, the step whose picture moved on the most is the
    pause's, and the offsets before and after it are judged apart."""
    stamps = [round(t * fps) for t, _, _ in frames]
    offsets = [n - s for (_, n, _), s in zip(frames, stamps)]
    excess = [b - a for a, b in zip(offsets, offsets[1:])]
    pause, parts = None, [offsets]
    if pause_steps is not None and excess:
        at = max(range(len(excess)), key=lambda i: excess[i])
        if abs(excess[at] - pause_steps) <= 2 * fps:
            pause = excess[at]
            parts = [offsets[:at + 1], offsets[at + 1:]]
    gaps = [b - a for a, b in zip(stamps, stamps[1:])]
    first = offsets[0] if offsets else 0
    return {"offsets": {o - first: offsets.count(o) for o in sorted(set(offsets))},
            "spread": max((max(p) - min(p) for p in parts if p), default=0),
            "gaps": {g: gaps.count(g) for g in sorted(set(gaps))},
            "longest_gap": max(gaps, default=1),
            "pause": pause, "pause_expected": pause_steps}


def is_flash(picture, width, height):
    """White below the block row: sampled on a coarse grid."""
    samples = [picture[y * width + x] for y in range(24, height, 8) for x in range(0, width, 8)]
    return sum(samples) / len(samples) > 200


def decode_audio(path):
    """The sound mixed to mono, as 16-bit samples (an array: ten minutes take 50 MB, not a gigabyte)."""
    samples = array.array("h")
    samples.frombytes(run(["ffmpeg", "-v", "error", "-i", path, "-map", "0:a:0", "-f", "s16le", "-acodec",
                           "pcm_s16le", "-ac", "1", "-"]))
    if sys.byteorder != "little":
        samples.byteswap()
    return samples


def goertzel_power(x, k, n):
    coeff = 2.0 * math.cos(2.0 * math.pi * k / n)
    s1 = s2 = 0.0
    for v in x:
        s1, s2 = v + coeff * s1 - s2, s1
    return s1 * s1 + s2 * s2 - coeff * s1 * s2


def tone_share(samples, rate, hz):
    """Share of the energy within hz +- 2 Hz, over one-second blocks (1 Hz bins)."""
    band = total = 0.0
    for start in range(0, len(samples) - rate + 1, rate):
        x = samples[start:start + rate]
        total += sum(v * v for v in x)
        band += sum(2.0 * goertzel_power(x, k, rate) / rate for k in range(int(hz) - 2, int(hz) + 3))
    return band / total if total else 0.0


def tone_windows(samples, rate, hz, window=0.1):
    """For each window of `window` seconds, whether a tenth of its energy is the tone's."""
    n = int(rate * window)
    found = []
    for start in range(0, len(samples) - n + 1, n):
        x = samples[start:start + n]
        total = sum(v * v for v in x)
        found.append(total > 0 and 2.0 * goertzel_power(x, hz * window, n) / n / total > 0.1)
    return found


def longest_run_without(found, window=0.1):
    longest = run_length = 0
    for present in found:
        run_length = 0 if present else run_length + 1
        longest = max(longest, run_length)
    return longest * window


def audio_packets(path, channels):
    """(presentation time, first sample index) of each audio packet, PCM being 2 bytes per sample,
    and the number of sample frames in all of them."""
    out = run(["ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries", "packet=pts_time,size", "-of",
               "csv=p=0", path]).decode()
    packets, index = [], 0
    for line in out.split():
        pts, size = line.split(",")
        packets.append((float(pts), index))
        index += int(size) // (2 * channels)
    return packets, index


def sample_time(packets, rate, i):
    """The presentation time of decoded sample i: its packet's time and its place in the packet."""
    low, high = 0, len(packets) - 1
    while low < high:
        mid = (low + high + 1) // 2
        if packets[mid][1] <= i:
            low = mid
        else:
            high = mid - 1
    pts, first = packets[low]
    return pts + (i - first) / rate


def click_times(samples, rate, packets):
    """Onsets of the 2000 Hz clicks: 5 ms windows whose energy there passes a quarter of the loudest."""
    n = int(rate * CLICK_WINDOW_S)
    k = CLICK_HZ * n / rate
    powers = [goertzel_power(samples[i:i + n], k, n) for i in range(0, len(samples) - n + 1, n)]
    if not powers:
        return []
    threshold = max(powers) / 4
    onsets, last = [], -1e9
    for w, p in enumerate(powers):
        t = sample_time(packets, rate, w * n)
        if p > threshold:
            if t - last > 1.0:
                onsets.append(t)
            last = t
    return onsets

# How far the sound may lag or lead the picture before viewers notice.
SOUND_BEHIND = 0.125
SOUND_AHEAD = 0.045


def reference(path):
    """The rows of numbers of a file of the fake call's or the reference reader's ("#" lines are its header)."""
    with open(path) as f:
        return [[float(v) for v in line.split()] for line in f if line.strip() and not line.startswith("#")]


def net_offsets(recorded, flashes, arrivals):
    """(block ms, platform lag, net offset) for each recorded flash (its raw offset, the
    milliseconds since the flash its first frame shows, its frame number), or None where
    no reference matches: its fake-call flash (moment, frame number, block ms) by the frame
    number shown (the flash's or one of the next three), the click's arrival at the monitor
    the nearest to that moment, within 0.5 s."""
    result = []
    for raw, elapsed, number in recorded:
        flash = next((f for f in flashes if 0 <= number - f[1] <= 3), None)
        arrival = min(arrivals, key=lambda a: abs(a - flash[0])) if flash and arrivals else None
        if arrival is None or abs(arrival - flash[0]) > 0.5:
            result.append(None)
            continue
        lag = arrival - flash[0]
        result.append((flash[2], lag, raw - elapsed / 1000.0 + lag))
    return result


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("folder")
    parser.add_argument("--audio-streams", type=int, default=1)
    parser.add_argument("--video-streams", type=int, default=1)
    parser.add_argument("--width", type=int)
    parser.add_argument("--height", type=int)
    parser.add_argument("--fps", type=float, default=30.0)
    parser.add_argument("--channels", type=int)
    parser.add_argument("--bits", type=int)
    parser.add_argument("--tones", type=float, nargs="*", default=[])
    parser.add_argument("--sync", action="store_true")
    parser.add_argument("--net-limit", type=float, default=0.020)
    parser.add_argument("--drift", action="store_true")
    parser.add_argument("--flashes", type=int, default=3)
    parser.add_argument("--av-limit", type=float, default=0.040)
    parser.add_argument("--lost-gap", action="store_true")
    parser.add_argument("--partial", action="store_true")
    parser.add_argument("--repaired", action="store_true")
    parser.add_argument("--fault-step", action="store_true")
    parser.add_argument("--tone-after", type=float)
    parser.add_argument("--longest-silence", type=float, nargs=2)
    parser.add_argument("--max-spread", type=int, default=3)
    parser.add_argument("--max-gap", type=float, default=0.200)
    args = parser.parse_args()

    path = os.path.join(args.folder, "call.wmv")
    try:
        with open(os.path.join(args.folder, "times.json")) as f:
            times = json.load(f)
        info = probe(path)
    except (RuntimeError, OSError, ValueError) as e:
        print("FAIL: cannot read the case in %s: %s" % (args.folder, e))
        return 2
    check = Checks()

    fmt = info.get("format", {})
    streams = info.get("streams", [])
    print("file: %s, %s bytes, %s; the graph ran %.3f s" % (path, fmt.get("size"), fmt.get("format_name"),
                                                            times["ran"]))
    for s in streams:
        print("stream %s: %s %s %s" % (s.get("index"), s.get("codec_type"), s.get("codec_name"),
                                       "%sx%s" % (s.get("width"), s.get("height")) if s.get("codec_type") == "video"
                                       else "%s Hz %s ch" % (s.get("sample_rate"), s.get("channels"))))
    kinds = [s.get("codec_type") for s in streams]
    for kind, expected in (("audio", args.audio_streams), ("video", args.video_streams)):
        check(kinds.count(kind) == expected, "%d %s stream(s), expected %d" % (kinds.count(kind), kind, expected))
    duration = float(fmt.get("duration", "nan"))
    if args.partial:
        check(2.0 < duration <= times["ran"] + 0.5,
              "duration %.3f s above 2 s and at most the graph's %.3f s" % (duration, times["ran"]))
    else:
        limit = 1.0 if args.repaired else 0.5
        check(abs(duration - times["ran"]) <= limit,
              "duration %.3f s within %.1f s of the graph's %.3f s" % (duration, limit, times["ran"]))
    if args.repaired:
        for reader in ("asf", "asf_o"):
            with open(path, "rb") as f:
                read = subprocess.run(["ffmpeg", "-v", "error", "-f", reader, "-i", "pipe:0", "-map", "0:v:0",
                                       "-map", "0:a:0", "-f", "null", "-"], stdin=f, stdout=subprocess.PIPE,
                                      stderr=subprocess.PIPE, check=False)
            check(read.returncode == 0, "FFmpeg's %s reader reads picture and sound (%s)"
                  % (reader, read.stderr.decode(errors="replace").strip()[:200] or "no error"))
    recorded = duration if args.partial else times["ran"]
    audio = next((s for s in streams if s.get("codec_type") == "audio"), None)
    video = next((s for s in streams if s.get("codec_type") == "video"), None)
    period = 1.0 / args.fps
    try:
        video_duration = frames = None
        if video is not None:
            width, height = int(video["width"]), int(video["height"])
            if args.width is not None:
                check((width, height) == (args.width, args.height),
                      "picture %dx%d, expected %dx%d" % (width, height, args.width, args.height))
            # ffprobe guesses the rate from millisecond stamps: over its few seconds it cannot tell 30 from
            # 30000/1001 (0.1 % apart), so a rate within 0.2 % is the one asked for; the stamp steps below
            # show the real spacing.
            declared = [float(v) for v in video.get("r_frame_rate", "0/1").split("/")]
            check(declared[1] and abs(declared[0] / declared[1] - args.fps) <= args.fps * 0.002,
                  "declared frame rate %s, expected %.2f" % (video.get("r_frame_rate"), args.fps))
            frames = video_frames(path, width, height)
            video_duration = frames[-1][0] - frames[0][0] + period if frames else 0.0
            expected_frames = recorded * args.fps
            print("video: %d frames (%.0f expected from the running time), %.3f s" %
                  (len(frames), expected_frames, video_duration))
            timing = frame_timing(frames, args.fps, round(times["pause"] * args.fps) if times["pause"] else None)
            print("frame numbers %d..%d; picture ahead of its stamp by %s frames (from the first); stamp steps: %s" %
                  (frames[0][1], frames[-1][1], timing["offsets"], timing["gaps"]))
            if timing["pause"] is not None:
                print("the pause: the picture moved on %d frames over one stamp step (%d expected)" %
                      (timing["pause"], timing["pause_expected"]))
            check(timing["spread"] <= args.max_spread,
                  "every frame shows the screen of its stamp: the offsets spread over %d frames (at most %d)" %
                  (timing["spread"], args.max_spread))
            check(timing["longest_gap"] * period <= args.max_gap + 1e-6,
                  "the longest capture gap %.3f s (at most %.3f s)" % (timing["longest_gap"] * period, args.max_gap))
            check(len(frames) >= 0.95 * expected_frames,
                  "%d frames, at least 95%% of the %.0f expected" % (len(frames), expected_frames))
            if frames and args.repaired:
                middle = frames[len(frames) // 2]
                picture = run(["ffmpeg", "-v", "error", "-ss", "%.3f" % middle[0], "-i", path, "-frames:v", "1",
                               "-vf", UPRIGHT, "-f", "rawvideo", "-pix_fmt", "gray", "-"])
                number = frame_counter(picture, width) if len(picture) >= width * height else None
                check(number is not None and abs(number - middle[1]) <= 1,
                      "a seek to %.3f s decodes frame %s, the whole decode shows %d there"
                      % (middle[0], number, middle[1]))
            if frames:
                run(["ffmpeg", "-v", "error", "-y", "-ss", "%.3f" % (duration / 2), "-i", path, "-frames:v", "1",
                     "-vf", UPRIGHT, "-pix_fmt", "rgb24", os.path.join(args.folder, "frame.png")])
        if audio is not None:
            rate, channels = int(audio["sample_rate"]), int(audio["channels"])
            bits = int(audio.get("bits_per_sample") or audio.get("bits_per_raw_sample") or 0)
            if args.channels is not None:
                check(channels == args.channels, "audio channels %d, expected %d" % (channels, args.channels))
            if args.bits is not None:
                check(bits == args.bits, "audio %d-bit, expected %d" % (bits, args.bits))
            samples = decode_audio(path)
            packets, packet_frames = audio_packets(path, channels)
            decoded = len(samples) / rate
            # On the file's timeline the track ends where its last packet
            # ends: a sample that came late starts at the stream time it
            # was delivered, so the track can span more than its samples.
            audio_duration = (packets[-1][0] + (packet_frames - packets[-1][1]) / rate - packets[0][0]
                              if packets else 0.0)
            print("audio: %d frames at %d Hz (%.3f s decoded), %.3f s on the timeline from %.3f s" %
                  (len(samples), rate, decoded, audio_duration, packets[0][0] if packets else 0.0))
            for hz in args.tones:
                share = tone_share(samples, rate, hz)
                check(share > 0.1, "%.0f Hz energy share %.4f above 0.1" % (hz, share))
            if args.tone_after is not None:
                after = samples[int((times["fault"] + 1.0) * rate):]
                share = tone_share(after, rate, args.tone_after)
                check(share > 0.1, "%.0f Hz energy share %.4f above 0.1 from 1 s after the fault at %.1f s"
                      % (args.tone_after, share, times["fault"]))
            if args.longest_silence:
                hz, limit = args.longest_silence
                found = tone_windows(samples, rate, hz)[5:-5]
                longest = longest_run_without(found)
                check(longest <= limit + 1e-6, "the longest stretch without %.0f Hz %.1f s (at most %.1f s)"
                      % (hz, longest, limit))
            if video_duration is not None:
                difference = video_duration - audio_duration
                check(abs(difference) <= args.av_limit, "audio and video durations differ by %.3f s (at most %.3f)"
                      % (difference, args.av_limit))
                if args.lost_gap:
                    lost = video_duration - decoded
                    check(abs(lost - times["gap"]) <= 0.5, "decoded sound %.3f s shorter than the video, the gap %.1f s"
                          % (lost, times["gap"]))
            if args.sync and frames:
                firsts = [(t, n, flash) for (t, n, flash), (_, _, before) in zip(frames[1:], frames)
                          if flash is not None and before is None]
                clicks = click_times(samples, rate, packets)
                # A flash or click at either end of the recording may have its
                # partner just outside it: those are left out.
                edge = SOUND_BEHIND + period
                first, last = frames[0][0] + edge, frames[-1][0] + period - edge
                at_ends = [t for t in [f[0] for f in firsts] + clicks if not first <= t <= last]
                if at_ends:
                    print("left out at the recording's ends: %s" % ["%.3f" % t for t in sorted(at_ends)])
                # A partner of one left out goes too, though it lies just inside.
                near = SOUND_BEHIND + SOUND_AHEAD
                firsts = [f for f in firsts if first <= f[0] <= last and all(abs(f[0] - t) > near for t in at_ends)]
                clicks = [t for t in clicks if first <= t <= last and all(abs(t - e) > near for e in at_ends)]
                print("flashes at %s" % ["%.3f" % f[0] for f in firsts])
                print("clicks at  %s" % ["%.3f" % t for t in clicks])
                check(len(firsts) >= args.flashes and len(firsts) == len(clicks),
                      "%d flashes and %d clicks" % (len(firsts), len(clicks)))
                offsets = [f[0] - min(clicks, key=lambda c, f=f: abs(c - f[0])) for f in firsts] if clicks else []
                print("flash - click: %s ms" % ["%+.0f" % (o * 1000) for o in offsets])
                check(bool(offsets) and all(-SOUND_BEHIND <= o <= SOUND_AHEAD for o in offsets),
                      "every click at most %.0f ms after and %.0f ms before its flash"
                      % (SOUND_BEHIND * 1000, SOUND_AHEAD * 1000))
                try:
                    nets = net_offsets([(o, e, n) for o, (_, n, e) in zip(offsets, firsts)],
                                       reference(os.path.join(args.folder, "flashes.txt")),
                                       [row[0] for row in reference(os.path.join(args.folder, "clicks.txt"))])
                except (OSError, ValueError, IndexError) as e:
                    print("no platform reference: %s" % e)
                    nets = []
                for o, (t, _, e), n in zip(offsets, firsts, nets):
                    print("flash at %.3f s: raw %+.0f ms, its frame %d ms after it, " % (t, o * 1000, e) +
                          ("platform lag %+.1f ms (%d ms blocks), net %+.1f ms" % (n[1] * 1000, n[0], n[2] * 1000)
                           if n else "no reference"))
                referenced = len(offsets)
                net = [n[2] if n else None for n in nets]
                if args.fault_step:
                    before = [n for n, f in zip(net, firsts) if f[0] < times["fault"]]
                    after = [n for n, f in zip(net, firsts) if f[0] >= times["fault"]]
                    mean_before = sum(before) / len(before) if before and None not in before else 0.0
                    check(bool(before) and bool(after) and None not in before + after and
                          all(abs(n - mean_before) <= period for n in after),
                          "the flashes after the fault keep the net offset before it (%+.1f ms): %s ms"
                          % (mean_before * 1000, ["%+.1f" % (n * 1000) if n is not None else "none" for n in after]))
                nets = net if None not in net else []
                mean = sum(nets) / len(nets) if nets else 0.0
                check(len(nets) == referenced and abs(mean) <= args.net_limit,
                      "the recorder's own offset, net of the platform, %+.1f ms (at most %.0f)"
                      % (mean * 1000, args.net_limit * 1000))
                spread = max(nets) - min(nets) if nets else 0.0
                check(spread <= 2 * period + 0.010, "net flash/click offsets spread over %.0f ms (at most %.0f)"
                      % (spread * 1000, (2 * period + 0.010) * 1000))
                if args.drift and offsets:
                    drift = offsets[-1] - offsets[0]
                    check(abs(drift) <= period, "flash/click drift %+.0f ms from the first click to the last "
                          "(at most one frame period)" % (drift * 1000))
    except RuntimeError as e:
        check(False, str(e))
    return check.exit_code()


if __name__ == "__main__":
    sys.exit(main())
