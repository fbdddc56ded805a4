// A buyer's way through the sales page on a real web server (HURREX_SERVER): the bar at either
// edge counting down and fitted on a wide and a phone-width window, offers ending while the page
// stays open, compressed pages, the thank-you page and the sold-out redirect. The browser fails
// every test on an error in a page.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { Site, offerExpire, now, phpMessage } = require('./site');

let site;
let browser;
// A one-time offer of one minute at the bottom, opened at the start: its minute runs out while
// the other tests run, on a server of its own so that their settings do not touch it.
let oneTimeOffer;

before(async () => {
  const otoSite = await new Site({ useoto: 1, timeout: 1, popuptop: 0, page2: 'next.html',
    popuptext: '%%timeleft%% minutes left' }).start();
  const otoBrowser = await Site.browser(otoSite.profile());
  const page = await otoBrowser.newPage();
  const opened = Date.now();
  await page.goto(otoSite.url + 'index.php');
  oneTimeOffer = {
    site: otoSite, browser: otoBrowser, page, opened,
    text: await page.locator('#hurrex-bar').textContent(),
    // When the page reached the next page, or the error of waiting for it.
    ended: page.waitForURL(/next\.html$/, { timeout: 150000 }).then(() => Date.now(), (e) => e),
  };
  site = await new Site({}).start();
  browser = await Site.browser(site.profile());
});
after(async () => {
  await browser?.close();
  await site?.stop();
  await oneTimeOffer?.browser.close();
  await oneTimeOffer?.site.stop();
});

// The copies sold so far, read as the bar reads the copies left.
async function sold() {
  site.configure({ maxsales: 1000000 });
  return 1000000 - (await site.offer()).copiesleft;
}

// The bar's and its room's boxes and those of the page's first and last content, with the page
// scrolled to its end for a bar at the bottom.
async function layout(page, edge) {
  if (edge === 'bottom') await page.evaluate(() => window.scrollTo(0, document.documentElement.scrollHeight));
  return page.evaluate(() => {
    const box = (id) => {
      const r = document.getElementById(id).getBoundingClientRect();
      return { top: r.top, bottom: r.bottom, width: r.width, height: r.height };
    };
    return { bar: box('hurrex-bar'), room: box('hurrex-room'), first: box('first'),
      last: box('last'), viewport: { width: innerWidth, height: innerHeight } };
  });
}

const edges = { top: 1, bottom: 0 };
const windows = { wide: { width: 1280, height: 720 }, phone: { width: 360, height: 640 } };
const barText = (minutes, copies) => `Only ${copies} copies are left of this offer, which ends in `
  + `${minutes} minutes: order now before they are gone`;

for (const [edge, popuptop] of Object.entries(edges)) {
  test(`bar at the ${edge}: fitted to a wide and a phone-width window, minutes and copies counting down`, async () => {
    const copies = 10;
    for (const [name, size] of Object.entries(windows)) {
      site.configure({ maxsales: await sold() + copies, popuptop, popupheight: 30, refreshtime: 1,
        offerexpire: offerExpire(now() + 150), page2: 'next.html',
        popuptext: barText('%%timeleft%%', '%%copiesleft%%') });
      const page = await browser.newPage();
      await page.setViewportSize(size);
      await page.clock.install();
      await page.goto(site.url + 'index.php');
      const l = await layout(page, edge);
      assert.equal(l.bar.width, Math.min(700, size.width), name);
      assert.equal(l.room.height, l.bar.height, `${name}: the room is as tall as the bar`);
      assert.ok(l.bar.height >= 30, name);
      if (name === 'phone') assert.ok(l.bar.height > 40, 'the text wraps on a phone');
      if (edge === 'top') {
        assert.equal(l.bar.top, 0, name);
        assert.ok(l.first.top >= l.bar.bottom, `${name}: content at ${l.first.top}, bar to ${l.bar.bottom}`);
      } else {
        assert.equal(l.bar.bottom, l.viewport.height, name);
        assert.ok(l.last.bottom <= l.bar.top, `${name}: last line to ${l.last.bottom}, bar at ${l.bar.top}`);
      }

      const bar = page.locator('#hurrex-bar');
      assert.equal(await bar.textContent(), barText(3, copies), name);
      await page.clock.fastForward(31000);
      await page.waitForFunction((text) => document.getElementById('hurrex-bar').textContent === text,
        barText(2, copies));
      await site.sell(1);
      await page.clock.fastForward(60000);
      await page.waitForFunction((text) => document.getElementById('hurrex-bar').textContent === text,
        barText(1, copies - 1));
      const after = await layout(page, edge);
      assert.equal(after.room.height, after.bar.height, `${name}: still as tall after the refresh`);
      await page.close();
    }
  });
}

test('a copy limit closes the open page at either edge: its next refresh sends the visitor on', async () => {
  for (const [edge, popuptop] of Object.entries(edges)) {
    site.configure({ maxsales: await sold() + 2, popuptop, refreshtime: 1, page2: 'next.html',
      popuptext: '%%copiesleft%% copies left' });
    const page = await browser.newPage();
    await page.clock.install();
    await page.goto(site.url + 'index.php');
    assert.equal(await page.locator('#hurrex-bar').textContent(), '2 copies left', edge);
    await site.sell(2);
    await page.clock.fastForward(60000);
    await page.waitForURL(/next\.html$/, { timeout: 10000 });
    assert.equal(await page.locator('h1').textContent(), 'The next page', edge);
    await page.close();
  }
});

test('pages compressed by the server or by themselves load with the bar', async () => {
  site.configure({});
  site.clearLog();
  // Apache's mod_deflate and nginx's gzip compress the sales page; PHP's server does not.
  const byServer = { php: null, apache: 'gzip', nginx: 'gzip' }[site.server];
  const pages = { 'index.php': byServer, 'gzip.php': 'gzip', 'deflate.php': 'deflate' };
  for (const [file, coding] of Object.entries(pages)) {
    const page = await browser.newPage();
    const response = await page.goto(site.url + file, { timeout: 10000 });
    assert.equal(response.headers()['content-encoding'] ?? null, coding, file);
    assert.equal(await page.locator('#first').textContent(), 'Buy the book', file);
    assert.match(await page.locator('#hurrex-bar').textContent(), /^Your offer will expire in/, file);
    assert.doesNotMatch(await page.content(), phpMessage, file);
    await page.close();
  }
  assert.equal(site.log(), '');
});

test('the thank-you page counts a buyer who viewed the sales page once, over reloads', async () => {
  const before = await sold();
  site.configure({ maxsales: 1000, page2: 'next.html' });
  const buyer = await Site.browser(site.profile());
  try {
    const page = await buyer.newPage();
    await page.goto(site.url + 'index.php');
    const response = await page.goto(site.url + 'thanks.php');
    assert.equal(response.headers()['cache-control'], 'private, no-store');
    await page.reload();
    assert.equal(await page.locator('h1').textContent(), 'Thank you');
    await page.goto(site.url + 'stthanksredirect.php');
    assert.equal(await page.locator('h1').textContent(), 'The next page');
    assert.equal(1000 - (await site.offer()).copiesleft, before + 1);
  } finally {
    await buyer.close();
  }
  assert.equal(site.log(), '');
});

test('sold out: 302 to the next page before any byte of the sales page', async () => {
  await site.sell(1);
  site.configure({ maxsales: await sold(), page2: 'next.html' });
  const response = await fetch(site.url + 'index.php', { redirect: 'manual' });
  assert.equal(response.status, 302);
  // The next page's address made absolute against the sales page's folder, as the package
  // sends it, so that path info after the page's name cannot change where it leads.
  assert.equal(response.headers.get('location'), new URL('next.html', site.url).pathname);
  assert.equal(await response.text(), '');
  const page = await browser.newPage();
  await page.goto(site.url + 'index.php');
  assert.equal(page.url(), site.url + 'next.html');
  assert.equal(await page.locator('h1').textContent(), 'The next page');
  await page.close();
});

test('a one-time offer ends in the open page when its minute is up, bar at the bottom', async () => {
  assert.equal(oneTimeOffer.text, '1 minutes left');
  const ended = await oneTimeOffer.ended;
  if (ended instanceof Error) throw ended;
  const seconds = (ended - oneTimeOffer.opened) / 1000;
  assert.ok(seconds >= 58 && seconds < 90, `ended after ${seconds} s`);
  assert.equal(await oneTimeOffer.page.locator('h1').textContent(), 'The next page');
  assert.equal(oneTimeOffer.site.log(), '');
});
