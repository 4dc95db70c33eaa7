'use strict';
// The page: pick or drop a file and the status says what Save will do;
// Save converts the bytes as loaded and downloads them as
// NAME-converted.EXT, then says what it did. The
// conversion runs in a worker (web/kestrom_worker.js, inside this page) with
// the program's own pass compiled to WebAssembly. Nothing leaves the
// computer: the page asks for nothing over the network.

// The worker holds a file up to three times while saving (as loaded, in the
// module's memory, and the download), so the page takes files of at most
// 256 MiB; bank exports are a few hundred kilobytes.
const MAX_FILE_BYTES = 256 * 1024 * 1024;

const byId = (id) => document.getElementById(id);
let worker = null;
let replyTo = null;
let texts = null;
let current = null; // { name, counts } of the file Save converts
let busy = false;
let lastDownload = '';

// While a load or a Save runs, further presses are ignored; Save shows it,
// and aria-busy tells assistive technology (and the tests) when the page is
// ready again.
function setBusy(value) {
  busy = value;
  document.querySelector('main').setAttribute('aria-busy', String(value));
  byId('save').classList.toggle('busy', value);
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
// Esc closes it with no value, which callers read as No or OK. The buttons
// marked autofocus (No) have the focus when it opens.
function showDialog(dialog, caption, text, why = '') {
  dialog.querySelector('h2').textContent = caption;
  dialog.querySelector('p').textContent = text;
  const whyLine = dialog.querySelector('.why');
  if (whyLine) Object.assign(whyLine, { textContent: why, hidden: !why });
  dialog.returnValue = '';
  dialog.showModal();
  return new Promise((resolve) =>
    dialog.addEventListener('close', () => resolve(dialog.returnValue), { once: true }));
}

function warn(text) {
  return showDialog(byId('warning'), texts.kestrom, text);
}

// A file's name may hold a right-to-left override or other bidi controls:
// set apart, it cannot reorder the text around it. Too long for its line,
// it gives way in the middle, its tooltip the whole name: its end, which
// tells one export from another, stays from six characters before `marker`.
function isolated(name, marker = '') {
  const at = name.lastIndexOf(marker);
  const chars = [...name];
  const cut = Math.max(0, chars.length - [...name.slice(at < 0 ? name.length : at)].length - 6);
  const bdi = document.createElement('bdi');
  bdi.title = name;
  bdi.append(line('head', chars.slice(0, cut).join('')), line('tail', chars.slice(cut).join('')));
  return bdi;
}

const widthOf = (part) => part.getBoundingClientRect().width;

// On the page, a name's start may take only the room its line leaves: after
// what comes before, beside `after` where the line cannot wrap, 1ch for a
// blank, and rounded so that a name that fits is never cut by a fraction.
function fitName(bdi, after) {
  const before = document.createRange();
  before.setStartBefore(bdi.parentNode.firstChild);
  before.setEndBefore(bdi);
  bdi.style.maxWidth = `calc(100% - 1ch - ${Math.ceil(widthOf(before) + (after ? widthOf(after) : 0))}px)`;
  bdi.firstChild.style.maxWidth = `calc(100% - ${Math.floor(widthOf(bdi.lastChild))}px)`;
}

function line(className, parts) {
  const span = document.createElement('span');
  span.className = className;
  span.append(...[parts].flat());
  return span;
}

// What it says, then details in smaller type, each on a line of its own;
// each is text, or a list of text and isolated names. The status keeps its
// height whatever it says, so nothing below it moves.
function say(main, ...details) {
  byId('status').replaceChildren(line('', main), ...details.map((d) => line('detail', d)));
  for (const bdi of byId('status').querySelectorAll('bdi')) fitName(bdi);
}

const count = (n, one, many) => `${n} ${n === 1 ? one : many}`;

function formatSize(bytes) {
  if (bytes < 1024) return count(bytes, 'byte', 'bytes');
  let value = bytes / 1024;
  let unit = 0;
  for (; value >= 1024 && unit < 2; unit++) value /= 1024;
  return `${value.toFixed(1)} ${['KB', 'MB', 'GB'][unit]}`;
}

// export.qif downloads as export-converted.qif, beside the bank's original.
// The name is cleaned first as the browser cleans a download's name (no
// controls, bidi marks, noncharacters or characters Windows forbids; no
// dots or blanks at either end), so the name the status gives is the name
// the file gets.
function convertedName(name) {
  const clean = name.replace(/(?![\u200c\u200d])[\p{Cc}\p{Cf}\p{Noncharacter_Code_Point}"*/:<>?\\|]/gu, '_').replace(/^~/, '_')
    .replace(/^[\s.]+|[\s.]+$/g, '') || 'download';
  const dot = clean.lastIndexOf('.');
  return dot > 0 ? `${clean.slice(0, dot)}-converted${clean.slice(dot)}` : `${clean}-converted`;
}

// What becomes of a date-order header and the year-first dates, after the
// counts: ', and the header !Option:MDY to rewrite as !Option:DMY', '; 2
// dates are year-first and stay as they are', both, or nothing.
function headerChange(counts, verb) {
  const [from, to] = counts.mdyHeaders ? ['MDY', 'DMY'] : ['DMY', 'MDY'];
  const header = counts.mdyHeaders || counts.dmyHeaders ? `, and the header !Option:${from} ${verb} !Option:${to}` : '';
  return header + (counts.yearFirst ? `; ${count(counts.yearFirst, texts.yearFirstOne, texts.yearFirstMany)}` : '');
}

// The decision's reasons to ask, as core/qif_check.h gives them.
const ASK_DAY_FIRST = 1;
const ASK_LEFT_ALONE = 2;
const ASK_NO_MARK = 4;

const nothingChanges = (counts) => counts.dates + counts.payeeMemo + counts.mdyHeaders + counts.dmyHeaders === 0;

// What Save will do, said as the file loads: the download's name and size,
// what it converts, and what will make it ask first.
function sayWhatSaveDoes({ savedName, size, counts }) {
  if (nothingChanges(counts)) return say(nothingToConvert(counts));
  const why = counts.verdict & ASK_NO_MARK
    ? 'It may not be a QIF file: it has no line such as !Type:Bank and no ^.'
    : counts.dayFirstLine && !counts.dayFirstMonth
    ? `It looks converted already: its header on line ${counts.dayFirstLine} says !Option:DMY.`
    : counts.dayFirstLine
    ? `It may be converted already, or not month-first: the date on line ${counts.dayFirstLine} has a month over 12.`
    : counts.leftAlone ? `${count(counts.leftAlone, 'date is', 'dates are')} in a form the page does not convert; Save asks before it leaves ${counts.leftAlone === 1 ? 'it' : 'them'} as loaded.` : '';
  say(`${count(counts.dates, 'date', 'dates')} to convert, ${count(counts.payeeMemo, 'payee/memo line', 'payee/memo lines')} to exchange${headerChange(counts, 'to rewrite as')}`,
    ['Save downloads ', isolated(savedName, '-converted'), ` (${formatSize(size)}).`], why);
}

function showLoaded(file, counts) {
  current = { savedName: convertedName(file.name), size: file.size, counts };
  const [name, size] = [isolated(file.name, '.'), line('', ` (${formatSize(file.size)})`)];
  byId('file-name').replaceChildren(name, size);
  fitName(name, size);
  byId('save').disabled = false;
  sayWhatSaveDoes(current);
}

// The program's text first, as the dialog says it, and why under it.
function loadRefusal(file, { reason, line, byte }) {
  // The warning is plain text: first-strong isolates keep a right-to-left
  // name from reordering the sentence around it.
  const name = `\u2068${file.name}\u2069`;
  const hex = (byte ?? 0).toString(16).toUpperCase().padStart(2, '0');
  const why = {
    large: [texts.unableToLoad, `${name} is larger than 256 MB, the most the page takes.`],
    empty: [texts.empty, `${name} has no bytes.`],
    unreadable: [texts.unableToLoad, `The browser could not read ${name}; it may have been moved or deleted since it was picked.`],
    memory: [texts.unableToLoad, `${name} does not fit in the memory the browser gives this page.`],
    binary: [texts.unableToLoad, `${name} ${texts.holdsBinaryData.replace('%02X', hex).replace('%d', line)}`],
  }[reason];
  return `${why[0]}\n\n${why[1]}`;
}

function readFile(file) {
  if (file.size > MAX_FILE_BYTES) return { reason: 'large' };
  if (file.size === 0) return { reason: 'empty' };
  return request({ file });
}

// A file picked or dropped while the worker starts waits for it. A load that
// fails leaves the file loaded before it in place.
async function loadFile(file) {
  if (busy) return;
  setBusy(true);
  await ready;
  const reply = await readFile(file);
  setBusy(false);
  if (!reply.counts) return warn(loadRefusal(file, reply));
  record('kestrom-count', reply.countMs);
  showLoaded(file, reply.counts);
  byId('save').focus();
}

function loadDropped(files) {
  if (files.length > 1)
    return ready.then(() => warn(`The page ${texts.oneFileAtATime}.\n\n${files.length} files were dropped, so none was loaded. Drop one, or press Open.`));
  if (files.length === 1) loadFile(files[0]);
}

// The worker's own times, for the benchmark.
function record(name, ms) {
  const now = performance.now();
  performance.measure(name, { start: now - ms, end: now });
}

function download(name, blob) {
  if (lastDownload) URL.revokeObjectURL(lastDownload);
  lastDownload = URL.createObjectURL(blob);
  const link = document.createElement('a');
  link.href = lastDownload;
  link.download = name;
  link.click();
}

// Why a Save would change no byte, where the counts tell.
function nothingToConvert(counts) {
  const kept = [counts.leftAlone && `${count(counts.leftAlone, 'date is', 'dates are')} in a form the page does not convert`,
    counts.yearFirst && count(counts.yearFirst, texts.yearFirstOne, texts.yearFirstMany)].filter(Boolean);
  if (kept.length) return `Nothing to convert: no payee/memo line, and ${kept.join(', and ')}`;
  return 'Nothing to convert: the file has no date or payee/memo line';
}

// The question about dates left alone names the first, as the dialog's
// does; the page lists the others under it.
function leftAloneText({ leftAloneLines: [first, ...others], leftAlone }) {
  const more = leftAlone - 1 - others.length;
  const listed = others.map(({ line, text }) => `line ${line}: ${text}`).concat(more ? [`and ${more} more`] : []);
  const question = texts.askLeftAlone.replace('%d', first.line).replace('%s', first.text);
  return [question, listed.length ? `Also left as they are:\n${listed.join('\n')}` : ''];
}

const DAY_FIRST_WHY = 'A date such as 25/12/99 has a month over 12: the file is converted already, or not month-first. Converting a converted file turns its dates back.';

// The questions the decision gives, one dialog each, in the dialog's order;
// true when every one was answered Yes.
async function askEach({ verdict, ...counts }) {
  const questions = [
    [ASK_NO_MARK, () => [texts.askNoMark, '']],
    [ASK_DAY_FIRST, () => [texts.confirm, DAY_FIRST_WHY]],
    [ASK_LEFT_ALONE, () => leftAloneText(counts)],
  ];
  for (const [reason, text] of questions)
    if (verdict & reason && (await showDialog(byId('question'), texts.save, ...text())) !== 'yes') return false;
  return true;
}

// Every question is asked before the pass, which then asks nothing; a No
// downloads nothing.
async function save() {
  if (!current || busy) return;
  const { savedName, counts } = current;
  if (nothingChanges(counts)) return say(nothingToConvert(counts));
  setBusy(true);
  try {
    const started = performance.now();
    if (!(await askEach(counts))) return say('Not saved');
    const reply = await request({});
    record('kestrom-pass', reply.passMs);
    download(savedName, reply.blob);
    performance.measure('kestrom-save', { start: started, end: performance.now() });
    say(['Saved ', isolated(savedName, '-converted'), ` (${formatSize(reply.blob.size)}): ${count(counts.dates, 'date', 'dates')} converted, ` +
      `${count(counts.payeeMemo, 'payee/memo line', 'payee/memo lines')} exchanged${headerChange(counts, 'rewritten as')}`]);
  } finally {
    setBusy(false);
  }
}

function wireDialogs() {
  for (const dialog of document.querySelectorAll('dialog'))
    for (const button of dialog.querySelectorAll('button'))
      button.addEventListener('click', () => dialog.close(button.value));
}

// While files are dragged over the page, a target covering it says what a
// drop does; it goes when the drag leaves the window or ends.
function wireDrop() {
  const target = byId('drop-target');
  const body = document.body;
  const over = (event) => {
    if (!event.dataTransfer.types.includes('Files')) return;
    event.preventDefault();
    event.dataTransfer.dropEffect = 'copy';
    body.classList.add('dropping');
  };
  document.addEventListener('dragenter', over);
  document.addEventListener('dragover', over);
  target.addEventListener('dragleave', () => body.classList.remove('dropping'));
  document.addEventListener('drop', (event) => {
    event.preventDefault();
    body.classList.remove('dropping');
    loadDropped(event.dataTransfer.files);
  });
}

// Everything is wired at once, so a pick made while the worker starts is
// kept; loadFile waits for the worker.
const ready = startWorker().then((given) => {
  texts = given;
  document.documentElement.dataset.ready = '1';
});
// The icon is in the page once, as its favicon, which the window's two
// pictures of it share: the page has a size budget.
for (const img of document.querySelectorAll('img')) img.src = document.querySelector('link[rel="icon"]').href;
const input = byId('open-file');
byId('open').addEventListener('click', () => input.click());
input.addEventListener('change', () => {
  if (input.files.length) loadFile(input.files[0]);
  input.value = '';
});
byId('save').addEventListener('click', save);
wireDialogs();
wireDrop();
