// Measures the web page: its size, raw and gzipped, and the time from the
// start of navigation to the prompt on screen (in the terminal's rows in the
// page), over fresh browser contexts in headless Chromium. A benchmark to run
// and read, not a test: it asserts nothing.
//
// Usage: node bench/web_startup.mjs PAGE.html [RUNS] [--chromium PATH]

import { readFileSync } from 'node:fs';
import { resolve } from 'node:path';
import { pathToFileURL } from 'node:url';
import { gzipSync } from 'node:zlib';

import { chromium } from 'playwright-core';

const args = process.argv.slice(2);
const chromiumIndex = args.indexOf('--chromium');
const chromiumPath = chromiumIndex >= 0 ? args.splice(chromiumIndex, 2)[1] : '/usr/bin/chromium';
const [pagePath, runsArgument] = args;
const runs = Number(runsArgument ?? 20);

const bytes = readFileSync(pagePath);
const kib = (n) => `${(n / 1024).toFixed(1)} KiB`;
console.log(`page: ${bytes.length} bytes (${kib(bytes.length)}), gzipped ${kib(gzipSync(bytes, { level: 9 }).length)}`);

const browser = await chromium.launch({
  executablePath: chromiumPath,
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
    '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
const times = [];
for (let i = 0; i < runs; i += 1) {
  const context = await browser.newContext();
  // Runs before the page's own script: notes when the prompt first is in the
  // terminal's rows, measured from the start of navigation.
  await context.addInitScript(() => {
    new MutationObserver((_, observer) => {
      const rows = document.querySelector('.xterm-rows');
      if (rows !== null && rows.textContent.includes('bitte Namen eingeben:')) {
        window.promptShownAt = performance.now();
        observer.disconnect();
      }
    }).observe(document, { childList: true, subtree: true, characterData: true });
  });
  const page = await context.newPage();
  await page.goto(pathToFileURL(resolve(pagePath)).href);
  await page.waitForFunction(() => window.promptShownAt !== undefined);
  times.push(await page.evaluate(() => window.promptShownAt));
  await context.close();
}
await browser.close();

times.sort((a, b) => a - b);
const median = (times[(runs - 1) >> 1] + times[runs >> 1]) / 2;
const ms = (t) => `${t.toFixed(1)} ms`;
console.log(`navigation to prompt on screen, ${runs} runs: median ${ms(median)}, ` +
  `fastest ${ms(times[0])}, slowest ${ms(times[runs - 1])}`);
