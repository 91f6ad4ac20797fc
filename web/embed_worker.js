// Makes the page's sorvel-worker.js: the module's script and the worker's
// own code as one text in a global, from which the page starts workers
// without fetching a file (a page opened from disk may not).
//
//   node embed_worker.js MODULE.js WORKER.js OUTPUT.js
'use strict';
const fs = require('fs');
const [moduleFile, workerFile, output] = process.argv.slice(2);
const source = fs.readFileSync(moduleFile, 'utf8') + '\n' + fs.readFileSync(workerFile, 'utf8');
fs.writeFileSync(output + '.part',
  '// Made by the build from the WebAssembly module and web/worker.js.\n' +
  'var SORVEL_WORKER_SOURCE = ' + JSON.stringify(source) + ';\n');
fs.renameSync(output + '.part', output);
