// Ended offers: the visitor is sent on before any of the page; a one-time offer keeps each
// visitor's deadline, whatever the browser sends.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { Site, offerExpire, now } = require('./site');
const fs = require('node:fs');
const path = require('node:path');
const { sold, setSold, head } = require('./package');

let site;
before(async () => { site = await new Site({}).start(); });
after(async () => { await site?.stop(); });

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

test('an ended offer answers 302 to the next page without a byte of the page', async () => {
  const ended = {
    'expiry in the past': { offerexpire: offerExpire(now() - 1) },
    'sold out': { maxsales: 5 },
    'one-time offer of 0 minutes': { useoto: 1, timeout: 0 },
  };
  setSold(site, 5);
  for (const [what, settings] of Object.entries(ended)) {
    site.configure({ page2: 'next.html', ...settings });
    const response = await fetch(site.url + 'index.php', { redirect: 'manual' });
    assert.equal(response.status, 302, what);
    assert.equal(response.headers.get('location'), '/next.html', what);
    assert.equal(await response.text(), '', what);
  }
  site.configure({ page2: 'next.html', maxsales: 5 });
  const browser = await Site.browser(site.profile());
  const page = await browser.newPage();
  await page.goto(site.url + 'index.php');
  assert.equal(await page.locator('h1').textContent(), 'The next page');
  await browser.close();
});

// Path info after the script's name (a host's pretty addresses) must not make a relative next
// page lead back into the sales page.
test('an ended offer sends a visitor on to the next page of the sales folder whatever path info follows', async () => {
  const other = await new Site({ page2: 'next.html', maxsales: 1 }, { folder: 'shop' }).start();
  try {
    setSold(other, 1);
    for (const tail of ['', '/extra', '/extra/more/']) {
      const response = await fetch(other.url + 'index.php' + tail, { redirect: 'manual' });
      assert.equal(response.status, 302, tail);
      assert.equal(response.headers.get('location'), '/shop/next.html', tail);
    }
    const browser = await Site.browser(other.profile());
    const page = await browser.newPage();
    await page.goto(other.url + 'index.php/extra');
    assert.equal(await page.locator('h1').textContent(), 'The next page');
    await browser.close();
    assert.equal(other.log(), '');
  } finally {
    await other.stop();
  }
});

test('an ended offer without a next page shows the page with the closed bar', async () => {
  site.configure({ page2: '', maxsales: 5, popuptext: '%%timeleft%% minutes, %%copiesleft%% copies' });
  setSold(site, 7);
  const browser = await Site.browser(site.profile());
  const page = await browser.newPage();
  await page.goto(site.url + 'index.php');
  await page.evaluate(() => { window.notReloaded = true; });
  assert.equal(await page.locator('#hurrex-bar').textContent(), '0 minutes, 0 copies');
  assert.equal(await page.locator('#first').textContent(), 'Buy the book');
  await sleep(1500);
  assert.equal(await page.evaluate(() => window.notReloaded), true);
  await browser.close();
});

test('an open page reloads when its time runs out and the visitor is sent on', async () => {
  // The browser is up before the offer's few seconds begin: its start takes seconds on a busy machine.
  const browser = await Site.browser(site.profile());
  try {
    const page = await browser.newPage();
    site.configure({ page2: 'next.html', offerexpire: offerExpire(now() + 4) });
    await page.goto(site.url + 'index.php');
    assert.match(await page.locator('#hurrex-bar').textContent({ timeout: 5000 }), /expire in 1 minutes/);
    await page.waitForURL(/next\.html$/, { timeout: 15000 });
  } finally {
    await browser.close();
  }
});

// Visits the sales page in a browser profile and returns the seconds its visitor has left.
async function secondsLeft(browser, headers = {}) {
  const page = await browser.newPage();
  await page.setExtraHTTPHeaders(headers);
  await page.goto(site.url + 'index.php');
  const offer = await page.evaluate(() => fetch('stiframe.php?format=json').then((r) => r.json()));
  await page.close();
  return offer.secondsleft;
}

async function visitorCookie(browser) {
  return (await browser.cookies()).find((c) => c.name === site.cookieName());
}

test('a one-time offer keeps a browser profile\'s deadline over reloads and restarts', async () => {
  site.configure({ page2: 'next.html', useoto: 1, timeout: 10 });
  const profile = site.profile();
  let browser = await Site.browser(profile);
  const first = await secondsLeft(browser);
  assert.ok(first >= 599 && first <= 600, `${first}`);
  await sleep(2100);
  assert.ok(await secondsLeft(browser) <= first - 2, 'reload');
  await browser.close();
  browser = await Site.browser(profile);
  assert.ok(await secondsLeft(browser) <= first - 2, 'restart');

  const fresh = await Site.browser(site.profile());
  assert.ok(await secondsLeft(fresh) >= 599, 'a fresh profile starts anew');
  await fresh.close();

  // A forged cookie counts as none: at most a fresh start, never more.
  const cookie = await visitorCookie(browser);
  const signature = cookie.value.split('.')[1];
  for (const value of [`${now() + 100000}.${signature}`, `${now() + 100000}`, 'x']) {
    await browser.addCookies([{ ...cookie, value }]);
    assert.ok(await secondsLeft(browser) <= 600, value);
  }
  await browser.close();
});

// A host that rewrites a short address to the sales page, as mod_rewrite does: the page's
// cookie must come back to that address, not only to the page's folder.
test('a sales page served under a rewritten address keeps the timer and counts a sale once', async () => {
  const other = await new Site({ useoto: 1, timeout: 10 }, { folder: 'shop' })
    .start({ rewrites: { '/special': '/shop/index.php' } });
  const browser = await Site.browser(other.profile());
  try {
    const page = await browser.newPage();
    const left = async () => {
      await page.goto(new URL('/special', other.url).href);
      assert.match(await page.content(), /Buy the book/);
      return page.evaluate(() => fetch('/shop/stiframe.php?format=json').then((r) => r.json()))
        .then((offer) => offer.secondsleft);
    };
    const first = await left();
    await sleep(2100);
    assert.ok(await left() <= first - 2, 'the timer goes on over a reload');
    await page.goto(other.url + 'thanks.php');
    await page.reload();
    assert.equal(sold(other), 1);
    assert.equal(other.log(), '');
  } finally {
    await browser.close();
    await other.stop();
  }
});

test('with the IP check a forged cookie or X-Forwarded-For gains no time', async () => {
  site.configure({ page2: 'next.html', useoto: 1, timeout: 10, checkip: 1 });
  fs.rmSync(path.join(site.web, 'stvisitors.php'), { force: true });
  const browser = await Site.browser(site.profile());
  const first = await secondsLeft(browser);
  await sleep(2100);
  const cookie = await visitorCookie(browser);
  await browser.addCookies([{ ...cookie, value: `${now()}.${cookie.value.split('.')[1]}` }]);
  assert.ok(await secondsLeft(browser) <= first - 2, 'forged cookie');
  await browser.close();

  const other = await Site.browser(site.profile());
  const forged = await secondsLeft(other, { 'X-Forwarded-For': '203.0.113.7' });
  assert.ok(forged <= first - 2, `X-Forwarded-For: ${forged}`);
  await other.close();
  assert.doesNotMatch(site.read('stvisitors.php'), /127\.0\.0\.1|203\.0\.113/);
  assert.equal(site.read('stvisitors.php').slice(head.length).trim().split('\n').length, 1);
});

// Folder names that must be percent-encoded in a URL, or that PHP's setcookie() refuses.
test('sales folders named with a blank, a comma or an umlaut keep the timer and count a sale once', async () => {
  for (const folder of ['my offer', 'a,b', 'angebot-ü']) {
    const other = await new Site({ useoto: 1, timeout: 10 }, { folder }).start();
    const browser = await Site.browser(other.profile());
    try {
      const page = await browser.newPage();
      const left = async () => {
        await page.goto(other.url + 'index.php');
        return page.evaluate(() => fetch('stiframe.php?format=json').then((r) => r.json()))
          .then((offer) => offer.secondsleft);
      };
      const first = await left();
      await sleep(2100);
      assert.ok(await left() <= first - 2, `${folder}: the timer goes on over a reload`);
      await page.goto(other.url + 'thanks.php');
      await page.reload();
      assert.equal(sold(other), 1, folder);
      assert.equal(other.log(), '', folder);
    } finally {
      await browser.close();
      await other.stop();
    }
  }
});
