// The web page in a real browser engine, typed into as a person types.
//
// What the program writes (window.quirvelandostrabik.output()) must be,
// byte for byte, what it writes on Linux for the same lines: the texts the
// C++ tests share in expected_output.h. The screen is checked where the code
// page and the console's line editing show. Any request other than file: or
// data:, and any error the page reports, fails the test.
//
// Every engine types peter with the closing wait, Jürgen, Backspace (over
// ^Z too) and Ctrl+Z at the start of the name line. Chromium also takes
// the phone keyboard cases (through the DevTools protocol), pastes, the
// accessibility checks and the phone and zoom layouts.
//
// Usage: node tests/browser_test.mjs PAGE.html --engine chromium|firefox|webkit
//          [--browser PATH] [--driver PATH]
//          [--coverage FILE]   (Chromium: V8's coverage of the page's scripts)
//        node tests/browser_test.mjs PAGE.html --screenshots DIR
// Exits 77 (skipped) when the engine's browser is missing.

import assert from 'node:assert/strict';
import { existsSync, readFileSync } from 'node:fs';
import { dirname, join, resolve } from 'node:path';
import { after, before, test as nodeTest } from 'node:test';
import { fileURLToPath, pathToFileURL } from 'node:url';

import { launch, waitForLine, waitUntil } from './browser_engines.mjs';
import { bytesOf, sharedTexts } from './expected_output.mjs';

const args = process.argv.slice(2);
const option = (name, fallback) => {
  const i = args.indexOf(name);
  return i >= 0 ? args[i + 1] : fallback;
};
const pageUrl = pathToFileURL(resolve(args[0] ?? '')).href;
const screenshotDir = option('--screenshots', null);
const engineName = screenshotDir === null ? option('--engine', 'chromium') : 'chromium';
const defaultBrowsers = { chromium: '/usr/bin/chromium', firefox: '/usr/bin/firefox-esr' };
const browserPath = option('--browser', defaultBrowsers[engineName]);
const driverPath = option('--driver', '/usr/bin/WebKitWebDriver');
for (const path of engineName === 'webkit' ? [browserPath, driverPath] : [browserPath]) {
  if (path === undefined || !existsSync(path)) {
    console.log(`Skipped: ${path ?? `the ${engineName} browser`} is not installed`);
    process.exit(77);
  }
}
const inChromium = engineName === 'chromium';
const testsDir = dirname(fileURLToPath(import.meta.url));

const { kScreenHeader, kLetterHeader, kClosing, kPeterReading } = sharedTexts();
const PROMPT = 'bitte Namen eingeben:';
const CLOSING = 'Ende: Taste druecken';
const PETER = kScreenHeader + kPeterReading + kClosing;
// Bytes as the console's text shows them: lines, without the bell.
const shown = (text) => text.replace('\x07', '').replaceAll('\r\n', '\n');

// No test runs for more than two minutes.
const test = (name, fn) => nodeTest(name, { timeout: 120000 }, fn);

let engine;
before(async () => {
  engine = await launch(engineName, {
    browser: browserPath,
    driver: driverPath,
    coverage: option('--coverage', null),
  });
});
after(async () => {
  await engine?.close();
});

// A fresh page with the program waiting at its prompt.
async function openPage(layout = {}) {
  const tab = await engine.open(pageUrl, layout);
  const api = (name) => tab.evaluate((n) => window.quirvelandostrabik[n](), name);
  const session = {
    tab,
    output: () => api('output'),
    screen: () => api('screen'),
    status: () => api('status'),
    bells: () => api('bells'),
    columns: () => api('columns'),
    field: () => tab.evaluate(() => document.getElementById('field').value),
    focused: () => tab.evaluate(() => document.activeElement?.id),
    type: (text) => tab.type(text),
    press: (key) => tab.press(key),
    // Types `text`, then Enter.
    line: async (text) => {
      if (text !== '') await tab.type(text);
      await tab.press('Enter');
    },
    log: () =>
      tab.evaluate(() => [...document.getElementById('output').children].map((e) => e.textContent)),
    waitForLine: (line) => waitForLine(tab.evaluate, line),
    // The program still waits after `ms` milliseconds.
    stillWaiting: async (ms = 200) => {
      await new Promise((r) => setTimeout(r, ms));
      return (await api('status')) === null;
    },
    // The exit status, once the program has ended, or its failure.
    exited: async () => {
      const over = () =>
        window.quirvelandostrabik.status() !== null ||
        document.getElementById('ended-text').textContent;
      await waitUntil(tab.evaluate, over, null, 'the end of the program');
      return (
        (await api('status')) ??
        (await tab.evaluate(() => document.getElementById('ended-text').textContent))
      );
    },
    done: async () => assert.deepEqual(await tab.close(), []),
  };
  await session.waitForLine(PROMPT);
  session.bellsAtPrompt = await session.bells();
  return session;
}

// Ends the closing wait with x and checks the status.
async function endWithX(session) {
  await session.line('x');
  assert.equal(await session.exited(), 0);
}

// The reading of a name from the letter header to the closing line.
function readingOf(reportLines, total, sums) {
  return (
    kLetterHeader +
    reportLines.map((l) => `${l}\r\n`).join('') +
    `Quersumme des Namens: ${total}\r\n` +
    sums.map((s) => `${s}\r\n`).join('') +
    kClosing
  );
}

if (screenshotDir !== null) {
  test('screenshots of a reading, desktop and phone', async () => {
    for (const [file, layout] of [
      ['web-page.png', { width: 1000, height: 720 }],
      ['web-page-phone.png', { width: 360, height: 740, touch: true, scale: 2 }],
    ]) {
      const session = await openPage(layout);
      await session.line('Jürgen');
      await session.waitForLine(CLOSING);
      await session.tab.page.screenshot({ path: join(screenshotDir, file) });
      await session.done();
    }
  });
} else {
  test('peter, the closing wait, the end, and a new reading from the keyboard', async () => {
    const session = await openPage();
    assert.equal(session.bellsAtPrompt, 1, 'the bell is shown before the prompt');
    // Each tone the page schedules, as [what, ...arguments] (Chromium's
    // headless audio runs once a key was pressed).
    if (inChromium)
      await session.tab.evaluate(() => {
        window.tones = [];
        const record = (prototype, name) => {
          const original = prototype[name];
          prototype[name] = function (...args) {
            window.tones.push([name, ...args]);
            return original.apply(this, args);
          };
        };
        record(AudioParam.prototype, 'setValueAtTime');
        record(AudioParam.prototype, 'exponentialRampToValueAtTime');
        record(AudioScheduledSourceNode.prototype, 'start');
        record(AudioScheduledSourceNode.prototype, 'stop');
      });
    assert.equal(await session.focused(), 'field', 'the field has the focus on load');
    const logBefore = await session.log();
    await session.line('peter');
    await session.waitForLine(CLOSING);
    assert.deepEqual(
      await session.log(),
      [...logBefore, shown(`peter\r\n${kPeterReading}${kClosing}`)],
      'the echo and the whole reading are one addition to the log',
    );
    await session.line('');
    assert.ok(await session.stillWaiting(), 'an empty line keeps the closing wait');
    await session.line('   ');
    assert.ok(await session.stillWaiting(), 'a line of blanks keeps the closing wait');
    await endWithX(session);
    assert.deepEqual(await session.output(), bytesOf(PETER));
    assert.equal(await session.bells(), 1);

    const ended = await session.tab.evaluate(
      () => document.querySelector('[role=status]').textContent,
    );
    assert.match(ended, /Das Programm ist beendet \(Exit-Status 0\)/);
    assert.equal(await session.focused(), 'new-reading', 'focus moves to the new-reading button');
    // The controls on screen: after the end only the button, and in a new
    // reading only the field and its ^Z.
    const controls = () =>
      session.tab.evaluate(() =>
        [...document.querySelectorAll('button, input')]
          .filter((e) => e.getClientRects().length > 0)
          .map((e) => e.id),
      );
    assert.deepEqual(await controls(), ['new-reading']);
    await session.tab.evaluate(() => {
      const frame = document.getElementById('console');
      window.flashes = [];
      new MutationObserver(() => window.flashes.push(frame.classList.contains('bell'))).observe(
        frame,
        { attributeFilter: ['class'] },
      );
    });
    await session.press('Enter');
    await session.waitForLine(PROMPT);
    await new Promise((r) => setTimeout(r, 400));
    assert.deepEqual(
      await session.tab.evaluate(() => window.flashes),
      [true, false],
      "the new reading's bell flashes the console once, and the flash ends",
    );
    if (inChromium) {
      // Sound is allowed once a key was pressed: the new reading's bell
      // sounds, at a gain of 0.08 falling off within 0.12 s.
      const tones = await session.tab.evaluate(() => window.tones);
      const start = tones.find(([what]) => what === 'start')?.[1] ?? NaN;
      const at = (time) => +(time - start).toFixed(6);
      assert.deepEqual(
        tones.map(([what, ...args]) =>
          args.length === 2 ? [what, args[0], at(args[1])] : [what, at(args[0])],
        ),
        [
          ['setValueAtTime', 0.08, 0],
          ['exponentialRampToValueAtTime', 0.001, 0.12],
          ['start', 0],
          ['stop', 0.12],
        ],
        'the tone of the bell',
      );
    }
    assert.equal(await session.status(), null, 'a fresh run');
    assert.equal(await session.focused(), 'field', 'focus is in the new field');
    assert.deepEqual(await controls(), ['field', 'ctrl-z']);
    assert.deepEqual(await session.output(), bytesOf(kScreenHeader));
    assert.deepEqual((await session.screen()).slice(0, 5), [
      '',
      '',
      '',
      kScreenHeader.split('\r\n')[3],
      PROMPT,
    ]);
    assert.deepEqual(await session.log(), [shown(kScreenHeader)], 'a fresh console');
    await session.done();
  });

  test('Jürgen Müller: ü typed, and ü pasted as u and a combining diaeresis, is 0x81 and shows as ü', async () => {
    const session = await openPage();
    await session.type('Jürgen M');
    await session.tab.evaluate(() => {
      const field = document.getElementById('field');
      field.setRangeText('u\u0308', field.value.length, field.value.length, 'end');
      field.dispatchEvent(new InputEvent('input', { inputType: 'insertFromPaste', bubbles: true }));
    });
    await session.line('ller');
    await session.waitForLine(CLOSING);
    const letters = [
      'J: 0',
      '\x81: 0',
      'r: 2',
      'g: 3',
      'e: 5',
      'n: 5',
      ' : 0',
      'M: 0',
      '\x81: 0',
      'l: 3',
      'l: 3',
      'e: 5',
      'r: 2',
    ];
    const reading = readingOf(letters, 28, [
      '2. Quersumme des Namens: 10',
      '3. Quersumme des Namens: 1',
    ]);
    assert.deepEqual(await session.output(), bytesOf(kScreenHeader + reading));
    const lines = await session.screen();
    assert.ok(lines.includes('Jürgen Müller') && lines.includes('ü: 0'), lines.join('\n'));
    await endWithX(session);
    await session.done();
  });

  test('Backspace: one removes a ^Z whole, a typed ^ and Z stay two characters', async () => {
    const session = await openPage();
    await session.type('pe^Z');
    await session.press('Backspace');
    await session.press('Backspace');
    await session.press('Control+z');
    assert.equal(await session.field(), 'pe^Z');
    await session.press('ArrowLeft');
    await session.type('x');
    assert.equal(await session.field(), 'pe^Zx', 'typed inside a ^Z goes after it');
    await session.press('Backspace');
    await session.press('Backspace');
    await session.type('txr');
    await session.press('ArrowLeft');
    await session.press('Shift+ArrowLeft');
    await session.press('Control+z');
    await session.type('e');
    assert.equal(await session.field(), 'pet^Zer', 'a ^Z replaces a selection, caret after it');
    await session.press('ArrowLeft');
    await session.press('Backspace');
    await session.line('');
    await session.waitForLine(CLOSING);
    assert.deepEqual(await session.output(), bytesOf(PETER));
    assert.ok((await session.screen()).includes('peter'), 'the erased characters are gone');
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
}

if (inChromium && screenshotDir === null) {
  // A paste as a person makes one: the text on the clipboard, a click in
  // the field and Ctrl+V. The browser's own default action runs unless the
  // page prevents it.
  const paste = async (session, text) => {
    const { page, context } = session.tab;
    await context.grantPermissions(['clipboard-read', 'clipboard-write']);
    await page.evaluate((t) => navigator.clipboard.writeText(t), text);
    await page.click('#field');
    await page.keyboard.press('Control+V');
  };

  test('pasted lines are typed ahead: each waits for its read, and shows then', async () => {
    const session = await openPage();
    // A drag over the console's text selects it, and the field leaves it so.
    const { mouse } = session.tab.page;
    const box = await session.tab.evaluate(() =>
      document.getElementById('output').getBoundingClientRect().toJSON(),
    );
    await mouse.move(box.left + 1, box.top + 1);
    await mouse.down();
    await mouse.move(box.right - 1, box.bottom - 1, { steps: 5 });
    await mouse.up();
    assert.match(
      await session.tab.evaluate(() => String(document.getSelection())),
      /Quirvelandostrabik/,
    );
    assert.notEqual(await session.focused(), 'field', 'a drag keeps its selection');
    await paste(session, 'pe\tt\x01\x7f\x9fer \u00a0');
    assert.equal(await session.field(), 'peter \u00a0', 'tabs and control characters are dropped');
    for (const key of ['Backspace', 'Backspace']) await session.press(key);
    await paste(session, '\r\nx\r\nleft over');
    assert.equal(await session.exited(), 0);
    assert.deepEqual(await session.output(), bytesOf(PETER));
    assert.deepEqual(
      (await session.log()).slice(1),
      [shown(`peter\r\n${kPeterReading}${kClosing}`), 'x\n'],
      'each echo goes into the log with what follows it, and the answer shows after the end',
    );
    const lines = await session.screen();
    assert.deepEqual(lines.slice(lines.indexOf(PROMPT)), [
      PROMPT,
      '',
      'peter',
      ...kPeterReading.split('\r\n').slice(0, -1),
      CLOSING,
      'x',
    ]);
    await session.press('Enter'); // on the new-reading button
    await session.waitForLine(PROMPT);
    assert.equal(await session.field(), '', 'the new reading starts with an empty field');
    await session.done();
  });

  test('a pasted name of 130 characters: 100 are taken, the rest is never the answer', async () => {
    const session = await openPage();
    await paste(session, 'o'.repeat(130) + '\n');
    await session.waitForLine(CLOSING);
    const reading = readingOf(Array(100).fill('o: 7'), 700, ['2. Quersumme des Namens: 7']);
    assert.deepEqual(await session.output(), bytesOf(kScreenHeader + reading));
    const lines = await session.screen();
    assert.ok(
      lines.includes('o'.repeat(80)) && lines.includes('o'.repeat(50)),
      'the line wraps at 80',
    );
    assert.ok(await session.stillWaiting(), 'the 30 further characters were not the answer');
    // The closing wait reads 1024 bytes at a time: a longer line is handed
    // over in parts, never past the program's buffer.
    await paste(session, `${'9'.repeat(2000)}\n`);
    assert.equal(await session.exited(), 0);
    await session.done();
  });

  test('Ctrl+Z after characters drops the rest of its line; the name goes on', async () => {
    const session = await openPage();
    await session.type('ab');
    await session.press('Control+Shift+Z'); // as with Caps Lock: the key is Z
    await session.line('cd');
    await session.line('ef');
    await session.waitForLine(CLOSING);
    const reading = readingOf(['a: 1', 'b: 2', 'e: 5', 'f: 8'], 16, ['2. Quersumme des Namens: 7']);
    assert.deepEqual(await session.output(), bytesOf(kScreenHeader + reading));
    // As on a console, the line typed ahead shows when the program reads it.
    const lines = await session.screen();
    assert.deepEqual(lines.slice(lines.indexOf('ab^Zcd')), [
      'ab^Zcd',
      '',
      'Den Buchstaben zugeordnete Zahlenwerte:',
      '',
      'a: 1',
      'b: 2',
      'ef',
      'e: 5',
      'f: 8',
      'Quersumme des Namens: 16',
      '2. Quersumme des Namens: 7',
      CLOSING,
    ]);
    await endWithX(session);
    await session.done();
  });

  // What an Android keyboard sends: key code 229 for each key, the word
  // being composed, then the word committed.
  test('the bell: one audio context, resumed by a key, and a page without Web Audio reads on', async () => {
    // A pointerdown that is no user activation (a touch's, or this
    // synthetic one at load) makes the context suspended; the next key
    // resumes it.
    const session = await openPage({
      initScript: () => {
        window.contexts = [];
        window.AudioContext = class extends window.AudioContext {
          constructor() {
            super();
            window.contexts.push(this);
          }
        };
        window.addEventListener('load', () =>
          window.dispatchEvent(new PointerEvent('pointerdown')),
        );
      },
    });
    assert.equal(await session.tab.evaluate(() => window.contexts[0]?.state), 'suspended');
    await session.line('peter');
    await session.waitForLine(CLOSING);
    const contexts = await session.tab.evaluate(() => window.contexts.map((c) => c.state));
    assert.deepEqual(contexts, ['running'], 'the one context runs once a key was pressed');
    await endWithX(session);
    await session.done();

    // Where Web Audio is off, the bell only flashes. (This browser also
    // lacks the visual viewport, which only keeps the field in view.)
    const silent = await openPage({
      initScript: () => delete window.AudioContext && delete window.visualViewport,
    });
    await silent.line('peter');
    await silent.waitForLine(CLOSING);
    await endWithX(silent);
    assert.deepEqual(await silent.output(), bytesOf(PETER));
    await silent.done();
  });

  test('a program that cannot start says why, and offers a new reading', async () => {
    const tab = await engine.open(pageUrl, {
      initScript: () => {
        WebAssembly.instantiate = () => Promise.reject(new Error('kein Speicher'));
      },
    });
    const ended = () => document.getElementById('ended-text').textContent;
    await waitUntil(tab.evaluate, ended, null, 'the end of the page');
    assert.match(await tab.evaluate(ended), /^Das Programm konnte nicht laufen: .*kein Speicher/);
    assert.equal(await tab.evaluate(() => document.activeElement?.id), 'new-reading');
    await tab.close();
  });

  test('phone keyboards: each case gives the reading of the name meant, nothing left over', async () => {
    const word = (cdp) => ({
      key: async (code = 229, key = 'Unidentified', text, modifiers = 0) => {
        await cdp.send('Input.dispatchKeyEvent', {
          type: 'rawKeyDown',
          windowsVirtualKeyCode: code,
          key,
          modifiers,
        });
        if (text !== undefined) {
          await cdp.send('Input.dispatchKeyEvent', {
            type: 'char',
            windowsVirtualKeyCode: code,
            key,
            text,
          });
        }
        await cdp.send('Input.dispatchKeyEvent', {
          type: 'keyUp',
          windowsVirtualKeyCode: code,
          key,
        });
      },
      async compose(text, replace) {
        await this.key();
        const range =
          replace === undefined ? {} : { replacementStart: replace[0], replacementEnd: replace[1] };
        await cdp.send('Input.imeSetComposition', {
          text,
          selectionStart: text.length,
          selectionEnd: text.length,
          ...range,
        });
      },
      async composeEach(...texts) {
        for (const text of texts) await this.compose(text);
      },
      commit: (text) => cdp.send('Input.insertText', { text }),
      enter() {
        return this.key(13, 'Enter', '\r');
      },
    });
    const cases = {
      'a word composed, then committed': async (k) => {
        await k.composeEach('p', 'pe', 'pet', 'pete', 'peter');
        await k.commit('peter');
        await k.enter();
      },
      'Enter during the composition, the commit after; the next waits': async (k, session) => {
        await k.composeEach('p', 'pe', 'pet', 'pete', 'peter');
        await k.enter();
        await k.commit('peter');
        await session.waitForLine(CLOSING);
        await k.compose('x');
        await k.commit('x');
        await new Promise((r) => setTimeout(r, 100));
        assert.equal(await session.field(), 'x');
        await session.press('Backspace');
      },
      'a typo corrected inside the composition': async (k) => {
        await k.composeEach('p', 'pe', 'pex', 'pe', 'pet', 'pete', 'peter');
        await k.commit('peter');
        await k.enter();
      },
      'Backspace after a committed word reopens it as a composition': async (k) => {
        await k.composeEach('p', 'pe', 'pet', 'pete', 'petex');
        await k.commit('petex');
        await k.compose('pete', [0, 5]);
        await k.compose('peter');
        await k.commit('peter');
        await k.enter();
      },
      "Ctrl+Z during the composition is the keyboard's": async (k) => {
        await k.composeEach('p', 'pe', 'pet');
        await k.key(229, 'z', undefined, 2);
        await k.composeEach('pete', 'peter');
        await k.commit('peter');
        await k.enter();
      },
      // Some keyboards give the key that opens a composition only its code.
      "Ctrl+Z as a keyboard's key of code 229 is the keyboard's": async (k) => {
        await k.key(229, 'z', undefined, 2);
        await k.commit('peter');
        await k.enter();
      },
      'a composition over a ^Z forgets the Ctrl-Z, and its text is typed': async (k, session) => {
        await k.commit('pet');
        await k.key(90, 'z', undefined, 2);
        assert.equal(await session.field(), 'pet^Z');
        await k.compose('er', [3, 5]);
        await k.commit('er');
        await k.enter();
      },
      'a composition over part of a ^Z is left as the keyboard has it': async (k, session) => {
        await k.commit('pet');
        await k.key(90, 'z', undefined, 2);
        await k.key(90, 'z', undefined, 2);
        await k.compose('er', [4, 5]);
        assert.equal(await session.field(), 'pet^er^Z');
        await k.commit('er');
        // The touched token is forgotten, the other one moved along.
        for (const key of ['End', 'Backspace', 'ArrowLeft', 'ArrowLeft', 'Backspace']) {
          await session.press(key);
        }
        await k.enter();
      },
      'a composition just after a ^Z keeps the Ctrl-Z before it': async (k, session) => {
        await k.commit('pet');
        await k.key(90, 'z', undefined, 2);
        await k.compose('er');
        await k.commit('er');
        for (const key of ['ArrowLeft', 'ArrowLeft', 'Backspace']) await session.press(key);
        await k.enter();
      },
      // Firefox sends the composition's last input event after its end.
      'Enter during the composition, its last input after its end': (k, session) =>
        session.tab.evaluate(() => {
          const field = document.getElementById('field');
          const send = (event, value = field.value) => {
            field.value = value;
            field.dispatchEvent(event);
          };
          send(new CompositionEvent('compositionstart'));
          send(new InputEvent('input', { isComposing: true }), 'pete');
          field.form.requestSubmit();
          send(new CompositionEvent('compositionend'));
          send(new InputEvent('input'), 'peter');
        }),
      'dictation inserts the whole word; a tab in it is no part of the line': async (k) => {
        await k.commit('pe\tter');
        await k.enter();
      },
      'a paste of lines with a C1 control, a Ctrl-Z, CR LF and a lone CR': async (k, session) => {
        await paste(session, 'p\u0085et\x1axy\r\n');
        await paste(session, 'er\r\nx\r');
      },
    };
    for (const [name, keys] of Object.entries(cases)) {
      const session = await openPage({ width: 360, height: 740, touch: true });
      const cdp = await session.tab.context.newCDPSession(session.tab.page);
      await keys(word(cdp), session);
      await session.waitForLine(CLOSING);
      assert.deepEqual(await session.output(), bytesOf(PETER), name);
      await new Promise((r) => setTimeout(r, 100)); // a late commit would land now
      const left = (await session.status()) === null ? await session.field() : '';
      assert.equal(left, '', `${name}: nothing is left in the field`);
      await session.done();
    }
  });

  test('a screen reader gets every line of the reading, and axe-core finds nothing', async () => {
    const axe = readFileSync(
      join(testsDir, '..', 'node_modules', 'axe-core', 'axe.min.js'),
      'utf8',
    );
    const session = await openPage({ bypassCSP: true });
    const { page } = session.tab;
    await page.addScriptTag({ content: axe });
    const violations = async (when) => {
      const result = await page.evaluate(() =>
        window.axe.run(document, {
          runOnly: {
            type: 'tag',
            values: ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'wcag22aa'],
          },
        }),
      );
      return result.violations.map(
        (v) => `${when}: ${v.id}: ${v.nodes.map((n) => n.target).join(', ')}`,
      );
    };
    const found = await violations('at the start');
    await session.line('peter');
    await session.waitForLine(CLOSING);
    found.push(...(await violations('during a reading')));

    const cdp = await session.tab.context.newCDPSession(page);
    const { nodes } = await cdp.send('Accessibility.getFullAXTree');
    const log = nodes.find((n) => n.role?.value === 'log');
    assert.equal(log?.name?.value, 'Konsole', 'the output is a log named Konsole');
    const texts = nodes
      .filter((n) => n.role?.value === 'StaticText')
      .flatMap((n) => n.name?.value.split('\n'))
      .map((l) => l.trim());
    const expected = shown(kScreenHeader + 'peter\r\n' + kPeterReading + kClosing)
      .split('\n')
      .map((l) => l.trim())
      .filter((l) => l !== '');
    let at = 0;
    for (const line of expected) {
      at = texts.indexOf(line, at);
      assert.ok(
        at >= 0,
        `"${line}" is in the accessibility tree, in order: ${JSON.stringify(texts)}`,
      );
    }

    await endWithX(session);
    found.push(...(await violations('at the end')));
    assert.deepEqual(found, []);
    await session.done();
  });

  test('phones and zoom: at most 80 columns, as many as fit, text of 14 px or more, no sideways scroll', async () => {
    const layouts = [
      { width: 360, height: 740, touch: true }, // a phone
      { width: 320, height: 640 }, // WCAG reflow
      { width: 640, height: 360, scale: 2 }, // 1280 x 720 at 200 %
      { width: 1280, height: 720 },
      { width: 400, height: 640, fraction: 0.8 }, // widened to hold 0.8 of a column more
    ];
    const measure = (tab) =>
      tab.evaluate(() => {
        const probe = document.createElement('span');
        probe.style.whiteSpace = 'pre';
        probe.textContent = '0'.repeat(100);
        document.getElementById('output').append(probe);
        const character = probe.getBoundingClientRect().width / 100;
        probe.remove();
        const frame = document.getElementById('console');
        const style = getComputedStyle(frame);
        // The rows that the echo of the 90 o's takes, in the log's element
        // that starts with it.
        const echo = [...document.querySelectorAll('[role=log] > *')].find((e) =>
          e.textContent.startsWith('o'.repeat(90)),
        );
        const range = document.createRange();
        range.setStart(echo.firstChild, 0);
        range.setEnd(echo.firstChild, 90);
        return {
          echoRows: new Set([...range.getClientRects()].map((r) => Math.round(r.top))).size,
          character,
          width: frame.clientWidth - parseFloat(style.paddingLeft) - parseFloat(style.paddingRight),
          fontSize: parseFloat(getComputedStyle(document.getElementById('output')).fontSize),
          scrollWidth: document.documentElement.scrollWidth,
          clientWidth: document.documentElement.clientWidth,
          field: Object.fromEntries(
            ['autocapitalize', 'autocorrect', 'spellcheck', 'autocomplete'].map((a) => [
              a,
              document.getElementById('field').getAttribute(a),
            ]),
          ),
        };
      });
    for (const layout of layouts) {
      const session = await openPage(layout);
      const { page } = session.tab;
      let what = `${layout.width} px`;
      await session.line('o'.repeat(90));
      await session.waitForLine(CLOSING);
      if (layout.touch) {
        // The reading pushed the field below the window's end: it scrolled
        // along, and is in view.
        await waitUntil(
          session.tab.evaluate,
          () => {
            const box = document.getElementById('field').getBoundingClientRect();
            return window.scrollY > 0 && box.top >= 0 && box.bottom <= window.innerHeight;
          },
          null,
          'the field in view after the reading',
        );
      }
      if (layout.fraction !== undefined) {
        // Whole columns do not fit: the count is rounded down.
        const { character, width } = await measure(session.tab);
        const wider =
          layout.width +
          Math.ceil((Math.floor(width / character) + layout.fraction) * character - width);
        await page.setViewportSize({ width: wider, height: layout.height });
        await waitUntil(
          session.tab.evaluate,
          (w) => window.innerWidth === w,
          wider,
          `a window ${wider} px wide`,
        );
        await page.evaluate(() => new Promise((r) => requestAnimationFrame(r)));
        what = `${wider} px`;
      }
      const columns = await session.columns();
      if (layout.width === 1280) assert.equal(columns, 80, what);
      const measured = await measure(session.tab);
      // Within half a pixel: the character's width is measured, not exact.
      assert.ok(
        columns * measured.character <= measured.width + 0.5,
        `${what}: ${columns} columns fit`,
      );
      assert.ok(
        columns === 80 || (columns + 1) * measured.character > measured.width,
        `${what}: no more fit`,
      );
      assert.ok(measured.fontSize >= 14, `${what}: font size ${measured.fontSize}`);
      assert.ok(measured.scrollWidth <= measured.clientWidth, `${what}: no sideways scroll`);
      // The echo of the 90 o's wraps at the console's width, on screen as
      // in screen().
      const chunks = [];
      for (let n = 90; n > 0; n -= columns) chunks.push('o'.repeat(Math.min(n, columns)));
      assert.ok(
        (await session.screen()).join('\n').includes(chunks.join('\n')),
        `${what}: screen()`,
      );
      assert.equal(measured.echoRows, chunks.length, `${what}: rows shown`);
      assert.deepEqual(measured.field, {
        autocapitalize: 'none',
        autocorrect: 'off',
        spellcheck: 'false',
        autocomplete: 'off',
      });
      if (layout.touch) {
        // A tap on the ^Z button types ^Z at the caret and leaves the
        // keyboard open, with the caret after the ^Z.
        await session.type('x');
        await session.press('ArrowLeft');
        await page.tap('#ctrl-z');
        await session.type('y');
        assert.deepEqual(
          [await session.focused(), await session.field()],
          ['field', '^Zyx'],
          'the ^Z button',
        );
        for (const key of ['End', 'Backspace', 'Backspace', 'Backspace']) await session.press(key);
        // A reader scrolls the reading and the field loses the focus: a tap
        // on the console's text brings it back, without scrolling the page.
        await page.evaluate(() => {
          document.activeElement.blur();
          window.scrollTo(0, 0);
        });
        // A window that changes size (a pinch, a turn) while the reader
        // reads leaves the page where it is.
        await page.setViewportSize({ width: layout.width, height: layout.height - 40 });
        await page.evaluate(() => new Promise((r) => setTimeout(r, 100)));
        assert.equal(await page.evaluate(() => window.scrollY), 0, 'a resize scrolls nothing');
        await page.touchscreen.tap(40, 40);
        assert.equal(
          await session.focused(),
          'field',
          'a tap on the console puts the focus in the field',
        );
        assert.equal(await page.evaluate(() => window.scrollY), 0, 'the tap scrolls nothing');
        // The on-screen keyboard opens: the visual viewport shrinks, and the
        // field stays in view above it.
        await page.setViewportSize({ width: layout.width, height: 300 });
        await waitUntil(
          session.tab.evaluate,
          () => {
            const box = document.getElementById('field').getBoundingClientRect();
            return box.top >= 0 && box.bottom <= window.visualViewport.height;
          },
          null,
          'the field in view',
        );
      }
      await endWithX(session);
      await session.done();
    }
  });
}
