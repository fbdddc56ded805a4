// The preview page, written by `tolvan preview`, in headless chromium: the bar as a visitor will
// see it, counting down with no server behind it.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { pathToFileURL } = require('node:url');
const { Site } = require('../../../server/tests/browser/site');

const tolvan = path.join(process.env.HURREX_APP_DIR, 'tolvan');
let folder;
let browser;
let pages = 0;
before(async () => {
  folder = fs.mkdtempSync(path.join(os.tmpdir(), 'hurrex-preview-test-'));
  browser = await Site.browser(fs.mkdtempSync(path.join(folder, 'profile-')));
});
after(async () => {
  await browser?.close();
  fs.rmSync(folder, { recursive: true, force: true });
});

// The preview for these options of `tolvan preview`, open in a new tab whose clock the test
// moves.
async function preview(options) {
  const file = path.join(folder, `preview-${++pages}.html`);
  execFileSync(tolvan, ['preview', '--output', file, ...options], { stdio: ['ignore', 'ignore', 'inherit'] });
  const page = await browser.newPage();
  await page.clock.install();
  await page.goto(pathToFileURL(file).href);
  return page;
}

// The bar's box and computed style, the sample content's box and the viewport.
function layout(page) {
  return page.evaluate(() => {
    const bar = document.getElementById('hurrex-bar');
    const style = getComputedStyle(bar);
    const box = (e) => { const r = e.getBoundingClientRect(); return { top: r.top, bottom: r.bottom, left: r.left, width: r.width, height: r.height }; };
    return {
      bar: box(bar), sample: box(document.getElementById('sample')), end: box(document.getElementById('end')),
      viewport: { width: innerWidth, height: innerHeight }, position: style.position,
      background: style.backgroundColor, border: style.borderTopWidth, text: bar.textContent,
    };
  });
}

test('the bar at the top: its colour, size, border and text, the sample page below it', async () => {
  const page = await preview(['--max-sales', '12', '--width', '600', '--height', '40', '--border', '2',
    '--color', '#00FF80', '--text', 'Only <b>%%copiesleft%%</b> copies']);
  const l = await layout(page);
  assert.equal(l.text, 'Only 12 copies');
  assert.equal(l.position, 'fixed');
  assert.equal(l.background, 'rgb(0, 255, 128)');
  assert.equal(l.border, '2px');
  assert.deepEqual([l.bar.top, l.bar.width, l.bar.height], [0, 600, 40]);
  assert.equal(l.bar.left, (l.viewport.width - 600) / 2);
  assert.ok(l.sample.top >= l.bar.bottom, `sample page at ${l.sample.top}, under the bar`);
  await page.close();
});

test('an expiry counts down the real time left; the bar at the bottom covers no content', async () => {
  // Zone 0: the date is read as UTC. A minute boundary ahead, so the figure is known.
  const end = Math.floor(Date.now() / 60000) * 60 + 90 * 60;
  const page = await preview(['--offer', 'expiry', '--expiry', new Date(end * 1000).toISOString().slice(0, 16),
    '--zone', '0', '--position', 'bottom', '--height', '50', '--color', 'Navy',
    '--text', '%%timeleft%% minutes left']);
  await page.evaluate(() => window.scrollTo(0, document.documentElement.scrollHeight));
  const l = await layout(page);
  const left = end - Math.floor(Date.now() / 1000);
  assert.ok([Math.ceil(left / 60), Math.ceil((left + 2) / 60)].includes(Number.parseInt(l.text, 10)), l.text);
  assert.equal(l.background, 'rgb(0, 0, 128)');
  assert.equal(l.bar.bottom, l.viewport.height);
  assert.equal(l.bar.height, 50);
  assert.ok(l.end.bottom <= l.bar.top, `the sample page ends at ${l.end.bottom}, the bar begins at ${l.bar.top}`);
  await page.close();
});

test('a one-time offer counts its minutes down, then shows the bar closed, never reloading', async () => {
  const page = await preview(['--offer', 'oto', '--timeout', '3', '--max-sales', '5',
    '--text', '%%timeleft%% minutes, %%copiesleft%% copies']);
  const bar = page.locator('#hurrex-bar');
  assert.equal(await bar.textContent(), '3 minutes, 5 copies');
  await page.evaluate(() => { window.notReloaded = true; });
  await page.clock.fastForward(61000);
  await page.waitForFunction(() => document.getElementById('hurrex-bar').textContent === '2 minutes, 5 copies');
  await page.clock.fastForward(120000);
  await page.waitForFunction(() => document.getElementById('hurrex-bar').textContent === '0 minutes, 0 copies');
  assert.equal(await page.evaluate(() => window.notReloaded), true);
  await page.close();
});
