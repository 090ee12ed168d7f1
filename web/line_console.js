// The page's console: a text console in line mode over a terminal widget.
//
// Keys are kept in the order typed and edited into a line only while the
// program reads, as a console does: a line typed ahead waits, unechoed,
// until the program asks for it. A line is handed over once Enter ends it,
// as its bytes in code page 850 followed by CR LF. What the program does
// with a Ctrl-Z (0x1A) in the line is its own text mode's business.

import { byteOfCharacter, characterOfByte, screenTextOfBytes } from './code_page_850.js';

const ENTER = { kind: 'enter' };
const BACKSPACE = { kind: 'backspace' };
const CTRL_Z = { kind: 'character', byte: 0x1a, echo: '^Z' };

/**
 * The keys in `data`, as a terminal reports typing and pasting: Enter is CR
 * (a pasted line end too), Backspace is DEL or BS. Characters are taken by
 * code point, so that one emoji is one key. Escape sequences (arrows,
 * function keys, Alt with a key) and other control characters are no keys
 * of a line.
 */
export function keysOf(data) {
  const keys = [];
  const characters = Array.from(data.normalize('NFC'));
  for (let i = 0; i < characters.length; i += 1) {
    const c = characters[i];
    const code = c.codePointAt(0);
    if (c === '\r' || (c === '\n' && characters[i - 1] !== '\r')) {
      keys.push(ENTER);
    } else if (code === 0x7f || code === 0x08) {
      keys.push(BACKSPACE);
    } else if (code === 0x1a) {
      keys.push(CTRL_Z);
    } else if (code === 0x1b) {
      i = endOfEscape(characters, i);
    } else if (code >= 0x20 && !(code >= 0x80 && code < 0xa0)) {
      const byte = byteOfCharacter(code);
      keys.push({ kind: 'character', byte, echo: characterOfByte(byte) });
    }
  }
  return keys;
}

// The index of the last character of the escape sequence at `start`.
function endOfEscape(characters, start) {
  let i = start + 1;
  if (characters[i] === '[') {
    i += 1;
    while (i < characters.length && !/[\x40-\x7e]/.test(characters[i])) i += 1;
  } else if (characters[i] === 'O') {
    i += 1;
  }
  return Math.min(i, characters.length - 1);
}

export class LineConsole {
  #terminal;
  #keys = [];
  #line = [];  // the keys of the line being edited
  #handedOver = new Uint8Array(0);  // the rest of an ended line, for the next reads
  #pendingRead = null;
  #closed = false;

  /** `terminal` is an xterm.js Terminal; it stays the caller's. */
  constructor(terminal) {
    this.#terminal = terminal;
    terminal.onData((data) => this.#type(data));
  }

  /** Shows bytes the program wrote. */
  write(bytes) {
    this.#terminal.write(screenTextOfBytes(bytes));
  }

  /**
   * One read of at most `size` bytes: the rest of a line already ended, or
   * else the next line, once Enter ends it.
   */
  read(size) {
    if (this.#handedOver.length > 0) return Promise.resolve(this.#takeHandedOver(size));
    return new Promise((resolve) => {
      this.#pendingRead = { size, resolve };
      this.#edit();
    });
  }

  /** The program has ended: no key is taken any more. */
  close() {
    this.#closed = true;
    this.#keys = [];
  }

  #type(data) {
    if (this.#closed) return;
    this.#keys.push(...keysOf(data));
    this.#edit();
  }

  // Edits the keys typed so far into the line, while a read waits for it.
  #edit() {
    while (this.#pendingRead !== null && this.#keys.length > 0) {
      const key = this.#keys.shift();
      if (key.kind === 'character') {
        this.#line.push(key);
        this.#terminal.write(key.echo);
      } else if (key.kind === 'backspace') {
        const removed = this.#line.pop();
        if (removed !== undefined) this.#terminal.write('\b \b'.repeat(removed.echo.length));
      } else {
        this.#terminal.write('\r\n');
        this.#handedOver = Uint8Array.from([...this.#line.map((k) => k.byte), 0x0d, 0x0a]);
        this.#line = [];
        const { size, resolve } = this.#pendingRead;
        this.#pendingRead = null;
        resolve(this.#takeHandedOver(size));
      }
    }
  }

  #takeHandedOver(size) {
    const taken = this.#handedOver.subarray(0, size);
    this.#handedOver = this.#handedOver.subarray(taken.length);
    return taken;
  }
}
