// Sales: every buyer counted exactly once, also when many buy at the same moment.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const { Site } = require('./site');

let site;
before(async () => { site = await new Site({ page2: 'next.html', maxsales: 1000 }).start({ workers: 4 }); });
after(async () => { await site?.stop(); });

test('a burst of 200 concurrent buyers raises the count by exactly 200', async () => {
  site.write('stnumsales.txt', '0');
  const requests = Array.from({ length: 200 }, (_, i) => fetch(
    site.url + (i % 4 === 0 ? 'stthanksredirect.php' : 'thanks.php'), { redirect: 'manual' }));
  const statuses = (await Promise.all(requests)).map((r) => r.status);
  assert.equal(statuses.filter((s) => s === 200).length, 150);
  assert.equal(statuses.filter((s) => s === 302).length, 50);
  assert.equal(site.read('stnumsales.txt'), '200');
  assert.deepEqual(fs.readdirSync(site.web).filter((f) => f.endsWith('.tmp')), []);
  assert.equal(site.log(), '');
});

test('a browser that reloads the thank-you page is counted once', async () => {
  site.write('stnumsales.txt', '41');
  const browser = await Site.browser(site.profile());
  const page = await browser.newPage();
  await page.goto(site.url + 'thanks.php');
  await page.reload();
  await page.reload();
  assert.equal(await page.locator('h1').textContent(), 'Thank you');
  assert.equal(site.read('stnumsales.txt'), '42');
  await page.goto(site.url + 'stthanksredirect.php');
  assert.equal(await page.locator('h1').textContent(), 'The next page');
  assert.equal(site.read('stnumsales.txt'), '42');
  await browser.close();

  const other = await Site.browser(site.profile());
  const otherPage = await other.newPage();
  await otherPage.goto(site.url + 'stthanksredirect.php');
  await otherPage.goto(site.url + 'stthanksredirect.php');
  assert.equal(site.read('stnumsales.txt'), '43');
  await other.close();
});
