// web_page.js -- the page's side of the web platform (declared in
// web_page.h): the canvas, the keyboard, the sound and what the page keeps
// for its tests. An Emscripten JavaScript library, linked with --js-library.

mergeInto(LibraryManager.library, {
  // Everything the page keeps, for the life of the page. window.fompyPage
  // shows it to the browser test and to anyone curious.
  $FompyPage: {
    canvas: null,
    context: null,
    image: null,           // ImageData of the canvas's size
    pictures: 0,           // pictures shown so far
    presents: 0,           // of them, presented frames
    keyEvents: [],         // key codes not yet taken by the program
    held: [false, false, false, false, false, false, false],
    wake: null,            // ends the program's wait for a key event
    waiting: false,        // the program waits for a key event
    ended: false,          // the program has ended
    script: '',            // with ?record: the delivered keys, as a headless script
    log: '',               // with ?record: the run log
    waves: {},             // resource number: the wave file's bytes
    buffers: {},           // resource number: its decoded AudioBuffer
    decoded: 0,            // how many waves were decoded
    soundErrors: [],       // waves that could not be decoded, and why
    audio: null,           // the AudioContext, made at the first gesture
    voice: null,           // the AudioBufferSourceNode playing, if any
    voiceResource: 0,      // the resource it plays
    wanted: null,          // the sound the program asked for last: {resource, loop}

    // The seven keys in the program's order (platform::Key): Enter, Escape,
    // Space, Left, Up, Right, Down.
    keyCodes: {
      'Enter': 0, 'NumpadEnter': 0, 'Escape': 1, 'Space': 2,
      'ArrowLeft': 3, 'ArrowUp': 4, 'ArrowRight': 5, 'ArrowDown': 6
    },
    keyNames: {
      'Enter': 0, 'Escape': 1, 'Esc': 1, ' ': 2, 'Spacebar': 2,
      'ArrowLeft': 3, 'Left': 3, 'ArrowUp': 4, 'Up': 4,
      'ArrowRight': 5, 'Right': 5, 'ArrowDown': 6, 'Down': 6
    },

    keyOf: function(event) {
      if (event.code in FompyPage.keyCodes) return FompyPage.keyCodes[event.code];
      if (event.key in FompyPage.keyNames) return FompyPage.keyNames[event.key];
      return -1;
    },

    queueKey: function(key, down) {
      FompyPage.held[key] = down;
      FompyPage.keyEvents.push(key | (down ? 0x80 : 0));
      var wake = FompyPage.wake;
      if (wake) {
        FompyPage.wake = null;
        wake();
      }
    },

    onKey: function(event, down) {
      if (down) FompyPage.enableSound();
      // Alt+Enter is the page's own key, as on the desktop: fullscreen.
      if (down && event.altKey && (event.code === 'Enter' || event.key === 'Enter')) {
        event.preventDefault();
        if (!event.repeat) FompyPage.toggleFullscreen();
        return;
      }
      var key = FompyPage.keyOf(event);
      if (key < 0) return;
      // The arrows and Space would scroll the page, Enter might act on it.
      event.preventDefault();
      FompyPage.queueKey(key, down);
    },

    // Keys held when the page loses the keyboard would never come up.
    onBlur: function() {
      for (var key = 0; key < FompyPage.held.length; ++key) {
        if (FompyPage.held[key]) FompyPage.queueKey(key, false);
      }
    },

    toggleFullscreen: function() {
      if (document.fullscreenElement) {
        document.exitFullscreen();
      } else if (FompyPage.canvas.parentElement.requestFullscreen) {
        FompyPage.canvas.parentElement.requestFullscreen().catch(function() {});
      }
    },

    // Browsers allow sound only after a gesture of the player: the first key
    // press or click makes the audio context and decodes the five waves.
    // Each later gesture resumes the context while the browser holds it
    // suspended (not every key counts as a gesture).
    enableSound: function() {
      var audio = FompyPage.audio;
      if (!audio) {
        var Context = window.AudioContext || window.webkitAudioContext;
        if (!Context) return;
        audio = new Context();
        FompyPage.audio = audio;
        audio.onstatechange = function() {
          var hint = document.getElementById('sound-hint');
          if (hint && audio.state === 'running') hint.hidden = true;
        };
        FompyPage.decodeWaves();
      }
      if (audio.state === 'suspended') audio.resume().then(audio.onstatechange, function() {});
    },

    decodeWaves: function() {
      var audio = FompyPage.audio;
      Object.keys(FompyPage.waves).forEach(function(name) {
        var resource = Number(name);
        var bytes = FompyPage.waves[resource];
        // decodeAudioData takes the buffer away; it gets a copy.
        audio.decodeAudioData(bytes.slice().buffer).then(function(buffer) {
          FompyPage.buffers[resource] = buffer;
          FompyPage.decoded++;
          // A loop asked for before its wave was ready starts now; a cue
          // that was due then is over.
          var wanted = FompyPage.wanted;
          if (wanted && wanted.loop && wanted.resource === resource && !FompyPage.voice) {
            FompyPage.playSound(resource, true);
          }
        }, function(error) {
          FompyPage.soundErrors.push(resource + ': ' + error);
        });
      });
    },

    playSound: function(resource, loop) {
      FompyPage.stopSound();
      FompyPage.wanted = {resource: resource, loop: loop};
      var buffer = FompyPage.buffers[resource];
      if (!FompyPage.audio || !buffer) return;
      var source = FompyPage.audio.createBufferSource();
      source.buffer = buffer;
      source.loop = loop;
      source.connect(FompyPage.audio.destination);
      source.onended = function() {
        if (FompyPage.voice === source) {
          FompyPage.voice = null;
          FompyPage.voiceResource = 0;
        }
      };
      source.start();
      FompyPage.voice = source;
      FompyPage.voiceResource = resource;
    },

    stopSound: function() {
      FompyPage.wanted = null;
      var voice = FompyPage.voice;
      FompyPage.voice = null;
      FompyPage.voiceResource = 0;
      if (voice) {
        voice.onended = null;
        voice.stop();
        voice.disconnect();
      }
    }
  },

  WebPageOpen__deps: ['$FompyPage'],
  WebPageOpen: function(width, height) {
    var page = FompyPage;
    page.canvas = document.getElementById('screen');
    if (!page.canvas) {
      page.canvas = document.createElement('canvas');
      document.body.appendChild(page.canvas);
    }
    page.canvas.width = width;
    page.canvas.height = height;
    page.context = page.canvas.getContext('2d', {alpha: false});
    page.image = page.context.createImageData(width, height);
    window.addEventListener('keydown', function(event) { page.onKey(event, true); });
    window.addEventListener('keyup', function(event) { page.onKey(event, false); });
    window.addEventListener('blur', page.onBlur);
    window.addEventListener('pointerdown', page.enableSound);
    window.addEventListener('touchend', page.enableSound);
    window.fompyPage = page;
  },

  WebPageWantsRecord: function() {
    return /[?&]record(=|&|$)/.test(window.location.search) ? 1 : 0;
  },

  WebPageShowPicture__deps: ['$FompyPage'],
  WebPageShowPicture: function(rgba, present) {
    var page = FompyPage;
    page.image.data.set(HEAPU8.subarray(rgba, rgba + page.image.data.length));
    page.context.putImageData(page.image, 0, 0);
    page.pictures++;
    if (present) page.presents++;
  },

  WebPageTakeKeyEvents__deps: ['$FompyPage'],
  WebPageTakeKeyEvents: function(codes, capacity) {
    var events = FompyPage.keyEvents;
    var count = Math.min(capacity, events.length);
    for (var i = 0; i < count; ++i) HEAPU8[codes + i] = events[i];
    events.splice(0, count);
    return count;
  },

  // An Asyncify import (see ASYNCIFY_IMPORTS in CMakeLists.txt): the program
  // sleeps here, without a timer, until a key event wakes it.
  WebPageWaitForKeyEvent__deps: ['$FompyPage', '$safeSetTimeout'],
  WebPageWaitForKeyEvent: function() {
    Asyncify.handleSleep(function(wakeUp) {
      var page = FompyPage;
      if (page.keyEvents.length > 0) {
        wakeUp();
        return;
      }
      page.waiting = true;
      page.wake = function() {
        page.waiting = false;
        // Not inside the key handler: the program goes on in a task of its own.
        safeSetTimeout(wakeUp, 0);
      };
    });
  },

  WebPageLoadSound__deps: ['$FompyPage'],
  WebPageLoadSound: function(resource, wave, size) {
    FompyPage.waves[resource] = HEAPU8.slice(wave, wave + size);
  },

  WebPagePlaySound__deps: ['$FompyPage'],
  WebPagePlaySound: function(resource, loop) {
    FompyPage.playSound(resource, loop !== 0);
  },

  WebPageStopSound__deps: ['$FompyPage'],
  WebPageStopSound: function() {
    FompyPage.stopSound();
  },

  WebPageAppendText__deps: ['$FompyPage'],
  WebPageAppendText: function(stream, text, length) {
    var part = UTF8ToString(text, length);
    if (stream === 0) {
      FompyPage.script += part;
    } else {
      FompyPage.log += part;
    }
  },

  WebPageEnded__deps: ['$FompyPage'],
  WebPageEnded: function() {
    var page = FompyPage;
    page.ended = true;
    page.stopSound();
    page.context.fillStyle = '#000';
    page.context.fillRect(0, 0, page.canvas.width, page.canvas.height);
    var note = document.getElementById('ended');
    if (note) note.hidden = false;
  }
});
