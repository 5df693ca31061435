// The page's own service worker, for hosts that cannot send the two headers which give the page
// the shared memory the program's threads need: every answer for the page's folder passes
// through here and gets them. The page registers it when it finds itself without them, and loads
// itself again once it is in charge (page.js).
'use strict';

self.addEventListener('install', () => self.skipWaiting());

self.addEventListener('activate', (event) => event.waitUntil(self.clients.claim()));

async function isolated(request) {
  const response = await fetch(request);
  // An answer from another origin that hides its headers cannot be rewritten; it is passed on.
  if (response.type === 'opaque' || response.type === 'opaqueredirect') return response;
  const headers = new Headers(response.headers);
  headers.set('Cross-Origin-Opener-Policy', 'same-origin');
  headers.set('Cross-Origin-Embedder-Policy', 'require-corp');
  return new Response(response.body, { status: response.status, statusText: response.statusText, headers });
}

self.addEventListener('fetch', (event) => {
  // A request the browser may only answer from its cache cannot be fetched afresh for another
  // origin; the browser answers it itself.
  if (event.request.cache === 'only-if-cached' && event.request.mode !== 'same-origin') return;
  event.respondWith(isolated(event.request));
});
