// The page in a real Chromium, driven by role and name: what a person who
// opens docs/kestrom.html from disk relies on.
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { closeSync, existsSync, ftruncateSync, mkdtempSync, openSync, readFileSync, readdirSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { test } from 'node:test';
import { dropFile, openFile, openSession, repo, saveAndDownload } from './browser.mjs';

const fixtures = join(repo, 'tests/fixtures');
const confirmText = 'This file looks like it already has dates in normal order.\n\nAre you sure you want to convert it?';
const whyAsked = 'A date such as 25/12/99 has a month over 12: the file is converted already, or not month-first. Converting a converted file turns its dates back.';
const title = 'Kestrom: convert a QIF export to day-first dates';

// Every scenario runs in its own browser, which must not have asked for
// anything but the page itself and the worker the page makes from its own
// text (a blob: URL, in memory).
async function withPage(t, scenario, options) {
  const session = await openSession(options);
  try {
    await scenario(session.page);
  } finally {
    const requests = session.requests.filter((url) => !url.startsWith('blob:null/'));
    await session.close();
    assert.deepEqual(requests, [session.pageUrl], 'the page made a network request');
  }
}

// The first file is picked straight after the page opens, before its worker
// is ready.
test('the shared fixtures convert to their every-date bytes, downloaded as NAME-converted.qif', (t) =>
  withPage(t, async (page) => {
    await assert.doesNotReject(page.getByRole('heading', { name: title }).waitFor());
    assert.equal(await page.title(), title);
    for (const expected of readdirSync(fixtures).filter((f) => f.endsWith('.every-date.qif'))) {
      const name = expected.replace('.every-date', '');
      await openFile(page, join(fixtures, name));
      const saved = await saveAndDownload(page);
      assert.equal(saved.name, name.replace('.qif', '-converted.qif'));
      assert.ok(saved.bytes.equals(readFileSync(join(fixtures, expected))), name);
    }
  }, { wait: false }));

test('the question opens with No focused: Enter, No and Esc save nothing; Yes converts the file as loaded every time', (t) =>
  withPage(t, async (page) => {
    const dialog = page.getByRole('dialog', { name: 'Save' });
    const save = page.getByRole('button', { name: 'Save' });
    const downloads = [];
    page.on('download', (d) => downloads.push(d));
    await openFile(page, join(fixtures, 'bank_dayfirst.qif'));
    await save.click();
    assert.deepEqual(await dialog.locator('p').allInnerTexts(), [confirmText, whyAsked]);
    assert.equal(await save.evaluate((b) => getComputedStyle(b).cursor), 'progress'); // busy while it converts
    await page.keyboard.press('Enter');
    await dialog.waitFor({ state: 'hidden' });
    await page.locator('main[aria-busy="false"]').waitFor();
    await page.keyboard.press('Enter'); // focus is back on Save
    await dialog.getByRole('button', { name: 'No' }).click();
    await page.locator('main[aria-busy="false"]').waitFor();
    await save.click();
    await dialog.waitFor();
    await page.keyboard.press('Escape');
    await page.getByRole('status', { name: 'Status' }).getByText('Not saved').waitFor();
    assert.equal(downloads.length, 0);
    const yes = readFileSync(join(fixtures, 'bank_dayfirst.yes.qif'));
    for (let save = 0; save < 2; save++) assert.ok((await saveAndDownload(page, ['Save'])).bytes.equals(yes));
  }));

// Each Save converts the file as loaded, never its last download: saved
// again and again, faster than a person would, it downloads the same bytes.
test('Save pressed again and again downloads the same conversion every time', (t) =>
  withPage(t, async (page) => {
    await openFile(page, join(fixtures, 'bank_mdy_crlf.qif'));
    const everyDate = readFileSync(join(fixtures, 'bank_mdy_crlf.every-date.qif'));
    for (let save = 1; save <= 12; save++) assert.ok((await saveAndDownload(page)).bytes.equals(everyDate), `Save ${save}`);
  }));

// Dropped files with hand-written results: line ends of every kind, bytes
// above 0x7F kept (and never taken for digits), no line end at the end; the
// download's name and what the status says; files with nothing to convert.
const dropped = [
  ['LF', 'export.qif', '!Type:Bank\nD12/25/99\nPPay\xe9e\nMMemo', '!Type:Bank\nD25/12/99\nMPay\xe9e\nPMemo', 'export-converted.qif (33 bytes): 1 date converted, 2 payee/memo lines'],
  ['CR LF', 'Export 2024.QIF', '!Type:Bank\r\nD01/02/03\r\nP\xff\xfe\r\nD11/12/13\r\n', '!Type:Bank\r\nD02/01/03\r\nM\xff\xfe\r\nD12/11/13\r\n', 'Export 2024-converted.QIF (39 bytes): 2 dates converted, 1 payee/memo line'],
  ['CR only', 'a.b.qif', '!Type:Bank\rD12/25/99\rPx\rD12/25/99', '!Type:Bank\rD25/12/99\rMx\rD25/12/99', 'a.b-converted.qif (33 bytes): 2 dates converted, 1 payee/memo line'],
  ['high byte in a digit place', 'qif', '!Type:Bank\nD1\xb2/25/99\nD12/2\xb5/99\nP', '!Type:Bank\nD1\xb2/25/99\nD12/2\xb5/99\nM', 'qif-converted (32 bytes): 0 dates converted, 1 payee/memo line', ['Save']],
  ['CR only, a line end at the end', 'mac.qif', '!Type:Bank\rD12/25/99\rPx\r', '!Type:Bank\rD25/12/99\rMx\r', 'mac-converted.qif (24 bytes): 1 date converted, 1 payee/memo line'],
  ['date cut short at the end', 'x.qif', '!Type:Bank\nM\nD12', '!Type:Bank\nP\nD12', 'x-converted.qif (16 bytes): 0 dates converted, 1 payee/memo line', ['Save']],
  ['no QIF mark, asked about', 'notes.md', 'Plus one\nD12/25/99', 'Mlus one\nD25/12/99', 'notes-converted.md (18 bytes): 1 date converted, 1 payee/memo line', ['Save']],
  ['no date or payee/memo line', 'notes.txt', '!Type:Bank\nT-1.00\n^\n', null, 'Nothing to convert: the file has no date or payee/memo line'],
  ['only a date left alone', 'odd.qif', '!Type:Bank\nD1/5\n', null, 'Nothing to convert: no payee/memo line, and 1 date is in a form the page does not convert'],
  ['only year-first dates', 'iso.qif', '!Type:Bank\nD2014-12-31\nD20141231\n', null, 'Nothing to convert: no payee/memo line, and 2 dates are year-first and stay as they are'],
  // Names the browser would not keep as they are for a download: the status
  // names the file that downloads, and a bidi override stays inside the name.
  ...[['rlo\u202Efdp.qif', 'rlo_fdp-converted.qif'], ['.qif', 'qif-converted'], ['.hidden.qif', 'hidden-converted.qif'], ['export.', 'export-converted'],
    [' lead.qif', 'lead-converted.qif'], ['dots...', 'dots-converted'], ['a<b>\x01\x7f.qif', 'a_b___-converted.qif'], ['~x.qif', '_x-converted.qif'],
    ['n\uFDD0\uFDEF\uFDF0\uFFFE\u{10FFFF}.qif', 'n__\uFDF0__-converted.qif']]
    .map(([name, saved]) => [name, name, '^\nPx', '^\nMx', `${saved} (4 bytes): 0 dates converted, 1 payee/memo line`]),
];

test('dropped files: what downloads, under which name, and what the status says', (t) =>
  withPage(t, async (page) => {
    const downloads = [];
    page.on('download', (d) => downloads.push(d));
    const status = page.getByRole('status', { name: 'Status' });
    for (const [label, name, before, after, said, yesTo] of dropped) {
      await dropFile(page, name, Buffer.from(before, 'latin1'));
      assert.equal(await page.getByRole('status', { name: 'File name' }).innerText(), `${name} (${before.length} bytes)`);
      if (after === null) await page.getByRole('button', { name: 'Save' }).click();
      else {
        const saved = await saveAndDownload(page, yesTo);
        assert.equal(saved.bytes.toString('latin1'), after, label);
        assert.equal(saved.name, await status.locator('bdi').textContent(), label);
        const [nameEnd, restStart, cut] = await page.locator('#file-name').evaluate((field, name = field.querySelector('bdi'), rest = document.createRange()) =>
          [name.getBoundingClientRect().right, (rest.selectNodeContents(name.nextSibling), rest.getClientRects()[0].left), name.firstChild.scrollWidth > name.firstChild.clientWidth]);
        assert.ok(restStart >= nameEnd - 1 && !cut, `${label}: the size starts at ${restStart}, left of the name's end at ${nameEnd}, or a short name is cut`);
      }
      assert.equal(await status.innerText(), after === null ? said : `Saved ${said} exchanged`, label);
    }
    assert.equal(downloads.length, dropped.filter((row) => row[3] !== null).length);
  }));

test('refused files say why under the program\'s text, and the file loaded before stays loaded', (t) =>
  withPage(t, async (page) => {
    const folder = mkdtempSync(join(tmpdir(), 'kestrom-web-'));
    t.after(() => rmSync(folder, { recursive: true, force: true }));
    await openFile(page, join(fixtures, 'bank_dayfirst.qif'));
    const cases = [['empty.qif', 0, 'The file is empty\n\n\u2068empty.qif\u2069 has no bytes.'],
      ['huge.qif', 256 * 1024 * 1024 + 1, 'Unable to load file\n\n\u2068huge.qif\u2069 is larger than 256 MB, the most the page takes.'],
      ['two files', -1, 'The page converts one file at a time.\n\n2 files were dropped, so none was loaded. Drop one, or press Open.']];
    for (const [name, size, text] of cases) {
      if (size < 0) await dropFile(page, 'a.qif', Buffer.from('D01/02/03\n'), { count: 2 });
      else {
        const fd = openSync(join(folder, name), 'w');
        ftruncateSync(fd, size); // sparse: nothing is written
        closeSync(fd);
        await openFile(page, join(folder, name));
      }
      const warning = page.getByRole('dialog', { name: 'Kestrom' });
      assert.equal(await warning.locator('p').innerText(), text);
      await warning.getByRole('button', { name: 'OK' }).press('Enter');
      await warning.waitFor({ state: 'hidden' });
      assert.match(await page.getByRole('status', { name: 'File name' }).innerText(), /^bank_dayfirst\.qif \(/, name);
      assert.ok(await page.getByRole('button', { name: 'Save' }).isEnabled(), name);
    }
  }));

// Loaded one after another: what the status says before any Save, or the
// refusal of a file with binary data, after which the file before it stays
// loaded. Whatever the status says, nothing on the page moves.
const long = 'an export with a name longer than the status has room for.qif';
const loads = [
  ['q.qif', '!Type:Bank\nD12/25/99\nPx\nD13/08/12\n', '2 dates to convert, 1 payee/memo line to exchange\nSave downloads q-converted.qif (34 bytes).\nIt may be converted already, or not month-first: the date on line 4 has a month over 12.'],
  ['odd.qif', '!Type:Bank\nD1/5\nMx\n', '0 dates to convert, 1 payee/memo line to exchange\nSave downloads odd-converted.qif (19 bytes).\n1 date is in a form the page does not convert; Save asks before it leaves it as loaded.'],
  ['iso.qif', '!Type:Bank\nD2014-12-31\nD2014-12-30\nMx\n', '0 dates to convert, 1 payee/memo line to exchange; 2 dates are year-first and stay as they are\nSave downloads iso-converted.qif (38 bytes).'],
  ['mdy.qif', '!Option:MDY\n^\nD12/25/99\n', '1 date to convert, 0 payee/memo lines to exchange, and the header !Option:MDY to rewrite as !Option:DMY\nSave downloads mdy-converted.qif (24 bytes).'],
  ['dmy.qif', '!Option:DMY\n^\nPx\n', '0 dates to convert, 1 payee/memo line to exchange, and the header !Option:DMY to rewrite as !Option:MDY\nSave downloads dmy-converted.qif (17 bytes).\nIt looks converted already: its header on line 1 says !Option:DMY.'],
  ['export.csv', 'Date,Payee\n12/25/99,Shop\n', 'Nothing to convert: the file has no date or payee/memo line'],
  ['README.md', '![Page](page.png)\nPlus\n', '0 dates to convert, 1 payee/memo line to exchange\nSave downloads README-converted.md (23 bytes).\nIt may not be a QIF file: it has no line such as !Type:Bank and no ^.'],
  ['picture\u202Egnp.png', '\x89PNG\r\n\x1a\n\r^', 'Unable to load file\n\n\u2068picture\u202Egnp.png\u2069 is not a QIF file: it holds binary data (byte 0x1A on line 2).'],
  [long, '^\nPx', `0 dates to convert, 1 payee/memo line to exchange\nSave downloads ${long.replace('.qif', '-converted.qif')} (4 bytes).`],
];

test('on load the status says what Save will do, a file with binary data is refused, and nothing moves', (t) =>
  withPage(t, async (page) => {
    const status = page.getByRole('status', { name: 'Status' });
    const layout = () => page.evaluate(() => ['main', '#file-name', '#save', '#status', '.note']
      .map((part) => JSON.stringify(document.querySelector(part).getBoundingClientRect())));
    const still = await layout();
    let loaded = '';
    for (const [name, bytes, said] of loads) {
      await dropFile(page, name, Buffer.from(bytes, 'latin1'));
      const warning = page.getByRole('dialog', { name: 'Kestrom' });
      if (!said.startsWith('Unable')) loaded = said;
      else {
        assert.equal(await warning.locator('p').innerText(), said);
        await warning.getByRole('button', { name: 'OK' }).click();
      }
      assert.equal(await status.innerText(), loaded, name);
      assert.deepEqual(await layout(), still, name);
    }
    assert.equal((await saveAndDownload(page)).bytes.toString(), '^\nMx');
    assert.deepEqual(await layout(), still, 'saved');
  }));

test('dates left alone: the first named, the next nine listed by line and how many more, asked after the question; No is focused, Esc is No', (t) =>
  withPage(t, async (page) => {
    const lines = ['!Type:Bank', 'D25/12/99', 'PShop'];
    for (let i = 0; i < 12; i++) lines.push(`D1/${10 + i}`, 'MMemo');
    await dropFile(page, 'odd.qif', Buffer.from(lines.join('\r\n')));
    const listed = lines.map((line, i) => `line ${i + 1}: ${line}`).filter((l) => l.includes(': D1/')).slice(1, 10);
    const dialog = page.getByRole('dialog', { name: 'Save' });
    for (const key of ['Enter', 'Escape']) {
      await page.getByRole('button', { name: 'Save' }).click();
      await dialog.getByRole('button', { name: 'Yes' }).click();
      await dialog.getByText('Line 4 holds').waitFor();
      assert.deepEqual(await dialog.locator('p').allInnerTexts(), [
        'Line 4 holds a date that this program does not convert: D1/10\n\nThe other dates are converted, and dates like this one stay as they are.\n\nAre you sure you want to convert it?',
        `Also left as they are:\n${listed.join('\n')}\nand 2 more`]);
      await page.keyboard.press(key);
      await page.getByRole('status', { name: 'Status' }).getByText('Not saved').waitFor();
    }
    const converted = lines.join('\r\n').replace('D25/12/99', 'D12/25/99').replace('PShop', 'MShop').replaceAll('MMemo', 'PMemo');
    assert.equal((await saveAndDownload(page, ['Save', 'Save'])).bytes.toString(), converted);
  }));

test('looks: a drop target while files are dragged over, a 2 px focus ring, a dark theme', (t) =>
  withPage(t, async (page) => {
    const target = page.getByText('Drop the file to load it.');
    await dropFile(page, 'a.qif', Buffer.from('x'), { type: 'dragenter' });
    assert.ok(await target.isVisible());
    await page.dispatchEvent('#drop-target', 'dragleave');
    assert.ok(await target.isHidden());
    await page.keyboard.press('Tab');
    assert.equal(await page.getByRole('button', { name: 'Open...' }).evaluate((b) =>
      b === document.activeElement && getComputedStyle(b).outlineWidth), '2px');
    const shade = (css) => css.match(/\d+/g).slice(0, 3).reduce((sum, c) => sum + Number(c), 0);
    await page.emulateMedia({ colorScheme: 'dark' });
    const [face, text] = await page.locator('body').evaluate((m) => [getComputedStyle(m).backgroundColor, getComputedStyle(m).color]);
    assert.ok(shade(face) < 200 && shade(text) > 600, `${face} on ${text}`);
  }));

// Width, scheme and the least drop area: the page keeps a margin, a long name
// loaded before a resize keeps its end, nothing clips, and axe finds nothing.
const layouts = [[1280, 'light', 480, 250], [1280, 'dark', 480, 250], [360, 'light', 320, 140], [360, 'dark', 320, 140]];
test('layout at 1280 and 360 px, light and dark: drop area, margins, long names, dialogs, axe', (t) =>
  withPage(t, async (page) => {
    await page.evaluate(readFileSync(join(repo, 'tests/web/node_modules/axe-core/axe.min.js'), 'utf8'));
    await dropFile(page, `${'a bank export named at length '.repeat(8)}2024-03.qif`, Buffer.from('^\nPx'));
    for (const [width, scheme, ...least] of layouts) {
      await page.setViewportSize({ width, height: 720 });
      await page.emulateMedia({ colorScheme: scheme });
      assert.deepEqual((await page.evaluate(() => axe.run())).violations.map((v) => v.id), [], `${width} px, ${scheme}`);
      await dropFile(page, 'a.qif', Buffer.from('^\n'), { count: 2 }); // a warning opens
      const { size, ...got } = await page.evaluate((rect = (q) => document.querySelector(q).getBoundingClientRect()) => {
        const [drop, status, field, tail, size, warning] = ['#open', '#status', '#file-name', '#status .tail', '#file-name > span', '#warning'].map(rect);
        const within = (part, box, margin = 0) => part.left >= box.left + margin && part.right <= box.right - margin;
        return { size: [drop.width, drop.height], within: [within(drop, rect('html'), 12), within(warning, rect('html'), 8), within(tail, status), within(size, field)],
          clipped: ['html', '#file-name', '#status'].filter((q) => document.querySelector(q).scrollWidth > document.querySelector(q).clientWidth),
          tail: document.querySelector('#status .tail').textContent };
      });
      assert.ok(size[0] >= least[0] && size[1] >= least[1], `${width} px: the drop area is ${size}`);
      assert.deepEqual(got, { within: [true, true, true, true], clipped: [], tail: '024-03-converted.qif' }, `${width} px, ${scheme}`);
      await page.getByRole('dialog', { name: 'Kestrom' }).getByRole('button', { name: 'OK' }).click();
    }
  }));

// Reported, not asserted: the time depends on the machine.
test('64 MiB of generated content: Save to download, pass speed reported', (t) =>
  withPage(t, async (page) => {
    const tools = join(repo, 'build/native');
    const makeQif = join(tools, 'bench/kestrom_make_qif');
    assert.ok(existsSync(makeQif), `build the native preset first (${makeQif})`);
    const folder = mkdtempSync(join(tmpdir(), 'kestrom-web-'));
    t.after(() => rmSync(folder, { recursive: true, force: true }));
    const input = join(folder, 'big.qif');
    const reference = join(folder, 'big.cli.qif');
    const quiet = { stdio: ['ignore', 'ignore', 'pipe'] }; // its warnings are expected here
    execFileSync(makeQif, [String(64 << 20), input], quiet);
    execFileSync(join(tools, 'cli/kestrom-cli'), ['--yes', '-o', reference, input], quiet);
    await openFile(page, input);
    // The generator cuts the last record short, at D06: a date no rule
    // converts, which Save asks about.
    assert.match(await page.getByRole('status', { name: 'Status' }).innerText(), /1 date is in a form the page does not convert/);
    const saved = await saveAndDownload(page, ['Save']);
    assert.ok(saved.bytes.equals(readFileSync(reference)), 'the page and kestrom-cli disagree');
    const [pass, whole, count] = await page.evaluate(() =>
      ['kestrom-pass', 'kestrom-save', 'kestrom-count'].map((n) => performance.getEntriesByName(n).at(-1).duration));
    t.diagnostic(`64 MiB pass ${pass.toFixed(1)} ms (${(64 / 1024 / (pass / 1000)).toFixed(2)} GiB/s), Save to download ${whole.toFixed(1)} ms, counts on load ${count.toFixed(1)} ms`);
  }));
