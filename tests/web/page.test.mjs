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

// Every scenario runs in its own browser, which must not have asked for
// anything but the page itself and the worker the page makes from its own
// text (a blob: URL, in memory).
async function withPage(t, scenario) {
  const session = await openSession();
  try {
    await scenario(session.page);
  } finally {
    const requests = session.requests.filter((url) => !url.startsWith('blob:null/'));
    await session.close();
    assert.deepEqual(requests, [session.pageUrl], 'the page made a network request');
  }
}

test('the shared fixtures convert to their expected bytes, under their own names', (t) =>
  withPage(t, async (page) => {
    await assert.doesNotReject(page.getByRole('heading', { name: 'Validate ZARN QIF Export File Dates' }).waitFor());
    for (const expected of readdirSync(fixtures).filter((f) => f.endsWith('.expected.qif'))) {
      const name = expected.replace('.expected', '');
      await openFile(page, join(fixtures, name));
      const saved = await saveAndDownload(page);
      assert.equal(saved.name, name);
      assert.ok(saved.bytes.equals(readFileSync(join(fixtures, expected))), name);
    }
  }));

test('the question: No and Esc save nothing, Yes converts the file as loaded every time, by keyboard too', (t) =>
  withPage(t, async (page) => {
    const dialog = page.getByRole('dialog', { name: 'Save' });
    const downloads = [];
    page.on('download', (d) => downloads.push(d));
    await openFile(page, join(fixtures, 'bank_dayfirst.qif'));
    await page.getByRole('button', { name: 'Save' }).click();
    assert.equal(await dialog.locator('p').innerText(), confirmText);
    await dialog.getByRole('button', { name: 'No' }).click();
    await page.locator('main[aria-busy="false"]').waitFor();
    await page.keyboard.press('Enter'); // focus is back on Save
    await dialog.getByRole('button', { name: 'Yes' }).waitFor();
    await page.keyboard.press('Escape');
    await dialog.waitFor({ state: 'hidden' });
    assert.equal(downloads.length, 0);
    const yes = readFileSync(join(fixtures, 'bank_dayfirst.yes.qif'));
    for (let save = 0; save < 2; save++) assert.ok((await saveAndDownload(page, 'Yes')).bytes.equals(yes));
  }));

// Dropped files with hand-written results: line ends of every kind, bytes
// above 0x7F kept (and never taken for digits), no line end at the end.
const dropped = [
  ['LF', 'D12/25/99\nPPay\xe9e\nMMemo', 'D25/12/99\nMPay\xe9e\nPMemo'],
  ['CR LF', 'D01/02/03\r\nP\xff\xfe\r\nD11/12/13\r\n', 'D02/01/03\r\nM\xff\xfe\r\nD12/11/13\r\n'],
  ['CR only: one line start', 'D12/25/99\rPx\rD12/25/99', 'D25/12/99\rPx\rD12/25/99'],
  ['high byte in a digit place', 'D1\xb2/25/99\nD12/2\xb5/99\nP', 'D1\xb2/25/99\nD12/2\xb5/99\nM'],
  ['date cut short at the end', 'M\nD12/3', 'P\nD12/3'],
];

test('dropped files: LF, CR LF and CR line ends, high bytes, no final line end', (t) =>
  withPage(t, async (page) => {
    for (const [label, before, after] of dropped) {
      await dropFile(page, 'export.qif', Buffer.from(before, 'latin1'));
      const saved = await saveAndDownload(page);
      assert.equal(saved.bytes.toString('latin1'), after, label);
    }
  }));

test('an empty file and one too large for the page are refused with the program\'s texts', (t) =>
  withPage(t, async (page) => {
    const folder = mkdtempSync(join(tmpdir(), 'kestrom-web-'));
    t.after(() => rmSync(folder, { recursive: true, force: true }));
    const cases = [['empty.qif', 0, 'The file is empty'],
      ['huge.qif', 256 * 1024 * 1024 + 1, 'Unable to load file']];
    for (const [name, size, text] of cases) {
      const fd = openSync(join(folder, name), 'w');
      ftruncateSync(fd, size); // sparse: nothing is written
      closeSync(fd);
      await openFile(page, join(folder, name));
      const warning = page.getByRole('dialog', { name: 'Kestrom' });
      assert.equal(await warning.locator('p').innerText(), text);
      await warning.getByRole('button', { name: 'OK' }).press('Enter');
      await warning.waitFor({ state: 'hidden' });
      assert.ok(await page.getByRole('button', { name: 'Save' }).isDisabled(), name);
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
    const saved = await saveAndDownload(page);
    assert.ok(saved.bytes.equals(readFileSync(reference)), 'the page and kestrom-cli disagree');
    const [pass, whole] = await page.evaluate(() =>
      ['kestrom-pass', 'kestrom-save'].map((n) => performance.getEntriesByName(n).at(-1).duration));
    t.diagnostic(`64 MiB pass ${pass.toFixed(1)} ms (${(64 / 1024 / (pass / 1000)).toFixed(2)} GiB/s), Save to download ${whole.toFixed(1)} ms`);
  }));
