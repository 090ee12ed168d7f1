// The page: one console, the program running in it, and what automation
// may ask of them (window.quirvelandostrabik).

import { Terminal } from '@xterm/xterm';
import createProgram from 'quirvelandostrabik-program';

import { Bell } from './bell.js';
import { LineConsole } from './line_console.js';

const COLUMNS = 80;
const ROWS = 25;
const SCROLLBACK = 1000;

const frame = document.getElementById('console');
const ended = document.getElementById('ended');
const endedText = document.getElementById('ended-text');
const newReading = document.getElementById('new-reading');
const bell = new Bell(frame);

// The run on screen now; a new reading replaces it.
let run = null;

// The font size at which 80 columns fit the window, within reason; narrower
// windows scroll the console sideways.
function fontSize() {
  const fitting = Math.floor((document.documentElement.clientWidth - 32) / (COLUMNS * 0.6));
  return Math.max(8, Math.min(16, fitting));
}

// The console's lines from the top of the scrollback to the last line
// written, without their trailing blanks.
function screenLines(terminal) {
  const buffer = terminal.buffer.active;
  let last = buffer.baseY + buffer.cursorY;
  if (buffer.cursorX === 0) last -= 1;  // the cursor waits on a line not yet written
  const lines = [];
  for (let y = 0; y <= last; y += 1) {
    lines.push(buffer.getLine(y).translateToString(true).replace(/ +$/, ''));
  }
  return lines;
}

async function start() {
  const terminal = new Terminal({
    cols: COLUMNS,
    rows: ROWS,
    scrollback: SCROLLBACK,
    convertEol: true,  // a line feed also returns the cursor, as on a console
    cursorBlink: true,
    fontFamily: '"DejaVu Sans Mono", "Cascadia Mono", Consolas, "Liberation Mono", monospace',
    fontSize: fontSize(),
    theme: { background: '#0c0c0c', foreground: '#cccccc' },
  });
  const current = { terminal, output: [], status: null, bells: 0 };
  run = current;
  terminal.open(frame);
  // Backspace over a line that wrapped goes back to the row above.
  terminal.write('\x1b[?45h');
  terminal.onBell(() => {
    current.bells += 1;
    bell.ring();
  });
  // Ctrl+C with text selected copies it instead of going to the program.
  terminal.attachCustomKeyEventHandler(
    (event) => !((event.ctrlKey || event.metaKey) && event.key === 'c' && terminal.hasSelection()),
  );
  terminal.focus();

  const lineConsole = new LineConsole(terminal);
  const program = await createProgram({
    stdio: {
      read: (size) => lineConsole.read(size),
      write: (fd, bytes) => {
        if (fd === 1) current.output.push(...bytes);
        lineConsole.write(bytes);
      },
    },
  });
  const status = await program.ccall('main', 'number', [], [], { async: true });
  lineConsole.close();
  // The console stays as it is, but takes no more keys.
  terminal.options.disableStdin = true;
  terminal.options.cursorBlink = false;
  current.status = status;
  endedText.textContent = `Das Programm ist beendet (Exit-Status ${status}).`;
  ended.hidden = false;
  newReading.focus();
}

function startShowingFailure() {
  start().catch((error) => {
    endedText.textContent = `Das Programm konnte nicht laufen: ${error.message}`;
    ended.hidden = false;
  });
}

newReading.addEventListener('click', () => {
  ended.hidden = true;
  run.terminal.dispose();
  frame.replaceChildren();
  startShowingFailure();
});

window.addEventListener('resize', () => {
  if (run !== null) run.terminal.options.fontSize = fontSize();
});

window.quirvelandostrabik = Object.freeze({
  /** Every byte written to standard output so far, as numbers. */
  output: () => (run === null ? [] : [...run.output]),
  /** The console's lines, top of the scrollback to the last line written. */
  screen: () => (run === null ? [] : screenLines(run.terminal)),
  /** null while the program runs, then its exit status. */
  status: () => (run === null ? null : run.status),
  /** How many BEL bytes the console has shown. */
  bells: () => (run === null ? 0 : run.bells),
});

startShowingFailure();
