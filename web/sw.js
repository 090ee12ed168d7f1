// The web app's service worker: it keeps the site's files in a cache named
// after the site's folder and its content, and answers the site's requests
// from it, so that after one visit the page works with no network. Copies
// of the app in two folders of one host keep their caches apart.
//
// A new version of the site comes with a new worker (its cache name
// differs). It installs beside the old one as soon as the browser sees it,
// takes over at once and removes the old cache: the page open then stays
// as it is, and the next start is the new version.
//
// site.mjs puts the site in front of this file, as data:
//   const SITE = { cache: 'quirvelandostrabik-<hash of the files>', files: [...] };

/* global SITE */
const SCOPE = self.registration.scope;
const CACHE = `${SCOPE} ${SITE.cache}`;
const FILES = SITE.files;

self.addEventListener('install', (event) => {
  event.waitUntil(
    caches
      .open(CACHE)
      // Past the browser's HTTP cache, which may still hold the old files.
      .then((cache) => cache.addAll(FILES.map((file) => new Request(file, { cache: 'reload' }))))
      .then(() => self.skipWaiting()),
  );
});

// This folder's older caches: those named after it, and those of versions
// that named theirs after the content alone and hold this folder's page.
async function isOld(name) {
  if (name === CACHE) return false;
  if (name.startsWith(`${SCOPE} quirvelandostrabik-`)) return true;
  return (
    name.startsWith('quirvelandostrabik-') &&
    (await (await caches.open(name)).match(SCOPE)) !== undefined
  );
}

self.addEventListener('activate', (event) => {
  event.waitUntil(
    caches
      .keys()
      .then((names) =>
        Promise.all(names.map(async (name) => (await isOld(name)) && caches.delete(name))),
      )
      .then(() => self.clients.claim()),
  );
});

// Only the site's own requests are answered, from the cache first; nothing
// of any other origin is cached or touched. (The page makes no other
// request, and one answered would go to the network all the same.)
self.addEventListener('fetch', (event) => {
  const { request } = event;
  // Stryker disable next-line ConditionalExpression,LogicalOperator: see above
  if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin) return;
  event.respondWith(
    caches.match(request, { ignoreSearch: true }).then((cached) => cached ?? fetch(request)),
  );
});
