// The test command of the page's mutation testing (stryker.config.mjs).
// Stryker runs it in its sandbox, whose web/ holds every mutant, with the
// mutant that is on in __STRYKER_ACTIVE_MUTANT__. It builds the page (and,
// for the service worker, the site) from that web/, then runs the tests
// that reach the mutant's file, fastest first, and stops at the first that
// fails. Without a mutant on (Stryker's first run) it runs them all.
//
// Usage: node tools/stryker_test.mjs BUILD_DIR   (the web preset's build)

import { spawn } from 'node:child_process';
import { existsSync, mkdtempSync, readdirSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join, resolve } from 'node:path';
import { createInterface } from 'node:readline';

const buildDir = resolve(process.argv[2] ?? 'build/web');
const mutant = process.env.__STRYKER_ACTIVE_MUTANT__;
const work = mkdtempSync(join(tmpdir(), 'quirvelandostrabik-stryker-'));
const page = join(work, 'page.html');
const site = join(work, 'site');
const miniBrowser = ['/usr/lib/x86_64-linux-gnu', '/usr/lib/aarch64-linux-gnu']
  .map((dir) => join(dir, 'webkit2gtk-4.1/MiniBrowser'))
  .find(existsSync);

const tests = {
  codePage: ['node', 'tests/code_page_850_test.mjs'],
  functions: ['node', '--test', 'web/console.test.mjs'],
  webkit: [
    'xvfb-run',
    '--auto-servernum',
    'node',
    'tests/browser_test.mjs',
    page,
    '--engine',
    'webkit',
    '--browser',
    miniBrowser,
  ],
  chromium: ['node', 'tests/browser_test.mjs', page, '--engine', 'chromium'],
  site: ['node', 'tests/site_test.mjs', site],
};

// Which tests reach each file, fastest first. WebKit's test types the
// readings in seconds; Chromium's also pastes, composes, rings the bell and
// lays the page out on a phone, in half a minute. Only Chromium's hears the
// bell, so the bell goes straight to it.
const reaching = {
  'code_page_850.js': ['codePage', 'functions', 'webkit', 'chromium'],
  'console_text.js': ['functions', 'webkit', 'chromium'],
  'line_console.js': ['functions', 'webkit', 'chromium'],
  'line_field.js': ['functions', 'webkit', 'chromium'],
  'bell.js': ['chromium'],
  'main.js': ['webkit', 'chromium', 'site'],
  'sw.js': ['site'],
};

// The file whose code switches to this mutant.
function fileOf(id) {
  const call = `stryMutAct_9fa48("${id}")`;
  return readdirSync('web').find((name) => readFileSync(join('web', name), 'utf8').includes(call));
}

// Runs one test file; true if it passes. A test that is skipped (77: its
// browser is missing) fails the run: a mutant it would have had to kill
// must not count as killed. The file is stopped at its first failing test
// (a top-level "not ok" in its TAP), so that a killed mutant does not wait
// out the time limits of every test after it.
function run(command) {
  return new Promise((done, fail) => {
    const child = spawn(command[0], command.slice(1), {
      stdio: ['ignore', 'pipe', 'inherit'],
      detached: true,
    });
    let failed = false;
    const signal = (name) => {
      try {
        process.kill(-child.pid, name);
      } catch {
        // The group has ended already.
      }
    };
    const stop = () => {
      failed = true;
      // TERM first, so that Xvfb and the browsers clean up after themselves.
      signal('SIGTERM');
      setTimeout(() => signal('SIGKILL'), 3000).unref();
    };
    const limit = setTimeout(stop, 300000);
    const lines = createInterface({ input: child.stdout });
    // Only the first failing test's report is passed on: Stryker keeps it,
    // in its incremental file, as the reason the mutant was killed.
    let reporting = false;
    lines.on('line', (line) => {
      if (!failed && /^not ok /.test(line)) {
        reporting = true;
        stop();
      }
      if (reporting) process.stdout.write(`${line}\n`);
      if (line === '  ...') reporting = false;
    });
    child.on('error', fail);
    child.on('close', (status) => {
      clearTimeout(limit);
      if (status === 77) fail(new Error(`skipped: ${command.join(' ')}`));
      else done(!failed && status === 0);
    });
  });
}

let passed = false;
try {
  const file = mutant === undefined ? null : fileOf(mutant);
  const chosen = file === null ? Object.keys(tests) : (reaching[file] ?? []);
  if (chosen.length === 0) throw new Error(`no test reaches the file of mutant ${mutant}`);
  if (!(await run(['node', 'web/build.mjs', join(buildDir, 'quirvelandostrabik.js'), page]))) {
    throw new Error('the page did not build');
  }
  // site.mjs, like build.mjs, names the mutant in the worker it writes; so
  // does the changed version that the site test builds.
  if (chosen.includes('site') && !(await run(['node', 'web/site.mjs', page, site]))) {
    throw new Error('the site did not build');
  }
  passed = true;
  for (const name of chosen) {
    if (!(await run(tests[name]))) {
      passed = false;
      break;
    }
  }
} finally {
  rmSync(work, { recursive: true, force: true });
}
process.exit(passed ? 0 : 1);
