#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""--video end to end: a recording rendered to a lossless .mkv is checked
with ffprobe and ffmpeg against the headless run of the same recording (its
log and its --dump pictures), and the bad cases leave no file behind.

    video.py FOMPY_TALDEN MAKE_SOUNDS RECORDING
"""
import os
import pathlib
import resource
import signal
import subprocess
import sys
import tempfile
import wave

PROGRAM, MAKE_SOUNDS, RECORDING = sys.argv[1:4]
RATE = 44100  # the sound track's samples a second
FPS = 70
WIDTH, HEIGHT = 640, 480
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL:", what)


def run(args, env=None):
    return subprocess.run(args, capture_output=True, env=env)


def ffmpeg_raw(args):
    """What ffmpeg writes to standard output for args."""
    done = run(["ffmpeg", "-v", "error", "-nostdin"] + args + ["-"])
    if done.returncode != 0:
        sys.exit("ffmpeg failed: " + done.stderr.decode(errors="replace"))
    return done.stdout


def one_line(stderr):
    lines = stderr.decode(errors="replace").splitlines()
    return len(lines) == 1 and lines[0].startswith("fompy-talden: ")


def only(folder, names):
    """The folder holds these names and nothing else (no temporary file)."""
    return sorted(os.listdir(folder)) == sorted(names)


with tempfile.TemporaryDirectory() as tmp:
    tmp = pathlib.Path(tmp)
    # The headless run of the recording: its log and every picture.
    done = run([PROGRAM, "--headless", "--script", RECORDING, "--log", str(tmp / "run.log"),
                "--dump", str(tmp / "dump")])
    assert done.returncode == 0, done.stderr
    log = [line.split() for line in (tmp / "run.log").read_text().splitlines()]
    end = int(log[-1][0])
    # Picture n of the dump is what the player sees from the start of the
    # frame it ends (a present, time less one) or from the frame it is
    # drawn in (straight into the screen).
    pictures = [int(l[0]) - 1 if l[1] == "present" else int(l[0])
                for l in log if l[1] in ("present", "primary")]
    calls = [(int(l[0]), l[2], l[3] if len(l) > 3 else None) for l in log if l[1] == "sound"]

    out = tmp / "videos"
    out.mkdir()
    mkv = out / "run.mkv"
    done = run([PROGRAM, "--video", str(mkv), RECORDING])
    check(done.returncode == 0, f"--video ends with status 0: {done.returncode} {done.stderr}")
    check(done.stderr == b"", f"nothing said when standard error is no terminal: {done.stderr}")
    check(only(out, ["run.mkv"]), f"the video alone, no temporary file: {os.listdir(out)}")

    # Rate, size and the number of frames: one for each frame of the run's time.
    probe = run(["ffprobe", "-v", "error", "-select_streams", "v:0", "-count_packets",
                 "-show_entries", "stream=codec_name,r_frame_rate,width,height,nb_read_packets",
                 "-of", "default=noprint_wrappers=1", str(mkv)]).stdout.decode()
    info = dict(line.split("=", 1) for line in probe.split())
    check(info.get("r_frame_rate") == "70/1", f"70 frames a second: {info}")
    check((info.get("width"), info.get("height")) == (str(WIDTH), str(HEIGHT)), f"640x480: {info}")
    frames = int(info.get("nb_read_packets", "0"))
    check(abs(frames - end) <= 1, f"{end} frames, the run's end time, give or take one: {frames}")

    # A dozen frames, pixel for pixel, against the dump's pictures scaled as
    # a screenshot is: column x shows picture column x / 2, row y the
    # picture row nearest its centre.
    chosen = sorted({0, 1, 2, 3, end // 2, end - 1} | {end * k // 7 + k for k in range(1, 7)})
    select = "+".join(f"eq(n\\,{k})" for k in chosen)
    decoded = ffmpeg_raw(["-i", str(mkv), "-vf", f"select='{select}'", "-vsync", "0",
                          "-f", "rawvideo", "-pix_fmt", "rgb24"])
    size = WIDTH * HEIGHT * 3
    check(len(decoded) == size * len(chosen), f"{len(chosen)} frames decoded")
    rows = [(2 * y + 1) * 200 // (2 * HEIGHT) for y in range(HEIGHT)]
    for i, k in enumerate(chosen):
        shown = max(n for n, frame in enumerate(pictures) if frame <= k)
        small = ffmpeg_raw(["-i", str(tmp / "dump" / f"{shown:06d}.png"),
                            "-f", "rawvideo", "-pix_fmt", "rgb24"])
        wide = [b"".join(small[(r * 320 + x) * 3:(r * 320 + x) * 3 + 3] * 2 for x in range(320))
                for r in range(200)]
        expected = b"".join(wide[r] for r in rows)
        got = decoded[i * size:(i + 1) * size]
        if got != expected:
            first = next(p for p in range(size) if got[p] != expected[p]) // 3
            check(False, f"frame {k} is picture {shown:06d}.png: first pixel off at "
                         f"({first % WIDTH}, {first // WIDTH})")

    # The sound: the cues as make-sounds writes them, each expected from the
    # sample of its frame's time (frame * 630).
    sounds = tmp / "sounds"
    sounds.mkdir()
    subprocess.run([MAKE_SOUNDS, str(tmp / "waves.cpp"), str(sounds)], check=True,
                   capture_output=True)
    waves = {}
    for number in ("106", "107", "111", "116", "117"):
        with wave.open(str(sounds / f"{number}.wav")) as w:
            data = w.readframes(w.getnframes())
            width, channels, rate = w.getsampwidth(), w.getnchannels(), w.getframerate()
        if width == 1:
            left = [(b - 128) * 256 for b in data[::channels]]
        else:
            left = [int.from_bytes(data[i:i + 2], "little", signed=True)
                    for i in range(0, len(data), 2 * channels)]
        # At the track's rate, each recorded sample as often as it lasts.
        waves[number] = [left[n * rate // RATE] for n in range(len(left) * RATE // rate)]
    pcm = ffmpeg_raw(["-i", str(mkv), "-vn", "-f", "s16le", "-ac", "2", "-ar", str(RATE)])
    track = [int.from_bytes(pcm[i:i + 2], "little", signed=True) for i in range(0, len(pcm), 4)]
    check(abs(len(track) - end * RATE // FPS) <= RATE // FPS,
          f"{end} frames of sound: {len(track)} samples")

    starts = [frame * RATE // FPS for frame, _, _ in calls]
    for i, (frame, what, number) in enumerate(calls):
        start = starts[i]
        following = starts[i + 1] if i + 1 < len(calls) else len(track)
        if what == "stop" or (what == "play" and start + len(waves[number]) < following):
            # Nothing plays from a stop, or from a cue's end, to the next call.
            quiet = start if what == "stop" else start + len(waves[number]) + 1
            loud = [n for n in range(quiet, following) if track[n] != 0]
            check(not loud, f"silence after the {what} at frame {frame}: "
                            f"sound at sample {loud[0] if loud else 0}")
        if what == "stop":
            continue
        # Where the cue's first 20 ms fit the track best: within 1 ms of the
        # frame's time.
        window = min(RATE // 50, following - start, len(waves[number]))
        reference = waves[number][:window]
        if window < RATE // 200 or not any(reference):
            continue

        def fit(lag):
            at = start + lag
            if at < 0 or at + window > len(track):
                return float("-inf")
            piece = track[at:at + window]
            return sum(a * b for a, b in zip(piece, reference)) / (
                (sum(a * a for a in piece) or 1) ** 0.5)

        best = max(range(-RATE // 100, RATE // 100 + 1, 4), key=fit)
        best = max(range(best - 4, best + 5), key=fit)
        check(abs(best) <= RATE // 1000, f"cue {number} at frame {frame} starts {best} samples "
                                         "from its frame's time")

    # On a terminal, one line that says how far it has come, to the end;
    # --scale and --no-aspect shape the frames as they shape a window.
    terminal, side = os.openpty()
    small = out / "small.mkv"
    done = subprocess.run([PROGRAM, "--video", str(small), RECORDING, "--frames", "140",
                           "--scale", "3", "--no-aspect"], stderr=side, stdout=subprocess.DEVNULL)
    os.close(side)
    told = b""
    try:
        while chunk := os.read(terminal, 4096):
            told += chunk
    except OSError:
        pass  # the terminal's other side is closed
    os.close(terminal)
    # (The terminal writes each line end as CR LF.)
    last = told.decode(errors="replace").replace("\r\n", "\n").rstrip("\n").split("\r")[-1]
    check(done.returncode == 0 and last.startswith("fompy-talden: video: ") and "100%" in last
          and told.count(b"\n") == 1, f"one line on a terminal, to 100%: {told}")
    shape = run(["ffprobe", "-v", "error", "-show_entries", "stream=width,height", "-of", "csv=p=0",
                 str(small)]).stdout.decode().split()
    check(shape[:1] == ["960,600"], f"--scale 3 --no-aspect: 960x600 frames: {shape}")

    # Bad cases: each says why in one line and leaves no file behind.
    bad = tmp / "bad"
    bad.mkdir()
    target = bad / "video.mkv"
    no_ffmpeg = dict(os.environ, PATH=str(bad))
    done = run([PROGRAM, "--video", str(target), str(bad / "no-such-recording.txt")], no_ffmpeg)
    check(done.returncode == 1 and one_line(done.stderr) and b"package ffmpeg" in done.stderr,
          f"no ffmpeg on the PATH, said before the recording is read: {done.returncode} "
          f"{done.stderr}")
    (bad / "garbage.txt").write_text("this is not a recording\n")
    done = run([PROGRAM, "--video", str(target), str(bad / "garbage.txt")])
    check(done.returncode == 2 and one_line(done.stderr) and b"garbage.txt" in done.stderr,
          f"a bad recording: status 2, the reader's line: {done.returncode} {done.stderr}")
    check(only(bad, ["garbage.txt"]), f"a bad recording leaves no file: {os.listdir(bad)}")
    # An encoder killed half-way through the frames; a video there before
    # stays as it was.
    target.write_bytes(b"the video made before")
    fake = bad / "encoder"
    fake.mkdir()
    (fake / "ffmpeg").write_text("#!/bin/sh\nhead -c 10000000 >/dev/null\nkill -9 $$\n")
    (fake / "ffmpeg").chmod(0o755)
    done = run([PROGRAM, "--video", str(target), RECORDING],
               dict(os.environ, PATH=f"{fake}:{os.environ['PATH']}"))
    check(done.returncode == 1 and one_line(done.stderr) and b"signal 9" in done.stderr,
          f"a killed encoder: status 1, one line: {done.returncode} {done.stderr}")
    check(target.read_bytes() == b"the video made before" and
          only(bad, ["garbage.txt", "encoder", "video.mkv"]),
          f"a killed encoder leaves no file: {os.listdir(bad)}")
    # A disk that fills up under the encoder (a limit on the size of the
    # files it writes, its signal ignored, so that a write fails as on a
    # full disk): the encoder's reason, and no file left.
    def small_disk():
        resource.setrlimit(resource.RLIMIT_FSIZE, (2 << 20, 2 << 20))
        signal.signal(signal.SIGXFSZ, signal.SIG_IGN)
    done = subprocess.run([PROGRAM, "--video", str(target), RECORDING], capture_output=True,
                          preexec_fn=small_disk, check=False)
    check(done.returncode == 1 and one_line(done.stderr) and b"ffmpeg" in done.stderr,
          f"a full disk: status 1, the encoder's reason in one line: {done.returncode} "
          f"{done.stderr}")
    check(target.read_bytes() == b"the video made before" and
          only(bad, ["garbage.txt", "encoder", "video.mkv"]),
          f"a full disk leaves no file: {os.listdir(bad)}")
    # ffmpeg refusing what it is asked: its own reason.
    done = run([PROGRAM, "--video", str(bad / "other.mkv"), RECORDING, "--frames", "10",
                "--video-args", "-c:v no-such-codec"])
    check(done.returncode == 1 and one_line(done.stderr) and b"no-such-codec" in done.stderr,
          f"ffmpeg's reason: {done.returncode} {done.stderr}")
    check(only(bad, ["garbage.txt", "encoder", "video.mkv"]),
          f"a failed encoder leaves no file: {os.listdir(bad)}")

if failures:
    sys.exit(f"{len(failures)} checks failed")
print("the video is the run, frame by frame and cue by cue")
