// ESLint's recommended rules over the page, its build and its tests, with
// each file's globals: the page's modules run in a browser, the service
// worker in a worker, the build and the tools in node, and the tests and benchmarks in
// node with functions that they hand to a browser page.
import js from '@eslint/js';
import globals from 'globals';

export default [
  { ignores: ['build/', 'node_modules/'] },
  js.configs.recommended,
  {
    linterOptions: { reportUnusedDisableDirectives: 'error' },
    rules: {
      'no-unused-vars': ['error', { args: 'after-used', caughtErrors: 'none' }],
      'prefer-const': 'error',
      eqeqeq: 'error',
    },
  },
  { files: ['web/*.js'], languageOptions: { globals: globals.browser } },
  { files: ['web/sw.js'], languageOptions: { globals: globals.serviceworker } },
  {
    files: ['web/*.mjs', 'tools/*.mjs', 'eslint.config.js', 'stryker.config.mjs'],
    languageOptions: { globals: globals.node },
  },
  {
    files: ['tests/*.mjs', 'bench/*.mjs'],
    languageOptions: { globals: { ...globals.node, ...globals.browser } },
  },
];
