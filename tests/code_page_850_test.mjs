// The page's code page 850 is the program's (console/code_page_850.cc),
// character for character, and agrees with the system's own table (iconv):
// every byte from 0x80 up shows as the same character, and that character
// typed arrives as that byte.
//
// Usage: node tests/code_page_850_test.mjs. Exits 77 (skipped) without
// iconv, once the program's table has been compared.

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { readFileSync } from 'node:fs';

import { byteOfCharacter, characterOfByte, highHalf } from '../web/code_page_850.js';

// The program's table: the code points of its arrays, byte by byte.
const source = readFileSync(new URL('../console/code_page_850.cc', import.meta.url), 'utf8');
const codePoints = (name) =>
  [
    ...source
      .match(new RegExp(`${name}(?:\\[\\d+\\])? = \\{?([^;]*)`))[1]
      .matchAll(/0x([0-9A-F]{4})/g),
  ].map((m) => String.fromCodePoint(parseInt(m[1], 16)));
const program = [
  ...codePoints('kControlGlyphs'),
  ...Array.from({ length: 0x5f }, (_, i) => String.fromCharCode(0x20 + i)),
  ...codePoints('kDeleteGlyph'),
  ...codePoints('kHighHalf'),
];
assert.deepEqual(
  Array.from({ length: 256 }, (_, byte) => characterOfByte(byte)),
  program,
);

let system;
try {
  const bytes = Buffer.from(Array.from({ length: 128 }, (_, i) => 0x80 + i));
  system = execFileSync('iconv', ['-f', 'CP850', '-t', 'UTF-8'], { input: bytes }).toString('utf8');
} catch (error) {
  console.log(`Skipped: iconv cannot convert from CP850 (${error.message})`);
  process.exit(77);
}

assert.equal(highHalf, system);
for (let byte = 0x80; byte <= 0xff; byte += 1) {
  assert.equal(byteOfCharacter(characterOfByte(byte).codePointAt(0)), byte, `byte ${byte}`);
}
for (let codePoint = 0; codePoint < 0x80; codePoint += 1) {
  assert.equal(
    byteOfCharacter(codePoint),
    codePoint,
    `U+${codePoint.toString(16)} is its own byte`,
  );
}
for (const absent of ['\u0080', '€', '✓', '😀', 'ğ']) {
  assert.equal(byteOfCharacter(absent.codePointAt(0)), 0x3f, `${absent} is not in code page 850`);
}
console.log('code page 850: the program and the page agree on all 256 bytes, and with iconv');
