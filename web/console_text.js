// The console's text: what the program writes, shown as lines of text in
// the document. The lines of one burst, everything the program writes until
// it next reads or ends, become one element of the log, added once when the
// burst ends and never changed afterwards: a screen reader then announces a
// whole reading once and in order (a burst of elements added at one moment
// is announced in part, or out of order), and can read it again line by
// line. The line not yet ended is shown at once, apart from the log, in
// front of the field.

import { characterOfByte } from './code_page_850.js';

const BELL = 0x07;
const BACKSPACE = 0x08;
const TAB = 0x09;
const LINE_FEED = 0x0a;
const CARRIAGE_RETURN = 0x0d;
const TAB_WIDTH = 8;

/** Splits `line` into rows of `columns` characters, without trailing blanks. */
export function rowsOf(line, columns) {
  const characters = Array.from(line);
  const rows = [];
  for (let i = 0; i === 0 || i < characters.length; i += columns) {
    rows.push(
      characters
        .slice(i, i + columns)
        .join('')
        .replace(/ +$/, ''),
    );
  }
  return rows;
}

export class ConsoleText {
  #log;
  #current;
  #onBell;
  #lines = []; // every ended line, in order
  #burst = []; // the ended lines not yet in the log
  #line = []; // the characters of the line not yet ended
  #column = 0;

  /**
   * `log` takes one element per burst; `current` shows the line not yet
   * ended. `onBell` is called for each BEL written. The elements stay
   * the caller's; this object only adds to them and sets their text.
   */
  constructor(log, current, onBell) {
    this.#log = log;
    this.#current = current;
    this.#onBell = onBell;
  }

  /**
   * Shows bytes the program wrote, as a console shows them: the bell,
   * backspace, tab, line feed (which also returns) and carriage return act;
   * every other byte is its code page 850 character.
   */
  write(bytes) {
    for (const byte of bytes) {
      if (byte === LINE_FEED) {
        this.#endLine();
      } else if (byte === CARRIAGE_RETURN) {
        this.#column = 0;
      } else if (byte === BACKSPACE) {
        this.#column = Math.max(0, this.#column - 1);
      } else if (byte === TAB) {
        const stop = (Math.floor(this.#column / TAB_WIDTH) + 1) * TAB_WIDTH;
        while (this.#line.length < stop) this.#line.push(' ');
        this.#column = stop;
      } else if (byte === BELL) {
        this.#onBell();
      } else {
        this.#put(characterOfByte(byte));
      }
    }
    this.#current.textContent = this.#line.join('');
  }

  /** Adds `text` to the line not yet ended, and ends it: a line's echo. */
  echo(text) {
    for (const character of text) this.#put(character);
    this.#endLine();
    this.#current.textContent = '';
  }

  /**
   * Ends the burst: its lines go into the log as one element, each line a
   * line of its text. Nothing is added for a burst without a line.
   */
  endBurst() {
    if (this.#burst.length === 0) return;
    const element = document.createElement('div');
    // Every line ends in a line break, so that an empty last line shows too.
    element.textContent = this.#burst.map((line) => `${line}\n`).join('');
    this.#burst = [];
    this.#log.append(element);
  }

  /**
   * The console's rows at `columns` characters a row: every ended line,
   * then the line not yet ended followed by `edited`, if they hold anything.
   */
  rows(columns, edited) {
    const last = this.#line.join('') + edited;
    const lines = last === '' ? this.#lines : [...this.#lines, last];
    return lines.flatMap((line) => rowsOf(line, columns));
  }

  #put(character) {
    this.#line[this.#column] = character;
    this.#column += 1;
  }

  #endLine() {
    const text = this.#line.join('');
    this.#lines.push(text);
    this.#burst.push(text);
    this.#line = [];
    this.#column = 0;
  }
}
