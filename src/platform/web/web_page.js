// SPDX-License-Identifier: MIT
// web_page.js -- the program's side of the page (declared in web_page.h): an
// Emscripten JavaScript library, linked with --js-library, that hands the
// program's pictures, sounds and text to the page (page.js, window.fompyPage)
// and takes its key events. The page outlives each run of the program.

mergeInto(LibraryManager.library, {
  WebPageOpen: function(width, height) {
    var page = window.fompyPage;
    page.canvas.width = width;
    page.canvas.height = height;
    page.image = page.context.createImageData(width, height);
  },

  WebPageWantsRecord: function() {
    return /[?&]record(=|&|$)/.test(window.location.search) ? 1 : 0;
  },

  WebPagePlaybackSize: function() {
    var playback = window.fompyPage.playback;
    return playback ? lengthBytesUTF8(playback.text) : 0;
  },

  WebPagePlaybackText: function(text, size) {
    stringToUTF8(window.fompyPage.playback.text, text, size + 1);
  },

  WebPageWatchSpan: function(span) {
    var watch = window.fompyPage.playback && window.fompyPage.playback.watch;
    if (!watch) return 0;
    HEAPF64.set([watch.from, watch.until, watch.toGameOver ? 1 : 0], span >> 3);
    return 1;
  },

  WebPageSetMark: function(speed, box, blocks, count) {
    var page = window.fompyPage;
    page.marks[speed] = {
      box: HEAP32.slice(box >> 2, (box >> 2) + 4),
      blocks: HEAP32.slice(blocks >> 2, (blocks >> 2) + count * 4),
    };
    if (page.playback && page.playback.speed === speed) page.drawMark();
  },

  WebPagePlaybackSpeed: function() {
    var playback = window.fompyPage.playback;
    return playback ? playback.speed : 0;
  },

  WebPagePlaybackStopped: function() {
    var playback = window.fompyPage.playback;
    return playback && playback.stopped ? 1 : 0;
  },

  // A frame of a playback stepped while paused has run: paused again.
  WebPagePaused: function() {
    var page = window.fompyPage;
    if (page.playback && page.playback.stepping) {
      page.playback.stepping = false;
      page.pause(false);
    }
    return page.paused ? 1 : 0;
  },

  WebPageHalt: function() {
    Asyncify.handleSleep(function() {});
  },

  WebPageSetPausedHint: function(hint, blocks, count) {
    window.fompyPage.hints[hint] = HEAP32.slice(blocks >> 2, (blocks >> 2) + count * 4);
  },

  WebPageSetNote: function(volume, box, blocks, count) {
    window.fompyPage.notes[volume] = {
      box: HEAP32.slice(box >> 2, (box >> 2) + 4),
      blocks: HEAP32.slice(blocks >> 2, (blocks >> 2) + count * 4),
    };
  },

  WebPageShowPicture: function(rgba, present) {
    var page = window.fompyPage;
    page.image.data.set(HEAPU8.subarray(rgba, rgba + page.image.data.length));
    page.context.putImageData(page.image, 0, 0);
    page.drawSharp();
    page.pictures++;
    if (!present) return;
    page.presents++;
    if (page.frameTimes) page.frameTimes.push(performance.now());
  },

  WebPageTakeKeyEvents: function(events, capacity) {
    var queued = window.fompyPage.keyEvents;
    var count = Math.min(capacity * 4, queued.length);
    HEAP32.set(queued.slice(0, count), events >> 2);
    queued.splice(0, count);
    return count / 4;
  },

  // Asyncify imports (see ASYNCIFY_IMPORTS in CMakeLists.txt): the program
  // sleeps in them, without a timer, until the page wakes it. It goes on in
  // a task of its own, never inside the page's event handler. When the
  // program comes back from the sleep (Asyncify rewinding), handleSleep must
  // be called again whatever the page's state.
  WebPageWaitForKeyEvent__deps: ['$safeSetTimeout'],
  WebPageWaitForKeyEvent: function() {
    var page = window.fompyPage;
    var normal = Asyncify.state === Asyncify.State.Normal;
    if (normal && page.keyEvents.length > 0 && !page.paused) return;
    Asyncify.handleSleep(function(wakeUp) {
      page.waiting = true;
      page.wake = function() { safeSetTimeout(wakeUp, 0); };
    });
  },

  WebPageWaitWhilePaused__deps: ['$safeSetTimeout'],
  WebPageWaitWhilePaused: function() {
    var page = window.fompyPage;
    if (Asyncify.state === Asyncify.State.Normal && !page.paused) return 0;
    return Asyncify.handleSleep(function(wakeUp) {
      page.resumeProgram = function() { safeSetTimeout(function() { wakeUp(1); }, 0); };
    });
  },

  WebPageWaitForSounds__deps: ['$safeSetTimeout'],
  WebPageWaitForSounds: function() {
    var page = window.fompyPage;
    if (Asyncify.state === Asyncify.State.Normal && page.decoding === 0) return;
    Asyncify.handleSleep(function(wakeUp) {
      page.soundsReady = function() { safeSetTimeout(wakeUp, 0); };
    });
  },

  WebPageLoadSound: function(resource, wave, size) {
    window.fompyPage.loadSound(resource, HEAPU8.slice(wave, wave + size));
  },

  WebPagePlaySound: function(resource, loop) {
    window.fompyPage.playSound(resource, loop !== 0);
  },

  WebPageStopSound: function() {
    window.fompyPage.stopSound();
  },

  WebPageAppendText: function(stream, text, length) {
    var page = window.fompyPage;
    var part = UTF8ToString(text, length);
    if (stream === 0) {
      page.script += part;
    } else {
      page.log += part;
    }
  },

  WebPageEnded: function() {
    window.fompyPage.end();
  }
});
