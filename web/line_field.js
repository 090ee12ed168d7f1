// The line being edited: the browser's own text field, which does the
// editing, composition, dictation and paste of every device, inside a form,
// so that every keyboard's Enter or Go key ends the line.
//
// Two things it does beyond a plain field:
//  - Ctrl-Z (0x1A) is shown as ^Z and edited as one character: the field
//    holds the two characters, and the positions of these tokens are kept
//    beside it. An edit that touches a token removes the whole token; a
//    typed ^ and Z stay two characters.
//  - A paste keeps its line ends: each one ends a line.
// While a keyboard composes, the field is left alone: the line is read from
// the field's value when the composition has ended.

import { byteOfCharacter, characterOfByte } from './code_page_850.js';

const CTRL_Z = 0x1a;
const TOKEN = '^Z';

// Characters that are no part of a line: C0 and C1 controls and DEL.
const isControl = (code) => code < 0x20 || (code >= 0x7f && code < 0xa0);

/**
 * A line's bytes in code page 850 (`?` for a character it lacks), and how
 * its echo shows them. `value` is the field's text and `tokens` the
 * positions of the ^Z tokens in it, ascending.
 */
function lineOf(value, tokens) {
  const bytes = [];
  let start = 0;
  for (const end of [...tokens, value.length]) {
    for (const c of value.slice(start, end).normalize('NFC')) {
      const code = c.codePointAt(0);
      if (!isControl(code)) bytes.push(byteOfCharacter(code));
    }
    if (end < value.length) bytes.push(CTRL_Z);
    start = end + TOKEN.length;
  }
  const echo = bytes.map((b) => (b === CTRL_Z ? TOKEN : characterOfByte(b))).join('');
  return { bytes, echo };
}

/**
 * The field's text and tokens after `inserted` replaced [start, end) of
 * `value`. Tokens that the replaced range touches are removed whole;
 * `insertedTokens` are positions of tokens within `inserted`. An insertion
 * inside a token goes after it. Returns { value, tokens, caret }.
 */
export function edited(value, tokens, start, end, inserted, insertedTokens = []) {
  let from = start;
  let to = end;
  for (const t of tokens) {
    const tokenEnd = t + TOKEN.length;
    if (
      from === to &&
      t < from &&
      // A caret at the token's end would move to where it is.
      // Stryker disable next-line EqualityOperator: see above
      from < tokenEnd
    ) {
      from = tokenEnd;
      to = tokenEnd;
    } else if (from < tokenEnd && to > t) {
      from = Math.min(from, t);
      to = Math.max(to, tokenEnd);
    }
  }
  // [from, to) now takes in every token it touches whole, so a token lies
  // before it, after it or inside it.
  const shift = inserted.length - (to - from);
  return {
    value: value.slice(0, from) + inserted + value.slice(to),
    tokens: [
      ...tokens.filter((t) => t < from),
      ...insertedTokens.map((t) => t + from),
      ...tokens.filter((t) => t >= to).map((t) => t + shift),
    ],
    caret: from + inserted.length,
  };
}

/**
 * What an input event changed, from the values before and after it and the
 * caret after it: the range [start, end) of `before` replaced by
 * after.slice(start, caret). The caret tells where among equal characters
 * the change was made. Returns { start, end, inserted }.
 */
export function changeOf(before, after, caret) {
  let suffix = after.length - caret;
  if (suffix < 0 || !before.endsWith(after.slice(caret))) {
    suffix = 0;
    // Past the shorter string's start no two characters compare equal
    // (one is undefined), so the limit only stops equal strings.
    while (
      // Stryker disable next-line MethodExpression: see above
      suffix < Math.min(before.length, after.length) &&
      before[before.length - 1 - suffix] === after[after.length - 1 - suffix]
    ) {
      suffix += 1;
    }
  }
  const limit = Math.min(before.length, after.length) - suffix;
  let start = 0;
  while (start < limit && before[start] === after[start]) start += 1;
  return {
    start,
    end: before.length - suffix,
    inserted: after.slice(start, after.length - suffix),
  };
}

export class LineField {
  #field;
  // Stryker disable next-line ArrayDeclaration: an entry that is no position reads as nothing, and the first edit drops it
  #tokens = [];
  #value = ''; // the field's value as last seen, with #tokens
  #composing = false;
  #submitWhenComposed = false;

  /** Takes each line as it is ended, as { bytes, echo }. */
  onLine = () => {};

  /**
   * `form` holds `field`; `ctrlZButton` types a Ctrl-Z. The elements stay
   * the caller's.
   */
  constructor(form, field, ctrlZButton) {
    this.#field = field;
    form.addEventListener('submit', (event) => {
      event.preventDefault();
      this.#submit();
    });
    field.addEventListener('keydown', (event) => this.#keydown(event));
    field.addEventListener('input', (event) => this.#input(event));
    field.addEventListener('paste', (event) => this.#paste(event));
    field.addEventListener('compositionstart', () => {
      this.#composing = true;
    });
    field.addEventListener('compositionend', () => {
      this.#composing = false;
      // Firefox sends the composition's last input event after this one.
      setTimeout(() => this.#afterComposition(), 0);
    });
    ctrlZButton.addEventListener('click', () => {
      // The field gets the focus back first, so that the caret is put after
      // the ^Z (a field without the focus keeps its caret at its end).
      field.focus();
      this.#insert('\x1a');
    });
  }

  /** The field's text as it shows. */
  get text() {
    return this.#field.value;
  }

  /** Empties the field. */
  clear() {
    // Stryker disable next-line ArrayDeclaration: as for #tokens
    this.#set('', [], 0);
  }

  #keydown(event) {
    // Ctrl+Z types a Ctrl-Z instead of undoing. During a composition the key
    // is the keyboard's.
    const composing = event.isComposing || event.keyCode === 229;
    if (
      !composing &&
      event.ctrlKey &&
      !event.altKey &&
      !event.metaKey &&
      event.key.toLowerCase() === 'z'
    ) {
      event.preventDefault();
      this.#insert('\x1a');
    }
  }

  #input() {
    const after = this.#field.value;
    // An unchanged value is an empty change, which would edit nothing.
    // Stryker disable next-line ConditionalExpression: see above
    if (after === this.#value) return;
    const { start, end, inserted } = changeOf(
      this.#value,
      after,
      this.#field.selectionEnd ?? after.length,
    );
    const next = edited(this.#value, this.#tokens, start, end, inserted);
    if (this.#composing) {
      // A composition's text is the keyboard's until it ends: a token it
      // touches is only forgotten, and its characters stay as they are.
      this.#tokens = this.#tokensAfter(start, end, inserted);
      this.#value = after;
    } else if (
      // The field shows the edit: it is left alone, which spares a keyboard
      // a field set under it. Setting it anyway would change nothing but,
      // for a Z typed inside a ^Z, put the caret after that Z.
      // Stryker disable next-line ConditionalExpression: see above
      next.value === after
    ) {
      this.#tokens = next.tokens;
      this.#value = after;
    } else {
      this.#set(next.value, next.tokens, next.caret);
    }
  }

  // The tokens after a change made by a composition: those it touched are
  // forgotten, the others move with the text after them.
  #tokensAfter(start, end, inserted) {
    const shift = inserted.length - (end - start);
    return this.#tokens
      .filter((t) => t + TOKEN.length <= start || t >= end)
      .map((t) => (t >= end ? t + shift : t));
  }

  #paste(event) {
    // Every engine's paste carries its data; only a script's own event may
    // come without, and then the field is left to the browser.
    // Stryker disable next-line OptionalChaining: see above
    const text = event.clipboardData?.getData('text/plain');
    // Stryker disable next-line ConditionalExpression: see above
    if (text === undefined) return;
    event.preventDefault();
    const lines = text.split(/\r\n|\r|\n/);
    lines.forEach((line, i) => {
      this.#insert(
        Array.from(line)
          .filter((c) => c === '\x1a' || !isControl(c.codePointAt(0)))
          .join(''),
      );
      if (i < lines.length - 1) this.#submit();
    });
  }

  // Types `text` over the selection; each Ctrl-Z in it becomes a token.
  #insert(text) {
    const parts = text.split('\x1a');
    // Stryker disable next-line ArrayDeclaration: as for #tokens
    const insertedTokens = [];
    let inserted = parts[0];
    for (const part of parts.slice(1)) {
      insertedTokens.push(inserted.length);
      inserted += TOKEN + part;
    }
    const start = this.#field.selectionStart ?? this.#value.length;
    const end = this.#field.selectionEnd ?? start;
    const next = edited(this.#value, this.#tokens, start, end, inserted, insertedTokens);
    this.#set(next.value, next.tokens, next.caret);
  }

  #submit() {
    if (this.#composing) {
      this.#submitWhenComposed = true;
      return;
    }
    const line = lineOf(this.#field.value, this.#tokens);
    this.clear();
    this.onLine(line);
  }

  #afterComposition() {
    this.#input();
    if (this.#submitWhenComposed && !this.#composing) {
      this.#submitWhenComposed = false;
      this.#submit();
    }
  }

  #set(value, tokens, caret) {
    this.#field.value = value;
    this.#value = value;
    this.#tokens = tokens;
    // Only the field with the focus shows a caret. Every edit that places one
    // has the focus; a field emptied without it needs none.
    // Stryker disable next-line ConditionalExpression: see above
    if (document.activeElement === this.#field) this.#field.setSelectionRange(caret, caret);
  }
}
