// What a visitor of the sales page sees, in headless chromium.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { Site, offerExpire, now, phpMessage } = require('./site');
const { setSold } = require('./package');

let site;
let browser;
before(async () => {
  site = await new Site({}).start();
  browser = await Site.browser(site.profile());
});
after(async () => {
  await browser?.close();
  await site?.stop();
});

// The bar's box and computed style, and the boxes of the first and last page content.
async function layout(page) {
  return page.evaluate(() => {
    const bar = document.getElementById('hurrex-bar');
    const style = getComputedStyle(bar);
    const box = (e) => { const r = e.getBoundingClientRect(); return { top: r.top, bottom: r.bottom, left: r.left, width: r.width, height: r.height }; };
    return {
      bar: box(bar), first: box(document.getElementById('first')),
      last: box(document.getElementById('last')), viewport: { width: innerWidth, height: innerHeight },
      position: style.position, background: style.backgroundColor, border: style.borderTopWidth,
      digits: style.fontVariantNumeric, text: bar.textContent, standards: document.compatMode,
    };
  });
}

test('bar at the top: configured colour, size and border, tokens filled, content and doctype kept', async () => {
  site.configure({ offerexpire: offerExpire(now() + 90), maxsales: 10, popupheight: 40,
    popupwidth: 600, popupborder: 2, popupbgcolor: '#00FF80',
    popuptext: 'Only %%copiesleft%% copies, <b>%%timeleft%%</b> minutes left' });
  setSold(site, 3);
  const page = await browser.newPage();
  const response = await page.goto(site.url + 'index.php');
  const html = await response.text();
  assert.match(html, /^<!DOCTYPE html>/);
  assert.doesNotMatch(html, phpMessage);
  assert.equal(response.headers()['cache-control'], 'private, no-store');
  const l = await layout(page);
  assert.equal(l.standards, 'CSS1Compat');
  assert.equal(l.text, 'Only 7 copies, 2 minutes left');
  assert.equal(l.position, 'fixed');
  assert.equal(l.background, 'rgb(0, 255, 128)');
  assert.equal(l.border, '2px');
  assert.equal(l.digits, 'tabular-nums');
  assert.deepEqual([l.bar.top, l.bar.width, l.bar.height], [0, 600, 40]);
  assert.equal(l.bar.left, (l.viewport.width - 600) / 2);
  assert.ok(l.first.top >= l.bar.bottom, `content at ${l.first.top} under the bar`);
  await page.close();
});

test('a change of settings shows at the next view, and a prepared file of no use is made anew', async () => {
  const bar = async () => {
    const html = await (await fetch(site.url + 'index.php')).text();
    assert.doesNotMatch(html, phpMessage);
    return html.match(/<div id="hurrex-bar"[^>]*>(.*?)<\/div>/)[1].replace(/<[^>]*>/g, '');
  };
  site.clearLog();
  site.configure({ maxsales: 10, popuptext: 'first: %%copiesleft%%' });
  setSold(site, 0);
  assert.equal(await bar(), 'first: 10');
  site.configure({ maxsales: 20, popuptext: 'second: %%copiesleft%%' });
  assert.equal(await bar(), 'second: 20');
  if (Site.server !== 'php') {  // the built-in server runs without opcache: nothing is prepared
    assert.match(site.read('stprepared.php'), /^<\?php/);
    for (const kept of ["<?php return ['build' => 'an older build', 'values' => [], 'view' => []];",
      '<?php return 7;', '<?php']) {
      site.write('stprepared.php', kept);
      assert.equal(await bar(), 'second: 20', kept);
    }
  }
  assert.equal(site.log(), '');
});

test('the bar and the cookie know the page\'s folder, whether the page names $_SERVER or not', async () => {
  const other = await new Site({ maxsales: 10, refreshtime: 1 }, { folder: 'shop' }).start();
  try {
    // A page that names $_SERVER makes PHP build it before the package runs.
    other.write('named.php', other.read('index.php') + '<?php $asked = $_SERVER["REQUEST_URI"]; ?>');
    for (const name of ['index.php', 'named.php']) {
      const response = await fetch(other.url + name);
      const html = await response.text();
      assert.match(html, /u="\/shop\/stiframe\.php\?format=json"/, name);
      assert.match(response.headers.get('set-cookie'), /; path=\/shop\/;/, name);
    }
    // The copy of the request's variables that servers without them by name need.
    fs.rmSync(path.join(other.web, 'stserver.php'));
    const html = await (await fetch(other.url + 'index.php')).text();
    assert.match(html, /id="hurrex-bar"/);
    if (Site.server === 'php') {
      assert.match(other.log(), /stserver\.php is missing; upload the whole package/);
    } else {
      assert.match(html, /u="\/shop\/stiframe\.php\?format=json"/);
      assert.equal(other.log(), '');
    }
  } finally {
    await other.stop();
  }
});

test('minutes and copies count down in the open page without a reload', async () => {
  site.configure({ offerexpire: offerExpire(now() + 150), maxsales: 10, refreshtime: 1,
    popuptext: '%%timeleft%% minutes, %%copiesleft%% copies' });
  setSold(site, 3);
  const page = await browser.newPage();
  await page.clock.install();
  await page.goto(site.url + 'index.php');
  const bar = page.locator('#hurrex-bar');
  assert.equal(await bar.textContent(), '3 minutes, 7 copies');
  await page.evaluate(() => { window.notReloaded = true; });
  await page.clock.fastForward(31000);
  await page.waitForFunction(() => document.getElementById('hurrex-bar').textContent === '2 minutes, 7 copies');
  setSold(site, 5);
  await page.clock.fastForward(60000);
  await page.waitForFunction(() => document.getElementById('hurrex-bar').textContent === '1 minutes, 5 copies');
  assert.equal(await page.evaluate(() => window.notReloaded), true);
  await page.close();
});

test('bar at the bottom leaves the end of the page uncovered', async () => {
  site.configure({ popuptop: 0, popupheight: 50 });
  const page = await browser.newPage();
  await page.goto(site.url + 'index.php');
  await page.evaluate(() => window.scrollTo(0, document.documentElement.scrollHeight));
  const l = await layout(page);
  assert.equal(l.bar.bottom, l.viewport.height);
  assert.equal(l.bar.height, 50);
  assert.equal(l.text, 'Your offer will expire in  minutes');
  assert.ok(l.last.bottom <= l.bar.top, `last line ends at ${l.last.bottom}, bar at ${l.bar.top}`);
  await page.close();
});

test('on a phone-width window the bar fits the width and its wrapped text covers nothing', async () => {
  site.configure({ popuptext: 'A long offer text that cannot fit into one line of a phone '
    + 'screen, so it wraps onto several lines: %%copiesleft%% copies left', maxsales: 99 });
  setSold(site, 0);
  const page = await browser.newPage();
  await page.setViewportSize({ width: 360, height: 640 });
  await page.goto(site.url + 'index.php');
  const l = await layout(page);
  assert.equal(l.bar.width, 360);
  assert.ok(l.bar.height > 28, 'the text wraps');
  assert.ok(l.first.top >= l.bar.bottom, `content at ${l.first.top} under the bar`);
  await page.close();
});

test('the bar shows the text exactly as the seller typed it', async () => {
  const typed = 'Say "hi": $5 off, {$x} \\o/ — naïve';
  site.configure({ popuptext: typed });
  const page = await browser.newPage();
  await page.goto(site.url + 'index.php');
  assert.equal((await layout(page)).text, typed);
  assert.equal(site.log(), '');
  await page.close();
});

test('a page without a body tag gets the bar; a JSON response passes untouched', async () => {
  site.configure({});
  const page = await browser.newPage();
  await page.goto(site.url + 'nobody.php');
  const l = await page.evaluate(() => [document.getElementById('hurrex-bar').getBoundingClientRect().bottom,
    document.getElementById('first').getBoundingClientRect().top]);
  assert.ok(l[1] >= l[0]);
  const json = await fetch(site.url + 'data.php');
  assert.equal(json.headers.get('content-type'), 'application/json');
  assert.equal(await json.text(), '{"a": "<body>"}');
  assert.equal(site.log(), '');
  await page.close();
});

test('pages that compress their own output load with the bar', async () => {
  site.configure({});
  site.clearLog();
  for (const file of ['gzip.php', 'deflate.php']) {
    const page = await browser.newPage();
    const response = await page.goto(site.url + file, { timeout: 10000 });
    assert.match(response.headers()['content-encoding'] ?? '', /^(gzip|deflate)$/, file);
    assert.equal(await page.locator('#first').textContent(), 'Buy the book', file);
    assert.match(await page.locator('#hurrex-bar').textContent(), /^Your offer will expire in/, file);
    await page.close();
  }
  assert.equal(site.log(), '');

  const zipped = await new Site({}).start({ ini: ['zlib.output_compression=1'] });
  try {
    const page = await browser.newPage();
    const response = await page.goto(zipped.url + 'index.php', { timeout: 10000 });
    assert.equal(response.headers()['content-encoding'], 'gzip');
    assert.match(await page.locator('#hurrex-bar').textContent(), /^Your offer will expire in/);
    assert.equal(zipped.log(), '');
    await page.close();
  } finally {
    await zipped.stop();
  }
});

test('a huge refresh time never floods the server: no refresh request in 10 s', async () => {
  const requests = {};
  const pages = [];
  for (const refreshtime of [40000, 10000000]) {
    site.configure({ maxsales: 10, refreshtime });
    const page = await browser.newPage();
    requests[refreshtime] = 0;
    page.on('request', (r) => { if (r.url().includes('stiframe.php')) requests[refreshtime]++; });
    await page.goto(site.url + 'index.php');
    pages.push(page);
  }
  await new Promise((r) => setTimeout(r, 10000));
  assert.deepEqual(requests, { 40000: 0, 10000000: 0 });
  for (const page of pages) await page.close();
});
