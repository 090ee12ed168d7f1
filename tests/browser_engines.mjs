// The three browser engines the page is tested in, each driven the way it
// is best driven, behind one small interface:
//
//   const engine = await launch(name, { browser, driver });
//   const tab = await engine.open(url, { width, height, touch });
//     (Chromium also takes initScript, run before the page's scripts)
//   await tab.evaluate(fn, arg);      // fn runs in the page
//   await tab.type('peter');          // as typed on a keyboard
//   await tab.press('Enter');         // 'Enter', 'Backspace', 'ArrowLeft', 'z',
//                                     // each also after 'Control+' or 'Shift+'
//   const problems = await tab.close();  // errors and requests seen
//   await engine.close();
//
// and one way to wait for a page, with a time limit:
//
//   await waitUntil(tab.evaluate, fn, arg, 'what is awaited');
//   await waitForLine(tab.evaluate, 'a row of the console');
//
// Chromium: playwright-core over the DevTools protocol; its tabs also offer
// `page` and `context`, for what only Chromium is asked. Firefox:
// puppeteer-core over WebDriver BiDi. WebKit: selenium-webdriver talking to
// WebKitWebDriver, which starts WebKitGTK's MiniBrowser.

import assert from 'node:assert/strict';
import { spawn } from 'node:child_process';
import { mkdirSync, writeFileSync } from 'node:fs';
import { dirname } from 'node:path';
import { createServer } from 'node:net';

/** The flags every headless Chromium here starts with. */
export const CHROMIUM_ARGS = [
  '--no-sandbox',
  '--disable-gpu',
  '--disable-quic',
  '--no-first-run',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
];

// Requests the page may make: its own file and the program's inlined data.
const isOwnRequest = (url) => /^(file|data):/.test(url);

export async function launch(name, options) {
  if (name === 'chromium') return launchChromium(options);
  if (name === 'firefox') return launchFirefox(options);
  if (name === 'webkit') return launchWebKit(options);
  throw new Error(`unknown engine ${name}`);
}

// With `coverage`, a file: V8's coverage of every script of every page
// opened, written there when the browser closes.
async function launchChromium({ browser: executablePath, coverage = null }) {
  const { chromium } = await import('playwright-core');
  const browser = await chromium.launch({ executablePath, args: CHROMIUM_ARGS });
  const covered = [];
  return {
    async open(
      url,
      {
        width = 1000,
        height = 720,
        touch = false,
        scale = 1,
        bypassCSP = false,
        initScript = null,
      } = {},
    ) {
      const context = await browser.newContext({
        viewport: { width, height },
        hasTouch: touch,
        isMobile: touch,
        deviceScaleFactor: scale,
        bypassCSP,
      });
      const page = await context.newPage();
      const problems = [];
      page.on('request', (request) => {
        if (!isOwnRequest(request.url())) problems.push(`request: ${request.url()}`);
      });
      await context.route(
        (url) => !isOwnRequest(url.href),
        (route) => route.abort(),
      );
      page.on('pageerror', (error) => problems.push(`page error: ${error.message}`));
      page.on('console', (message) => {
        if (message.type() === 'error') problems.push(`console error: ${message.text()}`);
      });
      if (coverage !== null) await page.coverage.startJSCoverage({ resetOnNavigation: false });
      if (initScript !== null) await context.addInitScript(initScript);
      await page.goto(url);
      return {
        page,
        context,
        evaluate: (fn, arg) => page.evaluate(fn, arg),
        type: (text) => page.keyboard.type(text),
        press: (key) => page.keyboard.press(key),
        close: async () => {
          if (coverage !== null) covered.push(...(await page.coverage.stopJSCoverage()));
          await context.close();
          return problems;
        },
      };
    },
    close: async () => {
      await browser.close();
      if (coverage !== null) {
        mkdirSync(dirname(coverage), { recursive: true });
        writeFileSync(coverage, JSON.stringify(covered));
      }
    },
  };
}

async function launchFirefox({ browser: executablePath }) {
  const { default: puppeteer } = await import('puppeteer-core');
  const browser = await puppeteer.launch({
    browser: 'firefox',
    executablePath,
    headless: true,
    protocol: 'webDriverBiDi',
    extraPrefsFirefox: { 'network.proxy.type': 0, 'app.update.enabled': false },
  });
  return {
    async open(url, { width = 1000, height = 720 } = {}) {
      const context = await browser.createBrowserContext();
      const page = await context.newPage();
      await page.setViewport({ width, height });
      const problems = [];
      page.on('request', (request) => {
        if (!isOwnRequest(request.url())) problems.push(`request: ${request.url()}`);
      });
      page.on('pageerror', (error) => problems.push(`page error: ${error.message}`));
      page.on('console', (message) => {
        if (message.type() === 'error') problems.push(`console error: ${message.text()}`);
      });
      await page.goto(url);
      return {
        evaluate: (fn, arg) => page.evaluate(fn, arg),
        type: (text) => page.keyboard.type(text),
        press: async (key) => {
          const [modifier, plain] = key.includes('+') ? key.split('+') : [null, key];
          if (modifier !== null) await page.keyboard.down(modifier);
          await page.keyboard.press(plain);
          if (modifier !== null) await page.keyboard.up(modifier);
        },
        close: async () => {
          await context.close();
          return problems;
        },
      };
    },
    close: () => browser.close(),
  };
}

// A free port on the loopback interface, for WebKitWebDriver.
function freePort() {
  return new Promise((resolve, reject) => {
    const server = createServer();
    server.on('error', reject);
    server.listen(0, '127.0.0.1', () => {
      const { port } = server.address();
      server.close(() => resolve(port));
    });
  });
}

// What the page shows: its console's rows, the program's status, the end
// message and the element with the focus.
const pageState = () => ({
  screen: window.quirvelandostrabik?.screen(),
  status: window.quirvelandostrabik?.status(),
  ended: document.getElementById('ended-text')?.textContent,
  focus: document.activeElement?.id,
});

/**
 * Polls `fn(arg)` in the page, through `evaluate`, until it returns
 * something true; an error counts as not yet (a driver may answer before
 * the page's script has run). After `ms` milliseconds it fails, saying what
 * it waited for and what it saw instead: `seen(arg)`, evaluated in the
 * page, by default the page's console and status.
 */
export async function waitUntil(evaluate, fn, arg, what, { seen = pageState, ms = 10000 } = {}) {
  const start = Date.now();
  let last = null;
  while (Date.now() - start < ms) {
    try {
      if (await within(ms, evaluate(fn, arg), what)) return;
    } catch (error) {
      last = error;
    }
    await new Promise((r) => setTimeout(r, 25));
  }
  const saw = await within(ms, evaluate(seen, arg), 'the page').then(
    JSON.stringify,
    (e) => e.message,
  );
  assert.fail(
    `waited ${ms} ms for ${what}, and saw ${saw}${last === null ? '' : ` (${last.message})`}`,
  );
}

/** Waits, as waitUntil does, for `line` among the page's console rows. */
export const waitForLine = (evaluate, line) =>
  waitUntil(
    evaluate,
    (l) => window.quirvelandostrabik.screen().includes(l),
    line,
    `the line ${line}`,
  );

// Settles like `promise`, or rejects after `ms` milliseconds.
function within(ms, promise, what) {
  let timer;
  const late = new Promise((_, reject) => {
    timer = setTimeout(() => reject(new Error(`${what}: no answer in ${ms} ms`)), ms);
  });
  return Promise.race([promise, late]).finally(() => clearTimeout(timer));
}

async function launchWebKit({ browser: miniBrowser, driver: driverPath }) {
  const { Builder, Key } = await import('selenium-webdriver');
  const keys = { Enter: Key.ENTER, Backspace: Key.BACK_SPACE, ArrowLeft: Key.ARROW_LEFT };
  const sessions = new Set();

  // The driver, started afresh when a session cannot be had from it.
  let service = null;
  let serviceUrl = null;
  const stopService = async () => {
    if (service === null) return;
    const ended = new Promise((resolve) => service.on('exit', resolve));
    service.kill();
    await ended;
    service = null;
  };
  const startService = async () => {
    const port = await freePort();
    serviceUrl = `http://127.0.0.1:${port}`;
    service = spawn(driverPath, [`--port=${port}`, '--host=127.0.0.1'], { stdio: 'ignore' });
    for (let waited = 0; ; waited += 100) {
      if (
        await fetch(`${serviceUrl}/status`).then(
          (r) => r.ok,
          () => false,
        )
      )
        return;
      if (waited >= 10000) throw new Error(`${driverPath} did not start`);
      await new Promise((resolve) => setTimeout(resolve, 100));
    }
  };
  // Now and then, with other browsers busy beside it, the driver never
  // answers a new session (a second or two is usual): each try has a time
  // limit, and the next try starts the driver again.
  const connect = async () => {
    for (let attempt = 1; ; attempt += 1) {
      if (service === null) await startService();
      const session = new Builder()
        .usingServer(serviceUrl)
        .withCapabilities({
          browserName: 'MiniBrowser',
          'webkitgtk:browserOptions': { binary: miniBrowser, args: ['--automation'] },
        })
        .build();
      session.catch(() => {});
      try {
        return await within(15000, session, 'a WebKit session');
      } catch (error) {
        if (attempt === 3) throw error;
        await stopService();
      }
    }
  };
  const quit = async (driver) => {
    sessions.delete(driver);
    await within(10000, driver.quit(), 'quitting WebKit').catch(() => stopService());
  };
  return {
    async open(url, { width = 1000, height = 720 } = {}) {
      // WebKitWebDriver keeps one session at a time: one a failed test left
      // open must not fail the tests after it.
      for (const left of sessions) await quit(left);
      const driver = await connect();
      sessions.add(driver);
      await driver.manage().window().setRect({ width, height });
      await driver.manage().setTimeouts({ pageLoad: 30000, script: 10000 });
      await driver.get(url);
      return {
        evaluate: (fn, arg) => driver.executeScript(`return (${fn})(arguments[0]);`, arg),
        type: (text) => driver.actions().sendKeys(text).perform(),
        press: (key) => {
          const [modifier, plain] = key.includes('+') ? key.split('+') : [null, key];
          const actions = driver.actions();
          if (modifier !== null) actions.keyDown(Key[modifier.toUpperCase()]);
          actions.sendKeys(keys[plain] ?? plain);
          if (modifier !== null) actions.keyUp(Key[modifier.toUpperCase()]);
          return actions.perform();
        },
        close: async () => {
          // WebKit reports no requests or errors to the driver: the page's
          // own record of what it loaded is asked instead.
          const loaded = await driver.executeScript(
            "return performance.getEntriesByType('resource').map((entry) => entry.name);",
          );
          await quit(driver);
          return loaded.filter((name) => !isOwnRequest(name)).map((name) => `request: ${name}`);
        },
      };
    },
    async close() {
      for (const driver of sessions) await quit(driver);
      await stopService();
    },
  };
}
