// Sales: every buyer counted exactly once, also when many buy at the same moment and under
// sustained load; requests from anything that never viewed the sales page count nothing.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { execFile, spawn } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { promisify } = require('node:util');
const { Site } = require('./site');

const run = promisify(execFile);

let site;
before(async () => { site = await new Site({ page2: 'next.html', maxsales: 1000 }).start({ workers: 4 }); });
after(async () => { await site?.stop(); });

test('a burst of 200 concurrent buyers raises the count by exactly 200', async () => {
  site.write('stnumsales.txt', '0');
  site.clearLog();
  // One visitor cookie, but no browser's mark of a counted sale: each request counts.
  const cookie = await site.visitorCookie();
  const requests = Array.from({ length: 200 }, (_, i) => fetch(
    site.url + (i % 4 === 0 ? 'stthanksredirect.php' : 'thanks.php'),
    { redirect: 'manual', headers: { cookie } }));
  const statuses = (await Promise.all(requests)).map((r) => r.status);
  assert.equal(statuses.filter((s) => s === 200).length, 150);
  assert.equal(statuses.filter((s) => s === 302).length, 50);
  assert.equal(site.read('stnumsales.txt'), '200');
  assert.deepEqual(fs.readdirSync(site.web).filter((f) => f.endsWith('.tmp')), []);
  assert.equal(site.log(), '');
});

test('a browser that viewed the sales page is counted once over reloads', async () => {
  site.write('stnumsales.txt', '41');
  const browser = await Site.browser(site.profile());
  try {
    const page = await browser.newPage();
    await page.goto(site.url + 'index.php');
    await page.goto(site.url + 'thanks.php');
    await page.reload();
    await page.reload();
    assert.equal(await page.locator('h1').textContent(), 'Thank you');
    assert.equal(site.read('stnumsales.txt'), '42');
    const response = await page.goto(site.url + 'thanks.php');
    assert.equal(response.headers()['cache-control'], 'private, no-store');
    await page.goto(site.url + 'stthanksredirect.php');
    assert.equal(await page.locator('h1').textContent(), 'The next page');
    assert.equal(site.read('stnumsales.txt'), '42');
  } finally {
    await browser.close();
  }
  const other = await Site.browser(site.profile());
  try {
    const page = await other.newPage();
    await page.goto(site.url + 'stthanksredirect.php');
    assert.equal(site.read('stnumsales.txt'), '42', 'never saw the sales page');
    await page.goto(site.url + 'index.php');
    await page.goto(site.url + 'stthanksredirect.php');
    await page.goto(site.url + 'stthanksredirect.php');
    assert.equal(site.read('stnumsales.txt'), '43');
  } finally {
    await other.close();
  }
});

const curl = (...args) => run('curl', ['-s', '-o', '/dev/null', '-w', '%{http_code}', ...args]);

test('curl cannot sell out an offer: no cookie, HEAD and a cookie jar count at most once', async () => {
  site.write('stnumsales.txt', '0');
  const thanks = site.url + 'thanks.php';
  for (let i = 0; i < 10; i++) assert.equal((await curl(thanks)).stdout, '200');
  for (let i = 0; i < 3; i++) await curl(site.url + 'stthanksredirect.php');
  assert.equal(site.read('stnumsales.txt'), '0', 'without the visitor cookie');

  const cookie = await site.visitorCookie();
  await curl('-I', '-H', `Cookie: ${cookie}`, thanks);
  assert.equal(site.read('stnumsales.txt'), '0', 'HEAD');
  await curl('-H', `Cookie: ${cookie}x`, thanks);
  assert.equal(site.read('stnumsales.txt'), '0', 'a forged cookie');

  const jar = path.join(site.root, 'jar.txt');
  await curl('-c', jar, site.url + 'index.php');
  for (let i = 0; i < 10; i++) await curl('-b', jar, '-c', jar, thanks);
  assert.equal(site.read('stnumsales.txt'), '1', 'a jar that viewed the sales page');
});

test('with the IP check an address is counted once a day', async () => {
  site.configure({ page2: 'next.html', maxsales: 1000, checkip: 1 });
  site.write('stnumsales.txt', '0');
  try {
    for (let i = 0; i < 3; i++) {
      await curl('-H', `Cookie: ${await site.visitorCookie()}`, site.url + 'thanks.php');
    }
    assert.equal(site.read('stnumsales.txt'), '1');
    assert.doesNotMatch(site.read('stiptrack.txt'), /127\.0\.0\.1/);
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
