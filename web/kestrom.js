'use strict';
// The page around the conversion module: pick or drop a file, Save converts
// the bytes as loaded and downloads them under the file's own name. Nothing
// leaves the computer: the module is inside this page and the page asks
// for nothing over the network.

// The page holds a file up to three times while saving (as loaded, in the
// module's memory, and the download), so it takes files of at most 256 MiB;
// bank exports are a few hundred kilobytes.
const MAX_FILE_BYTES = 256 * 1024 * 1024;
const WASM_PAGE_BYTES = 65536;
const MODULE_BASE64 = '@WASM@';

const byId = (id) => document.getElementById(id);
let core = null;
let texts = null;
let loaded = null; // { name, bytes } of the file as loaded
let saving = false;
let lastDownload = '';

function decodeBase64(text) {
  const raw = atob(text);
  const bytes = new Uint8Array(raw.length);
  for (let i = 0; i < raw.length; i++) bytes[i] = raw.charCodeAt(i);
  return bytes;
}

// The module's texts are NUL-terminated ASCII in its memory.
function moduleText(which) {
  const memory = new Uint8Array(core.memory.buffer);
  const start = core.KestromText(which);
  return String.fromCharCode(...memory.subarray(start, memory.indexOf(0, start)));
}

async function startCore() {
  const { instance } = await WebAssembly.instantiate(decodeBase64(MODULE_BASE64));
  core = instance.exports;
  texts = {
    kestrom: moduleText(0),
    save: moduleText(1),
    empty: moduleText(2),
    unableToLoad: moduleText(3),
    confirm: moduleText(4),
  };
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

// The module's memory must hold the content above its own data; a file it
// cannot hold is refused when loaded, not when saved.
function makeRoom(size) {
  const needed = core.KestromContent() + size;
  const have = core.memory.buffer.byteLength;
  if (needed <= have) return true;
  try {
    core.memory.grow(Math.ceil((needed - have) / WASM_PAGE_BYTES));
    return true;
  } catch {
    return false;
  }
}

function showLoaded(file) {
  byId('file-name').value = file ? file.name : '';
  byId('save').disabled = !file;
}

async function loadFile(file) {
  loaded = null;
  showLoaded(null);
  if (!file) return;
  if (file.size > MAX_FILE_BYTES || !makeRoom(file.size)) return warn(texts.unableToLoad);
  if (file.size === 0) return warn(texts.empty);
  let bytes;
  try {
    bytes = new Uint8Array(await file.arrayBuffer());
  } catch {
    return warn(texts.unableToLoad);
  }
  loaded = { name: file.name, bytes };
  showLoaded(file);
  byId('save').focus();
}

// One pass over the content in the module's memory, timed for the benchmark.
function convert(size, answerYes) {
  const started = performance.now();
  const done = core.KestromConvert(size, answerYes);
  performance.measure('kestrom-pass', { start: started, end: performance.now() });
  return done;
}

function download(name, bytes) {
  if (lastDownload) URL.revokeObjectURL(lastDownload);
  lastDownload = URL.createObjectURL(new Blob([bytes], { type: 'application/octet-stream' }));
  const link = document.createElement('a');
  link.href = lastDownload;
  link.download = name;
  link.click();
}

// The pass asks its question while it runs, a page only between events: a
// first run answers no, which leaves the content exactly as it was; if the
// question came up, it is put to the user and a Yes runs the pass again.
async function save() {
  if (!loaded || saving) return;
  saving = true;
  try {
    const started = performance.now();
    const size = loaded.bytes.length;
    const content = new Uint8Array(core.memory.buffer, core.KestromContent(), size);
    content.set(loaded.bytes);
    if (!convert(size, 0)) {
      if ((await showDialog(byId('question'), texts.save, texts.confirm)) !== 'yes') return;
      convert(size, 1);
    }
    download(loaded.name, content);
    performance.measure('kestrom-save', { start: started, end: performance.now() });
  } finally {
    saving = false;
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

startCore().then(() => {
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
