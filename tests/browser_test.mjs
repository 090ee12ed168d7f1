// The web page in headless Chromium, typed into as a person types.
//
// What the program writes (window.quirvelandostrabik.output()) must be,
// byte for byte, what it writes on Linux for the same lines: the texts the
// C++ tests share in expected_output.h. The screen is checked where the code
// page and the console's line editing show. Any request other than file: or
// data: fails, and so does any error the page reports.
//
// Usage: node tests/browser_test.mjs PAGE.html [--chromium PATH]
//        node tests/browser_test.mjs PAGE.html --screenshot OUT.png
// Exits 77 (skipped) when Chromium is missing.

import assert from 'node:assert/strict';
import { existsSync, readFileSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import { after, before, test } from 'node:test';
import { fileURLToPath, pathToFileURL } from 'node:url';

import { chromium } from 'playwright-core';

const args = process.argv.slice(2);
const option = (name, fallback) => {
  const i = args.indexOf(name);
  return i >= 0 ? args[i + 1] : fallback;
};
const pageUrl = pathToFileURL(resolve(args[0] ?? '')).href;
const chromiumPath = option('--chromium', '/usr/bin/chromium');
const screenshotPath = option('--screenshot', null);
if (!existsSync(chromiumPath)) {
  console.log(`Skipped: ${chromiumPath} is not installed`);
  process.exit(77);
}

// The C++ tests' shared texts, read from their header: string literals and
// earlier names joined by +.
function sharedTexts() {
  const header = join(dirname(fileURLToPath(import.meta.url)), 'expected_output.h');
  const escapes = { r: '\r', n: '\n', a: '\x07', t: '\t', '\\': '\\', '"': '"' };
  const texts = {};
  for (const [, name, value] of readFileSync(header, 'utf8').matchAll(
    /inline const std::string (k\w+) =([^;]*);/g,
  )) {
    texts[name] = '';
    for (const [, literal, reference] of value.matchAll(/"((?:[^"\\]|\\.)*)"|(k\w+)/g)) {
      if (reference !== undefined) {
        assert.ok(reference in texts, `${reference} is used before it is defined`);
        texts[name] += texts[reference];
      } else {
        texts[name] += literal.replace(/\\(.)/g, (_, c) => {
          assert.ok(c in escapes, `unknown escape \\${c} in ${name}`);
          return escapes[c];
        });
      }
    }
  }
  return texts;
}

const { kScreenHeader, kLetterHeader, kClosing, kPeterReading } = sharedTexts();
const PROMPT = 'bitte Namen eingeben:';
const CLOSING = 'Ende: Taste druecken';
// The bytes of a text whose characters are all below 256, one byte each.
const bytesOf = (text) => [...Buffer.from(text, 'latin1')];

let browser;
before(async () => {
  browser = await chromium.launch({
    executablePath: chromiumPath,
    args: [
      '--no-sandbox',
      '--disable-gpu',
      '--disable-quic',
      '--no-first-run',
      '--disable-background-networking',
      '--disable-component-update',
      '--disable-sync',
    ],
  });
});
after(async () => {
  await browser?.close();
});

// A fresh page with the program waiting at its prompt. Every request it
// makes and every error it reports is kept, and checked by done().
async function openPage() {
  const context = await browser.newContext({ viewport: { width: 1000, height: 720 } });
  const page = await context.newPage();
  const problems = [];
  page.on('request', (request) => {
    if (!/^(file|data):/.test(request.url())) problems.push(`request: ${request.url()}`);
  });
  await context.route(/^(?!file:|data:)/, (route) => route.abort());
  page.on('pageerror', (error) => problems.push(`page error: ${error.message}`));
  page.on('console', (message) => {
    if (message.type() === 'error') problems.push(`console error: ${message.text()}`);
  });
  await page.goto(pageUrl);
  const bellsAtPrompt = await waitForLine(page, PROMPT);
  const api = (name) => page.evaluate((n) => window.quirvelandostrabik[n](), name);
  return {
    page,
    output: () => api('output'),
    screen: () => api('screen'),
    status: () => api('status'),
    bells: () => api('bells'),
    bellsAtPrompt,
    type: (text) => page.keyboard.type(text),
    press: (key) => page.keyboard.press(key),
    paste: (text) =>
      page.evaluate((t) => {
        const data = new DataTransfer();
        data.setData('text/plain', t);
        document
          .querySelector('.xterm-helper-textarea')
          .dispatchEvent(new ClipboardEvent('paste', { clipboardData: data, bubbles: true }));
      }, text),
    // The program still waits after `ms` milliseconds.
    stillWaiting: async (ms = 200) => {
      await page.waitForTimeout(ms);
      return (await api('status')) === null;
    },
    exited: () => page.waitForFunction(() => window.quirvelandostrabik.status() !== null).then(() => api('status')),
    waitForLine: (line) => waitForLine(page, line),
    done: async () => {
      await context.close();
      assert.deepEqual(problems, []);
    },
  };
}

// Waits until a line of the screen is `line`; returns the bells shown then.
async function waitForLine(page, line) {
  await page.waitForFunction((l) => window.quirvelandostrabik.screen().includes(l), line, {
    timeout: 10000,
  });
  return page.evaluate(() => window.quirvelandostrabik.bells());
}

// Ends the closing wait with x and checks the status.
async function endWithX(session) {
  await session.type('x');
  await session.press('Enter');
  assert.equal(await session.exited(), 0);
}

if (screenshotPath !== null) {
  test('screenshot of a reading', async () => {
    const session = await openPage();
    await session.type('Jürgen');
    await session.press('Enter');
    await session.waitForLine(CLOSING);
    await session.page.locator('main').screenshot({ path: screenshotPath });
    await session.done();
  });
} else {
  test('peter, the closing wait, and a new reading', async () => {
    const session = await openPage();
    assert.equal(session.bellsAtPrompt, 1, 'the bell is shown before the prompt');
    await session.type('peter');
    await session.press('Enter');
    await session.waitForLine(CLOSING);
    await session.press('Enter');
    assert.ok(await session.stillWaiting(), 'an empty line keeps the closing wait');
    await session.type('   ');
    await session.press('Enter');
    assert.ok(await session.stillWaiting(), 'a line of blanks keeps the closing wait');
    await endWithX(session);
    assert.deepEqual(await session.output(), bytesOf(kScreenHeader + kPeterReading + kClosing));
    assert.equal(await session.bells(), 1);

    const ended = session.page.locator('#ended');
    assert.match(await ended.innerText(), /Das Programm ist beendet \(Exit-Status 0\)/);
    await session.page.getByRole('button', { name: 'Neue Deutung in einer neuen Konsole' }).click();
    await session.waitForLine(PROMPT);
    assert.equal(await session.status(), null, 'a fresh run');
    assert.deepEqual(await session.output(), bytesOf(kScreenHeader));
    assert.deepEqual((await session.screen()).slice(0, 5), ['', '', '', kScreenHeader.split('\r\n')[3], PROMPT]);
    await session.done();
  });

  test('a typo corrected with Backspace', async () => {
    const session = await openPage();
    await session.type('pex');
    await session.press('Backspace');
    await session.press('Backspace');
    await session.type('eter');
    await session.press('Enter');
    await session.waitForLine(CLOSING);
    assert.deepEqual(await session.output(), bytesOf(kScreenHeader + kPeterReading + kClosing));
    assert.ok((await session.screen()).includes('peter'), 'the erased characters are gone');
    await endWithX(session);
    await session.done();
  });

  test('Jürgen: ü is the byte 0x81 and shows as ü', async () => {
    const session = await openPage();
    await session.type('Jürgen');
    await session.press('Enter');
    const lines = await session.waitForLine(CLOSING).then(() => session.screen());
    const reading =
      'J: 0\r\n\x81: 0\r\nr: 2\r\ng: 3\r\ne: 5\r\nn: 5\r\n' +
      'Quersumme des Namens: 15\r\n2. Quersumme des Namens: 6\r\n';
    assert.deepEqual(await session.output(), bytesOf(kScreenHeader + kLetterHeader + reading + kClosing));
    assert.ok(lines.includes('Jürgen') && lines.includes('ü: 0'), lines.join('\n'));
    await endWithX(session);
    await session.done();
  });

  test('pasted lines are typed ahead: each waits for its read, and shows then', async () => {
    const session = await openPage();
    await session.paste('peter\r\nx\r\n');
    assert.equal(await session.exited(), 0);
    assert.deepEqual(await session.output(), bytesOf(kScreenHeader + kPeterReading + kClosing));
    await session.waitForLine('x');
    const lines = await session.screen();
    assert.deepEqual(lines.slice(lines.indexOf(PROMPT)), [
      PROMPT, '', 'peter', ...kPeterReading.split('\r\n').slice(0, -1), CLOSING, 'x',
    ]);
    await session.done();
  });

  test('a pasted name of 130 characters: 100 are taken, the rest is never the answer', async () => {
    const session = await openPage();
    await session.paste('o'.repeat(130) + '\r\n');
    await session.waitForLine(CLOSING);
    const expected =
      kScreenHeader + kLetterHeader + 'o: 7\r\n'.repeat(100) +
      'Quersumme des Namens: 700\r\n2. Quersumme des Namens: 7\r\n' + kClosing;
    assert.deepEqual(await session.output(), bytesOf(expected));
    const lines = await session.screen();
    assert.ok(lines.includes('o'.repeat(80)) && lines.includes('o'.repeat(50)), 'the line wraps at 80');
    assert.ok(await session.stillWaiting(), 'the 30 further characters were not the answer');
    await endWithX(session);
    await session.done();
  });

  test('Ctrl+Z at the start of the name line ends the name; the closing wait reads on', async () => {
    const session = await openPage();
    await session.press('Control+z');
    await session.press('Enter');
    await session.waitForLine(CLOSING);
    assert.deepEqual(
      await session.output(),
      bytesOf(kScreenHeader + 'Quersumme des Namens: 0\r\n' + kClosing),
    );
    assert.ok((await session.screen()).includes('^Z'));
    assert.ok(await session.stillWaiting(), 'a console is no file: input goes on');
    await endWithX(session);
    await session.done();
  });

  test('Ctrl+Z after characters drops the rest of its line; the name goes on', async () => {
    const session = await openPage();
    await session.type('ab');
    await session.press('Control+z');
    await session.type('cd');
    await session.press('Enter');
    await session.type('ef');
    await session.press('Enter');
    await session.waitForLine(CLOSING);
    const reading =
      'a: 1\r\nb: 2\r\ne: 5\r\nf: 8\r\nQuersumme des Namens: 16\r\n2. Quersumme des Namens: 7\r\n';
    assert.deepEqual(await session.output(), bytesOf(kScreenHeader + kLetterHeader + reading + kClosing));
    // As on a console, the line typed ahead shows when the program reads it.
    const lines = await session.screen();
    assert.deepEqual(lines.slice(lines.indexOf('ab^Zcd')), [
      'ab^Zcd', '', 'Den Buchstaben zugeordnete Zahlenwerte:', '', 'a: 1', 'b: 2', 'ef',
      'e: 5', 'f: 8', 'Quersumme des Namens: 16', '2. Quersumme des Namens: 7', CLOSING,
    ]);
    await endWithX(session);
    await session.done();
  });
}
