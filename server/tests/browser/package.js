// The package's own files on a site of site.js, as tests read and set them: the live count the
// package keeps, the set-up key, and visitor cookies signed as the package signs them.
'use strict';
const { execFileSync } = require('node:child_process');
const crypto = require('node:crypto');
const fs = require('node:fs');
const path = require('node:path');

// What the package's live files begin with.
const head = '<?php exit; ?>\n';

// The copies sold: the live count, or the starting count while there is none. NaN for a file
// that holds no number, or a folder in its place.
function sold(site) {
  const live = path.join(site.web, 'stcount.php');
  if (fs.existsSync(live) && !fs.statSync(live).isFile()) return NaN;
  if (fs.existsSync(live)) {
    const text = site.read('stcount.php');
    return text.startsWith(head) && /^\d+$/.test(text.slice(head.length))
      ? Number(text.slice(head.length)) : NaN;
  }
  if (!fs.existsSync(path.join(site.web, 'stnumsales.txt'))) return 0;
  const text = site.read('stnumsales.txt').trim();
  return /^\d+$/.test(text) ? Number(text) : NaN;
}

// Sets the live count, as sales would have.
function setSold(site, count) { site.write('stcount.php', head + count); }

// Opens the set-up pages to `key` as the tool would: its digest in stconfig1.php. The query that
// gives it.
function setupKey(site, key = crypto.randomBytes(16).toString('hex')) {
  const digest = crypto.createHash('sha1').update(key).digest('hex');
  site.write('stconfig1.php', site.read('stconfig1.php')
    .replace(/^\$setupkey = "[^"]*";/m, `$setupkey = "${digest}";`));
  return `?key=${key}`;
}

// `count` visitor cookies ("name=value") of different visitors, signed with the package's stored
// secret (the database's copy of it with a database), which a view of the sales page has made.
function visitorCookies(site, count, first = Math.floor(Date.now() / 1000)) {
  const secret = fs.existsSync(path.join(site.web, 'stdbsecret.php'))
    ? /'secret' => '([0-9a-f]{64})'/.exec(site.read('stdbsecret.php'))[1]
    : /'([0-9a-f]{64})'/.exec(site.read('stsecret.php'))[1];
  const name = site.cookieName();
  return Array.from({ length: count }, () => {
    const id = crypto.randomBytes(16).toString('hex');
    const signature = crypto.createHmac('sha256', secret).update(`${name}|${first}|${id}`)
      .digest('hex');
    return `${name}=${first}.${id}.${signature}`;
  });
}

// The signature the package gives a visitor cookie that signs `what` with `secret`: keyed
// BLAKE2b of 128 bits where PHP has sodium (PHP computes it: node has no keyed BLAKE2b), else
// HMAC-SHA-256.
function cookieSignature(what, secret) {
  return execFileSync('php', ['-r', "echo function_exists('sodium_crypto_generichash') "
    + "? bin2hex(sodium_crypto_generichash($argv[1], hex2bin($argv[2]), 16)) "
    + ": hash_hmac('sha256', $argv[1], $argv[2]);", '--', what, secret], { encoding: 'utf8' });
}

module.exports = { sold, setSold, setupKey, visitorCookies, cookieSignature, head };
