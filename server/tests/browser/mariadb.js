// Test fixture: a MariaDB server of the test's own, never the system's service: a new data folder,
// socket and free loopback port under a temporary folder, one database and a user whose password
// holds every character that quoting could get wrong. It can be stopped and started again on the
// same data, and is removed with destroy().
'use strict';
const { execFileSync, spawn } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const { canConnect, freePort } = require('./site');

const asRoot = process.getuid() === 0;

class MariaDb {
  constructor() {
    this.root = fs.mkdtempSync(path.join(os.tmpdir(), 'hurrex-mariadb-'));
    this.data = path.join(this.root, 'data');
    this.socket = path.join(this.root, 'mariadb.sock');
    this.database = 'shop';
    this.user = 'seller';
    this.password = 'it\'s "$ecret" \\ ;-- <?php';
  }

  static async create() {
    const db = new MariaDb();
    execFileSync('mariadb-install-db', ['--no-defaults', `--datadir=${db.data}`,
      '--auth-root-authentication-method=normal', '--skip-test-db',
      ...(asRoot ? ['--user=root'] : [])], { stdio: 'ignore' });
    db.port = await freePort();
    await db.start();
    const quoted = db.password.replace(/[\\']/g, (c) => `\\${c}`);
    db.sql(`CREATE DATABASE ${db.database}; CREATE USER '${db.user}'@'127.0.0.1' IDENTIFIED BY `
      + `'${quoted}'; GRANT ALL ON ${db.database}.* TO '${db.user}'@'127.0.0.1';`);
    return db;
  }

  // The options of `tolvan generate` for an offer under `key` in this database.
  generateOptions(key) {
    return ['--database', `mysql:host=127.0.0.1;port=${this.port};dbname=${this.database}`,
      '--database-user', this.user, '--database-password', this.password, '--database-key', key];
  }

  async start() {
    const log = fs.openSync(path.join(this.root, 'mariadb.log'), 'a');
    // Durability is not under test: commits need not wait for the disk.
    this.server = spawn('mariadbd', ['--no-defaults', `--datadir=${this.data}`,
      `--socket=${this.socket}`, `--port=${this.port}`, '--bind-address=127.0.0.1',
      '--skip-name-resolve', '--innodb-buffer-pool-size=32M', '--innodb-flush-log-at-trx-commit=2',
      '--max-connections=500', ...(asRoot ? ['--user=root'] : [])],
    { stdio: ['ignore', log, log] });
    fs.closeSync(log);
    for (let i = 0; i < 300; i++) {
      if (this.server.exitCode !== null) break;
      if (await canConnect(this.port)) return;
      await new Promise((r) => setTimeout(r, 50));
    }
    throw new Error(`MariaDB did not start: ${fs.readFileSync(path.join(this.root, 'mariadb.log'), 'utf8')}`);
  }

  async stop() {
    if (!this.server || this.server.exitCode !== null) return;
    const exited = new Promise((r) => this.server.once('exit', r));
    this.server.kill('SIGTERM');
    await exited;
  }

  // Runs SQL as the database's root and returns what it prints, tab-separated without headings.
  sql(text) {
    return execFileSync('mariadb', ['--no-defaults', `--socket=${this.socket}`, '-uroot', '-N', '-B',
      '-e', text]).toString();
  }

  // The count of the offer `key`, or null when the database has no row for it.
  sold(key) {
    const out = this.sql(`SELECT sold FROM ${this.database}.hurrex_offers WHERE offer = '${key}'`).trim();
    return out === '' ? null : Number(out);
  }

  async destroy() {
    await this.stop();
    fs.rmSync(this.root, { recursive: true, force: true });
  }
}

module.exports = { MariaDb };
