// The program built for the page, run in node with a console that hands
// over more bytes than a read asked for: the read must fail with a
// RangeError before one byte lands past the program's buffer, and the
// program must read no further.
//
// Usage: node tests/web_module_test.mjs BUILD_DIR (which holds the built
// quirvelandostrabik.js and .wasm).

import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

const dir = resolve(process.argv[2] ?? '');
const { default: createProgram } = await import(pathToFileURL(`${dir}/quirvelandostrabik.js`).href);

// The console's failure surfaces as a rejection that nothing awaits.
const failure = new Promise((settle) => process.once('unhandledRejection', settle));
const asked = [];
const program = await createProgram({
  wasmBinary: readFileSync(`${dir}/quirvelandostrabik.wasm`),
  stdio: {
    read: async (size) => {
      asked.push(size);
      return new Uint8Array(asked.length === 1 ? size + 1 : 0).fill(0x61);
    },
    write: () => {},
  },
});
const ended = program
  .ccall('main', 'number', [], [], { async: true })
  .then((status) => `exit status ${status}`);
const timeLimit = new Promise((settle) =>
  setTimeout(() => settle('no end within 10 s'), 10000).unref(),
);
const outcome = await Promise.race([failure, ended, timeLimit]);
assert.ok(outcome instanceof RangeError, `a RangeError, not ${outcome}`);
assert.match(outcome.message, /handed over (\d+) bytes for a read of (\d+)/);
assert.equal(asked.length, 1, 'nothing is read after the failed read');
console.log(`web module: ${outcome.message}, and the read failed before writing it`);
