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
// on the browser's own account.
export async function openSession() {
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
  await page.goto(pageUrl);
  await page.locator('html[data-ready="1"]').waitFor();
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
}

// Drops a file made of these bytes onto the page, as from a file manager.
export async function dropFile(page, name, bytes) {
  const dataTransfer = await page.evaluateHandle(({ name, bytes }) => {
    const transfer = new DataTransfer();
    transfer.items.add(new File([new Uint8Array(bytes)], name));
    return transfer;
  }, { name, bytes: [...bytes] });
  await page.dispatchEvent('body', 'drop', { dataTransfer });
}

// Presses Save and returns the download's name and bytes; answer is the
// button to press if the question comes up.
export async function saveAndDownload(page, answer) {
  const downloaded = page.waitForEvent('download');
  await page.getByRole('button', { name: 'Save' }).click();
  if (answer) await page.getByRole('dialog', { name: 'Save' }).getByRole('button', { name: answer }).click();
  const download = await downloaded;
  return { name: download.suggestedFilename(), bytes: readFileSync(await download.path()) };
}
