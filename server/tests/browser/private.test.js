// The package's figures belong to the seller: a stranger fetches nothing that tells more than
// the bar, the set-up pages open with the key the tool gave alone, and an upload of the package
// generated again keeps the count.
'use strict';
const { test, before, after } = require('node:test');
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');
const { Site } = require('./site');
const { sold, setupKey } = require('./package');

const settings = { page2: 'next.html', maxsales: 3, useoto: 1, timeout: 30,
  popuptext: '%%copiesleft%% left' };
let site;
before(async () => {
  site = await new Site(settings).start();
});
after(async () => { await site?.stop(); });

async function buy() {
  const cookie = await site.visitorCookie();
  await (await fetch(site.url + 'thanks.php', { headers: { cookie } })).text();
}

test('a stranger fetches no figure from the package\'s files', async () => {
  await buy();
  await buy();
  assert.equal(sold(site), 2);
  // A visitor remembered by address too.
  site.configure({ ...settings, checkip: 1 });
  await (await fetch(site.url + 'index.php')).text();
  site.configure(settings);
  const own = ['stcount.php', 'stbuyers.php', 'stvisitors.php', 'stsecret.php', 'stlock.php',
    'stconfig1.php', 'stmain.php', 'stserver.php', 'stthanks.php'];
  // Where opcache keeps scripts in memory (every server here but PHP's own, run without it), the
  // views keep their prepared settings in a file of the package's.
  if (Site.server !== 'php') own.push('stprepared.php');
  for (const file of own) {
    assert.ok(fs.existsSync(path.join(site.web, file)), file);
    const response = await fetch(site.url + file);
    assert.equal(await response.text(), '', file);
  }
  // The shipped files hold what the tool shipped, not the live figures.
  assert.equal((await (await fetch(site.url + 'stnumsales.txt')).text()).trim(), '0');
  assert.equal(await (await fetch(site.url + 'stiptrack.txt')).text(), '');
});

test('the set-up pages say no more than that the package is installed, unless given their key', async () => {
  const key = setupKey(site);
  for (const page of ['stchmod.php', 'phpenabler.php']) {
    for (const query of ['', '?key=', '?key=0123', `${key}x`, `?key[]=${key.slice(5)}`]) {
      const response = await fetch(site.url + page + query);
      const body = await response.text();
      assert.match(body, /The offer package is installed here/, page + query);
      assert.match(body, /stchmod\.php\?key=/, page + query);
      assert.doesNotMatch(body, /<tr|PHP version|\d\.\d|stcount|secret|OK|PROBLEM/, page + query);
    }
    const open = await (await fetch(site.url + page + key)).text();
    assert.match(open, /<th>sales count \(stcount.php\)<\/th><td>OK<\/td><td>holds 2</, page);
  }
  assert.match(await (await fetch(site.url + 'phpenabler.php' + key)).text(), /<th>PHP version<\/th>/);
  assert.equal(site.log(), '');
});

// The seller generates the package again on their own computer, where the folder holds the
// shipped files only, and uploads all of it over the served one.
test('a package generated again and uploaded keeps the count and its limit; its new key opens the set-up', async () => {
  const local = fs.mkdtempSync(path.join(site.root, 'local-'));
  for (const page of ['index.php', 'thanks.php', 'next.html']) {
    fs.copyFileSync(path.join(site.web, page), path.join(local, page));
  }
  const printed = execFileSync(path.join(process.env.HURREX_APP_DIR, 'tolvan'), ['generate',
    '--page', path.join(local, 'index.php'), '--offer', 'limit', '--max-sales', '3',
    '--next-page', 'next.html', '--text', '%%copiesleft%% left'], { encoding: 'utf8' });
  const key = /stchmod\.php\?key=([0-9a-f]{32})/.exec(printed)[1];
  assert.doesNotMatch(fs.readFileSync(path.join(local, 'stconfig1.php'), 'utf8'), new RegExp(key));
  assert.ok(!fs.existsSync(path.join(local, 'stcount.php')), 'the tool ships no live figure');
  fs.cpSync(local, site.web, { recursive: true });
  site.giveToServer('.');

  assert.equal(sold(site), 2);
  assert.match(await (await fetch(site.url + 'index.php')).text(), /hurrex-copiesleft">1</);
  assert.match(await (await fetch(`${site.url}stchmod.php?key=${key}`)).text(),
    /<th>sales count \(stcount.php\)<\/th><td>OK<\/td><td>holds 2</);
  await buy();
  assert.equal(sold(site), 3);
  const response = await fetch(site.url + 'index.php', { redirect: 'manual' });
  assert.equal(response.status, 302);
  assert.equal(response.headers.get('location'), '/next.html');
});
