// Test fixture: a folder with a sales page, a thank-you page and the offer package, served on
// 127.0.0.1 by one of three web servers, and Debian's chromium to visit it.
//
//   const { Site } = require('./site');
//   const site = await new Site({ maxsales: 10, popuptop: 0 }).start();
//   const browser = await Site.browser(site.profile());
//   ...
//   await browser.close();
//   await site.stop();
//
// The web server: start({ server }) names it, else the environment's HURREX_SERVER (Site.server):
//   php     PHP's built-in server (the default);
//   apache  Apache 2.4 with mod_php (prefork), mod_deflate for HTML, opcache, AllowOverride All;
//   nginx   nginx with gzip on, in front of PHP-FPM (pm dynamic) on a socket.
// Each runs from a configuration of its own (servers.js) in the site's temporary folder, on a
// free port, its workers as nobody when the tests run as root, and stops with site.stop(). A
// suite written against this class runs on any of them:
// `HURREX_SERVER=nginx node --test sales.test.js`.
//
// A site: new Site(settings, { folder, database, copyOf }) generates the package with the tool
// (settings as in stconfig1.php); configure(settings) generates it anew; write(), read(),
// giveToServer() and takeFromServer() handle its files; log() holds PHP's messages, serverLog()
// the web server's own, served() the requests the server answered.
//
// Site.browser(profile) opens chromium on a profile folder. Any uncaught error or console error
// of a page in it fails the test that was running (or closing the browser, after the last test).
'use strict';
const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const net = require('node:net');
const os = require('node:os');
const path = require('node:path');
const { afterEach } = require('node:test');
const { chromium } = require('playwright-core');
const { servers, spawnServer } = require('./servers');

const appDir = process.env.HURREX_APP_DIR;
if (!appDir || !fs.existsSync(path.join(appDir, 'script', 'stmain.php'))) {
  throw new Error('HURREX_APP_DIR must name the built program folder');
}
const tolvan = path.join(appDir, 'tolvan');

// As root, PHP runs as nobody so that file permissions bind it as on a web host.
const asRoot = process.getuid() === 0;
const nobody = 65534;

const includeLine = "<?php include'stconfig1.php'; include'stmain.php'; ?>";

const defaultSettings = {
  useoto: 0, timeout: 0, checkip: 0, offerexpire: 0, maxsales: 0, refreshtime: 5, page2: '',
  popuptext: 'Your offer will expire in %%timeleft%% minutes', popuptop: 1, popupheight: 28,
  popupwidth: 700, popupbgcolor: '#FFFF00', popupborder: 0,
};

// Runs the tool's real generator on `page`: the include line on top of it, stconfig1.php and
// the eight package files beside it. Values the tool cannot write (the IP check, an expiry to
// the second, an expiry together with a one-time offer, a time-out beside another kind of offer)
// are then edited into stconfig1.php, as a seller would do by hand. `more`: further options of
// tolvan generate.
function generate(page, values, more = []) {
  const s = { ...defaultSettings, ...values };
  const end = s.offerexpire ? s.offerexpire + 6600 : 0;
  const minute = end - (end % 60);
  const args = ['generate', '--page', page,
    '--offer', s.useoto ? 'oto' : s.offerexpire ? 'expiry' : 'limit',
    '--max-sales', String(s.maxsales),
    '--refresh', String(s.refreshtime), '--next-page', s.page2, '--text', s.popuptext,
    '--position', s.popuptop ? 'top' : 'bottom', '--height', String(s.popupheight),
    '--width', String(s.popupwidth), '--border', String(s.popupborder),
    '--color', s.popupbgcolor, ...more];
  // Only a one-time offer takes a time-out; the tool refuses it with another kind.
  if (s.useoto) args.push('--timeout', String(s.timeout));
  if (s.offerexpire && !s.useoto) {
    // The date as UTC wall-clock time in zone 0 is that very instant.
    args.push('--expiry', new Date(minute * 1000).toISOString().slice(0, 16), '--zone', '0');
  }
  execFileSync(tolvan, args, { stdio: ['ignore', 'ignore', 'inherit'] });
  const config = path.join(path.dirname(page), 'stconfig1.php');
  let text = fs.readFileSync(config, 'utf8');
  const edit = (name, value) => {
    text = text.replace(new RegExp(`^\\$${name} = .*;\r$`, 'm'), () => `$${name} = ${value};\r`);
  };
  if (s.checkip) edit('checkip', 1);
  if (s.timeout && !s.useoto) edit('timeout', s.timeout);
  if (s.offerexpire && (s.useoto || end !== minute)) edit('offerexpire', s.offerexpire);
  fs.writeFileSync(config, text);
}

// The expiry as the tool writes it for an offer that ends at Unix second `end`.
const offerExpire = (end) => end - 6600;
const now = () => Math.floor(Date.now() / 1000);

const content = Array.from({ length: 60 }, (_, i) => `<p class="line">Line ${i + 1}</p>`).join('\n');
const pages = {
  // The generator puts the include line on top of this one.
  'index.php': `<!DOCTYPE html>\r\n<html><head><meta charset="utf-8">
<meta name="viewport" content="width=device-width, initial-scale=1"><title>Sales page</title>
<style>body{font-family:sans-serif} h1{margin:0;background:#eee}</style></head>
<body>\n<h1 id="first">Buy the book</h1>\n${content}\n<p id="last">Order now</p>\n</body></html>\n`,
  'nobody.php': `${includeLine}\r\n<p id="first">A page without a body tag</p>\n`,
  'data.php': `${includeLine}<?php header('Content-Type: application/json'); ?>{"a": "<body>"}`,
  // A page that compresses its own output, with an old, common idiom.
  'gzip.php': `${includeLine}<?php ob_start('ob_gzhandler'); ?><!DOCTYPE html>\n<html><head><title>Zipped</title></head>
<body><h1 id="first">Buy the book</h1>\n${content}\n</body></html>\n`,
  // One that compresses by hand.
  'deflate.php': `${includeLine}<?php header('Content-Encoding: deflate'); echo gzcompress('<!DOCTYPE html><html><body><h1 id="first">Buy the book</h1></body></html>'); ?>`,
  'thanks.php': `<?php include 'stthanks.php'; ?><!DOCTYPE html>\n<html><body><h1>Thank you</h1></body></html>\n`,
  'next.html': '<!DOCTYPE html>\n<html><body><h1 id="next">The next page</h1></body></html>\n',
};

class Site {
  // The sales folder is the web root, or `folder` in it (a name as the seller chose it).
  // `database`: the options of tolvan generate that keep the offer in a database. `copyOf`: a
  // site whose folder, as generated, this one serves too, as a second web server with a disk of
  // its own would (the settings are that site's then).
  constructor(settings, { folder = '', database = [], copyOf = null } = {}) {
    this.root = fs.mkdtempSync(path.join(os.tmpdir(), 'hurrex-site-'));
    this.docRoot = path.join(this.root, 'www');
    this.web = path.join(this.docRoot, folder);
    this.folder = folder ? `${folder}/` : '';
    this.errorLog = path.join(this.root, 'php-error.log');
    this.accessLog = path.join(this.root, 'access.log');
    this.serverErrorLog = path.join(this.root, 'server-error.log');
    fs.chmodSync(this.root, 0o755);
    fs.mkdirSync(this.web, { recursive: true });
    fs.writeFileSync(this.errorLog, '');
    // Chromium asks for it with a page's first view; a 404 would be a console error.
    fs.writeFileSync(path.join(this.docRoot, 'favicon.ico'), '');
    if (copyOf) {
      fs.cpSync(copyOf.web, this.web, { recursive: true });
    } else {
      for (const [name, text] of Object.entries(pages)) this.write(name, text);
      generate(path.join(this.web, 'index.php'), settings, database);
    }
    this.giveToServer('.');
    this.giveToServer(this.errorLog);
  }

  // New settings: a stconfig1.php generated for them replaces the site's; the data files stay.
  configure(settings) {
    const scratch = fs.mkdtempSync(path.join(this.root, 'generate-'));
    const page = path.join(scratch, 'page.php');
    fs.writeFileSync(page, '');
    generate(page, settings);
    this.write('stconfig1.php', fs.readFileSync(path.join(scratch, 'stconfig1.php'), 'utf8'));
    fs.rmSync(scratch, { recursive: true });
  }

  // The visitor cookie's name, which the generator draws anew for every stconfig1.php.
  cookieName() { return /\$cookiename = "(hurrex\d+)";/.exec(this.read('stconfig1.php'))[1]; }

  // Writes a file of the site that the server may change.
  write(name, text) {
    fs.writeFileSync(path.join(this.web, name), text);
    this.giveToServer(name);
  }

  read(name) { return fs.readFileSync(path.join(this.web, name), 'utf8'); }

  // Lets the server's user own a file or folder of the site.
  giveToServer(name) {
    const target = path.isAbsolute(name) ? name : path.join(this.web, name);
    if (asRoot) {
      for (const p of [target].concat(fs.statSync(target).isDirectory()
        ? fs.readdirSync(target).map((f) => path.join(target, f)) : [])) {
        fs.chownSync(p, nobody, nobody);
      }
    }
  }

  // Takes a file or folder away from the server: it can read it, not write it.
  takeFromServer(name) {
    const target = path.join(this.web, name);
    if (asRoot) fs.chownSync(target, 0, 0);
    fs.chmodSync(target, fs.statSync(target).isDirectory() ? 0o755 : 0o644);
    if (!asRoot) fs.chmodSync(target, fs.statSync(target).isDirectory() ? 0o555 : 0o444);
  }

  log() { return fs.readFileSync(this.errorLog, 'utf8'); }
  clearLog() { fs.writeFileSync(this.errorLog, ''); }

  // A visitor cookie as the sales page gives it to a new visitor: "name=value".
  async visitorCookie() {
    const response = await fetch(this.url + 'index.php');
    await response.text();
    const cookie = response.headers.getSetCookie().find((c) => c.startsWith(this.cookieName() + '='));
    return cookie.split(';')[0];
  }

  // The offer as the bar's script asks for it: { copiesleft, secondsleft, open }, for a visitor
  // with `cookie` ("name=value") or a new one.
  async offer(cookie = '') {
    const response = await fetch(this.url + 'stiframe.php?format=json', { headers: { cookie } });
    assert.equal(response.status, 200, 'the offer\'s figures');
    return response.json();
  }

  // `n` buyers, each a new visitor of the sales page who then opens the thank-you page.
  async sell(n) {
    for (let i = 0; i < n; i++) {
      const response = await fetch(this.url + 'thanks.php', { headers: { cookie: await this.visitorCookie() } });
      assert.equal(response.status, 200, 'the thank-you page');
      await response.text();
    }
  }

  // The requests the server answered, from its own log: [status, method, path] each.
  served() {
    return [...fs.readFileSync(this.accessLog, 'utf8').matchAll(/\[(\d{3})\]: (\w+) (\S+)/g)]
      .map((m) => [Number(m[1]), m[2], m[3]]);
  }

  // Starts the site's web server on a free port of 127.0.0.1 and sets this.url to the sales
  // folder's address. `server`: 'php', 'apache' or 'nginx' (the default is Site.server).
  // `workers`: how many requests PHP runs at once, at least; 1 is exactly one PHP process, so
  // that each request meets what the ones before left in it, such as the database connections
  // PHP keeps. `ini`: more php.ini settings
  // ('name=value'), such as a host-wide output compression. `rewrites`: { '/address': '/page.php' },
  // addresses that the server rewrites internally to a script, as a host's rewrite rules do (the
  // script sees the address as REQUEST_URI and its own path as SCRIPT_NAME).
  async start({ server = Site.server, workers = 2, ini = [], rewrites = {} } = {}) {
    if (!servers[server]) throw new Error(`no web server named ${server}`);
    this.server = server;
    const port = await freePort();
    this.processes = [];
    await servers[server].call(this, port, {
      workers,
      rewrites,
      // PHP's messages both in the page and in the error log, where the tests look for them.
      ini: ['display_errors=1', 'display_startup_errors=1', 'error_reporting=-1', 'html_errors=0',
        'log_errors=1', `error_log=${this.errorLog}`, ...ini].map((setting) => {
        const at = setting.indexOf('=');
        return [setting.slice(0, at), setting.slice(at + 1)];
      }),
    });
    this.url = new URL(encodeURI(this.folder), `http://127.0.0.1:${port}/`).href;
    for (let i = 0; i < 200; i++) {
      if (await canConnect(port)) return this;
      const ended = this.processes.find((p) => p.exitCode !== null || p.signalCode !== null);
      if (ended) break;
      await sleep(50);
    }
    throw new Error(`${server} did not start: ${this.serverLog()}`);
  }

  // What the web server itself logged (start-up problems, a PHP worker's crash); PHP's own
  // messages are in log().
  serverLog() {
    return fs.existsSync(this.serverErrorLog) ? fs.readFileSync(this.serverErrorLog, 'utf8') : '';
  }

  async stop() {
    for (const child of (this.processes ?? []).reverse()) {
      if (child.exitCode === null && child.signalCode === null) {
        const exited = new Promise((r) => child.once('exit', r));
        process.kill(-child.pid, 'SIGTERM');
        await exited;
      }
    }
    this.processes = [];
    if (!asRoot) execFileSync('chmod', ['-R', 'u+w', this.root]);
    fs.rmSync(this.root, { recursive: true, force: true });
  }

  // A fresh browser profile folder, removed with the site; the same folder again is the same
  // profile, as after a restart of the browser.
  profile() { return fs.mkdtempSync(path.join(this.root, 'profile-')); }

  static async browser(profile, options = {}) {
    const context = await chromium.launchPersistentContext(profile, {
      executablePath: '/usr/bin/chromium',
      headless: true,
      args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
        '--disable-background-networking', '--disable-component-update', '--disable-sync'],
      ...options,
    });
    watchForPageErrors(context);
    return context;
  }
}

// Runs a web server's command in a process group of its own, so that stopping it stops its
// workers too.
Site.prototype.spawnServer = spawnServer;

// The web server of sites whose start() names none.
Site.server = process.env.HURREX_SERVER || 'php';

// Browsers whose pages' errors were not yet reported.
const watched = new Set();

// Collects every uncaught error and console error of the context's pages. Closing the context
// throws them; so does the end of each test for the contexts still open.
function watchForPageErrors(context) {
  const errors = [];
  const watch = (page) => {
    page.on('pageerror', (e) => errors.push(`${page.url()}: ${e.message}`));
    page.on('console', (m) => {
      if (m.type() === 'error') errors.push(`${page.url()}: console: ${m.text()}`);
    });
  };
  context.pages().forEach(watch);
  context.on('page', watch);
  context.pageErrors = () => errors.splice(0);
  watched.add(context);
  const close = context.close.bind(context);
  context.close = async (...args) => {
    watched.delete(context);
    await close(...args);
    assert.deepEqual(errors, [], 'errors in the browser\'s pages');
  };
}

afterEach(() => {
  const errors = [...watched].flatMap((context) => context.pageErrors());
  assert.deepEqual(errors, [], 'errors in the browser\'s pages');
});

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

function freePort() {
  return new Promise((resolve, reject) => {
    const probe = net.createServer();
    probe.on('error', reject);
    probe.listen(0, '127.0.0.1', () => {
      const { port } = probe.address();
      probe.close(() => resolve(port));
    });
  });
}

function canConnect(port) {
  return new Promise((resolve) => {
    const socket = net.connect(port, '127.0.0.1');
    socket.on('connect', () => { socket.destroy(); resolve(true); });
    socket.on('error', () => resolve(false));
  });
}

// What PHP puts into a page when it displays an error.
const phpMessage = /(Warning|Notice|Deprecated|Fatal error|Parse error|Uncaught)\b/;

module.exports = { Site, offerExpire, now, phpMessage, freePort, canConnect };
