// The page: the user's choices become the command lines of sorvel-import
// and of the analysis programs, each run in a Web Worker of its own on the
// file the user gave; what the programs print and write is shown and
// offered for download as it is, byte for byte.
'use strict';

(function () {
  const $ = (id) => document.getElementById(id);

  // The worker's script is held in sorvel-worker.js as a text, so that the
  // page starts workers without fetching anything: a page opened from disk
  // may not load a worker from a file. Its megabyte is read once the page
  // has loaded, so that the page shows at once; a run waits for it.
  const workerUrl = new Promise((resolve, reject) => {
    const load = () => {
      const script = document.createElement('script');
      script.src = 'sorvel-worker.js';
      script.onload = () => {
        resolve(URL.createObjectURL(new Blob([SORVEL_WORKER_SOURCE], { type: 'text/javascript' })));
        document.body.dataset.ready = 'yes';
      };
      script.onerror = () => reject(new Error('sorvel-worker.js cannot be read: keep it beside index.html'));
      document.body.appendChild(script);
    };
    if (document.readyState === 'complete') load();
    else window.addEventListener('load', load);
  });

  const READS_NOTATION = { rgf: true, columns: true, quadrant: true, fdt: true };
  const MIM_STAGE_COUNT = 3;

  class RunCancelled extends Error {}

  // ---- one program in one worker ----

  const running = new Set();  // { worker, reject } of each program now running
  let cancelled = false;  // Cancel pressed during this batch

  // A worker started ahead of the next program, its module made while the
  // page waits for the user: a run then starts at once. Each worker runs
  // one program and is ended with it, so no run sees another's memory.
  let spare = null;

  function startSpare() {
    workerUrl.then((url) => { if (spare === null) spare = new Worker(url); }, () => {});
  }

  function takeWorker(url) {
    const worker = spare || new Worker(url);
    spare = null;
    return worker;
  }

  // Runs PROGRAM ARGS... on the input files (name -> bytes); every line it
  // prints on standard output goes to onLine as it comes. Resolves with
  // the exit status, both outputs and the files written.
  async function runProgram(args, inputs, onLine) {
    const url = await workerUrl;
    // Cancel between two programs of a run stops it before the next.
    if (cancelled) throw new RunCancelled('cancelled');
    return new Promise((resolve, reject) => {
      const worker = takeWorker(url);
      const entry = { worker, reject };
      running.add(entry);
      const stdout = [];
      const stderr = [];
      const finish = () => {
        worker.terminate();
        running.delete(entry);
        startSpare();
      };
      worker.onmessage = (event) => {
        const m = event.data;
        if (m.type === 'stdout') {
          stdout.push(m.line);
          onLine(m.line);
        } else if (m.type === 'stderr') {
          stderr.push(m.line);
        } else if (m.type === 'end') {
          finish();
          resolve({ status: m.status, stdout, stderr, files: m.files });
        } else {
          finish();
          reject(new Error(m.message));
        }
      };
      worker.onerror = (event) => {
        event.preventDefault();
        finish();
        reject(new Error(event.message || 'the worker stopped'));
      };
      worker.postMessage({ args, inputs });
    });
  }

  function cancelRun() {
    cancelled = true;
    for (const entry of Array.from(running)) {
      entry.worker.terminate();
      running.delete(entry);
      entry.reject(new RunCancelled('cancelled'));
    }
  }

  // What the browser says when the module cannot have the memory a run
  // needs, in words a user can act on.
  function failureText(error) {
    const text = String(error.message || error);
    if (/memory|allocation|RangeError|Aborted/i.test(text))
      return 'the run needs more memory than this browser gives it (' + text + '); ' +
             'try fewer data, or the sorvel programs at the command line';
    return 'the run stopped: ' + text;
  }

  // ---- progress from the programs' own progress lines ----

  const STAGE_SHARE = {
    'Initialization': 0.02,
    'Estimating Fitness': 0.05,
    'Sorting': 0.35,
    'Saving Results': 0.45,
    'Writing Results': 0.45,
    'Separating populations': 0.6,
  };

  function isProgressLine(line) {
    return /^\s*$/.test(line) || /^\s*\*.*\*\s*$/.test(line) || /^\s*\d+ \/\s*\d+\s*$/.test(line);
  }

  // The share of the run that a progress line says is done, or null.
  function shareOfLine(line) {
    let m = /^\s*(\d+) \/\s*(\d+)\s*$/.exec(line);
    if (m) return 0.05 + 0.4 * (Number(m[1]) / Math.max(1, Number(m[2])));
    m = /Resampling\s+(\d+) %/.exec(line);
    if (m) return 0.6 + 0.4 * Number(m[1]) / 100;
    m = /Initialization\s+(\d)\/(\d)/.exec(line);
    if (m) return 0.05 * Number(m[1]) / MIM_STAGE_COUNT;
    m = /^\s*\*\s*(.*?)\s*\*\s*$/.exec(line);
    if (m && m[1] in STAGE_SHARE) return STAGE_SHARE[m[1]];
    return null;
  }

  function showProgress(share) {
    const bar = $('progress');
    if (share > Number(bar.value)) bar.value = share;
  }

  // ---- names and command lines ----

  // The programs take a name as an option when it starts with '-'.
  function asOperand(name) { return name.startsWith('-') ? './' + name : name; }

  function stemOf(name) {
    const dot = name.lastIndexOf('.');
    return dot > 0 ? name.slice(0, dot) : name;
  }

  function extensionOf(name) {
    const dot = name.lastIndexOf('.');
    return dot > 0 ? name.slice(dot + 1).toLowerCase() : '';
  }

  function readChoices() {
    return {
      notation: $('notation').value,
      analysis: $('analysis').value,
      weight: $('weight').value,
      k: $('k').value.trim(),
      bootstrap: $('bootstrap').value.trim(),
      seed: $('seed').value.trim(),
    };
  }

  // The analysis program's command line for the data file DATA, as a user
  // would type it; REPORT names the report (JSON for one file, the CSV
  // table for several).
  function analysisCommand(choices, data, report) {
    const stem = stemOf(data);
    const common = ['--weight', choices.weight, '--threads', '1'];
    const confidence = ['--bootstrap', choices.bootstrap, '--seed', choices.seed,
                        '--report', report, '--picture', stem + '.svg'];
    if (choices.analysis === 'cim') return ['sorvel-cim', ...common, asOperand(data)];
    if (choices.analysis === 'mim')
      return ['sorvel-mim', ...common, '--k', choices.k, ...confidence, '--split', stem + '_population',
              asOperand(data)];
    return ['sorvel', ...common, ...confidence, asOperand(data)];
  }

  const RESULTS_EXTENSION = { cdm: '.cdm', cim: '.cim', mim: '.mim' };

  // ---- the fill shared between workers ----

  // Helper workers, one a core, each fill a CDM run's scores over a share
  // of the grid, sum them and, with the bootstrap, search every resample
  // over the share; the run takes their sums and, per resample, the best
  // of their states (web/fill_shares.cpp): the very sums and states it
  // would find. Below some hundreds of data a helper's start costs more
  // than its share of the work; helpers that fail leave it to the run.
  const SHARED_FILL_LINES = 500;
  const MOST_HELPERS = 8;

  function fillHelpers(choices, bytes) {
    if (choices.analysis !== 'cdm') return 0;
    const cores = Math.min(navigator.hardwareConcurrency || 1, MOST_HELPERS);
    if (cores < 2) return 0;
    let lines = 0;
    for (let i = 0; i < bytes.length && lines < SHARED_FILL_LINES; i++) lines += bytes[i] === 10;
    return lines >= SHARED_FILL_LINES ? cores : 0;
  }

  // The command line of the run, with the helpers' files among its inputs
  // where they made them all; the first helper's progress is the run's.
  async function withSharedFill(args, inputs, helpers) {
    if (helpers < 2) return args;
    const progressOf = (i) => (line) => {
      const share = i === 0 ? shareOfLine(line) : null;
      if (share !== null) showProgress(share);
    };
    // A helper that fails (its memory, say) leaves its share to the run;
    // Cancel stops them all.
    const shares = await Promise.all(Array.from({ length: helpers }, (_, i) =>
      runProgram(['--fill-share=' + i + '/' + helpers, ...args], inputs, progressOf(i)).catch((error) => {
        if (error instanceof RunCancelled) throw error;
        return { status: -1, files: {} };
      })));
    const names = [];
    for (let i = 0; i < helpers; i++) {
      const name = 'fill-share-' + i;
      if (shares[i].status !== 0 || !shares[i].files[name]) return args;
      inputs[name] = shares[i].files[name];
      names.push(name);
    }
    return ['--fill-from=' + names.join(','), ...args];
  }

  // ---- the outputs on the page ----

  const madeUrls = [];

  function offer(link, name, bytes, type) {
    const url = URL.createObjectURL(new Blob([bytes], { type }));
    madeUrls.push(url);
    link.href = url;
    link.download = name;
    link.hidden = false;
    link.title = name;
    return url;
  }

  function clearOutputs() {
    for (const url of madeUrls.splice(0)) URL.revokeObjectURL(url);
    for (const id of ['summary', 'error', 'warnings', 'file-name', 'status', 'elapsed'])
      $(id).textContent = '';
    $('populations').replaceChildren();
    $('picture').replaceChildren();
    $('runs').replaceChildren();
    for (const id of ['download-results', 'download-report', 'download-picture', 'download-split',
                      'download-table'])
      $(id).hidden = true;
    $('progress').value = 0;
  }

  function showError(text) {
    $('error').textContent = text;
    $('status').textContent = text.split('\n').map((l) => l.trim()).filter((l) => l).join(' ');
  }

  function populationsTable(report) {
    const table = $('populations');
    table.replaceChildren();
    if (!report || !Array.isArray(report.populations) || report.populations.length === 0) return;
    const axis = (a) => String(a[0]).padStart(3, '0') + '/' + String(a[1]).padStart(2, '0');
    const columns = [
      ['Population', (p) => p.population], ['sigma1', (p) => axis(p.sigma1)],
      ['sigma2', (p) => axis(p.sigma2)], ['sigma3', (p) => axis(p.sigma3)],
      ['Phi', (p) => p.phi.toFixed(1)], ['regime', (p) => p.regime],
      ['SHmax', (p) => (p.shmax === null ? '' : String(Math.round(p.shmax)).padStart(3, '0'))],
      ['data', (p) => p.data_fitting], ['alone', (p) => p.data_alone],
      ['mean misfit', (p) => p.mean_misfit.toFixed(1)], ['votes', (p) => p.votes],
    ];
    const head = table.createTHead().insertRow();
    for (const [title] of columns) {
      const th = document.createElement('th');
      th.textContent = title;
      head.appendChild(th);
    }
    const body = table.createTBody();
    for (const p of report.populations) {
      const row = body.insertRow();
      for (const [, cell] of columns) row.insertCell().textContent = String(cell(p));
    }
  }

  function showPicture(url) {
    const img = document.createElement('img');
    img.src = url;
    img.alt = 'stereonet of the run';
    $('picture').replaceChildren(img);
  }

  // ---- a store-only zip of the split files ----

  const CRC_TABLE = (() => {
    const table = new Uint32Array(256);
    for (let n = 0; n < 256; n++) {
      let c = n;
      for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
      table[n] = c >>> 0;
    }
    return table;
  })();

  function crc32(bytes) {
    let c = 0xffffffff;
    for (const b of bytes) c = CRC_TABLE[(c ^ b) & 0xff] ^ (c >>> 8);
    return (c ^ 0xffffffff) >>> 0;
  }

  function zipOf(files) {
    const parts = [];
    const central = [];
    let offset = 0;
    const encoder = new TextEncoder();
    for (const [name, bytes] of files) {
      const nameBytes = encoder.encode(name);
      const crc = crc32(bytes);
      const local = new DataView(new ArrayBuffer(30));
      local.setUint32(0, 0x04034b50, true);
      local.setUint16(4, 20, true);
      local.setUint16(6, 0x0800, true);  // names in UTF-8
      local.setUint32(14, crc, true);
      local.setUint32(18, bytes.length, true);
      local.setUint32(22, bytes.length, true);
      local.setUint16(26, nameBytes.length, true);
      const entry = new DataView(new ArrayBuffer(46));
      entry.setUint32(0, 0x02014b50, true);
      entry.setUint16(4, 20, true);
      entry.setUint16(6, 20, true);
      entry.setUint16(8, 0x0800, true);
      entry.setUint32(16, crc, true);
      entry.setUint32(20, bytes.length, true);
      entry.setUint32(24, bytes.length, true);
      entry.setUint16(28, nameBytes.length, true);
      entry.setUint32(42, offset, true);
      parts.push(new Uint8Array(local.buffer), nameBytes, bytes);
      central.push(new Uint8Array(entry.buffer), nameBytes);
      offset += 30 + nameBytes.length + bytes.length;
    }
    const centralSize = central.reduce((sum, part) => sum + part.length, 0);
    const end = new DataView(new ArrayBuffer(22));
    end.setUint32(0, 0x06054b50, true);
    end.setUint16(8, files.length, true);
    end.setUint16(10, files.length, true);
    end.setUint32(12, centralSize, true);
    end.setUint32(16, offset, true);
    return new Blob([...parts, ...central, new Uint8Array(end.buffer)], { type: 'application/zip' });
  }

  // ---- one data file through import and analysis ----

  // The data file the analysis reads: the file itself when it is one of
  // ours, else what sorvel-import makes of it. Resolves with its name and
  // bytes, or null when the import refused the file (its report shown).
  // A file of ours is checked beside the analysis, in a worker of its
  // own: the check only reports, so `checked` (its messages) is awaited
  // with the analysis rather than before it.
  async function importedData(file, bytes, choices, messages) {
    const asIs = choices.notation === 'fdt' ||
                 (choices.notation === 'guess' && extensionOf(file.name) === 'fdt');
    const name = file.name;
    if (asIs) {
      const checked = runProgram(['sorvel-import', '--check', '--format', 'fdt', asOperand(name)],
                                 { [name]: bytes }, () => {})
        .then((check) => [...check.stdout, ...check.stderr]);
      return { name, bytes, checked };
    }
    const output = stemOf(name) + '.fdt';
    const args = ['sorvel-import'];
    if (READS_NOTATION[choices.notation]) args.push('--format', choices.notation);
    args.push(asOperand(name), asOperand(output));
    const run = await runProgram(args, { [name]: bytes }, () => {});
    messages.push(...run.stdout, ...run.stderr);
    if (run.status !== 0 || !run.files[output]) return null;
    return { name: output, bytes: run.files[output], checked: Promise.resolve([]) };
  }

  // One file; `table` carries the CSV table between the files of a batch.
  async function analyseFile(file, choices, table, several) {
    const bytes = new Uint8Array(await file.arrayBuffer());
    const messages = [];
    const item = document.createElement('li');
    item.textContent = file.name + ': ';
    $('runs').appendChild(item);
    $('file-name').textContent = file.name;
    const data = await importedData(file, bytes, choices, messages);
    $('warnings').textContent = messages.join('\n');
    if (data === null) {
      showError(messages.join('\n'));
      item.append('not imported');
      return false;
    }
    const stem = stemOf(data.name);
    const reportName = several ? table.name : stem + '.json';
    const inputs = { [data.name]: data.bytes };
    if (several && table.bytes) inputs[table.name] = table.bytes;
    const summary = [];
    const args = await withSharedFill(analysisCommand(choices, data.name, reportName), inputs,
                                      fillHelpers(choices, data.bytes));
    const [checkMessages, run] = await Promise.all([data.checked, runProgram(args, inputs, (line) => {
      const share = shareOfLine(line);
      if (share !== null) showProgress(share);
      if (!isProgressLine(line)) {
        summary.push(line);
        $('summary').textContent = summary.join('\n');
      }
    })]);
    messages.push(...checkMessages);
    $('warnings').textContent = messages.join('\n');
    $('summary').textContent = summary.join('\n');
    if (run.status !== 0) {
      showError(run.stderr.join('\n'));
      item.append(run.stderr.map((l) => l.trim()).filter((l) => l).join(' '));
      return false;
    }
    if (run.stderr.length > 0) $('warnings').textContent = messages.concat(run.stderr).join('\n');
    const files = run.files;
    const resultsName = stem + RESULTS_EXTENSION[choices.analysis];
    const link = (id, name, type) => {
      if (!files[name]) return null;
      const url = offer($(id), name, files[name], type);
      const copy = document.createElement('a');
      copy.href = url;
      copy.download = name;
      copy.textContent = name;
      item.append(copy, ' ');
      return url;
    };
    link('download-results', resultsName, 'text/plain');
    if (several) {
      if (files[table.name]) {
        table.bytes = files[table.name];
        offer($('download-table'), table.name, table.bytes, 'text/csv');
      }
    } else if (files[reportName]) {
      link('download-report', reportName, 'application/json');
      if (choices.analysis === 'mim')
        populationsTable(JSON.parse(new TextDecoder().decode(files[reportName])));
    }
    const pictureUrl = link('download-picture', stem + '.svg', 'image/svg+xml');
    if (pictureUrl) showPicture(pictureUrl);
    const splits = Object.keys(files).filter((n) => n.startsWith(stem + '_population') && n.endsWith('.fdt'))
      .sort((a, b) => a.localeCompare(b, 'en', { numeric: true }));
    if (splits.length > 0) {
      const zipName = stem + '_populations.zip';
      const url = URL.createObjectURL(zipOf(splits.map((n) => [n, files[n]])));
      madeUrls.push(url);
      const a = $('download-split');
      a.href = url;
      a.download = zipName;
      a.hidden = false;
      for (const n of splits) {
        const copy = document.createElement('a');
        copy.href = URL.createObjectURL(new Blob([files[n]], { type: 'text/plain' }));
        madeUrls.push(copy.href);
        copy.download = n;
        copy.textContent = n;
        item.append(copy, ' ');
      }
    }
    item.append(summary.length > 0 ? summary[0].trim() : '');
    return true;
  }

  // ---- the run button ----

  let chosenFiles = [];

  function validChoices(choices) {
    const whole = /^\d+$/;
    if (choices.analysis === 'mim' && !/^[2-8]$/.test(choices.k)) return 'k must be a whole number from 2 to 8';
    if (choices.analysis !== 'cim' && !whole.test(choices.bootstrap)) return 'the bootstrap must be a whole number';
    if (choices.analysis !== 'cim' && !whole.test(choices.seed)) return 'the seed must be a whole number';
    return '';
  }

  async function runAll() {
    clearOutputs();
    const files = chosenFiles.slice();
    if (files.length === 0) {
      showError('choose a data file first');
      return;
    }
    const choices = readChoices();
    const problem = validChoices(choices);
    if (problem) {
      showError(problem);
      return;
    }
    cancelled = false;
    const several = files.length > 1;
    const table = { name: (choices.analysis === 'mim' ? 'populations' : 'sites') + '.csv', bytes: null };
    if (several && choices.analysis === 'cim') table.name = '';
    $('run').disabled = true;
    $('cancel').disabled = false;
    $('status').textContent = 'running';
    const start = performance.now();
    let allDone = true;
    try {
      for (let i = 0; i < files.length; i++) {
        $('progress').value = 0;
        if (several) $('elapsed').textContent = 'file ' + (i + 1) + ' of ' + files.length;
        const ok = await analyseFile(files[i], choices, table, several && table.name !== '');
        allDone = allDone && ok;
        if (!ok && !several) break;
      }
      $('progress').value = 1;
      if (allDone) $('status').textContent = 'done';
      else if (several) $('status').textContent = 'done, with errors (see the list below)';
    } catch (error) {
      if (error instanceof RunCancelled) {
        $('status').textContent = 'cancelled';
      } else {
        showError(failureText(error));
      }
    } finally {
      const seconds = (performance.now() - start) / 1000;
      $('elapsed').textContent = seconds.toFixed(1) + ' s';
      $('elapsed').dataset.seconds = seconds.toFixed(3);
      $('run').disabled = false;
      $('cancel').disabled = true;
    }
  }

  function chooseFiles(list) {
    chosenFiles = Array.from(list);
  }

  function showAnalysisFields() {
    const analysis = $('analysis').value;
    $('k-row').hidden = analysis !== 'mim';
    $('confidence-row').hidden = analysis === 'cim';
  }

  startSpare();
  $('data-file').addEventListener('change', () => chooseFiles($('data-file').files));
  $('run').addEventListener('click', runAll);
  $('cancel').addEventListener('click', cancelRun);
  $('analysis').addEventListener('change', showAnalysisFields);
  showAnalysisFields();

  // Dropping files anywhere on the page chooses them, as the file input does.
  const zone = $('drop-zone');
  document.addEventListener('dragover', (event) => {
    event.preventDefault();
    zone.classList.add('dragging');
  });
  document.addEventListener('dragleave', () => zone.classList.remove('dragging'));
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    zone.classList.remove('dragging');
    if (event.dataTransfer && event.dataTransfer.files.length > 0) {
      chooseFiles(event.dataTransfer.files);
      $('file-name').textContent = chosenFiles.map((f) => f.name).join(', ');
    }
  });
})();
