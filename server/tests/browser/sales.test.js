// Sales: every buyer counted exactly once, also when many buy at the same moment and under
// sustained load; requests from anything that never viewed the sales page count nothing.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { execFile } = require('node:child_process');
const crypto = require('node:crypto');
const fs = require('node:fs');
const path = require('node:path');
const { promisify } = require('node:util');
const { Site } = require('./site');
const { sold, setSold, visitorCookies } = require('./package');

const run = promisify(execFile);

let site;
before(async () => { site = await new Site({ page2: 'next.html', maxsales: 1000 }).start({ workers: 4 }); });
after(async () => { await site?.stop(); });

test('a burst of 200 concurrent buyers raises the count by exactly 200, one of them sending 50 times by 1', async () => {
  setSold(site, 0);
  site.clearLog();
  await site.visitorCookie();
  const cookies = visitorCookies(site, 200);
  const once = cookies[0];
  const requests = cookies.concat(Array(50).fill(once)).map((cookie, i) => fetch(
    site.url + (i % 4 === 0 ? 'stthanksredirect.php' : 'thanks.php'),
    { redirect: 'manual', headers: { cookie } }));
  const statuses = (await Promise.all(requests)).map((r) => r.status);
  assert.equal(statuses.filter((s) => s === 200).length, 150 + 37);
  assert.equal(statuses.filter((s) => s === 302).length, 50 + 13);
  assert.equal(sold(site), 200);
  assert.deepEqual(fs.readdirSync(site.web).filter((f) => f.endsWith('.tmp')), []);
  assert.equal(site.log(), '');
});

test('a browser that viewed the sales page is counted once over reloads', async () => {
  setSold(site, 41);
  const browser = await Site.browser(site.profile());
  try {
    const page = await browser.newPage();
    await page.goto(site.url + 'index.php');
    await page.goto(site.url + 'thanks.php');
    await page.reload();
    await page.reload();
    assert.equal(await page.locator('h1').textContent(), 'Thank you');
    assert.equal(sold(site), 42);
    const response = await page.goto(site.url + 'thanks.php');
    assert.equal(response.headers()['cache-control'], 'private, no-store');
    await page.goto(site.url + 'stthanksredirect.php');
    assert.equal(await page.locator('h1').textContent(), 'The next page');
    assert.equal(sold(site), 42);
  } finally {
    await browser.close();
  }
  const other = await Site.browser(site.profile());
  try {
    const page = await other.newPage();
    await page.goto(site.url + 'stthanksredirect.php');
    assert.equal(sold(site), 42, 'never saw the sales page');
    await page.goto(site.url + 'index.php');
    await page.goto(site.url + 'stthanksredirect.php');
    await page.goto(site.url + 'stthanksredirect.php');
    assert.equal(sold(site), 43);
  } finally {
    await other.close();
  }
});

test('a buyer is counted once for good: not again with every other cookie gone, nor by a new browser with their cookie', async () => {
  setSold(site, 10);
  const browser = await Site.browser(site.profile());
  let visitor;
  try {
    const page = await browser.newPage();
    await page.goto(site.url + 'index.php');
    await page.goto(site.url + 'thanks.php');
    assert.equal(sold(site), 11);
    [visitor] = (await browser.cookies()).filter((c) => c.name === site.cookieName());
    // Whatever else the browser keeps, only the visitor cookie stays.
    await browser.clearCookies();
    await browser.addCookies([visitor]);
    await page.goto(site.url + 'thanks.php');
    await page.goto(site.url + 'stthanksredirect.php');
    assert.equal(sold(site), 11);
  } finally {
    await browser.close();
  }
  const again = await Site.browser(site.profile());
  try {
    await again.addCookies([visitor]);
    const page = await again.newPage();
    await page.goto(site.url + 'thanks.php');
    assert.equal(await page.locator('h1').textContent(), 'Thank you');
    assert.equal(sold(site), 11);
  } finally {
    await again.close();
  }
  assert.equal(site.log(), '');
});

test('first views in the same second get visitors of their own; stthanks.php by itself counts nothing', async () => {
  setSold(site, 0);
  const cookies = await Promise.all(Array.from({ length: 20 }, () => site.visitorCookie()));
  const values = cookies.map((c) => c.split('=')[1].split('.'));
  assert.ok(values.every(([, id]) => /^[0-9a-f]{32}$/.test(id)), cookies[0]);
  assert.equal(new Set(values.map(([, id]) => id)).size, 20);
  assert.ok(new Set(values.map(([first]) => first)).size < 20, 'some views shared a second');

  const alone = await fetch(site.url + 'stthanks.php', { headers: { cookie: cookies[0] } });
  assert.equal(alone.status, 404);
  assert.equal(await alone.text(), '');
  assert.equal(sold(site), 0);
  await fetch(site.url + 'thanks.php', { headers: { cookie: cookies[0] } });
  assert.equal(sold(site), 1);
});

// Cookies signed before visitors had ids carry the first view alone: visitors keep their timers
// across the upgrade, and a buyer is counted once all the same.
test('a visitor cookie of the package before visitors had ids keeps its first view and counts once', async () => {
  setSold(site, 0);
  await site.visitorCookie();
  const secret = /'([0-9a-f]{64})'/.exec(site.read('stsecret.php'))[1];
  const name = site.cookieName();
  const first = Math.floor(Date.now() / 1000) - 3600;
  const old = `${name}=${first}.${crypto.createHmac('sha256', secret).update(`${name}|${first}`).digest('hex')}`;

  const view = await fetch(site.url + 'index.php', { headers: { cookie: old } });
  await view.text();
  const renewed = view.headers.getSetCookie().find((c) => c.startsWith(name + '='));
  assert.match(renewed, new RegExp(`^${name}=${first}\\.[0-9a-f]{32}\\.[0-9a-f]{64};`));

  const thanks = await fetch(site.url + 'thanks.php', { headers: { cookie: old } });
  await thanks.text();
  assert.equal(sold(site), 1);
  const given = thanks.headers.getSetCookie().find((c) => c.startsWith(name + '=')).split(';')[0];
  assert.match(given, new RegExp(`^${name}=${first}\\.[0-9a-f]{32}\\.`));
  await (await fetch(site.url + 'thanks.php', { headers: { cookie: given } })).text();
  // A browser the package counted before carries its mark of the sale for a day.
  await (await fetch(site.url + 'thanks.php', { headers: { cookie: `${old}; ${name}_counted=1` } })).text();
  assert.equal(sold(site), 1);
  assert.equal(site.log(), '');
});

const curl = (...args) => run('curl', ['-s', '-o', '/dev/null', '-w', '%{http_code}', ...args]);

test('curl cannot sell out an offer: no cookie, HEAD and a cookie jar count at most once', async () => {
  setSold(site, 0);
  const thanks = site.url + 'thanks.php';
  for (let i = 0; i < 10; i++) assert.equal((await curl(thanks)).stdout, '200');
  for (let i = 0; i < 3; i++) await curl(site.url + 'stthanksredirect.php');
  assert.equal(sold(site), 0, 'without the visitor cookie');

  const cookie = await site.visitorCookie();
  await curl('-I', '-H', `Cookie: ${cookie}`, thanks);
  assert.equal(sold(site), 0, 'HEAD');
  await curl('-H', `Cookie: ${cookie}x`, thanks);
  assert.equal(sold(site), 0, 'a forged cookie');

  const jar = path.join(site.root, 'jar.txt');
  await curl('-c', jar, site.url + 'index.php');
  for (let i = 0; i < 10; i++) await curl('-b', jar, '-c', jar, thanks);
  assert.equal(sold(site), 1, 'a jar that viewed the sales page');
});

test('with the IP check an address is counted once a day', async () => {
  site.configure({ page2: 'next.html', maxsales: 1000, checkip: 1 });
  setSold(site, 0);
  try {
    for (let i = 0; i < 3; i++) {
      await curl('-H', `Cookie: ${await site.visitorCookie()}`, site.url + 'thanks.php');
    }
    assert.equal(sold(site), 1);
    assert.doesNotMatch(site.read('stvisitors.php'), /127\.0\.0\.1/);
  } finally {
    site.configure({ page2: 'next.html', maxsales: 1000 });
  }
});

// Each request of wrk carries the visitor cookie of a buyer of its own (buyers.lua), so every
// answered request is a sale.
test('sustained load: every sale the server answered is counted (wrk -c500 -d10s)', async () => {
  setSold(site, 0);
  site.clearLog();
  fs.writeFileSync(site.accessLog, '');
  await site.visitorCookie();
  const buyers = visitorCookies(site, 60000);
  const list = path.join(site.root, 'buyers.txt');
  fs.writeFileSync(list, buyers.join('\n') + '\n');
  const { stdout } = await run('wrk', ['-t2', '-c500', '-d10s', '--timeout', '30s',
    '-s', path.join(__dirname, 'buyers.lua'), site.url + 'thanks.php'],
  { timeout: 60000, env: { ...process.env, HURREX_BUYERS: list } });
  // Requests still running when wrk stops are served a moment later.
  let served = 0;
  for (let i = 0; i < 50; i++) {
    await new Promise((r) => setTimeout(r, 200));
    const now = site.served().filter(([s, m, p]) => s === 200 && m === 'GET' && p.endsWith('/thanks.php')).length;
    if (now === served && now === sold(site)) break;
    served = now;
  }
  const counted = sold(site);
  const wrkServed = /(\d+) requests in/.exec(stdout)[1];
  console.log(`wrk: ${wrkServed} requests completed; server answered ${served}; counted ${counted}`);
  assert.ok(served > 1000, `only ${served} served`);
  assert.ok(served < 60000, 'more requests than buyers');
  assert.equal(counted, served);
  assert.doesNotMatch(site.log(), /not counted|cannot/);
});
