#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""--video's .mp4 and .webm of a recording play in Chromium: a page loads each
into a <video> and reads its duration, which is the run's frames / 70 seconds
to within one frame.

    video_browser.py FOMPY_TALDEN CHROMIUM RECORDING
"""
import pathlib
import re
import subprocess
import sys
import tempfile

PROGRAM, CHROMIUM, RECORDING = sys.argv[1:4]
FPS = 70
PAGE = """<!doctype html><html><body><pre id="out">waiting</pre><script>
function load(name) {
  return new Promise((resolve) => {
    const video = document.createElement('video');
    video.preload = 'metadata';
    video.onloadedmetadata = () => resolve(name + ' ' + video.duration);
    video.onerror = () => resolve(name + ' error ' + (video.error && video.error.code));
    video.src = name;
  });
}
Promise.all(['run.mp4', 'run.webm'].map(load)).then((lines) => {
  document.getElementById('out').textContent = lines.join(';');
});
</script></body></html>
"""

with tempfile.TemporaryDirectory() as tmp:
    tmp = pathlib.Path(tmp)
    log = subprocess.run([PROGRAM, "--headless", "--script", RECORDING, "--log", "-"],
                         capture_output=True, text=True, check=True).stdout
    end = int(log.splitlines()[-1].split()[0])
    for name in ("run.mp4", "run.webm"):
        subprocess.run([PROGRAM, "--video", str(tmp / name), RECORDING], check=True)
    (tmp / "page.html").write_text(PAGE)
    # The page's text once its videos have told their durations: virtual
    # time lets the page run its course before the DOM is written out.
    dom = subprocess.run([CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu",
                          "--allow-file-access-from-files", "--virtual-time-budget=20000",
                          "--dump-dom", (tmp / "page.html").as_uri()],
                         capture_output=True, text=True, timeout=120).stdout
    told = re.search(r'<pre id="out">([^<]*)</pre>', dom)
    lines = told.group(1).split(";") if told else []
    durations = dict(line.split(" ", 1) for line in lines if " " in line)
    failed = False
    for name in ("run.mp4", "run.webm"):
        told = durations.get(name, "not told")
        try:
            ok = abs(float(told) - end / FPS) <= 1 / FPS
        except ValueError:
            ok = False
        print(f"{name}: {told} s in Chromium, the run {end} frames, {end / FPS:.4f} s")
        failed = failed or not ok
    if failed:
        sys.exit("a video does not last the run's frames in Chromium")
print("both videos last the run in Chromium")
