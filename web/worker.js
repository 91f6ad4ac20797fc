// The worker's side of a run: one program of the module on one command
// line. The page sends the command line and the input files; the program's
// output lines come back as they are written (its progress among them),
// and at the end its exit status and every file it wrote. Each run has a
// fresh instance of the module, so no run sees another's memory; the
// instance is made as soon as the worker starts, so that a worker the page
// starts ahead of a run has it ready when the run comes.
'use strict';

// The module is inside this script: the loader would first try to fetch
// it from its data: address, which the page's policy refuses (nothing is
// fetched from anywhere); without fetch it reads it at once.
self.fetch = undefined;

const post = (message) => self.postMessage(message);

const instance = createSorvel({
  print: (line) => post({ type: 'stdout', line }),
  printErr: (line) => post({ type: 'stderr', line }),
  // The programs end with exit(); the run ends there, not the worker.
  quit: (status, reason) => { throw reason; },
});
instance.catch(() => {});  // a module that cannot start is reported with the run

function runProgram(module, request) {
  const written = {};
  const FS = module.FS;
  FS.mkdir('/run');
  FS.chdir('/run');
  for (const [name, bytes] of Object.entries(request.inputs)) FS.writeFile(name, bytes);
  const status = module.callMain(request.args);
  for (const name of FS.readdir('.')) {
    if (name === '.' || name === '..') continue;
    const bytes = FS.readFile(name);
    const input = request.inputs[name];
    if (input === undefined || input.length !== bytes.length || input.some((b, i) => b !== bytes[i]))
      written[name] = bytes;
  }
  return { status, files: written };
}

self.onmessage = (event) => {
  instance.then((module) => runProgram(module, event.data)).then(
    (result) => post({ type: 'end', status: result.status, files: result.files }),
    (error) => post({ type: 'failed', message: String(error && error.message ? error.message : error) }));
};
