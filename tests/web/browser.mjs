// Opens the page in the system's Chromium and drives it by role and name,
// as a person would: shared by the browser tests and bench/web_bench.mjs.
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join, resolve } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { chromium } from 'playwright-core';

export const repo = resolve(dirname(fileURLToPath(import.meta.url)), '../..');
export const pagePath = process.env.KESTROM_PAGE || join(repo, 'build/web/kestrom.html');

// A fresh profile each time, and nothing that would talk to the network
// on the browser's own account. With wait false, the page is handed over as
// soon as its HTML is parsed, before its worker is ready.
export async function openSession({ wait = true } = {}) {
  const profile = mkdtempSync(join(tmpdir(), 'kestrom-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: process.env.KESTROM_CHROMIUM || '/usr/bin/chromium',
    headless: true,
    acceptDownloads: true,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking',
      '--disable-component-update', '--disable-sync'],
  });
  const requests = [];
  context.on('request', (request) => requests.push(request.url()));
  const page = context.pages()[0] || (await context.newPage());
  const pageUrl = pathToFileURL(pagePath).href;
  await page.goto(pageUrl, { waitUntil: wait ? 'load' : 'domcontentloaded' });
  if (wait) await page.locator('html[data-ready="1"]').waitFor();
  const close = async () => {
    await context.close();
    rmSync(profile, { recursive: true, force: true });
  };
  return { page, requests, pageUrl, close };
}

export async function openFile(page, path) {
  const [chooser] = await Promise.all([page.waitForEvent('filechooser'),
    page.getByRole('button', { name: 'Open...' }).click()]);
  await chooser.setFiles(path);
  await page.locator('main[aria-busy="false"]').waitFor(); // loaded, or refused
}

// Drops files made of these bytes onto the page, as from a file manager
// (or only drags them over it, with type 'dragenter').
export async function dropFile(page, name, bytes, { count = 1, type = 'drop' } = {}) {
  const dataTransfer = await page.evaluateHandle(({ name, bytes, count }) => {
    const transfer = new DataTransfer();
    for (let i = 0; i < count; i++) transfer.items.add(new File([new Uint8Array(bytes)], name));
    return transfer;
  }, { name, bytes: [...bytes], count });
  await page.dispatchEvent('body', type, { dataTransfer });
  await page.locator('main[aria-busy="false"]').waitFor();
}

// Chromium drops a page's eleventh download within a second without a
// word, as a guard against download floods. A person never saves that
// fast, but a test can: each Save here waits until 110 ms have passed since
// the last download arrived, so no eleven downloads fall within a second.
const saveSpacingMs = 110;
const lastDownloadAt = new WeakMap();

// Presses Save and returns the download's name and bytes; yesTo names the
// dialogs, in the order they come up, whose Yes is pressed.
export async function saveAndDownload(page, yesTo = []) {
  const wait = (lastDownloadAt.get(page) ?? -Infinity) + saveSpacingMs - Date.now();
  if (wait > 0) await page.waitForTimeout(wait);
  const downloaded = page.waitForEvent('download');
  await page.getByRole('button', { name: 'Save' }).click();
  for (const name of yesTo) await page.getByRole('dialog', { name }).getByRole('button', { name: 'Yes' }).click();
  const download = await downloaded;
  lastDownloadAt.set(page, Date.now());
  return { name: download.suggestedFilename(), bytes: readFileSync(await download.path()) };
}
