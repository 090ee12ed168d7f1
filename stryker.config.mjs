// Mutation testing of the page's JavaScript: `npx stryker run`, after the
// web preset has built the program (build/web). Each mutant of the shipped
// scripts is tested by tools/stryker_test.mjs, with the tests that reach its
// file. Incremental: a run tests only the mutants of what changed since the
// results kept in tools/stryker-incremental.json.
import { resolve } from 'node:path';

export default {
  mutate: ['web/*.js'],
  testRunner: 'command',
  commandRunner: { command: `node tools/stryker_test.mjs ${resolve('build/web')}` },
  // The command runs whole test files; Stryker cannot tell which test saw
  // which mutant.
  coverageAnalysis: 'off',
  mutator: {
    // String literals here only name things (elements, events, classes,
    // messages whose words no test reads); a changed name breaks the page
    // loudly or not at all.
    excludedMutations: ['StringLiteral'],
  },
  incremental: true,
  incrementalFile: 'tools/stryker-incremental.json',
  ignorePatterns: ['/build', '/doc', '/fuzz', '/bench', '/packaging', '/.cache', '/Testing'],
  concurrency: 2,
  timeoutMS: 30000,
  reporters: ['clear-text', 'progress'],
  clearTextReporter: { allowColor: false, logTests: false, reportMutants: true },
  // Any survivor that no comment marks fails the run.
  thresholds: { high: 100, low: 100, break: 100 },
  tempDirName: 'build/stryker-tmp',
  cleanTempDir: 'always',
};
