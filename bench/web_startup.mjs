// Measures web pages: their size, raw and gzipped, and the time from the
// start of navigation to the prompt on screen, over fresh browser contexts
// in headless Chromium. Given a second page, measures both in the same run,
// alternating, so that their figures compare. A benchmark to run and read,
// not a test: it asserts nothing.
//
// Usage: node bench/web_startup.mjs PAGE.html [OTHER.html] [RUNS] [--chromium PATH]

import { readFileSync } from 'node:fs';
import { basename, resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { gzipSync } from 'node:zlib';

import { chromium } from 'playwright-core';

import { CHROMIUM_ARGS } from '../tests/browser_engines.mjs';

const args = process.argv.slice(2);
const chromiumIndex = args.indexOf('--chromium');
const chromiumPath = chromiumIndex >= 0 ? args.splice(chromiumIndex, 2)[1] : '/usr/bin/chromium';
const runs = /^\d+$/.test(args.at(-1) ?? '') ? Number(args.pop()) : 20;
const pages = args.map((path) => ({ path, times: [] }));
if (pages.length === 0 || pages.length > 2) {
  console.error(
    'usage: node bench/web_startup.mjs PAGE.html [OTHER.html] [RUNS] [--chromium PATH]',
  );
  process.exit(2);
}

const kib = (n) => `${(n / 1024).toFixed(1)} KiB`;
for (const { path } of pages) {
  const bytes = readFileSync(path);
  console.log(
    `${basename(path)}: ${bytes.length} bytes (${kib(bytes.length)}), ` +
      `gzipped ${kib(gzipSync(bytes, { level: 9 }).length)}`,
  );
}

const browser = await chromium.launch({ executablePath: chromiumPath, args: CHROMIUM_ARGS });
for (let i = 0; i < runs; i += 1) {
  for (const page of pages) {
    const context = await browser.newContext();
    // Runs before the page's own script: notes when the prompt is first in
    // the console's text (the log, or a terminal widget's rows), measured
    // from the start of navigation.
    await context.addInitScript(() => {
      new MutationObserver((_, observer) => {
        const text = document.querySelector('[role=log], .xterm-rows');
        if (text?.textContent.includes('bitte Namen eingeben:')) {
          window.promptShownAt = performance.now();
          observer.disconnect();
        }
      }).observe(document, { childList: true, subtree: true, characterData: true });
    });
    const tab = await context.newPage();
    await tab.goto(pathToFileURL(resolve(page.path)).href);
    await tab.waitForFunction(() => window.promptShownAt !== undefined);
    page.times.push(await tab.evaluate(() => window.promptShownAt));
    await context.close();
  }
}
await browser.close();

const ms = (t) => `${t.toFixed(1)} ms`;
const medians = pages.map(({ path, times }) => {
  times.sort((a, b) => a - b);
  const median = (times[(runs - 1) >> 1] + times[runs >> 1]) / 2;
  console.log(
    `${basename(path)}: navigation to prompt on screen, ${runs} runs: median ${ms(median)}, ` +
      `fastest ${ms(times[0])}, slowest ${ms(times[runs - 1])}`,
  );
  return median;
});
if (medians.length === 2)
  console.log(`ratio of the medians: ${(medians[0] / medians[1]).toFixed(2)}`);
