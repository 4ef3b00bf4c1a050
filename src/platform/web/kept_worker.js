// SPDX-License-Identifier: MIT
// kept_worker.js -- a worker of the page that plays its kept recordings
// again with the game itself (fompy-talden-kept.js, src/shell/page_kept.cpp), away from
// the page's own thread, so that the page stays live while a long recording
// plays. Each message is one question and gets one answer:
//   {id, look: {cache, runs: [{name, text}]}}  ->  {id, text}  (KeptFinish's lines)
//   {id, games: {name, text}}                  ->  {id, text}  (KeptGames's lines)
// A worker that cannot load the game answers every question {id, error}.
'use strict';

var loading = null;

function game() {
  if (!loading) {
    importScripts('fompy-talden-kept.js');
    loading = createFompyKept();
  }
  return loading;
}

// Text into the module's memory for one call; freed after it.
function withText(module, text, use) {
  var size = module.lengthBytesUTF8(text);
  var at = module._malloc(size + 1);
  module.stringToUTF8(text, at, size + 1);
  try {
    return use(at, size);
  } finally {
    module._free(at);
  }
}

function answer(module, question) {
  if (question.look) {
    withText(module, question.look.cache || '', function(at, size) {
      module._KeptBegin(at, size);
    });
    question.look.runs.forEach(function(run) {
      withText(module, run.name, function(name) {
        withText(module, run.text, function(at, size) { module._KeptAdd(name, at, size); });
      });
    });
    return module.UTF8ToString(module._KeptFinish());
  }
  var asked = question.games;
  return withText(module, asked.name, function(name) {
    return withText(module, asked.text, function(at, size) {
      return module.UTF8ToString(module._KeptGames(name, at, size));
    });
  });
}

self.onmessage = function(event) {
  var question = event.data;
  var reply;
  try {
    reply = game();
  } catch (error) {
    reply = Promise.reject(error);
  }
  Promise.resolve(reply).then(function(module) {
    self.postMessage({id: question.id, text: answer(module, question)});
  }).catch(function(error) {
    self.postMessage({id: question.id, error: String(error)});
  });
};
