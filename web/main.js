// The page: one console, the program running in it, and what automation
// may ask of them (window.quirvelandostrabik).

import createProgram from 'quirvelandostrabik-program';

import { Bell } from './bell.js';
import { ConsoleText } from './console_text.js';
import { LineConsole } from './line_console.js';
import { LineField } from './line_field.js';

const MAX_COLUMNS = 80;

// The program's WebAssembly, inlined by the build as base64.
/* global PROGRAM_WASM_BASE64 */
const programWasm = Uint8Array.from(atob(PROGRAM_WASM_BASE64), (c) => c.charCodeAt(0));

const frame = document.getElementById('console');
const output = document.getElementById('output');
const current = document.getElementById('current');
const form = document.getElementById('line-form');
const field = document.getElementById('field');
const endedText = document.getElementById('ended-text');
const newReading = document.getElementById('new-reading');
const bell = new Bell(frame);
const lineField = new LineField(form, field, document.getElementById('ctrl-z'));

// The run on screen now; a new reading replaces it. The first starts below,
// before this script ends, so any caller of window.quirvelandostrabik
// finds one.
let run = null;
let columns = MAX_COLUMNS;

// As many columns as fit the console's width, at most 80: a narrower window
// wraps the lines, as a console window made narrower does. A ruler of 80
// characters measures them, in a box of no size, so that it widens nothing.
const ruler = document.createElement('span');
ruler.style.cssText = 'white-space:pre';
ruler.textContent = '0'.repeat(MAX_COLUMNS);
const rulerBox = document.createElement('div');
rulerBox.setAttribute('aria-hidden', 'true');
rulerBox.style.cssText = 'position:absolute;width:0;height:0;overflow:hidden;visibility:hidden';
rulerBox.append(ruler);
frame.append(rulerBox);
function fitColumns() {
  const style = getComputedStyle(frame);
  const width = frame.clientWidth - parseFloat(style.paddingLeft) - parseFloat(style.paddingRight);
  const character = ruler.getBoundingClientRect().width / MAX_COLUMNS;
  columns = Math.max(1, Math.min(MAX_COLUMNS, Math.floor((width + 0.5) / character)));
  frame.style.setProperty('--columns', String(columns));
}

// Keeps the line being edited in view as output arrives, once per frame: a
// second scroll in the same frame would find it in view, and only cost a
// layout.
let scrollQueued = false;
function keepFieldInView() {
  // Stryker disable next-line ConditionalExpression: see above
  if (scrollQueued) return;
  // Stryker disable next-line BooleanLiteral: see above
  scrollQueued = true;
  requestAnimationFrame(() => {
    scrollQueued = false;
    // The field is the page's last line, so a scroll that brings it into
    // view ends at the page's end with any alignment but for the few pixels
    // below it. Only the frame after the end finds it hidden, once the
    // new-reading button below the console has taken the focus and come
    // into view with the console's last line.
    // Stryker disable next-line ObjectLiteral,LogicalOperator: see above
    (form.hidden ? (output.lastElementChild ?? frame) : field).scrollIntoView({ block: 'nearest' });
  });
}

async function start() {
  const thisRun = { output: [], status: null, bells: 0 };
  run = thisRun;
  const text = new ConsoleText(output, current, () => {
    thisRun.bells += 1;
    bell.ring();
  });
  const lineConsole = new LineConsole(text, lineField);
  thisRun.console = lineConsole;
  const program = await createProgram({
    wasmBinary: programWasm,
    stdio: {
      read: (size) => {
        keepFieldInView();
        return lineConsole.read(size);
      },
      write: (fd, bytes) => {
        // Standard error gets the program's error line only when a read of
        // the page's console fails, which no console of this page does.
        // Stryker disable next-line ConditionalExpression: see above
        if (fd === 1) thisRun.output.push(...bytes);
        lineConsole.write(bytes);
        keepFieldInView();
      },
    },
  });
  let status;
  try {
    // main takes no arguments, and ccall returns a promise whenever the
    // program waits for a line, which it always does first.
    // Stryker disable next-line ArrayDeclaration,ObjectLiteral,BooleanLiteral: see above
    status = await program.ccall('main', 'number', [], [], { async: true });
  } finally {
    // The console stays as it is, with all that was written, but takes no
    // more lines.
    lineConsole.close();
    form.hidden = true;
  }
  thisRun.status = status;
  end(`Das Programm ist beendet (Exit-Status ${status}).`);
}

function end(message) {
  endedText.textContent = message;
  newReading.hidden = false;
  newReading.focus();
}

function startShowingFailure() {
  start().catch((error) => end(`Das Programm konnte nicht laufen: ${error.message}`));
}

newReading.addEventListener('click', () => {
  newReading.hidden = true;
  endedText.textContent = '';
  output.replaceChildren();
  current.textContent = '';
  lineField.clear();
  form.hidden = false;
  field.focus();
  startShowingFailure();
});

// A tap anywhere on the console while the program runs puts the focus back
// in the field, which opens a phone's keyboard again once a reader has
// scrolled, without scrolling the page. A drag or long press that selected
// text keeps its selection. (Once the program has ended the field is hidden,
// and focusing it does nothing.)
frame.addEventListener('click', () => {
  if (!document.getSelection().isCollapsed) return;
  field.focus({ preventScroll: true });
});

window.addEventListener('resize', fitColumns);
// An on-screen keyboard that opens shrinks the visual viewport: the line
// being edited stays in view above it.
window.visualViewport?.addEventListener('resize', () => {
  // Stryker disable next-line ObjectLiteral: as in keepFieldInView
  if (document.activeElement === field) field.scrollIntoView({ block: 'nearest' });
});

window.quirvelandostrabik = Object.freeze({
  /** Every byte written to standard output so far, as numbers. */
  output: () => [...run.output],
  /** The console's rows, each line wrapped at its width, with the line being edited. */
  screen: () => run.console.rows(columns),
  /** null while the program runs, then its exit status. */
  status: () => run.status,
  /** How many BEL bytes the console has shown. */
  bells: () => run.bells,
  /** The console's width in columns now. */
  columns: () => columns,
});

fitColumns();
field.focus();
startShowingFailure();

// Served as a web app (over HTTPS, or from localhost), the site's service
// worker keeps the page for offline use; asking for an update at each start
// makes a new version the next start's. A page opened from a file registers
// none, and a host without the worker leaves the page as it is. Each
// condition only spares a registration that would fail, leaving no more than
// an error in the browser's log; and a start's navigation makes the browser
// look for a new worker too, update() just asks at once.
// Stryker disable ArrowFunction: see above
// Stryker disable next-line ConditionalExpression,LogicalOperator,Regex: see above
if ('serviceWorker' in navigator && window.isSecureContext && /^https?:$/.test(location.protocol)) {
  navigator.serviceWorker
    .register('sw.js')
    .then((registration) => registration.update())
    .catch(() => {});
}
// Stryker restore ArrowFunction
