// The page's code page 850 against the system's own table (iconv): every
// byte from 0x80 up shows as the same character, and that character typed
// arrives as that byte.
//
// Usage: node tests/code_page_850_test.mjs. Exits 77 (skipped) without iconv.

import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';

import { byteOfCharacter, characterOfByte, highHalf } from '../web/code_page_850.js';

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
for (const absent of ['€', '✓', '😀', 'ğ']) {
  assert.equal(byteOfCharacter(absent.codePointAt(0)), 0x3f, `${absent} is not in code page 850`);
}
console.log('code page 850: all 128 characters agree with iconv');
