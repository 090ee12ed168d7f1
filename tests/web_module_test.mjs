// The program built for the page, run in node with a console that hands
// over more bytes than a read asked for: that read must fail before one byte
// lands past the program's buffer, so that none of them is read as the name,
// and the program must end as at any failed read, with exit status 1 and its
// error line.
//
// Usage: node tests/web_module_test.mjs BUILD_DIR (which holds the built
// quirvelandostrabik.js and .wasm).

import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { resolve } from 'node:path';
import { pathToFileURL } from 'node:url';

const dir = resolve(process.argv[2] ?? '');
const { default: createProgram } = await import(pathToFileURL(`${dir}/quirvelandostrabik.js`).href);

const written = { 1: [], 2: [] };
const asked = [];
const program = await createProgram({
  wasmBinary: readFileSync(`${dir}/quirvelandostrabik.wasm`),
  stdio: {
    read: async (size) => {
      asked.push(size);
      return new Uint8Array(asked.length === 1 ? size + 1 : 0).fill(0x61);
    },
    write: (fd, bytes) => written[fd].push(...bytes),
  },
});
const reported = [];
console.error = (message) => reported.push(message);
const ended = program.ccall('main', 'number', [], [], { async: true });
const timeLimit = new Promise((settle) =>
  setTimeout(() => settle('no end within 10 s'), 10000).unref(),
);
const status = await Promise.race([ended, timeLimit]);
const text = (fd) => Buffer.from(written[fd]).toString('latin1');
assert.equal(status, 1, `exit status 1, not ${status}`);
assert.doesNotMatch(text(1), /a: 1/, 'no byte of the failed read is part of the name');
assert.match(text(2), /^quirvelandostrabik: standard input: .+\r\n$/);
assert.deepEqual(reported, ['the console handed over 16385 bytes for a read of 16384']);
console.log(`web module: ${reported[0]}; the read failed, and the program ended with status 1`);
