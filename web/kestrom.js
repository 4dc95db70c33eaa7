'use strict';
// The page: pick or drop a file, Save converts the bytes as loaded and
// downloads them under the file's own name. The conversion runs in a worker
// (web/kestrom_worker.js, inside this page) with the program's own pass
// compiled to WebAssembly. Nothing leaves the computer: the page asks for
// nothing over the network.

// The worker holds a file up to three times while saving (as loaded, in the
// module's memory, and the download), so the page takes files of at most
// 256 MiB; bank exports are a few hundred kilobytes.
const MAX_FILE_BYTES = 256 * 1024 * 1024;

const byId = (id) => document.getElementById(id);
let worker = null;
let replyTo = null;
let texts = null;
let loadedName = null;
let busy = false;
let lastDownload = '';

// While a load or a Save runs, further presses are ignored; aria-busy tells
// assistive technology (and the tests) when the page is ready again.
function setBusy(value) {
  busy = value;
  document.querySelector('main').setAttribute('aria-busy', String(value));
}

// The worker's first message gives the program's texts; after that it
// answers each request in turn, and the page has at most one outstanding.
function startWorker() {
  const source = new Blob([byId('worker-source').textContent], { type: 'text/javascript' });
  worker = new Worker(URL.createObjectURL(source));
  return new Promise((resolve) => {
    worker.onmessage = ({ data }) => (replyTo ? replyTo(data) : resolve(data.texts));
  });
}

function request(message) {
  return new Promise((resolve) => {
    replyTo = (data) => {
      replyTo = null;
      resolve(data);
    };
    worker.postMessage(message);
  });
}

// Shows a modal dialog and resolves with the value of the button pressed;
// Esc closes it with no value, which callers read as No or OK.
function showDialog(dialog, caption, text) {
  dialog.querySelector('h2').textContent = caption;
  dialog.querySelector('p').textContent = text;
  dialog.returnValue = '';
  dialog.showModal();
  return new Promise((resolve) =>
    dialog.addEventListener('close', () => resolve(dialog.returnValue), { once: true }));
}

function warn(text) {
  return showDialog(byId('warning'), texts.kestrom, text);
}

function showLoaded(name) {
  loadedName = name;
  byId('file-name').value = name || '';
  byId('save').disabled = !name;
}

async function loadFile(file) {
  if (!file || busy) return;
  showLoaded(null);
  if (file.size > MAX_FILE_BYTES) return warn(texts.unableToLoad);
  if (file.size === 0) return warn(texts.empty);
  setBusy(true);
  const reply = await request({ file });
  setBusy(false);
  if (!reply.loaded) return warn(texts.unableToLoad);
  showLoaded(file.name);
  byId('save').focus();
}

// The pass's own time, for the benchmark.
function recordPass(ms) {
  const now = performance.now();
  performance.measure('kestrom-pass', { start: now - ms, end: now });
}

function download(name, blob) {
  if (lastDownload) URL.revokeObjectURL(lastDownload);
  lastDownload = URL.createObjectURL(blob);
  const link = document.createElement('a');
  link.href = lastDownload;
  link.download = name;
  link.click();
}

// The pass asks its question while it runs, a page only between events: a
// first run answers no, which leaves the content exactly as it was; if the
// question came up, it is put to the user and a Yes runs the pass again.
async function save() {
  if (!loadedName || busy) return;
  setBusy(true);
  try {
    const started = performance.now();
    let reply = await request({ answerYes: 0 });
    if (!reply.done) {
      if ((await showDialog(byId('question'), texts.save, texts.confirm)) !== 'yes') return;
      reply = await request({ answerYes: 1 });
    }
    recordPass(reply.passMs);
    download(loadedName, reply.blob);
    performance.measure('kestrom-save', { start: started, end: performance.now() });
  } finally {
    setBusy(false);
  }
}

function wireDialogs() {
  for (const dialog of document.querySelectorAll('dialog'))
    for (const button of dialog.querySelectorAll('button'))
      button.addEventListener('click', () => dialog.close(button.value));
}

function wireDrop() {
  const body = document.body;
  body.addEventListener('dragover', (event) => {
    event.preventDefault();
    event.dataTransfer.dropEffect = 'copy';
    body.classList.add('dropping');
  });
  body.addEventListener('dragleave', () => body.classList.remove('dropping'));
  body.addEventListener('drop', (event) => {
    event.preventDefault();
    body.classList.remove('dropping');
    loadFile(event.dataTransfer.files[0]);
  });
}

startWorker().then(([kestrom, save_, empty, unableToLoad, confirm]) => {
  texts = { kestrom, save: save_, empty, unableToLoad, confirm };
  const input = byId('open-file');
  byId('open').addEventListener('click', () => input.click());
  input.addEventListener('change', () => {
    loadFile(input.files[0]);
    input.value = '';
  });
  byId('save').addEventListener('click', save);
  wireDialogs();
  wireDrop();
  document.documentElement.dataset.ready = '1';
});
