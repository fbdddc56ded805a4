// Broken data files, settings and permissions: the sales page still renders, no PHP message
// reaches a visitor, the problem is in PHP's error log, and the set-up pages report it.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { Site, phpMessage } = require('./site');
const { sold, setSold, setupKey, head } = require('./package');

let browser;
let browserSite;
before(async () => {
  browserSite = new Site({});
  browser = await Site.browser(browserSite.profile());
});
after(async () => {
  await browser?.close();
  await browserSite?.stop();
});

const row = (label, state) => new RegExp(`<th>${label}</th><td>${state}</td>`);
const count = 'sales count \\(stcount.php\\)';

const faults = [
  {
    what: 'live count garbled',
    settings: { maxsales: 10 },
    prepare: (site) => site.write('stcount.php', `${head}12abc`),
    logged: /stcount\.php does not hold a whole number/,
    enabler: row(count, 'PROBLEM'),
    chmod: row(count, 'PROBLEM'),
    countAfterSale: NaN, // kept as it was, never overwritten
  },
  {
    what: 'starting count garbled',
    settings: { maxsales: 10 },
    prepare: (site) => site.write('stnumsales.txt', '12abc'),
    logged: /stnumsales\.txt does not hold a whole number/,
    enabler: row(count, 'PROBLEM'),
    chmod: row(count, 'PROBLEM'),
    countAfterSale: NaN,
  },
  {
    what: 'live count is a folder',
    settings: { maxsales: 10 },
    prepare: (site) => fs.mkdirSync(path.join(site.web, 'stcount.php')),
    logged: /stcount\.php is not a file/,
    enabler: row(count, 'PROBLEM'),
    chmod: row(count, 'PROBLEM'),
    countAfterSale: NaN,
  },
  {
    what: 'live count not writable',
    settings: { maxsales: 10 },
    prepare: (site) => { setSold(site, 4); site.takeFromServer('stcount.php'); },
    logged: /a sale was not counted/,
    enabler: row(count, 'PROBLEM'),
    chmod: row(count, 'PROBLEM'),
    countAfterSale: 4,
  },
  {
    what: 'folder not writable, one-time offer',
    settings: { useoto: 1, timeout: 10 },
    prepare: (site) => site.takeFromServer('.'),
    logged: /secret cannot be made/,
    enabler: row('secret \\(stsecret.php\\)', 'PROBLEM'),
    chmod: row(count, 'PROBLEM'),
    countAfterSale: 1, // counted on in the shipped file, in place
  },
  {
    what: 'remembered visitors file is a folder',
    settings: { useoto: 1, timeout: 10, checkip: 1 },
    prepare: (site) => fs.mkdirSync(path.join(site.web, 'stvisitors.php')),
    logged: /stvisitors\.php is a folder/,
    enabler: row('remembered visitors \\(stvisitors.php\\)', 'PROBLEM'),
    chmod: row('remembered visitors \\(stvisitors.php\\)', 'PROBLEM'),
    countAfterSale: 1,
  },
  {
    what: 'hand-edited numbers that are NaN, huge or no number',
    settings: { maxsales: 10 },
    prepare: (site) => site.write('stconfig1.php', site.read('stconfig1.php')
      .replace('$maxsales = 10;', '$maxsales = NAN;').replace('$popupheight = 28;', '$popupheight = 1e30;')
      .replace('$refreshtime = 5;', '$refreshtime = "soon";')),
    logged: /lacks a usable value for \$maxsales, \$refreshtime[^]*out of range: \$popupheight \(using 10000000\)/,
    enabler: row('stconfig1.php', 'OK'),
    chmod: row(count, 'OK'),
    countAfterSale: 1,
  },
  {
    what: 'a setting missing from stconfig1.php',
    settings: {},
    prepare: (site) => site.write('stconfig1.php', site.read('stconfig1.php').replace(/\$maxsales = 0;\r\n/, '')),
    logged: /lacks a usable value for \$maxsales/,
    enabler: row('stconfig1.php', 'PROBLEM'),
    chmod: row(count, 'OK'),
    countAfterSale: 1,
  },
];

async function get(site, file, cookie) {
  const response = await fetch(site.url + file, { headers: cookie ? { cookie } : {} });
  const body = await response.text();
  assert.equal(response.status, 200, file);
  assert.doesNotMatch(body, phpMessage, file);
  return body;
}

for (const fault of faults) {
  test(`${fault.what}: the page renders, the log and the set-up pages tell`, async () => {
    const site = new Site(fault.settings);
    const key = setupKey(site);
    fault.prepare(site);
    await site.start();
    try {
      const page = await browser.newPage();
      const response = await page.goto(site.url + 'index.php');
      assert.equal(response.status(), 200);
      assert.doesNotMatch(await page.content(), phpMessage);
      assert.equal(await page.locator('#first').textContent(), 'Buy the book');
      assert.match(await page.locator('#hurrex-bar').textContent(), /^Your offer will expire in/);
      assert.match(await get(site, 'phpenabler.php' + key), fault.enabler);
      await page.goto(site.url + 'thanks.php');
      assert.doesNotMatch(await page.content(), phpMessage);
      assert.equal(await page.locator('h1').textContent(), 'Thank you');
      await page.close();
      await browser.clearCookies();

      assert.match(site.log(), fault.logged);
      assert.match(await get(site, 'stchmod.php' + key), fault.chmod);
      assert.equal(sold(site), fault.countAfterSale);
    } finally {
      await site.stop();
    }
  });
}

// A hand edit that breaks stconfig1.php's PHP: the sales page's own include of it fails
// before the package runs, but the package's scripts survive and tell.
// The set-up key is in the broken file too, so the self-check stays closed and the log tells.
test('a stconfig1.php that does not parse: sales still counted, the package scripts answer and the log tells', async () => {
  const site = new Site({});
  await site.start();
  try {
    const cookie = await site.visitorCookie();  // a buyer who viewed the page before the edit
    const key = setupKey(site);
    site.write('stconfig1.php', site.read('stconfig1.php').replace('$popuptext = "', '$popuptext = "Say "hi" '));
    const check = await get(site, 'phpenabler.php' + key);
    assert.match(check, /The offer package is installed here/);
    assert.doesNotMatch(check, /<table><tr/);
    const json = await fetch(site.url + 'stiframe.php?format=json');
    assert.equal(json.status, 503);
    assert.doesNotMatch(await json.text(), phpMessage);
    assert.match(await get(site, 'thanks.php'), /Thank you/);
    assert.equal(sold(site), 0, 'no visitor cookie');
    assert.match(await get(site, 'thanks.php', cookie), /Thank you/);
    assert.equal(sold(site), 1, 'counted in the default sales file');
    assert.match(site.log(), /hurrex: ParseError/);
  } finally {
    await site.stop();
  }
});

// Without a stored secret the cookie is signed with one derived from the server's own facts, so
// a visitor's first view is kept and the one-time offer ends on time, also after the seller
// uploads the package's files again (new files, new times).
test('a folder the server cannot write: the one-time offer still ends for its visitor, across an upload', async () => {
  const site = new Site({ useoto: 1, timeout: 1, page2: 'next.html' });
  const key = setupKey(site);
  site.takeFromServer('.');
  await site.start();
  try {
    const page = await browser.newPage();
    await page.goto(site.url + 'index.php');
    assert.match(await page.locator('#hurrex-bar').textContent(), /expire in 1 minutes/);
    await new Promise((r) => setTimeout(r, 30000));
    if (process.getuid() !== 0) fs.chmodSync(site.web, 0o755);
    for (const file of ['stconfig1.php', 'stmain.php']) {
      const text = site.read(file);
      fs.rmSync(path.join(site.web, file));
      fs.writeFileSync(path.join(site.web, file), text);
    }
    if (process.getuid() !== 0) fs.chmodSync(site.web, 0o555);
    const left = await page.evaluate(() => fetch('stiframe.php?format=json').then((r) => r.json()));
    assert.ok(left.secondsleft <= 30, `${left.secondsleft} seconds left after the upload`);
    await page.reload();
    assert.match(await page.locator('#hurrex-bar').textContent(), /expire in 1 minutes/);
    // The bar's own countdown reloads the page at the end, and the server sends it on.
    await page.waitForURL(/next\.html$/, { timeout: 45000 });
    await page.goto(site.url + 'index.php');
    assert.equal(await page.locator('h1').textContent(), 'The next page');
    await page.close();
    await browser.clearCookies();
    assert.deepEqual(fs.readdirSync(site.web).filter((f) => f.startsWith('stsecret')), []);
    assert.match(site.log(), /secret cannot be made/);
    assert.match(await get(site, 'stchmod.php' + key), /<th>secret \(stsecret.php\)<\/th><td>PROBLEM<\/td><td>cannot be stored/);
  } finally {
    await site.stop();
  }
});
