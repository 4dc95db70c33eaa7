// Takes the README's picture of the page: a sample export loaded and saved,
// so the status says what was done, in headless Chromium.
// Usage: node tests/web/screenshot.mjs OUT.png
import { join } from 'node:path';
import { openFile, openSession, repo, saveAndDownload } from './browser.mjs';

const session = await openSession();
try {
  await session.page.setViewportSize({ width: 960, height: 420 });
  await openFile(session.page, join(repo, 'tests/fixtures/bank_mdy_crlf.qif'));
  await saveAndDownload(session.page);
  await session.page.mouse.move(0, 0);
  await session.page.screenshot({ path: process.argv[2] || 'kestrom-web.png' });
} finally {
  await session.close();
}
