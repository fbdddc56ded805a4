// Sales: every buyer counted exactly once, also when many buy at the same moment and under
// sustained load; requests from anything that never viewed the sales page count nothing.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { execFile } = require('node:child_process');
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

// wrk sends the one visitor cookie without the counted mark, so every answered request is a sale.
test('sustained load: every sale the server answered is counted (wrk -c500 -d10s)', async () => {
  site.write('stnumsales.txt', '0');
  site.clearLog();
  fs.writeFileSync(site.accessLog, '');
  const cookie = await site.visitorCookie();
  const { stdout } = await run('wrk', ['-t2', '-c500', '-d10s', '--timeout', '30s', '-H',
    `Cookie: ${cookie}`, site.url + 'thanks.php'], { timeout: 60000 });
  // Requests still running when wrk stops are served a moment later.
  let served = 0;
  for (let i = 0; i < 50; i++) {
    await new Promise((r) => setTimeout(r, 200));
    const now = site.served().filter(([s, m, p]) => s === 200 && m === 'GET' && p.endsWith('/thanks.php')).length;
    if (now === served && now === Number(site.read('stnumsales.txt'))) break;
    served = now;
  }
  const counted = Number(site.read('stnumsales.txt'));
  const wrkServed = /(\d+) requests in/.exec(stdout)[1];
  console.log(`wrk: ${wrkServed} requests completed; server answered ${served}; counted ${counted}`);
  assert.ok(served > 1000, `only ${served} served`);
  assert.equal(counted, served);
  assert.doesNotMatch(site.log(), /not counted|cannot/);
});
