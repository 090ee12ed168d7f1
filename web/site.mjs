// Builds the web app's site: a folder for any static host (HTTPS, or
// localhost) that holds the page as index.html, its manifest, its icons and
// the service worker that keeps them all for offline use.
//
// Usage: node web/site.mjs PAGE.html SITE_DIR
//
// The same page gives the same bytes: the icons are drawn here, and the
// cache's name is a hash of the site's other files.

import { createHash } from 'node:crypto';
import { mkdirSync, readFileSync, writeFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

import { icon } from './icons.mjs';

const [pagePath, siteDir] = process.argv.slice(2);
if (!pagePath || !siteDir) {
  console.error('usage: node web/site.mjs PAGE.html SITE_DIR');
  process.exit(2);
}
const webDir = dirname(fileURLToPath(import.meta.url));

const manifest = {
  id: './',
  name: 'Quirvelandostrabik: Namensdeutung',
  short_name: 'Quirvelandostrabik',
  description: 'Eine Namensdeutung nach der chaldäischen Zahlentafel, in einer Konsole.',
  lang: 'de',
  dir: 'ltr',
  start_url: './',
  scope: './',
  display: 'standalone',
  background_color: '#1e1e1e',
  theme_color: '#0c0c0c',
  icons: [
    { src: 'icon-192.png', sizes: '192x192', type: 'image/png', purpose: 'any' },
    { src: 'icon-512.png', sizes: '512x512', type: 'image/png', purpose: 'any' },
    { src: 'icon-maskable-512.png', sizes: '512x512', type: 'image/png', purpose: 'maskable' },
  ],
};

// The site's page names its icon; the page alone has none beside it.
const icon192 = '<link rel="icon" href="icon-192.png" type="image/png">\n';
const page = readFileSync(pagePath, 'utf8').replace('<link rel="manifest"', `${icon192}$&`);
if (!page.includes(icon192))
  throw new Error(`${pagePath} has no manifest link to put the icon before`);

const files = new Map([
  ['index.html', Buffer.from(page)],
  ['manifest.webmanifest', Buffer.from(`${JSON.stringify(manifest, null, 2)}\n`)],
  ['icon-192.png', icon(192)],
  ['icon-512.png', icon(512)],
  ['icon-maskable-512.png', icon(512, { maskable: true })],
]);

const hash = createHash('sha256');
for (const [name, bytes] of files) hash.update(`${name}\0${bytes.length}\0`).update(bytes);
const cache = `quirvelandostrabik-${hash.digest('hex').slice(0, 16)}`;
// The start URL ./ is the page too, as a static host serves it.
const cached = ['./', ...files.keys()];
const site = JSON.stringify({ cache, files: cached });
// Under mutation testing the worker names the mutant that is on, first of
// all, as build.mjs makes the page do; any other build has no such line.
const activeMutant = process.env.__STRYKER_ACTIVE_MUTANT__;
const mutantLine =
  activeMutant === undefined
    ? ''
    : `globalThis.__stryker__ = { activeMutant: ${JSON.stringify(activeMutant)} };\n`;
const worker = `${mutantLine}const SITE = ${site};\n${readFileSync(join(webDir, 'sw.js'), 'utf8')}`;

// For hosts that read a _headers file: the page's own policy as a header,
// which can also say that no other site may frame the page. 'strict-dynamic'
// lets only the page's hashed script run, and scripts it loads, of which
// there are none. The header applies to the service worker too, which
// fetches the site's files: it may connect to its own site. The page's own
// policy, which still applies, allows no connection at all.
const policy = page.match(/<meta http-equiv="Content-Security-Policy" content="([^"]*)">/)[1];
const headerPolicy = [
  ...policy
    .split('; ')
    .map((directive) =>
      directive.startsWith('script-src ')
        ? directive.replace(" 'wasm-unsafe-eval'", " 'strict-dynamic' 'wasm-unsafe-eval'")
        : directive,
    ),
  "connect-src 'self'",
  "object-src 'none'",
  "frame-ancestors 'none'",
].join('; ');
const headers = `/*\n  Content-Security-Policy: ${headerPolicy}\n`;

mkdirSync(siteDir, { recursive: true });
for (const [name, bytes] of files) writeFileSync(join(siteDir, name), bytes);
writeFileSync(join(siteDir, 'sw.js'), worker);
writeFileSync(join(siteDir, '_headers'), headers);
