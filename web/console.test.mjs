// The console's pure functions, in node: what an input event changed, the
// field's text after an edit around ^Z tokens, how a line wraps into rows,
// and the console's text for the bytes a page never types (backspace, tab).
// The browser tests type the same edits; these find a slip in a second.
//
// Usage: node --test web/console.test.mjs

import assert from 'node:assert/strict';
import { test } from 'node:test';

import { ConsoleText, rowsOf } from './console_text.js';
import { changeOf, edited } from './line_field.js';

test('changeOf: the range replaced, placed by the caret among equal characters', () => {
  const rows = [
    [['peter', 'peters', 6], { start: 5, end: 5, inserted: 's' }],
    [['aa', 'aaa', 1], { start: 0, end: 0, inserted: 'a' }],
    [['aa', 'aaa', 3], { start: 2, end: 2, inserted: 'a' }],
    [['peter', 'per', 2], { start: 2, end: 4, inserted: '' }],
    [['abc', 'xbc', 1], { start: 0, end: 1, inserted: 'x' }],
    [['ab', 'ab', 2], { start: 2, end: 2, inserted: '' }],
    [['abcd', 'abXYcd', 9], { start: 2, end: 2, inserted: 'XY' }],
    [['ab', 'ab', 5], { start: 0, end: 0, inserted: '' }],
  ];
  for (const [args, change] of rows) assert.deepEqual(changeOf(...args), change, args.join(' → '));
});

test('edited: a token touched is removed whole, typed inside one goes after it', () => {
  const rows = [
    [['pe^Z', [2], 3, 4, ''], { value: 'pe', tokens: [], caret: 2 }],
    [['pe^Z', [2], 3, 3, 'x'], { value: 'pe^Zx', tokens: [2], caret: 5 }],
    [['ca^Zb^Z', [2, 5], 1, 2, 'xy'], { value: 'cxy^Zb^Z', tokens: [3, 6], caret: 3 }],
    [['a^Zb', [1], 0, 4, ''], { value: '', tokens: [], caret: 0 }],
    [['ab', [], 1, 1, 'x^Z', [1]], { value: 'ax^Zb', tokens: [2], caret: 4 }],
    [['^Z', [0], 0, 0, 'a'], { value: 'a^Z', tokens: [1], caret: 1 }],
    [['^Z', [], 1, 1, 'x'], { value: '^xZ', tokens: [], caret: 2 }],
  ];
  for (const [args, after] of rows) assert.deepEqual(edited(...args), after, JSON.stringify(args));
});

test('rowsOf: rows of the width, by characters, without trailing blanks', () => {
  assert.deepEqual(rowsOf('', 80), ['']);
  assert.deepEqual(rowsOf('abcde', 2), ['ab', 'cd', 'e']);
  assert.deepEqual(rowsOf('ab  cd  ', 4), ['ab', 'cd']);
  assert.deepEqual(rowsOf('üß♫←', 3), ['üß♫', '←'], 'characters, not UTF-16 units');
  assert.deepEqual(rowsOf('😀😀', 1), ['😀', '😀']);
});

test('ConsoleText: backspace and tab move the column; rows end with the line being typed', () => {
  const current = { textContent: '' };
  let bells = 0;
  const text = new ConsoleText(null, current, () => (bells += 1));
  text.write(new TextEncoder().encode('ab\bc\td\r\n\x07x\b\by'));
  assert.equal(current.textContent, 'y');
  assert.equal(bells, 1);
  assert.deepEqual(text.rows(80, 'z'), ['ac      d', 'yz']);
  text.write([0x0a]);
  assert.deepEqual(text.rows(80, ''), ['ac      d', 'y'], 'no row for an empty last line');
  text.write(new TextEncoder().encode('abc\rX\t'));
  assert.equal(current.textContent, 'Xbc     ', 'a lone CR returns; a tab pads to its stop');
});

test('ConsoleText.endBurst: one log element per burst of lines, none for a burst without', () => {
  const log = [];
  globalThis.document = { createElement: () => ({}) };
  const text = new ConsoleText({ append: (element) => log.push(element) }, {}, () => {});
  text.endBurst();
  text.write(new TextEncoder().encode('a\n\nb'));
  text.endBurst();
  text.endBurst();
  assert.deepEqual(log, [{ textContent: 'a\n\n' }]);
  delete globalThis.document;
});
