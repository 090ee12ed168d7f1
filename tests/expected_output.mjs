// The C++ tests' shared screen texts (expected_output.h), for the tests in
// JavaScript: read from the header, string literals and earlier names joined
// by +, so that every test compares against the same bytes.

import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

/** The header's texts by name: kScreenHeader, kPeterReading, ... */
export function sharedTexts() {
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

/** The bytes of a text whose characters are all below 256, one byte each. */
export const bytesOf = (text) => [...Buffer.from(text, 'latin1')];
