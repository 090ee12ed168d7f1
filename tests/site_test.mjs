// The web app's site, served from 127.0.0.1 by a small static server of
// this test's own, in headless Chromium with a profile that is kept between
// starts, as a phone keeps an installed app:
//  - Chromium's own check finds the site installable;
//  - after one visit, with the network off, the page opens (also with a
//    query, as a home screen may start it) and gives the reading of peter,
//    byte for byte;
//  - a changed version served is the next start's, though the server lets
//    browsers keep its files for ten minutes; this folder's old cache is
//    gone, and the caches of the app in another folder of the host stay;
//  - a page of another origin that frames the site gets no page.
// The page makes no request beyond its site, and reports no error. Every
// wait has a time limit, and a failed test closes its browser.
//
// Usage: node tests/site_test.mjs SITE_DIR [--chromium PATH]
// Exits 77 (skipped) when Chromium is missing.

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { existsSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { dirname, extname, join, resolve } from 'node:path';
import { after, before, test } from 'node:test';
import { fileURLToPath } from 'node:url';

import { chromium } from 'playwright-core';

import { CHROMIUM_ARGS, waitForLine, waitUntil } from './browser_engines.mjs';
import { bytesOf, sharedTexts } from './expected_output.mjs';

const args = process.argv.slice(2);
const chromiumIndex = args.indexOf('--chromium');
const chromiumPath = chromiumIndex >= 0 ? args.splice(chromiumIndex, 2)[1] : '/usr/bin/chromium';
const siteDir = resolve(args[0] ?? '');
if (!existsSync(chromiumPath)) {
  console.log(`Skipped: ${chromiumPath} is not installed`);
  process.exit(77);
}
const root = dirname(dirname(fileURLToPath(import.meta.url)));

// The bytes of a reading of peter, as the C++ tests share them.
const { kScreenHeader, kPeterReading, kClosing } = sharedTexts();
const PETER = bytesOf(kScreenHeader + kPeterReading + kClosing);

const TYPES = {
  '.html': 'text/html; charset=utf-8',
  '.webmanifest': 'application/manifest+json',
  '.png': 'image/png',
  '.js': 'text/javascript',
};

// The folder served now; the test swaps it for a changed version.
let served = siteDir;
const server = createServer((request, response) => {
  const path = new URL(request.url, 'http://127.0.0.1').pathname.replace(/\/$/, '/index.html');
  const file = join(served, path);
  if (!file.startsWith(served) || !existsSync(file)) {
    response.writeHead(404).end();
    return;
  }
  // As a host that reads the site's _headers file: its policy on every file.
  const policy = readFileSync(join(served, '_headers'), 'utf8').match(
    /Content-Security-Policy: (.*)/,
  )[1];
  response.writeHead(200, {
    'Content-Type': TYPES[extname(file)] ?? 'application/octet-stream',
    'Cache-Control': 'max-age=600', // as static hosts often send
    'Content-Security-Policy': policy,
  });
  response.end(readFileSync(file));
});
const work = mkdtempSync(join(tmpdir(), 'quirvelandostrabik-site-'));
let origin;
before(async () => {
  await new Promise((r) => server.listen(0, '127.0.0.1', r));
  origin = `http://127.0.0.1:${server.address().port}`;
});
const browsers = new Set();
after(async () => {
  for (const context of browsers) await context.close();
  server.closeAllConnections();
  server.close();
  rmSync(work, { recursive: true, force: true });
});

// One start of the app: a browser on the kept profile, at the site.
async function start() {
  const context = await chromium.launchPersistentContext(join(work, 'profile'), {
    executablePath: chromiumPath,
    headless: true,
    args: CHROMIUM_ARGS,
  });
  browsers.add(context);
  const page = context.pages()[0] ?? (await context.newPage());
  page.setDefaultTimeout(10000);
  const problems = [];
  page.on('request', (request) => {
    if (!request.url().startsWith(`${origin}/`) && !request.url().startsWith('data:')) {
      problems.push(`request: ${request.url()}`);
    }
  });
  page.on('pageerror', (error) => problems.push(`page error: ${error.message}`));
  page.on('console', (message) => {
    if (message.type() === 'error') problems.push(`console error: ${message.text()}`);
  });
  await page.goto(`${origin}/`);
  const evaluate = (fn, arg) => page.evaluate(fn, arg);
  await waitUntil(
    evaluate,
    () => navigator.serviceWorker.controller !== null,
    null,
    'a controlling worker',
    {
      seen: () =>
        navigator.serviceWorker
          .getRegistration()
          .then((r) => [r?.installing, r?.waiting, r?.active].map((w) => w?.state)),
    },
  );
  return {
    context,
    page,
    evaluate,
    waitForLine: (line) => waitForLine(evaluate, line),
    end: async () => {
      browsers.delete(context);
      await context.close();
      assert.deepEqual(problems, []);
    },
  };
}

const cacheNameOf = (dir) =>
  readFileSync(join(dir, 'sw.js'), 'utf8').match(/quirvelandostrabik-[0-9a-f]{16}/)[0];

test(
  'installable, a reading offline after one visit, and a new version the next start',
  { timeout: 120000 },
  async () => {
    const first = await start();
    const cdp = await first.context.newCDPSession(first.page);
    const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
    assert.deepEqual(installabilityErrors, [], 'Chromium finds the site installable');

    // Caches of the app in another folder of the host: one named after its
    // folder, one of an older version named after its content alone; and
    // such an older one of this folder, which the update removes.
    const others = [
      `${origin}/b/ quirvelandostrabik-0000000000000000`,
      'quirvelandostrabik-1111111111111111',
    ];
    await first.page.evaluate(async ([named, older]) => {
      await caches.open(named);
      await (await caches.open(older)).put(new URL('/b/', location.href).href, new Response('b'));
      await (
        await caches.open('quirvelandostrabik-2222222222222222')
      ).put(location.href, new Response('a'));
    }, others);

    await first.context.setOffline(true);
    await first.page.goto(`${origin}/?from=homescreen`);
    await first.waitForLine('bitte Namen eingeben:');
    await first.page.keyboard.type('peter');
    await first.page.keyboard.press('Enter');
    await first.waitForLine('Ende: Taste druecken');
    assert.deepEqual(await first.page.evaluate(() => window.quirvelandostrabik.output()), PETER);
    await first.end();

    // A changed page, built into a site of its own, as a new release would be.
    const changedPage = join(work, 'changed.html');
    writeFileSync(
      changedPage,
      readFileSync(join(siteDir, 'index.html'), 'utf8').replace(
        '<title>Quirvelandostrabik</title>',
        '<title>Quirvelandostrabik 2</title>',
      ),
    );
    const changedSite = join(work, 'changed-site');
    execFileSync(process.execPath, [join(root, 'web', 'site.mjs'), changedPage, changedSite]);
    served = changedSite;
    const newCache = cacheNameOf(changedSite);
    assert.notEqual(newCache, cacheNameOf(siteDir), 'the cache is named after the content');

    // The start that sees the new version: it is installed, and of the caches
    // only this folder's old one is removed.
    const second = await start();
    const expected = [`${origin}/ ${newCache}`, ...others].sort();
    await waitUntil(
      second.evaluate,
      async (e) => JSON.stringify((await caches.keys()).sort()) === e,
      JSON.stringify(expected),
      `the caches ${expected.join(', ')}`,
      { seen: () => caches.keys() },
    );
    await second.end();

    const third = await start();
    assert.equal(
      await third.page.title(),
      'Quirvelandostrabik 2',
      'the next start is the new version',
    );
    await third.end();
  },
);

test('a page of another origin that frames the site gets no page', { timeout: 60000 }, async () => {
  const framing = createServer((request, response) => {
    response.writeHead(200, { 'Content-Type': 'text/html; charset=utf-8' });
    response.end(`<!doctype html><title>framing</title><iframe src="${origin}/"></iframe>`);
  });
  await new Promise((r) => framing.listen(0, '127.0.0.1', r));
  const browser = await chromium.launch({ executablePath: chromiumPath, args: CHROMIUM_ARGS });
  try {
    const page = await browser.newPage();
    page.setDefaultTimeout(10000);
    // The load event waits for the frame, whatever it comes to hold.
    await page.goto(`http://127.0.0.1:${framing.address().port}/`);
    const frame = page.frames().find((f) => f !== page.mainFrame());
    assert.ok(!frame.url().startsWith(origin), `the frame holds ${frame.url()}`);
  } finally {
    await browser.close();
    framing.close();
  }
});
