// SPDX-License-Identifier: MIT
// service_worker_test.mjs -- the web folder's sw.js on its own, in node, in a
// stand-in for a browser's worker: the server and the storage failing it in
// the ways a browser cannot be made to on demand. It keeps a build whole or
// not at all, a page's fetch never fails for its cache, and a new build takes
// over only for a page alone.
//
// usage: node service_worker_test.mjs SITE   (the built web folder)

import { webcrypto } from 'node:crypto';
import fs from 'node:fs';
import path from 'node:path';
import vm from 'node:vm';

const kBase = 'https://fompy.test/game/';

class TestFailure extends Error {}

function check(condition, message) {
  if (!condition) throw new TestFailure(message);
}

// The site's files from the folder, as a server gives them; `changed` are
// answered with other bytes (another build's), `missing` with a 404.
function server(site, { changed = [], missing = [] } = {}) {
  const asked = [];
  const fetch = async (request) => {
    const url = new URL(request.url ?? request, kBase);
    asked.push(url.pathname + url.search);
    const name = url.pathname.slice(new URL(kBase).pathname.length) || 'index.html';
    if (missing.includes(name) || !fs.existsSync(path.join(site, name))) {
      return new Response('not found', { status: 404 });
    }
    const bytes = fs.readFileSync(path.join(site, name));
    return new Response(changed.includes(name) ? Buffer.concat([bytes, Buffer.from('\n')]) : bytes);
  };
  return { fetch, asked };
}

// Cache storage in memory; `refused` rejects every open, `room` is how many
// entries fit in all.
function storage({ refused = false, room = Infinity } = {}) {
  const stores = new Map();
  const key = (request) => new URL(request.url ?? request, kBase).href;
  const entries = () => [...stores.values()].reduce((n, store) => n + store.size, 0);
  return {
    stores,
    async open(name) {
      if (refused) throw new DOMException('refused', 'SecurityError');
      if (!stores.has(name)) stores.set(name, new Map());
      const store = stores.get(name);
      return {
        async put(request, response) {
          if (entries() >= room) throw new DOMException('no room', 'QuotaExceededError');
          store.set(key(request), response);
        },
        async match(request, { ignoreSearch = false } = {}) {
          const url = new URL(key(request));
          if (ignoreSearch) url.search = '';
          return store.get(url.href)?.clone();
        },
      };
    },
    async keys() { return [...stores.keys()]; },
    async delete(name) { return stores.delete(name); },
  };
}

// sw.js run in a context of its own; returns a way to fire its events.
function worker(site, net, caches, pages = []) {
  const listeners = {};
  const state = { skipped: 0 };
  const self = {
    addEventListener: (type, listener) => { listeners[type] = listener; },
    skipWaiting: async () => { state.skipped++; },
    registration: { scope: kBase },
    clients: { matchAll: async () => pages },
  };
  class RelativeRequest extends Request {
    constructor(input, init) {
      super(typeof input === 'string' ? new URL(input, kBase).href : input, init);
    }
  }
  const context = vm.createContext({
    self, caches, fetch: net.fetch, crypto: webcrypto, Request: RelativeRequest, Response, Promise, Array,
    Uint8Array, Object, Error,
  });
  vm.runInContext(fs.readFileSync(path.join(site, 'sw.js'), 'utf8'), context);
  const fire = async (type, fields = {}) => {
    let promise = Promise.resolve();
    const keep = (p) => { promise = p; };
    const event = { ...fields, waitUntil: keep, respondWith: keep };
    listeners[type](event);
    return promise;
  };
  return { fire, state, cache: vm.runInContext('kCache', context),
           files: vm.runInContext('Object.keys(kFiles)', context) };
}

async function installFails(site, what, net, caches) {
  const sw = worker(site, net, caches);
  const installed = await sw.fire('install').then(() => true, () => false);
  check(!installed, `${what}: the worker installed`);
  check(!caches.stores.has(sw.cache), `${what}: a cache was left: ${[...caches.stores.keys()]}`);
}

async function main() {
  const site = process.argv[2];
  if (!site) {
    console.error('usage: node service_worker_test.mjs SITE');
    process.exit(2);
  }
  // The build's own files are kept, every one, and the worker waits.
  let caches = storage();
  caches.stores.set('fompy-talden-0000000000000000', new Map());
  caches.stores.set('another-app', new Map());
  let sw = worker(site, server(site), caches);
  const { files } = sw;
  await sw.fire('install');
  const kept = caches.stores.get(sw.cache);
  check(kept && kept.size === files.length, `kept ${kept?.size} of ${files.length} files`);
  check(sw.state.skipped === 0, 'the worker took over as it installed');
  await sw.fire('activate');
  check([...caches.stores.keys()].sort().join() === ['another-app', sw.cache].join(),
        `after the activation the caches are ${[...caches.stores.keys()]}`);
  console.log(`service_worker_test: the build's ${files.length} files kept; the builds before dropped`);

  // A file missing, a file of another build (a server halfway through
  // publishing), no room after a few files: nothing kept.
  await installFails(site, 'a file missing', server(site, { missing: ['fompy-talden.wasm'] }), storage());
  await installFails(site, 'a file of another build', server(site, { changed: ['page.js'] }), storage());
  await installFails(site, 'no room', server(site), storage({ room: 3 }));
  await installFails(site, 'storage refused', server(site), storage({ refused: true }));
  console.log('service_worker_test: a file missing or of another build, no room, no storage: ' +
              'nothing kept');

  // A page's fetches: from the cache when kept ("?record" too), from the
  // network when the cache is gone or cannot be opened.
  const net = server(site);
  const page = async (caches) => {
    const before = net.asked.length;
    const response = await worker(site, net, caches).fire('fetch', {
      request: new Request(`${kBase}index.html?record`),
    }).catch((error) => { throw new TestFailure(`the page's fetch failed: ${error}`); });
    return { text: await response.text(), network: net.asked.length > before };
  };
  const html = fs.readFileSync(path.join(site, 'index.html'), 'utf8');
  let got = await page(caches);
  check(got.text === html && !got.network, 'the kept page did not come from the cache');
  for (const [what, broken] of [['refused', storage({ refused: true })], ['gone', storage()]]) {
    got = await page(broken);
    check(got.text === html && got.network,
          `with the cache ${what}, the page did not come from the network`);
  }
  console.log('service_worker_test: the kept page from the cache; with the cache refused or gone, ' +
              'the network');

  // Asked to take over: only when no other page of the game is open.
  const asking = { id: 'a', url: `${kBase}index.html` };
  const cases = [
    [[asking], 1],
    [[asking, { id: 'b', url: `${kBase}index.html?record` }], 0],
    [[asking, { id: 'c', url: 'https://fompy.test/elsewhere.html' }], 1],
  ];
  for (const [pages, skips] of cases) {
    sw = worker(site, server(site), storage(), pages);
    await sw.fire('message', { data: 'take over', source: asking });
    check(sw.state.skipped === skips,
          `with ${pages.map((p) => p.url)} open, ${sw.state.skipped} take-overs`);
  }
  console.log('service_worker_test: a new build takes over only for a page alone');
}

main().catch((error) => {
  console.error(`service_worker_test: FAIL: ${error instanceof TestFailure ? error.message : error.stack}`);
  process.exit(1);
});
