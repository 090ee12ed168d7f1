// Builds the page: one HTML file that holds the program (Emscripten's
// loader and its WebAssembly, as base64), the page's script and its styles,
// and asks for nothing from anywhere.
//
// Usage: node web/build.mjs PROGRAM.js OUTPUT.html   (PROGRAM.wasm beside it)
//
// Beside OUTPUT.html it also writes OUTPUT.script.js, the page's script as
// the bundler made it, before it was escaped and inlined, with its source
// map in OUTPUT.script.js.map: the JavaScript coverage maps what ran in the
// page back to the files through them. Neither is part of the page.
//
// The same inputs give the same page: nothing in it depends on the time, the
// machine or the folders the inputs are in. (The map names the sources by
// where they are.)

import { createHash } from 'node:crypto';
import { readFileSync, writeFileSync } from 'node:fs';
import { basename, dirname, join, resolve } from 'node:path';
import { fileURLToPath } from 'node:url';

import * as esbuild from 'esbuild';

const [programArgument, outputPath] = process.argv.slice(2);
if (!programArgument || !outputPath) {
  console.error('usage: node web/build.mjs PROGRAM.js OUTPUT.html');
  process.exit(2);
}

const programPath = resolve(programArgument);
const webDir = dirname(fileURLToPath(import.meta.url));
const read = (path) => readFileSync(path, 'utf8');

// The program's module is imported by a name of its own, so that the page's
// sources do not depend on where the build put it.
const programPlugin = {
  name: 'program',
  setup(build) {
    build.onResolve({ filter: /^quirvelandostrabik-program$/ }, () => ({ path: programPath }));
  },
};

// The program's WebAssembly, beside its loader, goes into the page's script
// as base64: the page hands the loader the bytes, so nothing is fetched.
const wasm = readFileSync(programPath.replace(/\.js$/, '.wasm'));

// Under mutation testing the page's script names the mutant that is on,
// first of all: a browser cannot read it from the environment, as the
// mutated code does in node. Any other build has no such line.
const activeMutant = process.env.__STRYKER_ACTIVE_MUTANT__;
const banner =
  activeMutant === undefined
    ? {}
    : { js: `globalThis.__stryker__ = { activeMutant: ${JSON.stringify(activeMutant)} };` };

const bundle = await esbuild.build({
  entryPoints: [join(webDir, 'main.js')],
  absWorkingDir: webDir,
  bundle: true,
  format: 'esm',
  target: 'es2022',
  minify: true,
  legalComments: 'eof',
  charset: 'utf8',
  write: false,
  // The map is only written beside the page; the script names none.
  sourcemap: 'external',
  outfile: outputPath.replace(/\.html$/, '') + '.script.js',
  logLevel: 'warning',
  plugins: [programPlugin],
  banner,
  define: { PROGRAM_WASM_BASE64: JSON.stringify(wasm.toString('base64')) },
});

// Control characters other than the blanks and line ends are not allowed in
// an HTML document: C0, DEL and C1.
// eslint-disable-next-line no-control-regex -- finding them is its purpose
const CONTROL = /[\x00-\x08\x0b\x0e-\x1f\x7f-\x9f]/g;

// Inlined text must not end its <script> or <style> element early, and
// points to no source maps, which are not there.
function inlined(text, element) {
  const safe = text
    .replace(/^\/\/# sourceMappingURL=.*$/gm, '')
    .replace(/\/\*# sourceMappingURL=.*?\*\//g, '')
    .replace(new RegExp(`</(${element})`, 'gi'), '<\\/$1');
  if (/<!--|<script/i.test(safe)) throw new Error(`the inlined ${element} holds <!-- or <script`);
  return safe;
}

// The bundler writes the control characters of string literals raw; each
// becomes its escape again, which means the same in a string, a template or
// a regular expression.
const escaped = (code) =>
  code.replace(CONTROL, (c) => `\\x${c.charCodeAt(0).toString(16).padStart(2, '0')}`);
const output = (extension) => bundle.outputFiles.find((file) => file.path.endsWith(extension));
const bundled = output('.script.js');
const script = inlined(escaped(bundled.text), 'script');
const style = inlined(read(join(webDir, 'page.css')), 'style');
const hash = (text) => createHash('sha256').update(text, 'utf8').digest('base64');

// Only the page's own script and style apply, by their hashes. WebAssembly
// needs 'wasm-unsafe-eval'. Served as a web app, the page's own site gives
// the service worker, the manifest and the manifest's icons. Nothing else
// may be loaded or connected to.
const policy = [
  "default-src 'none'",
  `script-src 'sha256-${hash(script)}' 'wasm-unsafe-eval'`,
  `style-src 'sha256-${hash(style)}'`,
  "worker-src 'self'",
  "manifest-src 'self'",
  "img-src 'self'",
  "base-uri 'none'",
  "form-action 'none'",
].join('; ');

const page = read(join(webDir, 'page.html'))
  .replace('@CONTENT_SECURITY_POLICY@', () => policy)
  .replace('@STYLE@', () => style)
  .replace('@SCRIPT@', () => script);
const control = page.match(CONTROL);
if (control !== null) {
  throw new Error(
    `the page holds the control character U+${control[0].codePointAt(0).toString(16)}`,
  );
}
writeFileSync(outputPath, page);

// The map names each source by its absolute path, and the script its map.
const map = JSON.parse(output('.script.js.map').text);
map.sources = map.sources.map((source) => resolve(dirname(bundled.path), source));
writeFileSync(`${bundled.path}.map`, JSON.stringify(map));
writeFileSync(bundled.path, `${bundled.text}//# sourceMappingURL=${basename(bundled.path)}.map\n`);
