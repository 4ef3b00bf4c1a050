// SPDX-License-Identifier: MIT
// page.js -- the web page's side of the game for the life of the page: the
// start prompt, the keyboard, the touch controls and the gamepads, the sound,
// the comforts (pause, volume, screenshots), "Play again", and the kept
// games: every run's recording kept in the browser's storage, the table of
// the best games, each of them watched, and recordings saved and played. Each run of the
// program is a new instance of the WebAssembly module (fompy-talden.js, built
// with MODULARIZE), as a new process would be; its platform reaches this page
// through web_page.js. window.fompyPage shows everything to the browser test
// and to anyone curious.

(function() {
  'use strict';

  var kKeyboard = -1;      // the device numbers of the key sources (web_page.h)
  var kTouch = -2;
  var Kind = {press: 0, repeat: 1, release: 2, axis: 3, deviceGone: 4};
  var kVolumeStep = 10;
  var kShotWidth = 640;    // screenshots: the 4:3 picture as players see it
  var kShotHeight = 480;

  // The seven keys in the program's order (platform::Key): Enter, Escape,
  // Space, Left, Up, Right, Down.
  var keyCodes = {
    'Enter': 0, 'NumpadEnter': 0, 'Escape': 1, 'Space': 2,
    'ArrowLeft': 3, 'ArrowUp': 4, 'ArrowRight': 5, 'ArrowDown': 6
  };
  var keyNames = {
    'Enter': 0, 'Escape': 1, 'Esc': 1, ' ': 2, 'Spacebar': 2,
    'ArrowLeft': 3, 'Left': 3, 'ArrowUp': 4, 'Up': 4,
    'ArrowRight': 5, 'Right': 5, 'ArrowDown': 6, 'Down': 6
  };
  // A gamepad's buttons in the standard mapping, as on the desktop: A and
  // Start Enter, B and Back Escape, X Space, the d-pad the arrows. The left
  // stick (axes 0 and 1) holds the arrows too; Guide pauses.
  var padButtons = {0: 0, 9: 0, 1: 1, 8: 1, 2: 2, 14: 3, 12: 4, 15: 5, 13: 6};
  var kGuideButton = 16;
  var kStartButton = 9;
  // What the paused picture says under "PAUSED", by how the game goes on
  // (the program hands over their blocks, in this order).
  var Hint = {anyKey: 0, pauseKey: 1, tap: 2};
  // The game's keys by number (platform::Key), for a playback's own keys.
  var Key = {enter: 0, escape: 1, space: 2, left: 3, up: 4, right: 5, down: 6};
  var kNormalSpeed = 2;    // a playback's speeds: x1/4, x1/2, x1, x2, x4, x8
  // The kept games in the browser's storage: each run's recording under its
  // name (YYYYMMDD-HHMMSS.txt, as the desktop names them), and the cache of
  // what they play to.
  var kRecordingKey = 'fompy-talden.recording.';
  var kCacheKey = 'fompy-talden.kept-games';
  var kMostRecordingBytes = 32 * 1024 * 1024;  // hours upon hours of play, as on the desktop

  var page = {
    // 'idle' until the first gesture, 'running', then 'ended' after "QUIT".
    state: 'idle',
    runs: 0,               // runs started on this page
    paused: false,
    automaticPause: false, // the pause in force began by itself (the page left)
    tapResumed: false,     // a tap ended the pause: its click is not the page's
    hints: [],             // the overlay's blocks, by Hint
    notes: {},             // the volume notes' box and blocks, by volume (-1: sound off)
    marks: [],             // a playback's marks' box and blocks, by speed
    // The run plays a recording instead of the player: {text, watch (the
    // one game's span, or null), speed, stopped, stepping}; null for a live run.
    playback: null,

    // The run's own: reset when a run starts.
    canvas: null,
    context: null,
    image: null,           // ImageData of the canvas's size
    pictures: 0,           // pictures shown so far
    presents: 0,           // of them, presented frames
    keyEvents: [],         // key events not yet taken by the program, 4 numbers each
    wake: null,            // ends the program's wait for a key event
    waiting: false,        // the program waits for a key event
    resumeProgram: null,   // ends the program's wait while paused
    ended: false,          // the program has ended
    script: '',            // a live run's recording, as the desktop writes it
    log: '',               // with ?record: the run log

    // The page's own.
    // When set to an array (the browser test does): performance.now() at
    // each frame presented, for the frames' pace.
    frameTimes: null,
    sharp: null,           // with ?scaling=sharp: the canvas of the picture at whole factors
    codeNumbers: {},       // a keyboard key's code: its number as a key source
    swallowed: {},         // the Enter keys of an Alt+Enter, until they come up
    touchHeld: {},         // a touch control's key: the pointers on it
    pads: {},              // a gamepad's index: its buttons and axes as last seen
    padPolling: false,
    module: null,          // the compiled WebAssembly module, a promise
    factory: null,         // createFompyTalden, a promise

    waves: {},             // resource number: the wave file's bytes
    buffers: {},           // resource number: its decoded AudioBuffer
    decoded: 0,            // how many waves were decoded
    decoding: 0,           // how many are being decoded
    soundsReady: null,     // ends the program's wait for the decoding
    soundErrors: [],       // waves that could not be decoded, and why
    audio: null,           // the AudioContext, made at the first gesture
    gain: null,            // the volume, between the voice and the speakers
    voice: null,           // the AudioBufferSourceNode playing, if any
    voiceResource: 0,      // the resource it plays
    heard: [],             // the resources started in this run, in order
    wanted: null,          // the sound the program asked for last: {resource, loop}
    volume: 100,           // 0 to 100
    muted: false,
    lastShot: '',          // the name of the last screenshot offered
    shots: 0,

    // The kept games.
    storage: null,         // localStorage, or null where the browser refuses it
    runName: '',           // the live run's kept name
    lastRecording: null,   // the last live run's {name, text}
    best: [],              // the table: {rank, score, variant, level, file, game, started}
    looks: 0,              // the table's looks at the storage finished
    told: '',              // the kept games' quiet note, once said
    worker: null,          // kept_worker.js, made at the first question
    questions: 0,
    answers: {},           // a question's number: what its answer settles
    looking: Promise.resolve(),

    element: function(id) { return document.getElementById(id); },

    failure: function(text) {
      if (window.showFailure) window.showFailure(text);
    },

    // ---------------------------------------------------------------------
    // Runs.

    // The module is fetched and compiled while the prompt shows; nothing of
    // the game runs before the player's gesture.
    load: function() {
      var url = 'fompy-talden.wasm';
      var compile = function() {
        return fetch(url).then(function(response) {
          if (!response.ok) throw new Error(url + ': ' + response.status);
          return response.arrayBuffer();
        }).then(function(bytes) { return WebAssembly.compile(bytes); });
      };
      // Streaming needs the server to call it application/wasm; others get
      // the bytes compiled whole.
      page.module = WebAssembly.compileStreaming ?
          WebAssembly.compileStreaming(fetch(url)).catch(compile) : compile();
      page.factory = new Promise(function(resolve, reject) {
        var script = document.createElement('script');
        script.src = 'fompy-talden.js';
        script.onload = function() { resolve(window.createFompyTalden); };
        script.onerror = function() { reject(new Error('fompy-talden.js could not be loaded')); };
        document.body.appendChild(script);
      });
      page.module.catch(function(error) {
        page.failure('The game could not be loaded: ' + error);
      });
      page.factory.catch(function(error) {
        page.failure('The game could not be loaded: ' + error);
      });
    },

    // The start gesture and "Play again": a new run, intro first. It fetches
    // nothing: the module and its script are those this page loaded, of its
    // own build, whatever the server or the service worker holds by now.
    start: function() {
      page.begin(null);
    },

    // A run: the player's, or a recording played (playback as in page.playback).
    begin: function(playback) {
      if (page.state === 'running') return;
      page.enableSound();
      page.state = 'running';
      page.playback = playback;
      page.runName = playback ? '' : page.newRunName(new Date());
      page.showKept();
      page.runs++;
      page.paused = false;
      page.pictures = 0;
      page.presents = 0;
      page.keyEvents = [];
      page.wake = null;
      page.waiting = false;
      page.resumeProgram = null;
      page.ended = false;
      page.script = '';
      page.log = '';
      page.touchHeld = {};
      page.heard = [];
      page.element('start').hidden = true;
      page.element('again').hidden = true;
      page.element('paused').hidden = true;
      page.drawMark();
      // A watch shows nothing before its game: not the last run's picture.
      page.context.fillStyle = '#000';
      page.context.fillRect(0, 0, page.canvas.width, page.canvas.height);
      page.factory.then(function(create) {
        return create({
          instantiateWasm: function(imports, receive) {
            page.module.then(function(compiled) {
              return WebAssembly.instantiate(compiled, imports).then(function(instance) {
                receive(instance, compiled);
              });
            }).catch(function(error) {
              page.failure('The game could not be started: ' + error);
            });
            return {};
          },
          onAbort: function(what) { page.failure('The game stopped: ' + what); }
        });
      }).catch(function(error) {
        page.failure('The game could not be loaded: ' + error);
      });
    },

    // The program has ended: the picture goes black, "Play again" shows.
    // A playback leaves its last picture in the canvas, under the cover.
    end: function() {
      page.keepRun();
      if (!page.playback) page.lastRecording = {name: page.runName, text: page.script};
      page.ended = true;
      page.state = 'ended';
      page.paused = false;
      page.stopSound();
      if (!page.playback) {
        page.context.fillStyle = '#000';
        page.context.fillRect(0, 0, page.canvas.width, page.canvas.height);
      }
      page.element('paused').hidden = true;
      page.element('mark').hidden = true;
      page.lookAtKept();
      var again = page.element('again');
      again.hidden = false;
      again.focus({preventScroll: true});
    },

    // ---------------------------------------------------------------------
    // Key events, from every source, for the program.

    // A playback's keys are its own: the game's come from the recording.
    queue: function(kind, key, device, control) {
      if (page.playback) return;
      page.keyEvents.push(kind, key, device, control);
      if (!page.paused) page.wakeProgram();
    },

    wakeProgram: function() {
      var wake = page.wake;
      if (wake && page.keyEvents.length > 0) {
        page.wake = null;
        page.waiting = false;
        wake();
      }
    },

    keyOf: function(event) {
      if (event.code in keyCodes) return keyCodes[event.code];
      if (event.key in keyNames) return keyNames[event.key];
      return -1;
    },

    codeNumber: function(event) {
      var code = event.code || event.key;
      if (!(code in page.codeNumbers)) {
        page.codeNumbers[code] = Object.keys(page.codeNumbers).length;
      }
      return page.codeNumbers[code];
    },

    isEnter: function(event) {
      return event.code === 'Enter' || event.code === 'NumpadEnter' || event.key === 'Enter';
    },

    onKey: function(event, down) {
      if (down) {
        page.enableSound();
        page.showTouch(false);
      }
      if (page.state === 'idle') {
        // The gesture that starts the program is not the game's key; keys
        // among the kept games' controls are theirs.
        if (down && !event.repeat && !page.inKept(event.target) && ['Alt', 'Control', 'Shift', 'Meta'].indexOf(event.key) < 0) {
          event.preventDefault();
          page.start();
        }
        return;
      }
      if (down && page.comfort(event)) {
        event.preventDefault();
        return;
      }
      // Alt+Enter is the page's own key, as on the desktop: fullscreen. Its
      // Enter stays the page's until it comes up, auto-repeat and all.
      var swallowed = page.swallowed[event.code] === true;
      if (!down) delete page.swallowed[event.code];
      if (down && !swallowed && event.altKey && page.isEnter(event)) {
        event.preventDefault();
        if (!event.repeat) {
          page.swallowed[event.code] = true;
          page.toggleFullscreen();
        }
        return;
      }
      if (page.state !== 'running') {
        // The Enter that chose "QUIT", still held, does not press "Play again".
        if (event.repeat) event.preventDefault();
        return;
      }
      var key = page.keyOf(event);
      if (key < 0) return;
      // The arrows and Space would scroll the page, Enter might act on it.
      event.preventDefault();
      if (page.playback) {
        if (down && !event.repeat) page.playbackKey(key);
        return;
      }
      if (page.paused) {
        // After a pause that began by itself any of the game's keys goes on;
        // it holds nothing (its repeats and release start nothing).
        if (down && !event.repeat && page.automaticPause) page.resume();
        return;
      }
      if (down && swallowed) return;
      var kind = !down ? Kind.release : event.repeat ? Kind.repeat : Kind.press;
      page.queue(kind, key, kKeyboard, page.codeNumber(event));
    },

    // The keys of the comforts; true when the event was one.
    comfort: function(event) {
      if (event.ctrlKey || event.metaKey || event.altKey) return false;
      switch (event.code) {
        case 'KeyP':
        case 'Pause':
          if (!event.repeat) page.togglePause();
          return true;
        case 'KeyM':
          if (!event.repeat) page.setVolume(page.volume, !page.muted);
          return true;
        case 'NumpadAdd':
        case 'BracketRight':
          page.setVolume(page.volume + kVolumeStep, false);
          return true;
        case 'NumpadSubtract':
        case 'BracketLeft':
          page.setVolume(page.volume - kVolumeStep, false);
          return true;
        case 'F12':
        case 'PrintScreen':
          if (!event.repeat) page.screenshot();
          return true;
      }
      return false;
    },

    toggleFullscreen: function() {
      if (document.fullscreenElement) {
        document.exitFullscreen();
      } else if (document.documentElement.requestFullscreen) {
        document.documentElement.requestFullscreen().catch(function() {});
      }
    },

    // ---------------------------------------------------------------------
    // The touch controls: buttons beside or below the picture, shown on a
    // touch screen until a keyboard is used.

    showTouch: function(on) {
      if (document.body.classList.contains('touch') === on) return;
      document.body.classList.toggle('touch', on);
      page.element('pad').hidden = !on;
      page.element('actions').hidden = !on;
    },

    touchDown: function(button, pointer) {
      var key = Number(button.dataset.key);
      if (page.playback) {
        page.playbackKey(key);
        return;
      }
      var held = page.touchHeld[key] || (page.touchHeld[key] = []);
      if (held.indexOf(pointer) >= 0) return;
      held.push(pointer);
      button.classList.add('held');
      if (held.length === 1) page.queue(Kind.press, key, kTouch, key);
    },

    touchUp: function(button, pointer) {
      var key = Number(button.dataset.key);
      var held = page.touchHeld[key] || [];
      var at = held.indexOf(pointer);
      if (at < 0) return;
      held.splice(at, 1);
      if (held.length > 0) return;
      button.classList.remove('held');
      page.queue(Kind.release, key, kTouch, key);
    },

    listenToTouch: function() {
      var buttons = document.querySelectorAll('button[data-key]');
      Array.prototype.forEach.call(buttons, function(button) {
        button.addEventListener('pointerdown', function(event) {
          event.preventDefault();
          // A finger sliding off the button lets it go: no capture.
          if (button.hasPointerCapture(event.pointerId)) {
            button.releasePointerCapture(event.pointerId);
          }
          if (page.state === 'running' && (!page.paused || page.playback)) {
            page.touchDown(button, event.pointerId);
          }
        });
        ['pointerup', 'pointercancel', 'pointerleave'].forEach(function(type) {
          button.addEventListener(type, function(event) { page.touchUp(button, event.pointerId); });
        });
        button.addEventListener('contextmenu', function(event) { event.preventDefault(); });
      });
      page.element('pause-button').addEventListener('click', page.togglePause);
      if (navigator.maxTouchPoints > 0 || window.matchMedia('(pointer: coarse)').matches) {
        page.showTouch(true);
      }
      window.addEventListener('pointerdown', function(event) {
        if (event.pointerType !== 'touch') return;
        page.showTouch(true);
        page.tapResumed = false;
        // (A paused playback's buttons are its own: Down steps it.)
        var steering = page.playback && event.target.closest &&
            event.target.closest('.touch-controls');
        if (page.paused && !steering) {
          // Any touch goes on, and touches nothing else.
          event.preventDefault();
          event.stopPropagation();
          page.tapResumed = true;
          page.resume();
        }
      }, true);
      window.addEventListener('click', function(event) {
        if (!page.tapResumed) return;
        page.tapResumed = false;
        event.preventDefault();
        event.stopPropagation();
      }, true);
    },

    // ---------------------------------------------------------------------
    // A playback's own keys, as on the desktop: Right faster (x2, x4, x8),
    // Left slower (down to x1/4), Space pauses and goes on, Down while paused
    // shows one more frame, Escape ends the show; after a pause that began
    // by itself any of them goes on too.

    playbackKey: function(key) {
      var playback = page.playback;
      if (!playback || page.state !== 'running') return;
      var wasPaused = page.paused;
      if (key === Key.escape) {
        playback.stopped = true;
      } else if (key === Key.right || key === Key.left) {
        page.setSpeed(playback.speed + (key === Key.right ? 1 : -1));
      } else if (key === Key.space) {
        page.togglePause();
        return;
      } else if (key === Key.down && wasPaused) {
        playback.stepping = true;
      } else if (!(wasPaused && page.automaticPause)) {
        return;
      }
      if (wasPaused && (key !== Key.right && key !== Key.left || page.automaticPause)) page.resume();
    },

    setSpeed: function(speed) {
      page.playback.speed = Math.max(0, Math.min(page.marks.length - 1, speed));
      page.drawMark();
    },

    // "REPLAY" and its speed at the top left of the picture, over it, never
    // in it, for as long as the playback lasts.
    drawMark: function() {
      var canvas = page.element('mark');
      var mark = page.playback && page.marks[page.playback.speed];
      canvas.hidden = !mark;
      if (!mark) return;
      var context = canvas.getContext('2d');
      context.clearRect(0, 0, canvas.width, canvas.height);
      context.fillStyle = '#000';
      context.fillRect(mark.box[0], mark.box[1], mark.box[2], mark.box[3]);
      page.fillBlocks(context, mark.blocks);
    },

    // ---------------------------------------------------------------------
    // Gamepads, read through the Gamepad API at every animation frame while
    // one is connected.

    pollPads: function() {
      var seen = {};
      var pads = navigator.getGamepads ? navigator.getGamepads() : [];
      for (var i = 0; i < pads.length; ++i) {
        var pad = pads[i];
        if (!pad || !pad.connected) continue;
        seen[pad.index] = true;
        var last = page.pads[pad.index] || (page.pads[pad.index] = {buttons: {}, axes: [0, 0]});
        for (var b = 0; b < pad.buttons.length; ++b) {
          var pressed = pad.buttons[b].pressed;
          if (pressed === (last.buttons[b] === true)) continue;
          last.buttons[b] = pressed;
          page.padButton(pad.index, b, pressed);
        }
        for (var a = 0; a < 2 && a < pad.axes.length; ++a) {
          var value = Math.round(Math.max(-1, Math.min(1, pad.axes[a])) * 32767);
          if (value === last.axes[a]) continue;
          last.axes[a] = value;
          if (page.state === 'running' && !page.paused) page.queue(Kind.axis, value, pad.index, a);
        }
      }
      Object.keys(page.pads).forEach(function(index) {
        if (seen[index]) return;
        delete page.pads[index];
        if (page.state === 'running') page.queue(Kind.deviceGone, 0, Number(index), 0);
      });
      page.padPolling = Object.keys(page.pads).length > 0;
      if (page.padPolling) window.requestAnimationFrame(page.pollPads);
    },

    padButton: function(index, button, pressed) {
      if (button === kGuideButton) {
        if (pressed) page.togglePause();
        return;
      }
      if (page.playback && page.state === 'running') {
        // The d-pad and A steer a playback as the keys do.
        var steer = {15: Key.right, 14: Key.left, 13: Key.down, 0: Key.space}[button];
        if (!pressed) return;
        if (steer !== undefined) {
          page.playbackKey(steer);
        } else if (page.paused && (page.automaticPause || button === kStartButton)) {
          page.resume();
        }
        return;
      }
      if (page.paused) {
        // Start goes on, and after a pause that began by itself any button;
        // the button holds nothing.
        if (pressed && (page.automaticPause || button === kStartButton)) page.resume();
        return;
      }
      if (!(button in padButtons) || page.state !== 'running') return;
      page.queue(pressed ? Kind.press : Kind.release, padButtons[button], index, button);
    },

    onPadConnected: function() {
      if (page.padPolling) return;
      page.padPolling = true;
      window.requestAnimationFrame(page.pollPads);
    },

    // ---------------------------------------------------------------------
    // Pause: the program is held between two frames; the picture is dimmed
    // by the page, over the canvas, never in it.

    // White blocks (x, y, width, height in picture pixels, four numbers a
    // block) on a canvas of the picture's size.
    fillBlocks: function(context, blocks) {
      context.fillStyle = '#fff';
      for (var i = 0; i + 3 < blocks.length; i += 4) {
        context.fillRect(blocks[i], blocks[i + 1], blocks[i + 2], blocks[i + 3]);
      }
    },

    // The overlay of a paused game: every colour at half its brightness,
    // "PAUSED" in the game's small font and under it how to go on, the
    // blocks the desktop draws.
    drawPaused: function() {
      var hint = document.body.classList.contains('touch') ? Hint.tap
          : page.automaticPause ? Hint.anyKey : Hint.pauseKey;
      var canvas = page.element('paused-word');
      var context = canvas.getContext('2d');
      context.clearRect(0, 0, canvas.width, canvas.height);
      context.fillStyle = 'rgba(0, 0, 0, 0.5)';
      context.fillRect(0, 0, canvas.width, canvas.height);
      page.fillBlocks(context, page.hints[hint] || []);
    },

    // A pause that began by itself (the page hidden or left) goes on at any
    // of the game's keys; one by P, Pause, the button or Guide at those.
    pauseByItself: function() {
      page.pause(true);
    },

    pause: function(automatic) {
      if (page.state !== 'running' || page.paused) return;
      page.paused = true;
      page.automaticPause = automatic === true;
      page.hideNote();
      page.drawPaused();
      // Keys held now are let go for the game; what is still held when the
      // pause ends presses nothing until it comes up and goes down again.
      page.queue(Kind.deviceGone, 0, kKeyboard, 0);
      page.queue(Kind.deviceGone, 0, kTouch, 0);
      Object.keys(page.pads).forEach(function(index) {
        page.queue(Kind.deviceGone, 0, Number(index), 0);
      });
      page.touchHeld = {};
      Array.prototype.forEach.call(document.querySelectorAll('button.held'), function(button) {
        button.classList.remove('held');
      });
      if (page.audio && page.audio.state === 'running') page.audio.suspend();
      page.element('paused').hidden = false;
    },

    resume: function() {
      if (!page.paused) return;
      page.paused = false;
      page.element('paused').hidden = true;
      if (page.audio) page.audio.resume().catch(function() {});
      var resumeProgram = page.resumeProgram;
      page.resumeProgram = null;
      if (resumeProgram) resumeProgram();
      page.wakeProgram();
    },

    togglePause: function() {
      if (page.paused) {
        page.resume();
      } else {
        page.pause(false);
      }
    },

    // ---------------------------------------------------------------------
    // Sound. Browsers allow it only after a gesture of the player: the start
    // gesture makes the audio context; each later gesture resumes it while
    // the browser holds it suspended (not every key counts as a gesture).

    enableSound: function() {
      var audio = page.audio;
      if (!audio) {
        var Context = window.AudioContext || window.webkitAudioContext;
        if (!Context) return;
        audio = new Context();
        page.audio = audio;
        page.gain = audio.createGain();
        page.gain.connect(audio.destination);
        page.applyVolume();
        Object.keys(page.waves).forEach(function(name) { page.decodeWave(Number(name)); });
      }
      if (audio.state === 'suspended' && !page.paused) audio.resume().catch(function() {});
    },

    loadSound: function(resource, bytes) {
      var known = page.waves[resource];
      page.waves[resource] = bytes;
      // A new run hands over the same waves: decoded once for the page.
      if (known && known.length === bytes.length && page.buffers[resource]) return;
      if (page.audio) page.decodeWave(resource);
    },

    decodeWave: function(resource) {
      page.decoding++;
      var finished = function() {
        page.decoding--;
        if (page.decoding === 0 && page.soundsReady) {
          var ready = page.soundsReady;
          page.soundsReady = null;
          ready();
        }
      };
      // decodeAudioData takes the buffer away; it gets a copy.
      page.audio.decodeAudioData(page.waves[resource].slice().buffer).then(function(buffer) {
        if (!page.buffers[resource]) page.decoded++;
        page.buffers[resource] = buffer;
        // A loop asked for before its wave was ready starts now; a cue
        // that was due then is over.
        var wanted = page.wanted;
        if (wanted && wanted.loop && wanted.resource === resource && !page.voice) {
          page.playSound(resource, true);
        }
        finished();
      }, function(error) {
        page.soundErrors.push(resource + ': ' + error);
        finished();
      });
    },

    playSound: function(resource, loop) {
      page.keepRun();
      page.stopSound();
      page.wanted = {resource: resource, loop: loop};
      var buffer = page.buffers[resource];
      if (!page.audio || !buffer) return;
      var source = page.audio.createBufferSource();
      source.buffer = buffer;
      source.loop = loop;
      source.connect(page.gain);
      source.onended = function() {
        if (page.voice === source) {
          page.voice = null;
          page.voiceResource = 0;
        }
      };
      source.start();
      page.voice = source;
      page.voiceResource = resource;
      page.heard.push(resource);
    },

    stopSound: function() {
      page.wanted = null;
      var voice = page.voice;
      page.voice = null;
      page.voiceResource = 0;
      if (voice) {
        voice.onended = null;
        voice.stop();
        voice.disconnect();
      }
    },

    // The volume applies to what the cues play, never to what the game asks.
    setVolume: function(volume, muted) {
      page.volume = Math.max(0, Math.min(100, volume));
      page.muted = muted;
      page.applyVolume();
      try {
        window.localStorage.setItem('fompy-talden.volume', String(page.volume));
        window.localStorage.setItem('fompy-talden.muted', muted ? '1' : '0');
      } catch (error) {
        // no storage: the setting lasts for the page
      }
      page.showNote(muted ? -1 : page.volume);
    },

    // The volume over the top of the picture for a moment, in the game's
    // small font on black, as the desktop draws it; never while paused.
    showNote: function(volume) {
      var note = page.notes[volume];
      if (!note || page.paused) return;
      var canvas = page.element('note');
      var context = canvas.getContext('2d');
      context.clearRect(0, 0, canvas.width, canvas.height);
      context.fillStyle = '#000';
      context.fillRect(note.box[0], note.box[1], note.box[2], note.box[3]);
      page.fillBlocks(context, note.blocks);
      canvas.hidden = false;
      clearTimeout(page.volumeNoteTimer);
      page.volumeNoteTimer = setTimeout(page.hideNote, 1500);
    },

    hideNote: function() {
      clearTimeout(page.volumeNoteTimer);
      page.element('note').hidden = true;
    },

    applyVolume: function() {
      if (page.gain) page.gain.gain.value = page.muted ? 0 : page.volume / 100;
    },

    readVolume: function() {
      try {
        var volume = Number(window.localStorage.getItem('fompy-talden.volume'));
        if (window.localStorage.getItem('fompy-talden.volume') !== null && volume >= 0 &&
            volume <= 100) {
          page.volume = Math.round(volume);
        }
        page.muted = window.localStorage.getItem('fompy-talden.muted') === '1';
      } catch (error) {
        // no storage: the defaults
      }
    },

    // ---------------------------------------------------------------------
    // Sharp scaling (?scaling=sharp): the picture drawn nearest neighbour at
    // whole factors, across and down apart, the largest that fit the screen
    // pixels the picture takes (1 where it is smaller), into a canvas of its
    // own over the picture's, which the browser then smooths the rest of the
    // way to the 4:3 shape: every row as tall as the next, with a soft edge
    // a pixel wide between them, where pixelated scaling would make some
    // rows a pixel taller than others. The picture's own canvas stays as it
    // is, for screenshots.

    startSharp: function() {
      if (!/[?&]scaling=sharp(&|$)/.test(window.location.search)) return;
      page.sharp = page.element('sharp');
      page.sharp.hidden = false;
      var fit = function() {
        var box = page.element('picture').getBoundingClientRect();
        var ratio = window.devicePixelRatio || 1;
        var across = Math.max(1, Math.floor((box.width * ratio) / 320));
        var down = Math.max(1, Math.floor((box.height * ratio) / 200));
        if (page.sharp.width === 320 * across && page.sharp.height === 200 * down) return;
        page.sharp.width = 320 * across;
        page.sharp.height = 200 * down;
        page.drawSharp();
      };
      new ResizeObserver(fit).observe(page.element('picture'));
      window.addEventListener('resize', fit);  // a new devicePixelRatio (zoom)
      fit();
    },

    // After each picture: the canvas of whole factors drawn anew from it.
    drawSharp: function() {
      if (!page.sharp) return;
      var context = page.sharp.getContext('2d', {alpha: false});
      context.imageSmoothingEnabled = false;
      context.drawImage(page.canvas, 0, 0, page.sharp.width, page.sharp.height);
    },

    // ---------------------------------------------------------------------
    // Screenshots: the picture on screen as a 640x480 PNG download, each
    // picture pixel shown nearest-neighbour as on the desktop.

    screenshot: function() {
      if (page.pictures === 0) return;
      var from = page.context.getImageData(0, 0, page.canvas.width, page.canvas.height);
      var shot = document.createElement('canvas');
      shot.width = kShotWidth;
      shot.height = kShotHeight;
      var context = shot.getContext('2d');
      var image = context.createImageData(kShotWidth, kShotHeight);
      for (var y = 0; y < kShotHeight; ++y) {
        var fromY = Math.floor(((2 * y + 1) * from.height) / (2 * kShotHeight));
        for (var x = 0; x < kShotWidth; ++x) {
          var fromX = Math.floor(((2 * x + 1) * from.width) / (2 * kShotWidth));
          var i = (fromY * from.width + fromX) * 4;
          image.data.set(from.data.subarray(i, i + 4), (y * kShotWidth + x) * 4);
        }
      }
      context.putImageData(image, 0, 0);
      var name = page.shotName(new Date());
      shot.toBlob(function(blob) {
        var link = document.createElement('a');
        link.href = URL.createObjectURL(blob);
        link.download = name;
        document.body.appendChild(link);
        link.click();
        link.remove();
        setTimeout(function() { URL.revokeObjectURL(link.href); }, 10000);
        page.lastShot = name;
        page.shots++;
      }, 'image/png');
    },

    // fompy-talden-YYYYMMDD-HHMMSS.png, with a suffix for a second in one second.
    shotName: function(date) {
      var two = function(n) { return (n < 10 ? '0' : '') + n; };
      var stamp = date.getFullYear() + two(date.getMonth() + 1) + two(date.getDate()) + '-' +
          two(date.getHours()) + two(date.getMinutes()) + two(date.getSeconds());
      page.shotCount = stamp === page.shotStamp ? page.shotCount + 1 : 1;
      page.shotStamp = stamp;
      return 'fompy-talden-' + stamp + (page.shotCount > 1 ? '-' + page.shotCount : '') + '.png';
    },

    // ---------------------------------------------------------------------
    // The kept games. Every live run's recording is kept in the browser's
    // storage as it goes (at each cue, when the page is hidden and at the
    // run's end); after a run the recordings are played again by the game
    // itself, in a worker, for the table of the best games, and the storage
    // keeps the last 50 runs and every run holding a game of the table, as
    // the desktop's folder does. Where the browser refuses storage the table
    // stays empty and the page says so once, quietly.

    openStorage: function() {
      try {
        var storage = window.localStorage;
        storage.setItem('fompy-talden.probe', '1');
        storage.removeItem('fompy-talden.probe');
        return storage;
      } catch (error) {
        return null;
      }
    },

    // A quiet line under the table, said once until another replaces it.
    tell: function(text) {
      var note = page.element('kept-note');
      note.textContent = text;
      note.hidden = !text;
      page.told = text;
    },

    // YYYYMMDD-HHMMSS.txt, local time, -2, -3... when the name is taken.
    newRunName: function(date) {
      var two = function(n) { return (n < 10 ? '0' : '') + n; };
      var stamp = date.getFullYear() + two(date.getMonth() + 1) + two(date.getDate()) + '-' +
          two(date.getHours()) + two(date.getMinutes()) + two(date.getSeconds());
      var name = stamp + '.txt';
      for (var order = 2; page.storage && page.storage.getItem(kRecordingKey + name) !== null;
           ++order) {
        name = stamp + '-' + order + '.txt';
      }
      return name;
    },

    keepRun: function() {
      if (!page.storage || page.playback || !page.runName || page.state !== 'running') return;
      try {
        page.storage.setItem(kRecordingKey + page.runName, page.script);
      } catch (error) {
        if (!page.told) page.tell('There is no room left here to keep this game.');
      }
    },

    // One question to the worker; its answer's text, or a failure.
    ask: function(question) {
      if (!page.worker) {
        page.worker = new Worker('kept_worker.js');
        page.worker.onmessage = function(event) {
          var settle = page.answers[event.data.id];
          delete page.answers[event.data.id];
          if (settle) settle(event.data);
        };
      }
      var id = ++page.questions;
      return new Promise(function(resolve, reject) {
        page.answers[id] = function(reply) {
          if (reply.error) {
            reject(new Error(reply.error));
          } else {
            resolve(reply.text);
          }
        };
        question.id = id;
        page.worker.postMessage(question);
      });
    },

    keptNames: function() {
      var names = [];
      for (var i = 0; page.storage && i < page.storage.length; ++i) {
        var key = page.storage.key(i);
        if (key && key.indexOf(kRecordingKey) === 0) names.push(key.slice(kRecordingKey.length));
      }
      return names.sort();
    },

    // The table anew from every kept recording, each played by the game
    // (or taken from the cache), and the runs no longer kept let go.
    lookAtKept: function() {
      page.looking = page.looking.then(function() {
        if (!page.storage) return null;
        var runs = page.keptNames().map(function(name) {
          return {name: name, text: page.storage.getItem(kRecordingKey + name) || ''};
        });
        if (runs.length === 0) return '';
        return page.ask({look: {cache: page.storage.getItem(kCacheKey) || '', runs: runs}});
      }).then(function(answer) {
        if (answer === null) return;
        var best = [];
        // The cache is the answer's last part, from its line on.
        var whole = '\n' + answer;
        var at = whole.indexOf('\ncache\t');
        var lines = (at < 0 ? whole : whole.slice(0, at)).split('\n');
        lines.forEach(function(line) {
          var fields = line.split('\t');
          if (fields[0] === 'best') {
            best.push({rank: Number(fields[1]), score: Number(fields[2]), variant: fields[3],
                       level: Number(fields[4]), file: fields[5], game: Number(fields[6]),
                       started: fields[7]});
          } else if (fields[0] === 'remove') {
            page.storage.removeItem(kRecordingKey + fields[1]);
          } else if (fields[0] === 'passed') {
            console.info('A kept recording is passed over: ' + fields[1]);
          }
        });
        page.best = best;
        if (at >= 0) {
          try {
            page.storage.setItem(kCacheKey, whole.slice(at + 7));
          } catch (error) {
            // no room for the cache: the recordings are played again next time
          }
        }
      }).catch(function(error) {
        console.info('The kept games could not be played again: ' + error);
      }).then(function() {
        page.looks++;
        page.showKept();
      });
      return page.looking;
    },

    // The table and the recordings' controls, below the picture whenever
    // no run is going.
    showKept: function() {
      page.element('kept').hidden = page.state === 'running';
      page.element('save').disabled = !page.lastRecording && !page.runName;
      var body = page.element('best').tBodies[0];
      body.textContent = '';
      page.best.forEach(function(entry) {
        var row = body.insertRow();
        [entry.rank + '.', String(entry.score),
         'GAME ' + entry.variant + ' from level ' + entry.level, entry.started]
            .forEach(function(text) { row.insertCell().textContent = text; });
        var watch = document.createElement('button');
        watch.type = 'button';
        watch.textContent = 'Watch';
        watch.dataset.rank = entry.rank;
        watch.addEventListener('click', function() { page.watch(entry.rank); });
        row.insertCell().appendChild(watch);
      });
      page.element('best').hidden = page.best.length === 0;
    },

    inKept: function(element) {
      return !!(element && element.closest && element.closest('#kept'));
    },

    // Game rank of the table in the canvas: the recording before it fast
    // and unseen, the game at its pace to its game-over screen, held a
    // moment, as the desktop's --watch.
    watch: function(rank) {
      var entry = page.best[rank - 1];
      if (!entry || page.state === 'running') return Promise.resolve();
      var text = page.storage.getItem(kRecordingKey + entry.file);
      if (text === null) return page.lookAtKept();
      return page.play(entry.file, text, entry.game);
    },

    // A recording played in the canvas, whole, or only its game number
    // game; one the game's reader refuses is said, and nothing changes.
    play: function(name, text, game) {
      return page.ask({games: {name: name, text: text}}).then(function(answer) {
        var lines = answer.split('\n').map(function(line) { return line.split('\t'); });
        if (lines[0][0] === 'refused') {
          page.tell(lines[0][1]);
          return;
        }
        var watch = null;
        if (game) {
          var found = lines.filter(function(f) { return f[0] === 'game' && Number(f[1]) === game; });
          if (found.length === 0) {
            page.tell(name + ' no longer holds its game ' + game + '.');
            return page.lookAtKept();
          }
          watch = {from: Number(found[0][2]), until: Number(found[0][3]),
                   toGameOver: found[0][4] === '1'};
        }
        page.tell('');
        page.begin({text: text, watch: watch, speed: kNormalSpeed, stopped: false,
                    stepping: false, name: name});
      }).catch(function(error) {
        page.tell('The recording could not be played: ' + error.message);
      });
    },

    playFile: function(file) {
      if (!file) return;
      if (page.state === 'running') {
        page.tell('A recording plays once this run is over.');
        return;
      }
      if (file.size > kMostRecordingBytes) {
        page.tell(file.name + ': larger than 32 MiB, more than a recording holds.');
        return;
      }
      var reader = new FileReader();
      // A script written by hand may end without a line end; it plays as
      // on the desktop.
      reader.onload = function() {
        var text = String(reader.result);
        page.play(file.name, text && text.slice(-1) !== '\n' ? text + '\n' : text, 0);
      };
      reader.onerror = function() { page.tell(file.name + ' could not be read.'); };
      reader.readAsText(file);
    },

    // The last live run's recording (the one going on, if any) as a download.
    saveRecording: function() {
      var last = page.state === 'running' && !page.playback ?
          {name: page.runName, text: page.script} : page.lastRecording;
      if (!last || !last.text) return;
      var link = document.createElement('a');
      link.href = URL.createObjectURL(new Blob([last.text], {type: 'text/plain'}));
      link.download = 'fompy-talden-' + last.name;
      document.body.appendChild(link);
      link.click();
      link.remove();
      setTimeout(function() { URL.revokeObjectURL(link.href); }, 10000);
      page.saved = link.download;
    },

    listenToKept: function() {
      page.storage = page.openStorage();
      if (!page.storage) page.tell('This browser keeps nothing for the page: no games are kept here.');
      page.element('save').addEventListener('click', page.saveRecording);
      var chooser = page.element('recording-file');
      chooser.addEventListener('change', function() {
        page.playFile(chooser.files[0]);
        chooser.value = '';
      });
      window.addEventListener('dragover', function(event) {
        if (event.dataTransfer && Array.prototype.indexOf.call(event.dataTransfer.types, 'Files') >= 0) {
          event.preventDefault();
        }
      });
      window.addEventListener('drop', function(event) {
        if (!event.dataTransfer || event.dataTransfer.files.length === 0) return;
        event.preventDefault();
        page.playFile(event.dataTransfer.files[0]);
      });
      // A page hidden or closed keeps the run so far.
      window.addEventListener('pagehide', page.keepRun);
      document.addEventListener('visibilitychange', function() {
        if (document.hidden) page.keepRun();
      });
      page.showKept();
      if (page.keptNames().length > 0) page.lookAtKept();
    },

    // ---------------------------------------------------------------------
    // Offline play: the service worker (sw.js) keeps this build's files.
    // Where the browser refuses it storage, or it cannot keep them, the page
    // plays from the network as without one, and says so quietly, to the
    // console only.

    keepForOffline: function() {
      var workers = null;
      try {
        if (window.location.protocol !== 'file:' && 'serviceWorker' in navigator) {
          workers = navigator.serviceWorker;
        }
      } catch (error) {
        // refused outright
      }
      if (!workers) return;
      // This page came from the kept files if a worker was in charge of it.
      var kept = workers.controller !== null;
      var reloading = false;
      workers.addEventListener('controllerchange', function() {
        // A new build took over before the game began: the page loads it.
        if (kept && page.state === 'idle' && !reloading) {
          reloading = true;
          window.location.reload();
        }
      });
      // This page has all of its files, and a moment has passed for the
      // worker that served them to fall quiet: a new one takes over only
      // from a worker with nothing in hand.
      var settled = Promise.all([page.module, page.factory]).catch(function() {}).then(function() {
        return new Promise(function(resolve) {
          var pause = function() { setTimeout(resolve, 1000); };
          if (document.readyState === 'complete') {
            pause();
          } else {
            window.addEventListener('load', pause);
          }
        });
      });
      workers.register('sw.js').then(function(registration) {
        // A new build kept and waiting may take over (sw.js decides) once
        // this page has settled, and only while nothing has started.
        var offer = function(tries) {
          var waiting = registration.waiting;
          if (!waiting || page.state !== 'idle') return;
          waiting.postMessage('take over');
          // Asked again a little later, should the old worker have been busy.
          if (tries > 1) setTimeout(offer, 2000, tries - 1);
        };
        settled.then(function() { offer(3); });
        registration.addEventListener('updatefound', function() {
          var worker = registration.installing;
          if (!worker) return;
          worker.addEventListener('statechange', function() {
            if (worker.state === 'installed') settled.then(function() { offer(3); });
          });
        });
      }).catch(function(error) {
        console.info('The game is not kept for offline play here: ' + error);
      });
    },

    // ---------------------------------------------------------------------

    init: function() {
      page.canvas = page.element('screen');
      page.context = page.canvas.getContext('2d', {alpha: false});
      page.startSharp();
      page.readVolume();
      window.addEventListener('keydown', function(event) { page.onKey(event, true); });
      window.addEventListener('keyup', function(event) { page.onKey(event, false); });
      // The start gesture: a click or a tap anywhere, or a key (above).
      window.addEventListener('pointerup', function(event) {
        if (page.state === 'idle' && !page.inKept(event.target)) {
          event.preventDefault();
          page.start();
        }
      });
      window.addEventListener('pointerup', page.enableSound);
      window.addEventListener('touchend', page.enableSound);
      page.element('again').addEventListener('click', page.start);
      // A hidden tab or a page that lost the focus pauses; a key resumes.
      window.addEventListener('blur', page.pauseByItself);
      document.addEventListener('visibilitychange', function() {
        if (document.hidden) page.pauseByItself();
      });
      window.addEventListener('gamepadconnected', page.onPadConnected);
      page.listenToTouch();
      page.listenToKept();
      page.load();
      page.keepForOffline();
      window.fompyPage = page;
    }
  };

  page.init();
})();
