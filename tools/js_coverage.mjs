// Reports the JavaScript coverage that the web preset's tests leave in
// BUILD_DIR/coverage, from V8's own counts: the Chromium browser test's (the
// page's script, mapped back to the files of web/ through the bundler's
// source map) and the node tests' (NODE_V8_COVERAGE). Prints line and
// branch coverage per file of web/ and fails when a file's falls below its
// floor. Without Chromium's counts (no chromium), says so and skips.
//
// Usage: node tools/js_coverage.mjs BUILD_DIR

import { execFileSync } from 'node:child_process';
import { appendFileSync, existsSync, readFileSync, writeFileSync } from 'node:fs';
import { basename, dirname, join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';

// Each file's line and branch coverage as measured when it was last raised:
// it may rise, never fall. A file of web/ without a floor fails too.
const FLOORS = {
  'bell.js': [100, 91.66],
  'code_page_850.js': [100, 100],
  'console_text.js': [100, 100],
  'line_console.js': [100, 100],
  'line_field.js': [97.97, 90.9],
  'main.js': [97.5, 70.58],
};

const root = dirname(dirname(fileURLToPath(import.meta.url)));
const build = resolve(process.argv[2] ?? join(root, 'build', 'web'));
const coverage = join(build, 'coverage');
const chromium = join(coverage, 'chromium.json');
if (!existsSync(chromium)) {
  const reason = 'the Chromium browser test left no coverage (chromium is not installed)';
  console.log(`javascript coverage: skipped: ${reason}`);
  appendFileSync(join(build, 'skipped-tests.txt'), `javascript coverage: ${reason}\n`);
  process.exit(0);
}

// The page's script as inlined, and as the bundler made it: the same but
// for control characters written as \xNN escapes and </ written as <\/.
const page = readFileSync(join(build, 'quirvelandostrabik.html'), 'utf8');
const inlined = page.match(/<script type="module">([^]*)<\/script>/)[1];
const scriptPath = join(build, 'quirvelandostrabik.script.js');
const bundled = readFileSync(scriptPath, 'utf8');

// For each offset of the inlined script, the bundler's offset.
function bundledOffsets() {
  const offsets = new Int32Array(inlined.length + 1);
  let i = 0;
  let j = 0;
  while (j < inlined.length) {
    if (inlined[j] === bundled[i]) {
      offsets[j++] = i++;
    } else if (inlined.startsWith('\\x', j) && bundled.charCodeAt(i) < 0xa0) {
      offsets.fill(i++, j, j + 4);
      j += 4;
    } else if (inlined.startsWith('\\/', j) && bundled[i] === '/') {
      offsets[j++] = i;
    } else {
      throw new Error(`the inlined script differs from the bundled one at ${j}`);
    }
  }
  offsets[j] = i;
  return offsets;
}
const offsets = bundledOffsets();

// Chromium's counts of the page's script, as node's own coverage files of
// the bundled script, which names its source map.
const scripts = JSON.parse(readFileSync(chromium, 'utf8')).filter((s) => s.source === inlined);
if (scripts.length === 0) throw new Error(`${chromium} holds no count of the page's script`);
const result = scripts.map((script, index) => ({
  scriptId: String(index),
  url: pathToFileURL(scriptPath).href,
  functions: script.functions.map((fn) => ({
    ...fn,
    ranges: fn.ranges.map((range) => ({
      ...range,
      startOffset: offsets[range.startOffset],
      endOffset: offsets[range.endOffset],
    })),
  })),
}));
writeFileSync(join(coverage, 'node', 'coverage-chromium.json'), JSON.stringify({ result }));

const c8 = join(root, 'node_modules', 'c8', 'bin', 'c8.js');
const report = join(coverage, 'report');
execFileSync(
  process.execPath,
  [
    c8,
    'report',
    `--temp-directory=${join(coverage, 'node')}`,
    `--report-dir=${report}`,
    '--reporter=text',
    '--reporter=json-summary',
    '--include=web/*.js',
    '--exclude-after-remap',
  ],
  { cwd: root, stdio: 'inherit' },
);

const below = [];
const summary = JSON.parse(readFileSync(join(report, 'coverage-summary.json'), 'utf8'));
for (const [path, figures] of Object.entries(summary)) {
  if (path === 'total') continue;
  const name = basename(path);
  const floor = FLOORS[name];
  if (floor === undefined) {
    below.push(`${name}: no floor set`);
  } else if (figures.lines.pct < floor[0] || figures.branches.pct < floor[1]) {
    below.push(`${name}: ${figures.lines.pct}% of lines, ${figures.branches.pct}% of branches`);
  }
}
if (below.length > 0) {
  console.log(`javascript coverage below its floor: ${below.join('; ')}`);
  process.exit(1);
}
console.log('javascript coverage: every file at or above its floor');
