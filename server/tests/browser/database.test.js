// An offer served by two web servers, each from its own copy of the folder, that keep its state in
// one MariaDB database: one visitor, one count and one secret across both, also while the
// database is away for a while.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { Site, phpMessage } = require('./site');
const { sold, setSold, setupKey, visitorCookies, cookieSignature } = require('./package');
const { MariaDb } = require('./mariadb');

let db;
const sites = [];

before(async () => { db = await MariaDb.create(); });
after(async () => {
  for (const site of sites) await site.stop();
  await db?.destroy();
});

// Two servers of one offer under `key`.
async function twoServers(settings, key) {
  const a = new Site(settings, { database: db.generateOptions(key) });
  const b = new Site(null, { copyOf: a });
  sites.push(a, b);
  await a.start({ workers: 4 });
  await b.start({ workers: 4 });
  return [a, b];
}

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// The thank-you page for a browser with `cookie`: its status.
async function buy(site, cookie) {
  const response = await fetch(site.url + 'thanks.php', { headers: { cookie } });
  await response.text();
  return response.status;
}

async function offerAt(site, cookie = '') {
  const response = await fetch(site.url + 'stiframe.php?format=json', { headers: { cookie } });
  return response.json();
}

test('a visitor\'s first view on one server and later views on the other keep one deadline and one cookie', async () => {
  const [a, b] = await twoServers({ useoto: 1, timeout: 30, checkip: 1 }, 'visitor');
  const browser = await Site.browser(a.profile());
  try {
    const page = await browser.newPage();
    await page.goto(a.url + 'index.php');
    const [cookie] = (await browser.cookies()).filter((c) => c.name === a.cookieName());
    await sleep(2100);
    const response = await page.goto(b.url + 'index.php');
    assert.equal(response.headers()['set-cookie'], undefined, 'the cookie of server A holds on B');
    assert.deepEqual((await browser.cookies()).filter((c) => c.name === a.cookieName()), [cookie]);
    assert.equal(await page.locator('.hurrex-timeleft').textContent(), '30');
    const left = (await offerAt(b, `${cookie.name}=${cookie.value}`)).secondsleft;
    assert.ok(left <= 1798 && left > 1700, `${left} seconds left on B`);
    // Without the cookie, the address remembered in the database gives the same deadline.
    assert.ok((await offerAt(b)).secondsleft <= left);
  } finally {
    await browser.close();
  }
  assert.equal(a.read('stdbsecret.php'), b.read('stdbsecret.php'), 'one secret');
  assert.ok(!fs.existsSync(path.join(a.web, 'stsecret.php')));
  assert.equal(a.log() + b.log(), '');
});

test('2,000 buyers split across both servers under concurrency are counted exactly 2,000 times', async () => {
  const [a, b] = await twoServers({ maxsales: 100000, page2: 'next.html' }, 'load');
  // Visitor cookies from either server count on either; each buyer a visitor of their own.
  const cookies = [await a.visitorCookie(), await b.visitorCookie(), ...visitorCookies(a, 1998)];
  let next = 0;
  const statuses = [];
  const buyer = async () => {
    for (let i = next++; i < 2000; i = next++) {
      statuses.push(await buy(i % 2 ? b : a, cookies[i]));
    }
  };
  await Promise.all(Array.from({ length: 32 }, buyer));
  assert.deepEqual(new Set(statuses), new Set([200]));
  assert.equal(db.sold('load'), 2000);
  // The same buyers on the thank-you page again, on the other server: nothing more.
  for (let i = 0; i < 20; i++) assert.equal(await buy(i % 2 ? a : b, cookies[i]), 200);
  assert.equal(db.sold('load'), 2000);
  assert.equal(Number(db.sql("SELECT COUNT(*) FROM shop.hurrex_sales WHERE offer = 'load'")), 2000);
  assert.equal(a.log() + b.log(), '');
});

test('a sale is counted once when the database drops the kept connections, mid-sale too', async () => {
  const [a, b] = await twoServers({ maxsales: 100000 }, 'dropped');
  await a.visitorCookie();
  const cookies = visitorCookies(a, 20000);
  // Buyers on both servers while the database again and again drops every connection of the
  // seller's: those the PHP workers keep between requests, and those in the middle of a sale,
  // until some sale met a dropped connection (at most 30 s).
  const failed = /the database failed|cannot be reached/;
  const until = Date.now() + 30000;
  let buying = true;
  const dropper = (async () => {
    while (buying) {
      db.sql(`KILL CONNECTION USER '${db.user}'`);
      await sleep(15);
    }
  })();
  const bought = [];
  const buyer = async (n) => {
    while (buying) {
      const cookie = cookies.pop();
      assert.equal(await buy(n % 2 ? b : a, cookie), 200);
      bought.push(cookie);
      if (bought.length >= 300 && (failed.test(a.log() + b.log()) || Date.now() > until)) {
        buying = false;
      }
    }
  };
  await Promise.all(Array.from({ length: 8 }, (_, n) => buyer(n)));
  await dropper;
  assert.match(a.log() + b.log(), failed, 'a dropped connection met');
  // After the pause that follows a failure, a view on each server adds what waits there.
  await sleep(2100);
  for (const site of [a, b]) await (await fetch(site.url + 'index.php')).text();
  assert.equal(db.sold('dropped'), bought.length);
  assert.equal(Number(db.sql("SELECT COUNT(*) FROM shop.hurrex_sales WHERE offer = 'dropped'")),
    bought.length);
  // The same buyers again: nothing more.
  for (let i = 0; i < 20; i++) assert.equal(await buy(i % 2 ? a : b, bought[i]), 200);
  assert.equal(db.sold('dropped'), bought.length);
  // Nothing waits any more on a server whose sales met a dropped connection.
  for (const site of [a, b]) {
    if (fs.existsSync(path.join(site.web, 'stdbspool.php'))) {
      assert.equal(site.read('stdbspool.php'), '<?php exit; ?>\n');
    }
  }
});

test('a sale whose count the database refuses leaves nothing half done and counts once later', async () => {
  const site = new Site({ maxsales: 100 }, { database: db.generateOptions('refused') });
  sites.push(site);
  // One worker, so that the second sale meets the connection that the first one failed on.
  await site.start({ workers: 1 });
  await site.visitorCookie();
  const cookies = visitorCookies(site, 2);
  const ids = cookies.map((c) => c.split('.')[1]);
  const rows = () => Number(db.sql("SELECT COUNT(*) FROM shop.hurrex_sales WHERE offer = 'refused'"));
  // The buyer's id goes in; the count that must grow with it is refused.
  db.sql('CREATE TRIGGER shop.refuse_count BEFORE UPDATE ON shop.hurrex_offers FOR EACH ROW '
    + "SIGNAL SQLSTATE '45000' SET MESSAGE_TEXT = 'refused'");
  try {
    for (const cookie of cookies) assert.equal(await buy(site, cookie), 200);
    assert.equal(db.sold('refused'), 0);
    assert.equal(rows(), 0, 'no buyer kept without their count');
    for (const id of ids) assert.match(site.read('stdbspool.php'), new RegExp(`^${id} \\d{12}$`, 'm'));
    assert.match(site.log(), /the database failed: .*refused/);
  } finally {
    db.sql('DROP TRIGGER shop.refuse_count');
  }
  await (await fetch(site.url + 'index.php')).text();
  assert.equal(db.sold('refused'), 2);
  assert.equal(rows(), 2);
  assert.equal(site.read('stdbspool.php'), '<?php exit; ?>\n');
  for (const cookie of cookies) assert.equal(await buy(site, cookie), 200);
  assert.equal(db.sold('refused'), 2);
});

// Another script of the seller's on the same host that keeps a connection to the same database
// with the same user and password, made with multiple statements turned off (PDO turns them on
// unless told otherwise).
test('a connection that another script keeps in the PHP worker is not the package\'s: a sale counts at once', async () => {
  const site = new Site({ maxsales: 100 }, { database: db.generateOptions('kept') });
  sites.push(site);
  // One worker: the package's requests meet what the other script left in it.
  await site.start({ workers: 1 });
  site.write('other.php', `<?php
$settings = include 'stdatabase.php';
$pdo = new PDO($settings['dsn'], $settings['user'], $settings['password'],
  [PDO::ATTR_PERSISTENT => true, PDO::MYSQL_ATTR_MULTI_STATEMENTS => false]);
echo $pdo->query('SELECT CONNECTION_ID()')->fetchColumn();
`);
  const other = async () => (await fetch(site.url + 'other.php')).text();
  const kept = await other();
  assert.match(kept, /^\d+$/);
  const cookie = await site.visitorCookie();
  assert.equal(await buy(site, cookie), 200);
  assert.equal(site.log(), '');
  assert.equal(db.sold('kept'), 1, 'counted at once');
  assert.equal(await other(), kept, 'the other script\'s connection is still kept in the one worker');
  assert.equal(await buy(site, await site.visitorCookie()), 200);
  assert.equal(db.sold('kept'), 2);
});

test('an offer sold out through one server is sold out on the other', async () => {
  const [a, b] = await twoServers({ maxsales: 3, page2: 'next.html',
    popuptext: '%%copiesleft%% copies left' }, 'soldout');
  await buy(a, await a.visitorCookie());
  await buy(a, await a.visitorCookie());
  assert.match(await (await fetch(b.url + 'index.php')).text(), /hurrex-copiesleft">1</);
  await buy(a, await a.visitorCookie());
  const response = await fetch(b.url + 'index.php', { redirect: 'manual' });
  assert.equal(response.status, 302);
  assert.equal(response.headers.get('location'), '/next.html');
  assert.equal((await offerAt(b)).copiesleft, 0);
});

test('with the database stopped mid-run pages still render and sales wait, then count once after it restarts', async () => {
  const [a, b] = await twoServers({ maxsales: 100000, page2: 'next.html',
    popuptext: 'Only %%copiesleft%% copies left' }, 'outage');
  await a.visitorCookie();
  const cookies = visitorCookies(a, 20000);
  // Buyers on both servers all along, while the database stops and starts again.
  let buying = true;
  let answered = 0;
  const buyer = async (n) => {
    while (buying) {
      if (await buy(n % 2 ? b : a, cookies.pop()) === 200) answered++;
    }
  };
  const buyers = Array.from({ length: 6 }, (_, n) => buyer(n));
  await sleep(1000);
  await db.stop();
  await sleep(1000);

  for (const site of [a, b]) {
    const response = await fetch(site.url + 'index.php');
    const html = await response.text();
    assert.equal(response.status, 200);
    assert.match(html, /Only <span class="hurrex-copiesleft"><\/span> copies left/);
    assert.match(html, /id="last">Order now</);
    assert.doesNotMatch(html, phpMessage);
    assert.equal((await offerAt(site)).copiesleft, null);
    const check = await (await fetch(site.url + 'phpenabler.php' + setupKey(site))).text();
    assert.match(check, /<th>database<\/th><td>PROBLEM<\/td><td>cannot be reached/);
  }
  await sleep(1000);
  const waiting = [a, b].map((site) => site.read('stdbspool.php').split('\n').length - 2);
  assert.ok(waiting[0] > 0 && waiting[1] > 0, `waiting: ${waiting}`);

  await db.start();
  await sleep(3000);
  buying = false;
  await Promise.all(buyers);
  // A page view on each server after the pause that follows a failure adds what waits there.
  await sleep(2100);
  for (const site of [a, b]) await (await fetch(site.url + 'index.php')).text();
  assert.equal(db.sold('outage'), answered);
  for (const site of [a, b]) {
    assert.equal(site.read('stdbspool.php'), '<?php exit; ?>\n');
    assert.match(site.log(), /the database cannot be reached/);
    assert.match(site.log(), /sales that waited in .* were added to the database/);
  }
  for (let i = 0; i < 3; i++) await (await fetch(a.url + 'index.php')).text();
  assert.equal(db.sold('outage'), answered, 'counted once');

  // A spooled sale whose adding the database did, though its answer was lost on the way, stays
  // in the spool; it is not added again beside a new one.
  const [counted] = db.sql("SELECT sale FROM shop.hurrex_sales WHERE offer = 'outage' LIMIT 1").split('\n');
  const stamp = String(Math.floor(Date.now() / 1000)).padStart(12, '0');
  a.write('stdbspool.php', `<?php exit; ?>\n${counted} ${stamp}\n${'f'.repeat(32)} ${stamp}\n`);
  await (await fetch(a.url + 'index.php')).text();
  assert.equal(db.sold('outage'), answered + 1);
  console.log(`${answered} sales answered, ${waiting} waited at the outage's height`);
});

test('two offers in one database keep separate counts; a package moving to it keeps its count', async () => {
  const first = new Site({ maxsales: 100 }, { database: db.generateOptions('first') });
  const second = new Site({ maxsales: 100, popuptext: '%%copiesleft%% left' },
    { folder: 'other offer', database: db.generateOptions('second') });
  sites.push(first, second);
  setSold(second, 37);
  await first.start();
  await second.start();
  for (let i = 0; i < 3; i++) await buy(first, await first.visitorCookie());
  for (let i = 0; i < 5; i++) await buy(second, await second.visitorCookie());
  assert.equal(db.sold('first'), 3);
  assert.equal(db.sold('second'), 42);
  assert.match(await (await fetch(second.url + 'index.php')).text(), /hurrex-copiesleft">58</);
  assert.equal(sold(second), 37, 'the sales file is left alone');
});

test('the set-up pages make and report the tables; the settings are never served', async () => {
  db.sql('DROP TABLE IF EXISTS shop.hurrex_offers, shop.hurrex_visitors, shop.hurrex_sales');
  const site = new Site({ maxsales: 5 }, { database: db.generateOptions('setup') });
  sites.push(site);
  await site.start();
  const key = setupKey(site);
  const row = async (page, what) => new RegExp(`<th>${what}</th><td>(\\w+)</td><td>([^<]*)<`)
    .exec(await (await fetch(site.url + page + key)).text()).slice(1);
  assert.match((await row('phpenabler.php', 'database')).join(' '), /^OK .*are made on first use/);
  assert.deepEqual(await row('stchmod.php', 'database'), ['OK', 'is reachable; its tables were made']);
  assert.deepEqual(await row('phpenabler.php', 'database'),
    ['OK', 'is reachable and its tables are ready']);
  assert.match((await row('stchmod.php', 'database settings \\(stdatabase.php\\)')).join(' '),
    /^OK name offer setup; readable by its owner alone/);
  await site.visitorCookie();
  for (const file of ['stdatabase.php', 'stdbsecret.php', 'stdbspool.php']) {
    const response = await fetch(site.url + file);
    const body = await response.text();
    assert.equal(body, '', file);
    assert.doesNotMatch(body, /ecret/);
  }
  assert.equal((await fetch(site.url + 'stdatabase.php')).status, 404);
  assert.equal(fs.statSync(path.join(site.web, 'stdatabase.php')).mode & 0o777, 0o600);
});

// Settings the seller's own user may read and the web server's may not, as on a host where
// PHP runs as www-data: told as such, sales kept, and no cookie signed with a secret anyone can
// compute.
test('database settings the web server cannot read are reported, and sales wait', async () => {
  const site = new Site({ maxsales: 5 }, { database: db.generateOptions('unreadable') });
  sites.push(site);
  const settings = path.join(site.web, 'stdatabase.php');
  fs.chownSync(settings, 0, 0);
  fs.chmodSync(settings, process.getuid() === 0 ? 0o600 : 0o000);
  await site.start();
  const key = setupKey(site);
  for (const page of ['phpenabler.php', 'stchmod.php']) {
    assert.match(await (await fetch(site.url + page + key)).text(),
      /<th>database settings \(stdatabase.php\)<\/th><td>PROBLEM<\/td><td>cannot be read by the web server/, page);
  }
  const cookie = await site.visitorCookie();
  const [first, id, signature] = cookie.split('=')[1].split('.');
  const own = /'([0-9a-f]{64})'/.exec(site.read('stsecret.php'))[1];
  const signed = (secret) => cookieSignature(`${site.cookieName()}|${first}|${id}`, secret);
  assert.equal(signature, signed(own), 'signed with the server\'s own secret');
  assert.equal(await buy(site, cookie), 200);
  assert.match(site.read('stdbspool.php'), new RegExp(`^${id} \\d{12}$`, 'm'));
  assert.match(site.log(), /stdatabase\.php cannot be read by the web server/);
});

test('SQL-looking text in the bar text or a cookie changes nothing', async () => {
  const text = 'Robert\'); DROP TABLE hurrex_offers; -- " OR 1=1 %%copiesleft%% left';
  const [a, b] = await twoServers({ maxsales: 10, popuptext: text, checkip: 1 }, 'quoted');
  const cookie = await a.visitorCookie();
  await buy(a, cookie);
  const name = a.cookieName();
  for (const forged of [`${name}=1' OR '1'='1`, `${name}=1); DELETE FROM hurrex_sales; --`,
    `${name}_counted=' OR 1=1 --; ${name}=0.${'a'.repeat(64)}`, `hurrex1'--=x`]) {
    assert.equal(await buy(b, forged), 200);
    const response = await fetch(b.url + 'index.php', { headers: { cookie: forged } });
    assert.match(await response.text(),
      /Robert'\); DROP TABLE hurrex_offers; -- " OR 1=1 <span class="hurrex-copiesleft">9<\/span> left/);
  }
  assert.equal(db.sold('quoted'), 1);
  assert.match(db.sql('SHOW TABLES FROM shop'), /hurrex_offers\nhurrex_sales\nhurrex_visitors/);
  assert.equal(a.log() + b.log(), '');
});
