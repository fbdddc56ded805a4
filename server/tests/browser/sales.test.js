// Sales: every buyer counted exactly once, also when many buy at the same moment and under
// sustained load; requests from anything that never viewed the sales page count nothing.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { execFile, spawn } = require('node:child_process');
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
  assert.match(renewed, new RegExp(`^${name}=${first}\\.[0-9a-f]{32}\\.[0-9a-f]{32}(?:[0-9a-f]{32})?;`));

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

// wrk: each of 2,000 new visitors, with a visitor cookie of its own from the sales page, opens
// the thank-you page once, over 100 connections at a time (500 on PHP's server, which queues
// them); then wrk asks only for the next page until the test stops it, at the latest after 60 s.
// Every thank-you page the server answered is a sale, and nothing else is.
test('sustained load: every sale the server answered is counted (wrk, 2,000 buyers)', async () => {
  const buyers = 2000;
  const connections = site.server === 'php' ? 500 : 100;
  site.configure({ page2: 'next.html', maxsales: 1000000 });
  const before = 1000000 - (await site.offer()).copiesleft;
  const cookies = [];
  await Promise.all(Array.from({ length: 8 }, async () => {
    while (cookies.length < buyers) cookies.push(await site.visitorCookie());
  }));
  const cookieFile = path.join(site.root, 'cookies.txt');
  fs.writeFileSync(cookieFile, cookies.slice(0, buyers).join('\n') + '\n');
  site.clearLog();
  fs.writeFileSync(site.accessLog, '');
  const thanks = new URL('thanks.php', site.url).pathname;
  const thanked = () => site.served()
    .filter(([s, m, p]) => s === 200 && m === 'GET' && p === thanks).length;

  const wrk = spawn('wrk', ['-t2', `-c${connections}`, '-d60s', '--timeout', '30s',
    '-s', path.join(__dirname, 'buyers.lua'), site.url, '--', cookieFile, '2', thanks,
    new URL('next.html', site.url).pathname], { stdio: ['ignore', 'pipe', 'inherit'] });
  let stdout = '';
  wrk.stdout.on('data', (d) => { stdout += d; });
  const exited = new Promise((r) => wrk.once('exit', r));
  let ended = false;
  exited.then(() => { ended = true; });
  // Stopped when every buyer was answered, or none more for 3 s (a request that failed in
  // wrk is not sent again).
  for (let last = 0, still = 0; !ended && last < buyers && still < 30; still++) {
    await new Promise((r) => setTimeout(r, 100));
    const now = thanked();
    if (now !== last || now === 0) [last, still] = [now, 0];
  }
  wrk.kill('SIGINT');
  await exited;

  // A request still running when wrk stopped is logged a moment later.
  let served = -1;
  let counted = -1;
  for (let i = 0; i < 50; i++) {
    const now = thanked();
    const count = 1000000 - (await site.offer()).copiesleft - before;
    if (now === served && count === counted && count === now) break;
    [served, counted] = [now, count];
    await new Promise((r) => setTimeout(r, 200));
  }
  const summary = /(\d+) requests in ([\d.]+\w+)/.exec(stdout);
  const errors = /Socket errors: .*/.exec(stdout);
  console.log(`${site.server}: wrk ${summary[1]} requests in ${summary[2]}; thank-you pages `
    + `served ${served}, sales counted ${counted}${errors ? `; ${errors[0]}` : ''}`);
  assert.equal(counted, served);
  assert.ok(served > buyers / 2, `only ${served} of ${buyers} served`);
  assert.doesNotMatch(site.log(), /not counted|cannot/);
});
