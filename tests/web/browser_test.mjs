// SPDX-License-Identifier: MIT
// browser_test.mjs -- the web build in a real browser: headless Chromium,
// driven through chromedriver's WebDriver protocol, plays the program from the
// intro through a game to "QUIT" with real key presses. The page records the
// keys it delivered; the native program replays them headless, and the two
// runs must agree: the same run log line for line, and the canvas showing,
// pixel for pixel, the very picture the headless run drew at each checkpoint.
// On the way: the start gesture, Alt+Enter's Enter, the pause, the volume,
// the game's frame rate and worst intervals over 20 s, and the screenshot
// download. Then a phone-sized page with touch emulation plays
// a game with the on-screen controls only, replayed and compared the same
// way; "Play again" starts a new run, a synthetic gamepad moves the menu's
// marker, and the page, kept by its service worker, starts with the server gone.
// The games kept: the game played by keys is in the page's table with the
// score the desktop's --verify finds in its recording, is watched to the same
// game-over picture under the REPLAY mark, and its saved recording is the one
// replayed headless; a recording made headless, chosen in the page, plays
// there to the desktop's log.
// Last, the page where the browser will not keep it (no room, storage refused)
// and under a new build published while it is open.
//
// usage: node browser_test.mjs --site DIR --native FOMPY_TALDEN [--out DIR]
//   --site    the static web folder (index.html, fompy-talden.js, .wasm)
//   --native  the desktop program, run with --headless for the replay; its
//             build's make-icons, beside it, checks the page's icons
//   --out     where screenshots, script and logs are kept (default: a temporary folder)
// Environment: CHROMIUM (default /usr/bin/chromium), CHROMEDRIVER (default
// /usr/bin/chromedriver). Needs nothing from the npm registry; the new build
// gets its sw.js from the source tree's writer, run by cmake.

import { spawn, spawnSync } from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import net from 'node:net';
import os from 'node:os';
import path from 'node:path';
import { fileURLToPath } from 'node:url';
import zlib from 'node:zlib';

const kWidth = 320;
const kHeight = 200;
const kStepTimeoutMs = 30000;
// The frame rate measured in the menu: never faster than 70 a second (with a
// little for the clock's grain), and not far slower even on a busy machine.
const kMaxFrameRate = 72;
const kMinFrameRate = 50;
// A game's pace, measured over this long: its frames at 70 a second within
// 2%, whatever the browser's timers do.
const kPaceSeconds = 20;
const kGameFrameRate = 70;
const kGameRateTolerance = 0.02;

// WebDriver's codes of the keys the game reads.
const Keys = {
  enter: '\uE007', escape: '\uE00C', space: '\uE00D',
  left: '\uE012', up: '\uE013', right: '\uE014', down: '\uE015',
  f12: '\uE03C', p: 'p', m: 'm', '[': '[', ']': ']',
};

// The overlays the page draws over the picture, as tests/golden keeps them.
const kGolden = path.join(path.dirname(fileURLToPath(import.meta.url)), '..', 'golden', 'paused');

class TestFailure extends Error {}

function fail(message) {
  throw new TestFailure(message);
}

function parseArguments(argv) {
  const options = { site: '', native: '', out: '' };
  for (let i = 0; i < argv.length; i += 2) {
    const name = argv[i].replace(/^--/, '');
    if (!(name in options) || i + 1 >= argv.length) {
      console.error(`usage: node browser_test.mjs --site DIR --native FOMPY_TALDEN [--out DIR]`);
      process.exit(2);
    }
    options[name] = argv[i + 1];
  }
  if (!options.site || !options.native) {
    console.error('browser_test: --site and --native are needed');
    process.exit(2);
  }
  return options;
}

function sleep(ms) {
  return new Promise((resolve) => setTimeout(resolve, ms));
}

// ---------------------------------------------------------------------------
// The static server: the web folder on a free port of localhost.

const kMimeTypes = {
  '.html': 'text/html; charset=utf-8',
  '.js': 'text/javascript; charset=utf-8',
  '.wasm': 'application/wasm',
  '.png': 'image/png',
  '.webmanifest': 'application/manifest+json',
};

// server.misses: the paths asked for that were not there.
function serveFolder(site) {
  const folder = path.resolve(site);
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, 'http://localhost').pathname);
    const file = path.join(folder, name === '/' ? 'index.html' : path.normalize(name));
    if (!file.startsWith(path.resolve(folder)) || !fs.existsSync(file)) {
      server.misses.push(name);
      response.writeHead(404).end('not found');
      return;
    }
    const type = kMimeTypes[path.extname(file)] || 'application/octet-stream';
    response.writeHead(200, { 'Content-Type': type, 'Cache-Control': 'no-store' });
    fs.createReadStream(file).pipe(response);
  });
  server.misses = [];
  return new Promise((resolve, reject) => {
    server.once('error', reject);
    server.listen(0, '127.0.0.1', () => resolve(server));
  });
}

function freePort() {
  return new Promise((resolve, reject) => {
    const probe = net.createServer();
    probe.once('error', reject);
    probe.listen(0, '127.0.0.1', () => {
      const { port } = probe.address();
      probe.close(() => resolve(port));
    });
  });
}

// ---------------------------------------------------------------------------
// WebDriver over HTTP, as chromedriver speaks it.

class WebDriver {
  constructor(base) {
    this.base = base;
    this.session = '';
  }

  async call(method, route, body) {
    const url = this.base + (this.session ? `/session/${this.session}` : '') + route;
    const response = await fetch(url, {
      method,
      headers: { 'Content-Type': 'application/json' },
      body: body === undefined ? undefined : JSON.stringify(body),
    });
    const reply = await response.json();
    if (!response.ok) {
      const value = reply.value || {};
      fail(`WebDriver ${method} ${route}: ${value.error || response.status}: ${value.message || ''}`);
    }
    return reply.value;
  }

  // prefs: the profile's preferences, as a player may have set them.
  async open(chromium, profile, prefs = {}) {
    const value = await this.call('POST', '/session', {
      capabilities: {
        alwaysMatch: {
          browserName: 'chrome',
          'goog:loggingPrefs': { browser: 'ALL' },
          'goog:chromeOptions': {
            prefs,
            binary: chromium,
            args: [
              '--headless', '--no-sandbox', '--disable-gpu', '--disable-dev-shm-usage',
              '--disable-quic', '--no-first-run', '--no-default-browser-check',
              '--disable-background-networking', '--disable-component-update',
              '--disable-sync', '--disable-extensions', '--window-size=1024,768',
              `--user-data-dir=${profile}`,
            ],
          },
        },
      },
    });
    this.session = value.sessionId;
  }

  async close() {
    if (!this.session) return;
    try {
      await this.call('DELETE', '');
    } finally {
      this.session = '';
    }
  }

  navigate(url) {
    return this.call('POST', '/url', { url });
  }

  // What the page's console was told since the last look, uncaught
  // exceptions and failed loads included: [{level, message}, ...].
  console() {
    return this.call('POST', '/se/log', { type: 'browser' });
  }

  // Runs a function body in the page; what it returns (or the promise it
  // returns settles to) comes back as JSON.
  run(body, ...args) {
    return this.call('POST', '/execute/sync', { script: body, args });
  }

  async screenshot(file) {
    const png = await this.call('GET', '/screenshot');
    fs.writeFileSync(file, Buffer.from(png, 'base64'));
  }

  // Real key events, as the browser's input pipeline delivers them.
  async keys(steps) {
    const actions = [];
    for (const [kind, key, pause] of steps) {
      if (kind === 'pause') {
        actions.push({ type: 'pause', duration: key });
        continue;
      }
      actions.push({ type: kind === 'down' ? 'keyDown' : 'keyUp', value: Keys[key] });
      if (pause) actions.push({ type: 'pause', duration: pause });
    }
    await this.call('POST', '/actions', { actions: [{ type: 'key', id: 'keyboard', actions }] });
  }

  // A tap: down, held for a few frames, up.
  tap(key) {
    return this.keys([['down', key, 60], ['up', key]]);
  }

  // A command of the Chrome DevTools Protocol, to the page.
  cdp(cmd, params = {}) {
    return this.call('POST', '/goog/cdp/execute', { cmd, params });
  }

  // Fingers on the touch screen: [{x, y, id}, ...] (ids by position when
  // not given): those down for touchStart and touchMove, those that come up
  // for touchEnd (none: all of them).
  touch(type, points) {
    return this.cdp('Input.dispatchTouchEvent', {
      type, touchPoints: points.map((p, id) => ({ x: p.x, y: p.y, id: p.id ?? id })),
    });
  }

  async touchTap(point) {
    await this.touch('touchStart', [point]);
    await sleep(60);
    await this.touch('touchEnd', []);
  }
}

async function startChromedriver(binary) {
  const port = await freePort();
  const child = spawn(binary, [`--port=${port}`, '--allowed-ips=127.0.0.1'], {
    stdio: ['ignore', 'ignore', 'pipe'],
  });
  let errors = '';
  child.stderr.on('data', (chunk) => { errors += chunk; });
  const exited = new Promise((resolve) => child.once('exit', resolve));
  child.once('error', (error) => { errors += String(error); });
  const base = `http://127.0.0.1:${port}`;
  const deadline = Date.now() + 20000;
  while (Date.now() < deadline) {
    if (child.exitCode !== null) break;
    try {
      const reply = await (await fetch(`${base}/status`)).json();
      if (reply.value && reply.value.ready) return { child, base, exited };
    } catch {
      // not listening yet
    }
    await sleep(100);
  }
  child.kill();
  fail(`chromedriver (${binary}) did not start: ${errors.trim() || 'no answer on its port'}`);
}

// ---------------------------------------------------------------------------
// The page's state, as web_page.js keeps it in window.fompyPage.

const kStateScript = `
  const page = window.fompyPage;
  if (!page) return null;
  return {
    pictures: page.pictures, presents: page.presents, waiting: page.waiting,
    ended: page.ended, log: page.log, script: page.script,
    audio: page.audio ? page.audio.state : 'none', decoded: page.decoded,
    soundErrors: page.soundErrors, voiceResource: page.voiceResource,
    voiceLoops: page.voice ? page.voice.loop : false,
    runs: page.runs, paused: page.paused, heard: page.heard.slice(),
    gain: page.gain ? page.gain.gain.value : -1, shots: page.shots, lastShot: page.lastShot,
    prompt: !document.getElementById('start').hidden,
    best: page.best, looks: page.looks, saved: page.saved || '',
    playback: page.playback && { speed: page.playback.speed, stopped: page.playback.stopped },
    mark: !document.getElementById('mark').hidden,
    keptNote: document.getElementById('kept-note').hidden ? ''
        : document.getElementById('kept-note').textContent,
    again: !document.getElementById('again').hidden,
    dimmed: !document.getElementById('paused').hidden,
    note: !document.getElementById('note').hidden,
    touch: !document.getElementById('pad').hidden && !document.getElementById('actions').hidden,
    failed: document.getElementById('failed').hidden ? '' : document.getElementById('failed').textContent,
  };`;

async function waitFor(driver, what, test) {
  const deadline = Date.now() + kStepTimeoutMs;
  let state = null;
  while (Date.now() < deadline) {
    state = await driver.run(kStateScript);
    if (state && state.failed) fail(`the page reports: ${state.failed}`);
    if (state && test(state)) return state;
    await sleep(50);
  }
  fail(`timed out waiting for ${what}; the page's state: ` +
       JSON.stringify(state && { ...state, log: state.log.slice(-300), script: state.script }));
}

function countOf(text, line) {
  return text.split('\n').filter((l) => l.endsWith(line)).length;
}

// The canvas's pixels and the number of the picture they show, read in one
// go: the program runs between the page's tasks, never during this one.
const kCaptureScript = `
  const page = window.fompyPage;
  const canvas = document.getElementById('screen');
  const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
  let text = '';
  for (let i = 0; i < data.length; i += 0x8000) {
    text += String.fromCharCode.apply(null, data.subarray(i, i + 0x8000));
  }
  const box = canvas.getBoundingClientRect();
  return { width: canvas.width, height: canvas.height, pictures: page.pictures, rgba: btoa(text),
           box: { left: box.left, top: box.top, width: box.width, height: box.height } };`;

async function capture(driver, name, out) {
  const shot = await driver.run(kCaptureScript);
  if (shot.width !== kWidth || shot.height !== kHeight) {
    fail(`${name}: the canvas is ${shot.width}x${shot.height}, not ${kWidth}x${kHeight}`);
  }
  await driver.screenshot(path.join(out, `${name}.png`));
  return { name, picture: shot.pictures - 1, rgba: Buffer.from(shot.rgba, 'base64'), box: shot.box };
}

// ---------------------------------------------------------------------------
// PNG files: the headless run's pictures (8-bit indexed) and the browser's
// screenshots (8-bit RGB or RGBA), read into RGBA.

function readPng(file) {
  const bytes = fs.readFileSync(file);
  let offset = 8;
  let width = 0, height = 0, colourType = 0, palette = null;
  const data = [];
  while (offset < bytes.length) {
    const length = bytes.readUInt32BE(offset);
    const type = bytes.toString('latin1', offset + 4, offset + 8);
    const body = bytes.subarray(offset + 8, offset + 8 + length);
    if (type === 'IHDR') {
      width = body.readUInt32BE(0);
      height = body.readUInt32BE(4);
      colourType = body[9];
      if (body[8] !== 8 || ![2, 3, 6].includes(colourType) || body[12] !== 0) {
        fail(`${file}: not an 8-bit indexed, RGB or RGBA PNG`);
      }
    } else if (type === 'PLTE') {
      palette = body;
    } else if (type === 'IDAT') {
      data.push(body);
    }
    offset += 12 + length;
  }
  if (colourType === 3 && !palette) fail(`${file}: no palette`);
  const channels = { 2: 3, 3: 1, 6: 4 }[colourType];
  const stride = width * channels;
  const raw = zlib.inflateSync(Buffer.concat(data));
  const samples = Buffer.alloc(stride * height);
  for (let y = 0; y < height; ++y) {
    const filter = raw[y * (stride + 1)];
    const row = raw.subarray(y * (stride + 1) + 1, (y + 1) * (stride + 1));
    for (let i = 0; i < stride; ++i) {
      const a = i >= channels ? samples[y * stride + i - channels] : 0;
      const b = y > 0 ? samples[(y - 1) * stride + i] : 0;
      const c = i >= channels && y > 0 ? samples[(y - 1) * stride + i - channels] : 0;
      let predictor = 0;
      if (filter === 1) predictor = a;
      else if (filter === 2) predictor = b;
      else if (filter === 3) predictor = (a + b) >> 1;
      else if (filter === 4) {
        const p = a + b - c;
        const pa = Math.abs(p - a), pb = Math.abs(p - b), pc = Math.abs(p - c);
        predictor = pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
      }
      samples[y * stride + i] = (row[i] + predictor) & 0xff;
    }
  }
  const rgba = Buffer.alloc(width * height * 4, 255);
  for (let i = 0; i < width * height; ++i) {
    if (colourType === 3) {
      palette.copy(rgba, i * 4, samples[i] * 3, samples[i] * 3 + 3);
    } else {
      samples.copy(rgba, i * 4, i * channels, i * channels + 3);
    }
  }
  return { width, height, rgba };
}

// The screenshot must show every pixel of the canvas in its exact colour at
// the centre of the block it was scaled to: sharp pixels, no smoothing.
function compareScreenshot(checkpoint, out) {
  const shot = readPng(path.join(out, `${checkpoint.name}.png`));
  const { left, top, width, height } = checkpoint.box;
  let differing = 0;
  let first = '';
  for (let y = 0; y < kHeight; ++y) {
    const sy = Math.floor(top + ((y + 0.5) * height) / kHeight);
    for (let x = 0; x < kWidth; ++x) {
      const sx = Math.floor(left + ((x + 0.5) * width) / kWidth);
      const got = shot.rgba.subarray((sy * shot.width + sx) * 4, (sy * shot.width + sx) * 4 + 3);
      const want = checkpoint.rgba.subarray((y * kWidth + x) * 4, (y * kWidth + x) * 4 + 3);
      if (got.equals(want)) continue;
      if (!first) first = `first at (${x}, ${y}): screen ${[...got]}, canvas ${[...want]}`;
      ++differing;
    }
  }
  if (differing > 0) {
    fail(`${checkpoint.name}: the page shows ${differing} of the canvas's pixels wrongly ` +
         `(scaled to ${width}x${height}); ${first}`);
  }
  console.log(`browser_test: ${checkpoint.name}: the page shows every pixel sharp, ` +
              `scaled to ${width.toFixed(0)}x${height.toFixed(0)}`);
}

function comparePictures(checkpoint, dumpDir) {
  const file = path.join(dumpDir, `${String(checkpoint.picture).padStart(6, '0')}.png`);
  if (!fs.existsSync(file)) {
    fail(`${checkpoint.name}: the headless run drew no picture ${checkpoint.picture}`);
  }
  const expected = readPng(file);
  let differing = 0;
  let first = '';
  for (let i = 0; i < kWidth * kHeight; ++i) {
    const got = checkpoint.rgba.subarray(i * 4, i * 4 + 4);
    const want = expected.rgba.subarray(i * 4, i * 4 + 4);
    if (got.equals(want)) continue;
    if (!first) {
      first = `first at (${i % kWidth}, ${Math.floor(i / kWidth)}): canvas ${[...got]}, ` +
              `headless ${[...want]}`;
    }
    ++differing;
  }
  if (differing > 0) {
    fail(`${checkpoint.name}: the canvas differs from headless picture ${checkpoint.picture} ` +
         `in ${differing} pixels; ${first}`);
  }
  console.log(`browser_test: ${checkpoint.name}: the canvas shows headless picture ` +
              `${checkpoint.picture}, all ${kWidth * kHeight} pixels alike`);
}

function compareLogs(browserLog, headlessLog) {
  const got = browserLog.split('\n');
  const want = headlessLog.split('\n');
  for (let i = 0; i < Math.max(got.length, want.length); ++i) {
    if (got[i] !== want[i]) {
      fail(`the run logs part at line ${i + 1}: browser '${got[i] ?? '(end)'}', ` +
           `headless '${want[i] ?? '(end)'}'`);
    }
  }
}


// ---------------------------------------------------------------------------
// The page's own keys, around the game.

// Alt+Enter, Alt let go first, Enter held until it repeats: the intro, which
// waits for Enter, must go on waiting; the repeats are not a fresh press.
async function checkAltEnter(driver) {
  const key = (type, fields) => driver.cdp('Input.dispatchKeyEvent', { type, ...fields });
  const enter = { key: 'Enter', code: 'Enter', windowsVirtualKeyCode: 13 };
  await key('rawKeyDown', { key: 'Alt', code: 'AltLeft', windowsVirtualKeyCode: 18, modifiers: 1 });
  await key('rawKeyDown', { ...enter, modifiers: 1 });
  await key('keyUp', { key: 'Alt', code: 'AltLeft', windowsVirtualKeyCode: 18 });
  for (let i = 0; i < 4; ++i) {
    await sleep(40);
    await key('rawKeyDown', { ...enter, autoRepeat: true });
  }
  await key('keyUp', enter);
  await sleep(300);
  await driver.run('if (document.fullscreenElement) document.exitFullscreen();');
  const state = await waitFor(driver, 'the intro after Alt+Enter', (s) => s.waiting);
  if (state.log.includes(' sound loop 117\n') || /\benter\b/.test(state.script)) {
    fail("Alt+Enter's held Enter reached the game: the intro was left");
  }
  console.log("browser_test: Alt+Enter's Enter stays the page's through its auto-repeat");
}

// An overlay canvas (320x200, over the picture) against its golden picture,
// pixel for pixel: the golden's white is white, its black black, and every
// other pixel is what the page puts there (outside: transparent, or the
// pause's half-dark).
async function checkOverlay(driver, canvas, golden, outside) {
  const expected = readPng(path.join(kGolden, `${golden}.png`));
  const pixels = await driver.run(`
    return Array.from(document.getElementById('${canvas}').getContext('2d')
                          .getImageData(0, 0, 320, 200).data);`);
  for (let i = 0; i < kWidth * kHeight; ++i) {
    const [r, g, b] = expected.rgba.subarray(i * 4, i * 4 + 3);
    const want = r === 255 && g === 255 && b === 255 ? [255, 255, 255, 255]
        : r === 0 && g === 0 && b === 0 ? [0, 0, 0, 255] : outside;
    const got = pixels.slice(i * 4, i * 4 + 4);
    if (got.some((v, k) => Math.abs(v - want[k]) > (k === 3 && want === outside ? 8 : 0))) {
      fail(`${canvas} pixel ${i % kWidth},${Math.floor(i / kWidth)} is ${got}, ` +
           `not ${want} as in ${golden}.png`);
    }
  }
}

const kHalfDark = [0, 0, 0, 128];
const kClear = [0, 0, 0, 0];

// M mutes and unmutes, [ and ] step the volume by 10; the volume shows over
// the top of the picture for a moment in the game's small font, as the
// desktop draws it.
async function checkVolume(driver) {
  const steps = [['[', 0.9], ['m', 0], ['m', 0.9], [']', 1]];
  for (const [key, gain] of steps) {
    await driver.tap(key);
    const state = await waitFor(driver, `the volume after ${key}`, () => true);
    if (Math.abs(state.gain - gain) > 1e-6) fail(`after ${key} the volume is ${state.gain}, not ${gain}`);
    if (key === '[') await checkOverlay(driver, 'note', 'note-volume-90', kClear);
    if (key === 'm' && gain === 0) await checkOverlay(driver, 'note', 'note-sound-off', kClear);
  }
  await waitFor(driver, 'the volume note to go', (s) => !s.note);
  console.log('browser_test: M mutes and unmutes, [ and ] step the volume, shown as on the desktop');
}

const kPresentsScript = `
  const canvas = document.getElementById('screen');
  const data = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height).data;
  let sum = 0;
  for (let i = 0; i < data.length; ++i) sum = (sum * 31 + data[i]) | 0;
  return [window.fompyPage.presents, sum];`;

// A paused stretch: nothing presented, the sound suspended, the picture
// dimmed by the page; the canvas as it was. Left, held when the pause began
// and let go during it, is let go for the game.
async function checkPause(driver, out) {
  await driver.keys([['down', 'left', 60], ['down', 'p', 30], ['up', 'p', 100], ['up', 'left']]);
  let state = await waitFor(driver, 'the pause', (s) => s.paused && s.dimmed);
  await driver.screenshot(path.join(out, 'paused.png'));
  // PAUSED and "PRESS P" in the game's small font over the picture at half
  // its brightness, as the desktop draws them.
  await checkOverlay(driver, 'paused-word', 'press-p', kHalfDark);
  // The game's keys wait for P; a volume note waits behind the pause.
  await driver.tap('space');
  await driver.tap('[');
  await sleep(200);
  if (!(await driver.run(kStateScript)).paused) fail('a game key ended a pause by P');
  if ((await driver.run(kStateScript)).note) fail('a volume note shows over the pause');
  await driver.tap(']');
  const [presents0, picture0] = await driver.run(kPresentsScript);
  await sleep(600);
  const [presents1, picture1] = await driver.run(kPresentsScript);
  state = await driver.run(kStateScript);
  if (presents1 !== presents0) fail(`${presents1 - presents0} frames were presented while paused`);
  if (picture1 !== picture0) fail('the canvas changed while paused');
  if (state.audio !== 'suspended') fail(`the sound is '${state.audio}' while paused`);
  await driver.tap('p');
  await waitFor(driver, 'the game to go on', (s) => !s.paused && !s.dimmed && s.presents > presents1);

  // The page losing the focus pauses; the focus coming back does not resume,
  // any of the game's keys does, and reaches nothing.
  await driver.run(`window.dispatchEvent(new Event('blur'));`);
  await waitFor(driver, 'the pause on losing the focus', (s) => s.paused && s.dimmed);
  await driver.run(`window.dispatchEvent(new Event('focus'));`);
  await sleep(200);
  if (!(await driver.run(kStateScript)).paused) fail('the focus coming back resumed the game');
  await checkOverlay(driver, 'paused-word', 'press-any-key', kHalfDark);
  const spaces = countOf((await driver.run(kStateScript)).script, ' space down');
  await driver.tap('space');
  state = await waitFor(driver, 'the game to go on', (s) => !s.paused);
  await sleep(200);
  state = await driver.run(kStateScript);
  if (countOf(state.script, ' space down') !== spaces) fail('the Space that ended a pause reached the game');
  const downs = countOf(state.script, ' left down');
  if (downs === 0 || downs !== countOf(state.script, ' left up')) {
    fail(`Left held at the pause was not let go for the game: ${downs} downs, ` +
         `${countOf(state.script, ' left up')} ups`);
  }
  console.log('browser_test: paused by P and by the focus: no frame, no sound, the picture dimmed, ' +
              'the hints as on the desktop');
}

// The game's frames over kPaceSeconds of a game, stamped by the page with
// performance.now() as each is presented: their rate and the 99th
// percentile of the intervals between them. The slots of the game's clock
// keep the rate; a late timer only moves the frame it wakes.
async function measureGamePace(driver) {
  await driver.run('window.fompyPage.frameTimes = [];');
  await sleep(kPaceSeconds * 1000);
  const times = await driver.run(`
    const page = window.fompyPage;
    const times = page.frameTimes;
    page.frameTimes = null;
    return times;`);
  const state = await driver.run(kStateScript);
  if (state.paused || state.log.includes(' sound play 111\n')) {
    fail('the game paused or ended while its pace was measured');
  }
  if (times.length < 2) fail(`${times.length} frames were presented in ${kPaceSeconds} s of a game`);
  const span = times.at(-1) - times[0];
  const rate = ((times.length - 1) * 1000) / span;
  const intervals = times.slice(1).map((time, i) => time - times[i]).sort((a, b) => a - b);
  const p99 = intervals[Math.ceil(intervals.length * 0.99) - 1];
  console.log(`browser_test: a game ran at ${rate.toFixed(2)} frames a second over ` +
              `${(span / 1000).toFixed(1)} s (${times.length} frames), frame interval p99 ` +
              `${p99.toFixed(2)} ms, worst ${intervals.at(-1).toFixed(2)} ms`);
  if (Math.abs(rate - kGameFrameRate) > kGameFrameRate * kGameRateTolerance) {
    fail(`a game ran at ${rate.toFixed(2)} frames a second, more than ` +
         `${kGameRateTolerance * 100}% off ${kGameFrameRate}`);
  }
}

// F12: the picture as a 640x480 PNG download, nearest-neighbour.
async function checkScreenshot(driver, checkpoint, downloads) {
  await driver.tap('f12');
  const state = await waitFor(driver, 'the screenshot', (s) => s.shots === 1);
  if (!/^fompy-talden-\d{8}-\d{6}\.png$/.test(state.lastShot)) {
    fail(`the screenshot is named '${state.lastShot}'`);
  }
  const file = path.join(downloads, state.lastShot);
  const deadline = Date.now() + kStepTimeoutMs;
  while (!fs.existsSync(file) && Date.now() < deadline) await sleep(100);
  if (!fs.existsSync(file)) fail(`the screenshot ${state.lastShot} was not downloaded`);
  await sleep(200);
  const shot = readPng(file);
  if (shot.width !== 640 || shot.height !== 480) fail(`the screenshot is ${shot.width}x${shot.height}`);
  let differing = 0;
  for (let y = 0; y < 480; ++y) {
    const sy = Math.floor(((2 * y + 1) * kHeight) / 960);
    for (let x = 0; x < 640; ++x) {
      const sx = Math.floor(((2 * x + 1) * kWidth) / 1280);
      const got = shot.rgba.subarray((y * 640 + x) * 4, (y * 640 + x) * 4 + 3);
      const want = checkpoint.rgba.subarray((sy * kWidth + sx) * 4, (sy * kWidth + sx) * 4 + 3);
      if (!got.equals(want)) ++differing;
    }
  }
  if (differing > 0) fail(`the screenshot differs from the canvas in ${differing} pixels`);
  console.log(`browser_test: F12 downloads ${state.lastShot}, the picture at 640x480`);
}

// ---------------------------------------------------------------------------
// The run.

async function playInBrowser(driver, url, out, downloads) {
  const checkpoints = [];
  await driver.navigate(url);

  // Nothing of the game runs before the start gesture; the gesture itself
  // (Enter, which would leave the intro) is not the game's.
  let state = await waitFor(driver, 'the start prompt', (s) => s.prompt);
  await sleep(300);
  state = await waitFor(driver, 'the start prompt', (s) => s.prompt);
  if (state.pictures > 0 || state.log) fail('the program ran before the start gesture');
  await driver.screenshot(path.join(out, 'prompt.png'));
  await driver.tap('enter');

  // The intro draws its mosaic and title, then waits for Enter.
  state = await waitFor(driver, 'the intro to wait for Enter', (s) => s.waiting && s.pictures >= 2);
  const layout = await driver.run(`
    const canvas = document.getElementById('screen');
    const box = canvas.getBoundingClientRect();
    return { width: box.width, height: box.height, rendering: getComputedStyle(canvas).imageRendering,
             scrollable: document.documentElement.scrollHeight > window.innerHeight };`);
  if (Math.abs(layout.width * 3 - layout.height * 4) > 4) {
    fail(`the canvas is shown ${layout.width}x${layout.height}, not in the shape 4:3`);
  }
  if (layout.width < 2 * kWidth) fail(`the canvas is shown only ${layout.width} pixels wide`);
  if (layout.rendering !== 'pixelated') fail(`the canvas is scaled '${layout.rendering}', not pixelated`);
  if (state.touch) fail('the touch controls show without a touch screen');
  // The intro's jingle is heard: its cue started on running sound.
  const jingle = /^\S+ sound play (\d+)$/m.exec(state.log);
  if (!jingle) fail('the intro played no cue');
  if (state.audio !== 'running' || state.heard[0] !== Number(jingle[1])) {
    fail(`the intro's jingle ${jingle[1]} was not heard: audio ${state.audio}, ` +
         `started ${JSON.stringify(state.heard)}`);
  }
  await checkAltEnter(driver);
  checkpoints.push(await capture(driver, 'intro', out));
  compareScreenshot(checkpoints.at(-1), out);

  // Whether the page kept the keys from scrolling it, seen after its own listener.
  await driver.run(`
    window.keysSeen = [];
    window.addEventListener('keydown', (e) => window.keysSeen.push([e.key, e.defaultPrevented]));`);

  // Enter: the menu, with its tune once the key press has allowed sound.
  await driver.tap('enter');
  state = await waitFor(driver, 'the menu', (s) => s.log.includes(' sound loop 117\n') &&
                            s.presents >= 60);
  state = await waitFor(driver, 'the five recordings to be decoded',
                        (s) => s.decoded + s.soundErrors.length === 5);
  if (state.soundErrors.length > 0) fail(`recordings not decoded: ${state.soundErrors.join('; ')}`);
  if (state.audio !== 'running') fail(`the page's audio is '${state.audio}' after a key press`);
  if (state.voiceResource !== 117 || !state.voiceLoops) {
    fail(`the menu tune is not looping: the voice plays ${state.voiceResource}`);
  }
  checkpoints.push(await capture(driver, 'menu', out));
  await checkVolume(driver);

  // The menu's frames come at the game's pace, 70 a second, on the page's clock.
  const kRateScript = 'return [window.fompyPage.presents, performance.now()];';
  const [presents0, time0] = await driver.run(kRateScript);
  await sleep(2000);
  const [presents1, time1] = await driver.run(kRateScript);
  const rate = ((presents1 - presents0) * 1000) / (time1 - time0);
  console.log(`browser_test: the menu ran at ${rate.toFixed(1)} frames a second`);
  if (rate > kMaxFrameRate || rate < kMinFrameRate) {
    fail(`the menu ran at ${rate.toFixed(1)} frames a second, not about 70`);
  }

  // "GAME A": a few moves, then Down held until the well is full.
  await driver.tap('enter');
  await waitFor(driver, 'the game to start', (s) => s.log.includes(' sound play 107\n'));
  await driver.keys([['down', 'left', 40], ['up', 'left', 40], ['down', 'up', 40], ['up', 'up', 40],
                     ['down', 'right', 40], ['up', 'right', 40], ['down', 'right', 40],
                     ['up', 'right', 40], ['down', 'space', 40], ['up', 'space']]);
  await checkPause(driver, out);
  await measureGamePace(driver);
  await sleep(300);
  checkpoints.push(await capture(driver, 'game', out));
  await driver.keys([['down', 'down']]);
  await waitFor(driver, 'the game to end', (s) => s.log.includes(' sound play 111\n') && s.waiting);
  checkpoints.push(await capture(driver, 'game-over', out));
  compareScreenshot(checkpoints.at(-1), out);
  await checkScreenshot(driver, checkpoints.at(-1), downloads);
  await driver.keys([['up', 'down', 60], ['down', 'escape', 60], ['up', 'escape']]);

  // Back in the menu: Up wraps the marker round to "QUIT".
  await waitFor(driver, 'the menu again', (s) => countOf(s.log, ' sound loop 117') === 2);
  await driver.tap('up');
  await sleep(200);
  await driver.tap('enter');
  state = await waitFor(driver, 'the program to end', (s) => s.ended && s.again);
  await driver.screenshot(path.join(out, 'ended.png'));
  // The Enter that chose "QUIT", held until it repeats, leaves "Play again" be.
  const enter = { key: 'Enter', code: 'Enter', windowsVirtualKeyCode: 13, text: '\r' };
  await driver.cdp('Input.dispatchKeyEvent', { type: 'keyDown', ...enter, autoRepeat: true });
  await driver.cdp('Input.dispatchKeyEvent', { type: 'keyUp', ...enter });
  await sleep(300);
  if ((await driver.run(kStateScript)).runs !== 1) fail('a held Enter pressed "Play again"');

  const seen = await driver.run('return window.keysSeen;');
  const scrolling = seen.filter(([, prevented]) => !prevented);
  if (seen.length === 0) fail('the page saw no key-downs');
  if (scrolling.length > 0) fail(`keys left to the browser: ${JSON.stringify(scrolling)}`);
  return { checkpoints, log: state.log, script: state.script };
}


// ---------------------------------------------------------------------------
// The kept games.

// The game just played is in the table with what --verify finds in its
// recording; the recording saved is the one the page kept (replayed headless
// by compareRun); the game watched ends on the live game's game-over picture,
// the REPLAY mark over it as the desktop draws it, Right speeding it up.
async function checkKeptGame(driver, played, native, downloads) {
  let state = await waitFor(driver, 'the table after the game', (s) => s.looks > 0);
  if (state.best.length !== 1) fail(`the table holds ${JSON.stringify(state.best)}, not the one game`);
  const file = path.join(downloads, 'played.txt');
  fs.writeFileSync(file, played.script);
  const verify = spawnSync(native, ['--verify', file], { encoding: 'utf8' });
  const game = /^game 1: GAME (A|B) from level (\d+), score (\d+),/.exec(verify.stdout);
  if (verify.status !== 0 || !game) fail(`--verify of the page's recording: ${verify.stdout}${verify.stderr}`);
  const [entry] = state.best;
  if (entry.variant !== game[1] || entry.level !== Number(game[2]) || entry.score !== Number(game[3])) {
    fail(`the table holds ${JSON.stringify(entry)}; --verify says ${game[0]}`);
  }
  const row = await driver.run("return document.querySelector('#best tbody tr').innerText;");
  if (!row.includes(`1.\t${game[3]}\tGAME ${game[1]} from level ${game[2]}`)) fail(`the table's row reads '${row}'`);

  await driver.run("document.getElementById('save').click();");
  state = await waitFor(driver, 'the saved recording', (s) => s.saved);
  const saved = path.join(downloads, state.saved);
  const deadline = Date.now() + kStepTimeoutMs;
  while (!(fs.existsSync(saved) && fs.readFileSync(saved, 'utf8') === played.script)) {
    if (Date.now() > deadline) fail(`${state.saved} was not saved as the page's recording`);
    await sleep(100);
  }
  if (!/^fompy-talden-\d{8}-\d{6}\.txt$/.test(state.saved) ||
      !played.script.startsWith('# fompy-talden recording 1\n')) {
    fail(`the recording saved is ${state.saved}, starting '${played.script.slice(0, 30)}'`);
  }
  played.saved = { file: saved };

  await driver.run("document.querySelector('#best button[data-rank=\"1\"]').click();");
  await waitFor(driver, 'the watched game', (s) => s.mark && s.pictures > 0 && !s.again);
  await checkOverlay(driver, 'mark', 'mark-replay', kClear);
  for (let i = 0; i < 3; ++i) await driver.tap('right');
  state = await waitFor(driver, 'the watch to end', (s) => s.ended && s.again);
  if (state.playback.speed !== 5 || state.mark) fail(`the watch ended at speed ${state.playback.speed}`);
  const shot = await driver.run(kCaptureScript);
  const want = played.checkpoints.find((c) => c.name === 'game-over');
  if (!Buffer.from(shot.rgba, 'base64').equals(want.rgba)) {
    fail('the watched game did not end on the game-over picture of the game played');
  }
  if (state.log.split('\n').some((line) => /replay/i.test(line))) fail('the mark is in the run log');
  // A damaged recording dropped onto the page is said under the table, and
  // nothing plays or changes.
  await driver.run(`
    const files = new DataTransfer();
    files.items.add(new File(['# fompy-talden recording 1\\n12 left sideways\\n'], 'bad.txt'));
    window.dispatchEvent(new DragEvent('drop', { dataTransfer: files, cancelable: true }));`);
  const said = await waitFor(driver, 'the damaged recording to be said', (s) => s.keptNote);
  if (!said.keptNote.startsWith('bad.txt:2: ') || said.runs !== state.runs || said.best.length !== 1) {
    fail(`a damaged recording dropped: '${said.keptNote}', ${said.runs} runs`);
  }
  console.log(`browser_test: the game played is in the table (score ${game[3]}, as --verify says), ` +
              'is saved and is watched under REPLAY to its game-over picture');
}

// A recording made for the headless program, chosen in the page, plays
// there (at x8) to the log the desktop program gives of it.
async function playHeadlessRecording(driver, url, native, out) {
  const recording = path.resolve('bench/sessions/short.txt');
  await driver.navigate(url);
  await waitFor(driver, 'the start prompt', (s) => s.prompt);
  const chooser = await driver.call('POST', '/element', { using: 'css selector', value: '#recording-file' });
  await driver.call('POST', `/element/${Object.values(chooser)[0]}/value`, { text: recording });
  // (In the menu, where every frame is presented, past the intro's wait.)
  await waitFor(driver, 'the recording to play', (s) => s.mark && s.presents > 10);
  // Space pauses the show; Down shows one more frame and it stands again.
  await driver.tap('space');
  const paused = await waitFor(driver, 'the show to pause', (s) => s.paused);
  await driver.tap('down');
  await sleep(300);
  const stepped = await driver.run(kStateScript);
  if (!stepped.paused || stepped.presents !== paused.presents + 1) {
    fail(`Down in a paused show: ${stepped.presents - paused.presents} frames, paused ${stepped.paused}`);
  }
  await driver.tap('space');
  await waitFor(driver, 'the show to go on', (s) => !s.paused);
  for (let i = 0; i < 3; ++i) await driver.tap('right');
  const lastTime = (log) => Number(/(\d+) \S+[^\n]*\n$/.exec(log)[1]);
  const from = { time: Date.now(), frame: lastTime((await driver.run(kStateScript)).log) };
  const state = await waitFor(driver, 'the recording to end', (s) => s.ended && s.again);
  const frames = lastTime(state.log) - from.frame;
  const seconds = (Date.now() - from.time) / 1000;
  console.log(`browser_test: at x8 the page played ${frames} frames of ${path.basename(recording)} ` +
              `in ${seconds.toFixed(2)} s, x${(frames / 70 / seconds).toFixed(1)}`);
  const headless = replayHeadless(native, { file: recording }, out, 'headless-made');
  compareLogs(state.log, headless.log);
  if (state.best.length !== 1) fail('a recording played in the page was kept as a run of its own');
  console.log('browser_test: a recording made headless plays in the page to the desktop\'s log');
}

// ---------------------------------------------------------------------------
// A phone: touch emulation, a phone-sized page upright and lying.

const kPortrait = { width: 390, height: 844, angle: 0, type: 'portraitPrimary' };
const kLandscape = { width: 844, height: 390, angle: 90, type: 'landscapePrimary' };

async function emulatePhone(driver, screen) {
  await driver.cdp('Emulation.setDeviceMetricsOverride', {
    width: screen.width, height: screen.height, deviceScaleFactor: 1, mobile: true,
    screenOrientation: { type: screen.type, angle: screen.angle },
  });
}

// Where the canvas and each touch control are, by key number.
const kControlsScript = `
  const rect = (element) => {
    const r = element.getBoundingClientRect();
    return { left: r.left, top: r.top, right: r.right, bottom: r.bottom,
             x: (r.left + r.right) / 2, y: (r.top + r.bottom) / 2 };
  };
  const controls = {};
  for (const button of document.querySelectorAll('#pad button, #actions button')) {
    controls[button.dataset.key ?? button.id] = {
      ...rect(button), name: button.getAttribute('aria-label') || button.textContent.trim(),
      held: button.classList.contains('held') };
  }
  const root = document.documentElement;
  return { canvas: rect(document.getElementById('screen')), controls,
           viewport: { width: window.innerWidth, height: window.innerHeight },
           scrolls: root.scrollHeight > window.innerHeight || root.scrollWidth > window.innerWidth };`;

// The controls show beside or below the picture, never over it, thumb-sized
// and named, and the page fits the screen without scrolling.
async function checkTouchLayout(driver, screen) {
  const layout = await driver.run(kControlsScript);
  const what = `${screen.width}x${screen.height}`;
  const names = Object.keys(layout.controls);
  if (names.length !== 8) fail(`${what}: ${names.length} touch controls, not 8`);
  if (layout.scrolls) fail(`${what}: the page scrolls`);
  const c = layout.canvas;
  if (c.right - c.left < 0.45 * Math.min(screen.width, screen.height)) {
    fail(`${what}: the picture is only ${c.right - c.left} pixels wide`);
  }
  for (const [name, b] of Object.entries(layout.controls)) {
    if (!b.name) fail(`${what}: touch control ${name} has no accessible name`);
    if (b.right - b.left < 48 || b.bottom - b.top < 48) {
      fail(`${what}: '${b.name}' is ${b.right - b.left}x${b.bottom - b.top}, under 48x48`);
    }
    if (b.left < 0 || b.top < 0 || b.right > layout.viewport.width || b.bottom > layout.viewport.height) {
      fail(`${what}: '${b.name}' is off the screen`);
    }
    if (b.left < c.right && c.left < b.right && b.top < c.bottom && c.top < b.bottom) {
      fail(`${what}: '${b.name}' overlaps the picture`);
    }
  }
  console.log(`browser_test: ${what}: eight touch controls beside the picture, none over it`);
  return layout;
}

const kTouchKeys = { enter: 0, escape: 1, space: 2, left: 3, up: 4, right: 5, down: 6 };

async function tapControl(driver, key) {
  const { controls } = await driver.run(kControlsScript);
  await driver.touchTap(controls[kTouchKeys[key]]);
}

// From the start gesture to "QUIT" with the touch controls only.
async function playByTouch(driver, url, out) {
  const checkpoints = [];
  await driver.cdp('Emulation.setTouchEmulationEnabled', { enabled: true, maxTouchPoints: 5 });
  await emulatePhone(driver, kPortrait);
  await driver.navigate(url);
  let state = await waitFor(driver, 'the start prompt', (s) => s.prompt && s.touch);
  let layout = await checkTouchLayout(driver, kPortrait);
  // The gesture: a tap on Enter, which would leave the intro were it the game's.
  await driver.touchTap(layout.controls[kTouchKeys.enter]);
  state = await waitFor(driver, 'the intro', (s) => s.waiting && s.pictures >= 2 && !s.prompt);
  await sleep(200);
  if ((await driver.run(kStateScript)).log.includes(' sound loop 117')) {
    fail('the tap that started the program reached the game');
  }
  await tapControl(driver, 'enter');
  await waitFor(driver, 'the menu', (s) => s.log.includes(' sound loop 117\n') && s.presents >= 60);
  checkpoints.push(await capture(driver, 'touch-menu', out));
  await emulatePhone(driver, kLandscape);
  await sleep(200);
  layout = await checkTouchLayout(driver, kLandscape);

  await tapControl(driver, 'enter');
  await waitFor(driver, 'the game to start', (s) => s.log.includes(' sound play 107\n'));
  // A finger sliding off Right lets it go.
  const { controls } = await driver.run(kControlsScript);
  await driver.touch('touchStart', [controls[kTouchKeys.right]]);
  await sleep(60);
  await driver.touch('touchMove', [{ x: controls[kTouchKeys.right].x, y: 5 }]);
  await sleep(100);
  state = await driver.run(kStateScript);
  if ((await driver.run(kControlsScript)).controls[kTouchKeys.right].held ||
      countOf(state.script, ' right down') !== countOf(state.script, ' right up')) {
    fail('a finger sliding off Right did not let it go');
  }
  await driver.touch('touchEnd', []);
  // The pause button: "TAP TO GO ON", and a tap anywhere, even on a control,
  // goes on and presses nothing.
  await driver.touchTap((await driver.run(kControlsScript)).controls['pause-button']);
  await waitFor(driver, 'the pause by the button', (s) => s.paused && s.dimmed);
  await checkOverlay(driver, 'paused-word', 'tap-to-go-on', kHalfDark);
  const lefts = countOf((await driver.run(kStateScript)).script, ' left down');
  await driver.touchTap(controls[kTouchKeys.left]);
  await waitFor(driver, 'a tap to go on', (s) => !s.paused);
  await sleep(200);
  if (countOf((await driver.run(kStateScript)).script, ' left down') !== lefts) {
    fail('the tap that ended the pause pressed Left');
  }
  await tapControl(driver, 'up');
  await tapControl(driver, 'space');
  // Two fingers: Down held while Left is tapped, then Down held to the end.
  const down = { ...controls[kTouchKeys.down], id: 0 };
  const left = { ...controls[kTouchKeys.left], id: 1 };
  await driver.touch('touchStart', [down]);
  await sleep(100);
  await driver.touch('touchStart', [down, left]);
  await sleep(60);
  await driver.touch('touchEnd', [left]);  // the fingers that come up
  state = await waitFor(driver, 'the game to end', (s) => s.log.includes(' sound play 111\n') && s.waiting);
  if (!/ left down\n/.test(state.script) || !/ down down\n/.test(state.script)) {
    fail(`two fingers did not hold Down and Left: ${state.script}`);
  }
  checkpoints.push(await capture(driver, 'touch-game-over', out));
  await driver.touch('touchEnd', []);
  await sleep(60);
  await tapControl(driver, 'escape');
  await waitFor(driver, 'the menu again', (s) => countOf(s.log, ' sound loop 117') === 2);
  await tapControl(driver, 'up');
  await sleep(200);
  await tapControl(driver, 'enter');
  state = await waitFor(driver, 'the program to end', (s) => s.ended && s.again);
  await driver.screenshot(path.join(out, 'touch-ended.png'));
  return { checkpoints, log: state.log, script: state.script };
}

// "Play again" starts a new run, intro first; in it a gamepad's A leaves the
// intro, its d-pad and stick move the menu's marker, round to "QUIT".
async function playAgainWithGamepad(driver) {
  const { log: firstLog } = await driver.run(kStateScript);
  const again = await driver.run(`
    const r = document.getElementById('again').getBoundingClientRect();
    return { x: (r.left + r.right) / 2, y: (r.top + r.bottom) / 2 };`);
  await driver.touchTap(again);
  let state = await waitFor(driver, 'the intro anew',
                            (s) => s.runs === 2 && s.waiting && s.pictures >= 2 && !s.again);
  if (state.log.includes(' end ') || state.log.split('\n')[0] !== firstLog.split('\n')[0]) {
    fail(`"Play again" did not start a new run from the intro: ${state.log.slice(0, 200)}`);
  }
  console.log('browser_test: "Play again" starts the intro anew');

  await driver.run(`
    const buttons = Array.from({ length: 17 }, () => ({ pressed: false, value: 0 }));
    window.testPad = { index: 0, id: 'test pad', connected: true, mapping: 'standard',
                       buttons, axes: [0, 0, 0, 0], timestamp: 0 };
    navigator.getGamepads = () => [window.testPad];
    window.dispatchEvent(new Event('gamepadconnected'));`);
  const pressPad = async (button) => {
    await driver.run(`window.testPad.buttons[${button}].pressed = true;`);
    await sleep(100);
    await driver.run(`window.testPad.buttons[${button}].pressed = false;`);
    await sleep(100);
  };
  await pressPad(0);  // A: Enter
  await waitFor(driver, 'the menu from the gamepad', (s) => s.log.includes(' sound loop 117\n'));
  await pressPad(13);  // the d-pad's down: "GAME B"
  await driver.run('window.testPad.axes[1] = -1;');  // the stick up: "GAME A"
  await sleep(150);
  await driver.run('window.testPad.axes[1] = 0;');
  await sleep(100);
  await pressPad(16);  // Guide: pause
  state = await waitFor(driver, 'the gamepad to pause', (s) => s.paused);
  await pressPad(16);
  await waitFor(driver, 'the gamepad to resume', (s) => !s.paused);
  await pressPad(12);  // the d-pad's up: round to "QUIT"
  await pressPad(0);
  state = await waitFor(driver, 'the program to end by the gamepad', (s) => s.ended);
  if (countOf(state.script, ' down down') !== 1 || countOf(state.script, ' up down') !== 2) {
    fail(`the gamepad's d-pad and stick did not reach the game as arrows: ${state.script}`);
  }
  console.log('browser_test: a gamepad leaves the intro, moves the marker to "QUIT" and pauses');
  return { checkpoints: [], log: state.log, script: state.script };
}

// The service worker keeps the page: with the server gone it starts again.
async function playOffline(driver, url, server) {
  const deadline = Date.now() + kStepTimeoutMs;
  while (!(await driver.run('return navigator.serviceWorker.controller !== null;'))) {
    if (Date.now() > deadline) fail('no service worker controls the page');
    await sleep(100);
  }
  server.closeAllConnections();
  await new Promise((resolve) => server.close(resolve));
  await driver.navigate(url);
  await waitFor(driver, 'the start prompt offline', (s) => s.prompt);
  await driver.touchTap({ x: 195, y: 100 });
  await waitFor(driver, 'the intro offline', (s) => s.waiting && s.pictures >= 2);
  console.log('browser_test: with the server gone, the page loads and the game starts');
}

// ---------------------------------------------------------------------------
// A browser that will not keep the game, and a new build published.

// Nothing alarming on the console since the last look: no uncaught
// exception, no error, no warning. What it was told comes back.
async function checkQuiet(driver, what) {
  const entries = await driver.console();
  const loud = entries.filter((e) => e.level === 'SEVERE' || e.level === 'WARNING');
  if (loud.length > 0) fail(`${what}: the console says ${loud.map((e) => e.message).join(' | ')}`);
  return entries;
}

// A visit (or, without a url, the page as it is): Enter at the prompt, the intro.
async function startIntro(driver, url, what) {
  if (url) await driver.navigate(url);
  await waitFor(driver, `the start prompt ${what}`, (s) => s.prompt);
  await driver.tap('enter');
  return waitFor(driver, `the intro ${what}`, (s) => s.waiting && s.pictures >= 2 && !s.prompt);
}

// From the intro to "QUIT": Enter, Up round to "QUIT", Enter.
async function quitFromIntro(driver, what) {
  await driver.tap('enter');
  await waitFor(driver, `the menu ${what}`, (s) => s.heard.includes(117));
  await driver.tap('up');
  await sleep(200);
  await driver.tap('enter');
  await waitFor(driver, `the end ${what}`, (s) => s.ended && s.again);
}

// Runs the script until its value passes the test; a page on its way to
// another (a reload) answers nothing meanwhile.
async function poll(driver, what, script, test, ...args) {
  const deadline = Date.now() + kStepTimeoutMs;
  let value = null;
  while (Date.now() < deadline) {
    try {
      value = await driver.run(script, ...args);
    } catch (error) {
      if (!(error instanceof TestFailure)) throw error;
      value = error.message;
    }
    if (value && typeof value === 'object' && test(value)) return value;
    await sleep(100);
  }
  fail(`timed out waiting for ${what}: ${JSON.stringify(value)}`);
}

// The service worker's registration and the caches, as the page sees them.
const kWorkersScript = `
  return Promise.all([navigator.serviceWorker.getRegistration(), caches.keys()])
      .then(([r, caches]) => ({
        installing: !!(r && r.installing), waiting: !!(r && r.waiting), active: !!(r && r.active),
        controlled: navigator.serviceWorker.controller !== null, caches: caches.sort() }));`;

// A browser refusing the page all storage (site data blocked, as a player
// may choose): the volume is not remembered and no service worker runs, but
// the game starts and plays, visit after visit, and nothing alarming is said.
async function playWithoutStorage(base, chromium, site) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'fompy-chromium-'));
  const driver = new WebDriver(base);
  const server = await serveFolder(site);
  const url = `http://127.0.0.1:${server.address().port}/index.html`;
  try {
    await driver.open(chromium, profile, { 'profile.default_content_setting_values.cookies': 2 });
    for (const visit of ['without storage', 'without storage again']) {
      let state = await startIntro(driver, url, visit);
      if (!(await driver.run('try { window.localStorage; return false; } catch { return true; }'))) {
        fail('the browser gave the page its storage');
      }
      if (state.gain !== 1) fail(`${visit}: the volume starts at ${state.gain}, not at 100%`);
      if (!state.keptNote || state.best.length > 0) fail(`${visit}: games kept, or not said: ${state.keptNote}`);
      await driver.tap('[');
      state = await waitFor(driver, `the volume step ${visit}`, (s) => s.gain !== 1);
      if (Math.abs(state.gain - 0.9) > 1e-6) fail(`${visit}: [ set the volume to ${state.gain}`);
      await quitFromIntro(driver, visit);
      if (await driver.run('return navigator.serviceWorker.controller !== null;')) {
        fail(`${visit}: a service worker runs without storage`);
      }
    }
    const told = await checkQuiet(driver, 'without storage');
    if (!told.some((e) => /not kept for offline play/.test(e.message))) {
      fail(`without storage, the page did not try its service worker: ${JSON.stringify(told)}`);
    }
  } finally {
    await driver.close().catch(() => {});
    fs.rmSync(profile, { recursive: true, force: true });
    server.closeAllConnections();
    server.close();
  }
  console.log('browser_test: storage refused: the game plays, the volume lasts for the page, ' +
              'nothing alarming said');
}

// No room to keep the game (the origin's quota under the module's size): the
// service worker keeps nothing, not even half a build, and the page plays
// from the network, visit after visit.
async function playWithoutRoom(driver, site) {
  const server = await serveFolder(site);
  const origin = `http://127.0.0.1:${server.address().port}`;
  const quota = 100 * 1024;
  try {
    await driver.cdp('Storage.overrideQuotaForOrigin', { origin, quotaSize: quota });
    await driver.console();
    for (const visit of ['with no room', 'with no room again']) {
      await startIntro(driver, `${origin}/index.html`, visit);
      const workers = await poll(driver, `the service worker ${visit}`, kWorkersScript,
                                 (w) => !w.installing);
      if (workers.active || workers.waiting || workers.controlled || workers.caches.length > 0) {
        fail(`${visit}: something was kept: ${JSON.stringify(workers)}`);
      }
      await quitFromIntro(driver, visit);
    }
    const refused = await driver.run(`
      return caches.open('probe').then((c) => c.put('probe', new Response(new Uint8Array(${quota}))))
          .then(() => '', (error) => error.name).finally(() => caches.delete('probe'));`);
    if (refused !== 'QuotaExceededError') fail(`with no room, the browser kept ${quota} bytes`);
    await checkQuiet(driver, 'with no room');
    if (server.misses.length > 0) fail(`with no room: missing files: ${server.misses.join(', ')}`);
  } finally {
    server.closeAllConnections();
    server.close();
  }
  console.log('browser_test: no room to keep the game: nothing kept, the game plays from the network');
}

const kWebSource = path.join(path.dirname(new URL(import.meta.url).pathname),
                             '../../src/platform/web');

function cacheName(folder) {
  return /var kCache = '([^']+)'/.exec(fs.readFileSync(path.join(folder, 'sw.js'), 'utf8'))[1];
}

// A new build into the folder: the page, the game's script and its module
// each marked (and still working), then its sw.js, written by the build's own
// writer, last. Returns the new build's cache.
function publishBuild(folder) {
  const files = [...fs.readFileSync(path.join(folder, 'sw.js'), 'utf8')
                     .matchAll(/^ *'([^']+)': '[0-9a-f]{64}'/gm)]
                    .map((m) => m[1]).filter((file) => file !== './');
  if (!files.includes('fompy-talden.wasm')) fail(`sw.js keeps ${files.join(', ')}`);
  fs.appendFileSync(path.join(folder, 'page.js'), "\nwindow.fompyTestPage = 'new';\n");
  fs.appendFileSync(path.join(folder, 'fompy-talden.js'), "\nwindow.fompyTestScript = 'new';\n");
  const name = Buffer.from('fompy-test-build');  // a custom section: 0, its size, the name
  fs.appendFileSync(path.join(folder, 'fompy-talden.wasm'),
                    Buffer.concat([Buffer.from([0, name.length + 1, name.length]), name]));
  const run = spawnSync('cmake', [`-DSITE=${folder}`, `-DTEMPLATE=${kWebSource}/sw.js.in`,
                                  `-DFILES=${files.join(';')}`, '-P',
                                  `${kWebSource}/make_service_worker.cmake`], { encoding: 'utf8' });
  if (run.status !== 0) fail(`the new build's sw.js was not written: ${run.stderr}${run.error || ''}`);
  return cacheName(folder);
}

// Which build the page runs (its page.js, the game's script, the module it
// compiled), what a load from it would get now, and what it loaded since.
const kBuildScript = `
  const page = window.fompyPage;
  const since = arguments[0];
  const loaded = performance.getEntriesByType('resource')
                     .filter((e) => e.startTime > since).map((e) => e.name);
  return Promise.all([page.module, fetch('fompy-talden.js').then((r) => r.text())])
      .then(([module, script]) => ({
        page: window.fompyTestPage === 'new', script: window.fompyTestScript === 'new',
        module: WebAssembly.Module.customSections(module, 'fompy-test-build').length > 0,
        fetched: script.includes('fompyTestScript'), loaded, now: performance.now() }));`;

function checkBuild(build, isNew, what) {
  for (const part of ['page', 'script', 'module', 'fetched']) {
    if (build[part] !== isNew) {
      fail(`${what}: the ${part} is of the ${build[part] ? 'new' : 'old'} build: ` +
           JSON.stringify(build));
    }
  }
}

// A new build published while a page plays: the page goes on with the files
// it started with, "Play again" included, and would load nothing else; the
// new build waits, kept beside the old; a second page opened meanwhile gets
// the old build too. Reloaded alone, the page takes up the new build.
async function publishWhileOpen(driver, site, out) {
  const folder = path.join(out, 'published');
  fs.rmSync(folder, { recursive: true, force: true });
  fs.cpSync(site, folder, { recursive: true });
  const oldCache = cacheName(folder);
  const server = await serveFolder(folder);
  const url = `http://127.0.0.1:${server.address().port}/index.html?record`;
  try {
    // The first visit keeps the build; the second comes from what was kept.
    await driver.navigate(url);
    await poll(driver, 'the build to be kept', kWorkersScript, (w) => w.active && !w.installing);
    await driver.console();
    await startIntro(driver, url, 'of the kept build');
    await quitFromIntro(driver, 'of the kept build');

    const newCache = publishBuild(folder);
    // The browser looks for a new sw.js now and then; here, at once.
    await driver.run('return navigator.serviceWorker.getRegistration().then((r) => r.update());');
    let workers = await poll(driver, 'the new build to be kept', kWorkersScript,
                             (w) => !w.installing && w.caches.includes(newCache));
    if (!workers.waiting || !workers.controlled || !workers.caches.includes(oldCache)) {
      fail(`the new build took over under the open page: ${JSON.stringify(workers)}`);
    }
    const build = await driver.run(kBuildScript, 0);
    checkBuild(build, false, 'the open page, the new build published');

    const again = await driver.run(`
      const r = document.getElementById('again').getBoundingClientRect();
      return { x: (r.left + r.right) / 2, y: (r.top + r.bottom) / 2 };`);
    await driver.touchTap(again);
    await waitFor(driver, 'the intro of "Play again"',
                  (s) => s.runs === 2 && s.waiting && s.pictures >= 2);
    await driver.tap('enter');
    await waitFor(driver, 'the menu of "Play again"', (s) => s.log.includes(' sound loop 117\n'));
    const played = await driver.run(kBuildScript, build.now);
    checkBuild(played, false, '"Play again" after the new build');
    if (played.loaded.length > 0) fail(`"Play again" loaded ${played.loaded.join(', ')}`);

    // A second page, the first still open: the old build, the new one waiting.
    const first = await driver.call('GET', '/window');
    const { handle } = await driver.call('POST', '/window/new', { type: 'tab' });
    await driver.call('POST', '/window', { handle });
    await driver.navigate(url);
    await waitFor(driver, 'the start prompt of a second page', (s) => s.prompt);
    // Its files loaded, it waits a second before it would ask; then some.
    await driver.run('return Promise.all([fompyPage.module, fompyPage.factory]).then(() => 0);');
    await sleep(2000);
    checkBuild(await driver.run(kBuildScript, 0), false, 'a second page, the first still open');
    if (!(await driver.run(kWorkersScript)).waiting) fail('the new build took over from a second page');
    await driver.call('DELETE', '/window');
    await driver.call('POST', '/window', { handle: first });

    // Reloaded, the page alone: the new build takes over, the old one goes.
    await driver.navigate(url);
    // (Looking without a fetch: the old worker gives way only when idle.)
    await poll(driver, 'the new build after the reload',
               "return { page: window.fompyTestPage === 'new' };", (b) => b.page);
    checkBuild(await driver.run(kBuildScript, 0), true, 'the page reloaded');
    workers = await driver.run(kWorkersScript);
    if (workers.waiting || !workers.controlled || workers.caches.join() !== newCache) {
      fail(`after the reload the new build is not alone in charge: ${JSON.stringify(workers)}`);
    }
    await startIntro(driver, null, 'of the new build');
    await checkQuiet(driver, 'a new build published');
  } finally {
    server.closeAllConnections();
    server.close();
  }
  console.log('browser_test: a new build published: the open page plays on with its own, ' +
              '"Play again" too; the reload takes up the new build');
}

function checkManifest(site) {
  const manifest = JSON.parse(fs.readFileSync(path.join(site, 'manifest.webmanifest'), 'utf8'));
  if (!['fullscreen', 'standalone'].includes(manifest.display)) fail('the manifest has no display');
  const sizes = manifest.icons.map((icon) => {
    const png = readPng(path.join(site, icon.src));
    if (icon.sizes !== `${png.width}x${png.height}`) fail(`${icon.src} is not ${icon.sizes}`);
    return png.width;
  });
  if (!sizes.includes(192) || !sizes.includes(512)) fail('the manifest lacks 192 or 512 icons');
}

// The page's icons are kept in the source tree: they must be what the
// desktop build's icon writer draws from the tile art today.
function checkIcons(site, native, out) {
  const writer = path.join(path.dirname(native), 'make-icons');
  if (!fs.existsSync(writer)) fail(`${writer} is missing: build the target make-icons`);
  const folder = path.join(site, 'icons');
  const icons = fs.readdirSync(folder).filter((name) => /^fompy-talden-\d+\.png$/.test(name));
  const drawn = path.join(out, 'icons');
  fs.rmSync(drawn, { recursive: true, force: true });
  fs.mkdirSync(drawn, { recursive: true });
  const sizes = icons.map((name) => /(\d+)/.exec(name)[1]);
  const run = spawnSync(writer, [drawn, ...sizes], { encoding: 'utf8' });
  if (run.status !== 0) fail(`make-icons failed: ${run.stderr}`);
  for (const name of icons) {
    if (!fs.readFileSync(path.join(folder, name)).equals(fs.readFileSync(path.join(drawn, name)))) {
      fail(`icons/${name} is not what make-icons draws: run make-icons src/platform/web/icons ` +
           sizes.join(' '));
    }
  }
  console.log(`browser_test: the page's icons (${sizes.join(', ')}) are the tile art's`);
}

// browser.saved: the recording the page saved of the run, replayed in place
// of the keys it kept.
function compareRun(name, browser, options, out) {
  fs.writeFileSync(path.join(out, `${name}.log`), browser.log);
  console.log(`browser_test: ${name}: played from the intro to "QUIT" in the browser: ` +
              `${browser.log.split('\n').length - 1} log lines`);
  const headless = replayHeadless(options.native, browser.saved || browser.script, out, name);
  compareLogs(browser.log, headless.log);
  if (!headless.log.endsWith(' end quit\n')) fail('the headless replay did not end with "QUIT"');
  console.log(`browser_test: ${name}: the headless replay of the same keys gives the same run log`);
  for (const checkpoint of browser.checkpoints) comparePictures(checkpoint, headless.dumpDir);
}

// script: the keys as text, or a file of them.
function replayHeadless(native, script, out, name) {
  let scriptFile = path.join(out, `${name}.script`);
  const logFile = path.join(out, `${name}-headless.log`);
  const dumpDir = path.join(out, `${name}-headless-pictures`);
  fs.rmSync(dumpDir, { recursive: true, force: true });
  if (typeof script === 'object') {
    scriptFile = script.file;
  } else {
    fs.writeFileSync(scriptFile, script);
  }
  const run = spawnSync(native, ['--headless', '--script', scriptFile, '--log', logFile,
                                 '--dump', dumpDir], { encoding: 'utf8', timeout: 120000 });
  if (run.error) fail(`cannot run ${native}: ${run.error.message}`);
  if (run.status !== 0) fail(`the headless replay failed with status ${run.status}: ${run.stderr}`);
  return { log: fs.readFileSync(logFile, 'utf8'), dumpDir };
}

async function main() {
  const options = parseArguments(process.argv.slice(2));
  const out = options.out || fs.mkdtempSync(path.join(os.tmpdir(), 'fompy-web-'));
  fs.mkdirSync(out, { recursive: true });
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'fompy-chromium-'));
  const started = Date.now();

  const server = await serveFolder(path.resolve(options.site));
  let driverProcess = null;
  const driver = new WebDriver('');
  try {
    driverProcess = await startChromedriver(process.env.CHROMEDRIVER || '/usr/bin/chromedriver');
    driver.base = driverProcess.base;
    await driver.open(process.env.CHROMIUM || '/usr/bin/chromium', profile);
    const url = `http://127.0.0.1:${server.address().port}/index.html?record`;
    const downloads = path.join(out, 'downloads');
    fs.rmSync(downloads, { recursive: true, force: true });
    fs.mkdirSync(downloads, { recursive: true });
    await driver.cdp('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
    const played = await playInBrowser(driver, url, out, downloads);
    await checkKeptGame(driver, played, options.native, downloads);
    compareRun('browser', played, options, out);
    await playHeadlessRecording(driver, url, options.native, out);
    compareRun('touch', await playByTouch(driver, url, out), options, out);
    compareRun('gamepad', await playAgainWithGamepad(driver), options, out);
    checkManifest(options.site);
    checkIcons(options.site, options.native, out);
    if (server.misses.length > 0) fail(`the page asked for missing files: ${server.misses.join(', ')}`);
    await playOffline(driver, url, server);
    await playWithoutRoom(driver, options.site);
    await publishWhileOpen(driver, options.site, out);
    await playWithoutStorage(driver.base, process.env.CHROMIUM || '/usr/bin/chromium', options.site);
    console.log(`browser_test: passed in ${((Date.now() - started) / 1000).toFixed(1)} s ` +
                `(screenshots, scripts and logs in ${out})`);
  } finally {
    await driver.close().catch(() => {});
    if (driverProcess) {
      driverProcess.child.kill();
      await driverProcess.exited;
    }
    server.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
}

main().catch((error) => {
  console.error(`browser_test: FAIL: ${error instanceof TestFailure ? error.message : error.stack}`);
  process.exit(1);
});
