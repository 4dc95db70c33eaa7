// The pass in the browser page against the native pass, in one run on one
// machine: the native Convert benchmark (the pass the page runs) over 64
// MiB of generated content (LF), then the page's Save over the same bytes,
// generated to a file by kestrom_make_qif. Prints the median GiB/s of each
// and their ratio, and the longest the page's own thread was busy during
// the Saves.
// Run by bench/web_bench.sh, which builds what this needs.
import { execFileSync } from 'node:child_process';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { openFile, openSession, repo, saveAndDownload } from '../tests/web/browser.mjs';

const repetitions = Number(process.argv[2] || 5);
const size = 64 << 20;
const gib = (bytesPerSecond) => bytesPerSecond / 2 ** 30;
const median = (values) => {
  const sorted = [...values].sort((a, b) => a - b);
  const mid = sorted.length >> 1;
  return sorted.length % 2 ? sorted[mid] : (sorted[mid - 1] + sorted[mid]) / 2;
};

function nativeGiBs() {
  const out = execFileSync(join(repo, 'build/native/bench/kestrom_bench'), [
    '--benchmark_filter=^BM_Convert_64MiB_LF$', `--benchmark_repetitions=${repetitions}`,
    '--benchmark_format=json'], { maxBuffer: 1 << 24 });
  const runs = JSON.parse(out).benchmarks.filter((b) => b.run_type === 'iteration');
  return runs.map((b) => gib(b.bytes_per_second));
}

async function pageGiBs(input) {
  const session = await openSession();
  try {
    const { page } = session;
    await page.evaluate(() => {
      window.longestTask = 0;
      new PerformanceObserver((list) => {
        for (const e of list.getEntries()) window.longestTask = Math.max(window.longestTask, e.duration);
      }).observe({ type: 'longtask' });
    });
    await openFile(page, input);
    // The content's last record is cut short at a date, which Save asks
    // about.
    for (let i = 0; i < repetitions; i++) await saveAndDownload(page, ['Save']);
    const [pass, whole, longest] = await page.evaluate(() => [
      performance.getEntriesByName('kestrom-pass').map((e) => e.duration),
      performance.getEntriesByName('kestrom-save').map((e) => e.duration),
      window.longestTask]);
    return { runs: pass.map((ms) => gib(size / (ms / 1000))), saveMs: median(whole), longest };
  } finally {
    await session.close();
  }
}

const folder = mkdtempSync(join(tmpdir(), 'kestrom-web-bench-'));
try {
  const input = join(folder, 'export.qif');
  execFileSync(join(repo, 'build/native/bench/kestrom_make_qif'), [String(size), input]);
  const native = nativeGiBs();
  const web = await pageGiBs(input);
  const fmt = (runs) => `${Math.min(...runs).toFixed(2)} / ${median(runs).toFixed(2)} / ${Math.max(...runs).toFixed(2)}`;
  console.log(`64 MiB, LF, ${repetitions} repetitions, GiB/s min / median / max`);
  console.log(`native Convert:     ${fmt(native)}`);
  console.log(`page pass:         ${fmt(web.runs)}`);
  console.log(`page / native:     ${(median(web.runs) / median(native)).toFixed(2)} (medians)`);
  console.log(`page Save to download: ${web.saveMs.toFixed(0)} ms median; longest busy spell of the page's thread: ${web.longest.toFixed(0)} ms`);
} finally {
  rmSync(folder, { recursive: true, force: true });
}
