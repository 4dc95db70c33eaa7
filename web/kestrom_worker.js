'use strict';
// The conversion's own thread. It holds the file as loaded and the module;
// copying 64 MiB, converting it and making the download's Blob take long
// enough that on the page's thread they would freeze the page.
const MODULE_BASE64 = '@WASM@';
const WASM_PAGE_BYTES = 65536;
let core = null;
let loaded = null; // the file's bytes as loaded

function decodeBase64(text) {
  const raw = atob(text);
  const bytes = new Uint8Array(raw.length);
  for (let i = 0; i < raw.length; i++) bytes[i] = raw.charCodeAt(i);
  return bytes;
}

// The module's texts, by name: NUL-terminated ASCII in its memory, a name
// then its text, up to an empty name.
function moduleTexts() {
  const memory = new Uint8Array(core.memory.buffer);
  const read = (at) => String.fromCharCode(...memory.subarray(at, memory.indexOf(0, at)));
  const texts = {};
  for (let at = core.KestromTexts(); memory[at]; ) {
    const name = read(at);
    texts[name] = read(at + name.length + 1);
    at += name.length + texts[name].length + 2;
  }
  return texts;
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

// What a Save will do, counted once as the file loads: the decision (as
// the dialog and kestrom-cli take it), the dates and payee/memo lines it
// converts, the line of a date that looks day-first, and the first few
// dates it leaves alone with their lines, as the module reports them.
function countLoaded(bytes) {
  new Uint8Array(core.memory.buffer, core.KestromContent(), bytes.length).set(bytes);
  const report = new Int32Array(core.memory.buffer, core.KestromCount(bytes.length));
  const [verdict, dates, payeeMemo, leftAlone, dayFirstLine, yearFirst, dayFirstMonth, mdyHeaders, dmyHeaders, binaryLine, binaryByte, listed] = report;
  const decoder = new TextDecoder('windows-1252');
  const leftAloneLines = [];
  for (let i = 0; i < listed; i++) {
    const [line, offset, length] = report.subarray(12 + 3 * i, 15 + 3 * i);
    const text = decoder.decode(bytes.subarray(offset, offset + Math.min(length, 41)));
    leftAloneLines.push({ line, text: length > 40 ? `${text.slice(0, 40)}…` : text });
  }
  return { verdict, dates, payeeMemo, leftAlone, dayFirstLine, yearFirst, dayFirstMonth, mdyHeaders, dmyHeaders, binaryLine, binaryByte, leftAloneLines };
}

// The decision's bits, as core/qif_check.h gives them.
const REFUSE = 8;

// A file that cannot be read, or is refused, leaves the one loaded before
// it in place.
async function load(file) {
  if (!makeRoom(file.size)) return { reason: 'memory' };
  let bytes;
  try {
    bytes = new Uint8Array(await file.arrayBuffer());
  } catch {
    return { reason: 'unreadable' };
  }
  const started = performance.now();
  const counts = countLoaded(bytes);
  if (counts.verdict & REFUSE) return { reason: 'binary', line: counts.binaryLine, byte: counts.binaryByte };
  loaded = bytes;
  return { counts, countMs: performance.now() - started };
}

// Every Save starts from the bytes as loaded; the page has asked what
// there was to ask before it comes here.
function save() {
  const size = loaded.length;
  const content = new Uint8Array(core.memory.buffer, core.KestromContent(), size);
  content.set(loaded);
  const started = performance.now();
  core.KestromConvert(size);
  const passMs = performance.now() - started;
  return { passMs, blob: new Blob([content], { type: 'application/octet-stream' }) };
}

// The browser first runs a module through a quick compiler and swaps in
// optimised code only for later calls, never during a long one: a few
// short passes and counts now, while the user picks a file, make the first
// load and Save as fast as the next (a 64 MiB file's count takes half as
// long).
function warmUp() {
  const line = [...'D01/02/03\nPpayee\nMmemo\n'].map((c) => c.charCodeAt(0));
  const size = 1 << 20;
  makeRoom(size);
  const content = new Uint8Array(core.memory.buffer, core.KestromContent(), size);
  for (let i = 0; i < size; i++) content[i] = line[i % line.length];
  for (let pass = 0; pass < 8; pass++) {
    core.KestromConvert(size);
    core.KestromCount(size);
  }
}

// The module is stored gzipped, to keep the page small.
function inflate(bytes) {
  return new Response(new Blob([bytes]).stream().pipeThrough(new DecompressionStream('gzip'))).arrayBuffer();
}

const ready = inflate(decodeBase64(MODULE_BASE64)).then(WebAssembly.instantiate).then(({ instance }) => {
  core = instance.exports;
  warmUp();
  postMessage({ texts: moduleTexts() });
});

onmessage = async ({ data }) => {
  await ready;
  postMessage(data.file ? await load(data.file) : save());
};
