// The page's console: a text console in line mode, made of the document's
// text and a text field.
//
// A line ended in the field is handed to the program once it reads, as its
// bytes in code page 850 followed by CR LF, and echoed into the text then:
// lines ended before the program reads wait, unechoed, in the order ended,
// as a console's type-ahead does. Each read, and the end, ends the text's
// burst, so that a line's echo goes into the log with what the program
// writes after reading it. What the program does with a Ctrl-Z
// (0x1A) in a line is its own text mode's business.

export class LineConsole {
  #text;
  #field;
  #ended = []; // lines ended but not yet read
  #handedOver = new Uint8Array(0); // the rest of a line being read
  #pendingRead = null;
  #closed = false;

  /**
   * `text` is a ConsoleText that shows the output; `field` is a LineField
   * whose ended lines this console takes over. Both stay the caller's.
   */
  constructor(text, field) {
    this.#text = text;
    this.#field = field;
    field.onLine = (line) => {
      // The page hides the field as the console closes, so this and the
      // emptying in close() only guard a caller that would not.
      // Stryker disable next-line ConditionalExpression: see above
      if (this.#closed) return;
      this.#ended.push(line);
      this.#handOver();
    };
  }

  /** Shows bytes the program wrote. */
  write(bytes) {
    this.#text.write(bytes);
  }

  /**
   * One read of at most `size` bytes: the rest of a line already handed
   * over, or else the next line, once it is ended.
   */
  read(size) {
    this.#text.endBurst();
    if (this.#handedOver.length > 0) return Promise.resolve(this.#take(size));
    return new Promise((resolve) => {
      this.#pendingRead = { size, resolve };
      this.#handOver();
    });
  }

  /** The program has ended: no line is taken any more. */
  close() {
    this.#closed = true;
    // Stryker disable next-line ArrayDeclaration: see the constructor
    this.#ended = [];
    this.#text.endBurst();
  }

  /** The console's rows at `columns` characters, with the line being edited. */
  rows(columns) {
    return this.#text.rows(columns, this.#closed ? '' : this.#field.text);
  }

  #handOver() {
    if (this.#pendingRead === null || this.#ended.length === 0) return;
    const { bytes, echo } = this.#ended.shift();
    this.#text.echo(echo);
    this.#handedOver = Uint8Array.from([...bytes, 0x0d, 0x0a]);
    const { size, resolve } = this.#pendingRead;
    this.#pendingRead = null;
    resolve(this.#take(size));
  }

  #take(size) {
    const taken = this.#handedOver.subarray(0, size);
    this.#handedOver = this.#handedOver.subarray(taken.length);
    return taken;
  }
}
