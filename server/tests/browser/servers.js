// The web servers that serve the package in the browser suites and in bench/server-bench, each
// started from a configuration of its own written into a folder of the caller's:
//   php     PHP's built-in server;
//   apache  Apache 2.4 with mod_php (prefork), mod_deflate for HTML, opcache, AllowOverride All;
//   nginx   nginx with gzip on, in front of PHP-FPM (pm dynamic) on a socket.
// servers[name].call(host, port, { workers, ini, rewrites }) starts one for `host`, an object
// with root (the folder for the configuration), docRoot, serverErrorLog, accessLog, processes
// (the started processes are pushed there, each the leader of a process group of its own) and
// spawnServer (this module's). `workers`: how many requests PHP runs at once, at least; 1 gives
// exactly one PHP process. As root, the PHP workers run as nobody.
//
// From a shell, for the bench:
//   node servers.js php|apache|nginx DOCROOT FOLDER PORT [name=value of php.ini ...]
// starts that server with its logs in FOLDER, prints "groups" and the process group of each of
// its processes on one line, and stops them all on SIGTERM or SIGINT.
'use strict';
const { spawn } = require('node:child_process');
const fs = require('node:fs');
const path = require('node:path');

const asRoot = process.getuid() === 0;

const sleep = (ms) => new Promise((r) => setTimeout(r, ms));

// Runs `command` in a process group of its own, so that stopping it stops its workers too.
function spawnServer(command, env = {}) {
  const log = fs.openSync(this.serverErrorLog, 'a');
  const child = spawn(command[0], command.slice(1), {
    stdio: ['ignore', log, log], detached: true, env: { ...process.env, ...env },
  });
  fs.closeSync(log);
  this.processes.push(child);
  return child;
}

// A text as a PCRE pattern that matches just it.
const literally = (text) => text.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');

// The web servers, each started from a configuration of its own in the site's folder, called
// with the site as `this`. Every one writes its access log as "[status]: request line", which
// served() reads, and sends PHP's messages to the site's error log.
const servers = {
  // PHP's built-in server, `workers` processes.
  async php(port, { workers, ini, rewrites }) {
    const command = ['php', '-S', `127.0.0.1:${port}`, '-t', this.docRoot,
      // The tests rewrite stconfig1.php within a second; no cached copy may hide that.
      '-d', 'opcache.enable=0', ...ini.flatMap(([name, value]) => ['-d', `${name}=${value}`])];
    if (Object.keys(rewrites).length > 0) {
      const router = path.join(this.root, 'router.php');
      fs.writeFileSync(router, `<?php
$rewrites = json_decode(${phpString(JSON.stringify(rewrites))}, true);
$address = parse_url($_SERVER['REQUEST_URI'], PHP_URL_PATH);
if (!isset($rewrites[$address])) return false;
$script = $rewrites[$address];
$_SERVER['SCRIPT_FILENAME'] = ${phpString(this.docRoot)} . $script;
$_SERVER['SCRIPT_NAME'] = $_SERVER['PHP_SELF'] = $script;
chdir(dirname($_SERVER['SCRIPT_FILENAME']));
require $_SERVER['SCRIPT_FILENAME'];
`);
      command.push(router);
    }
    // The built-in server logs each request on its standard error.
    const log = fs.openSync(this.accessLog, 'a');
    const child = spawn(...asServer(command), {
      stdio: ['ignore', 'ignore', log], detached: true,
      env: { ...process.env, PHP_CLI_SERVER_WORKERS: String(workers) },
    });
    fs.closeSync(log);
    this.processes.push(child);
  },

  // Apache 2.4 with mod_php in its prefork processes, as a shared host runs it: HTML compressed
  // by mod_deflate, opcache on, .htaccess files obeyed.
  async apache(port, { workers, ini, rewrites }) {
    const modules = ['mpm_prefork', 'authz_core', 'dir', 'mime', 'filter', 'deflate', 'rewrite',
      'setenvif', 'headers'];
    const run = path.join(this.root, 'apache');
    fs.mkdirSync(run);
    const conf = [
      `ServerRoot ${run}`,
      'ServerName 127.0.0.1',
      `Listen 127.0.0.1:${port}`,
      `PidFile ${run}/apache.pid`,
      `DefaultRuntimeDir ${run}`,
      `ErrorLog ${this.serverErrorLog}`,
      'LogLevel warn',
      ...modules.map((m) => `LoadModule ${m}_module /usr/lib/apache2/modules/mod_${m}.so`),
      'LoadModule php_module /usr/lib/apache2/modules/libphp8.2.so',
      ...(asRoot ? ['User nobody', 'Group nogroup'] : []),
      ...(workers === 1 ? ['StartServers 1', 'MinSpareServers 1', 'MaxSpareServers 1',
        'ServerLimit 1', 'MaxRequestWorkers 1']
        : ['StartServers 2', 'MinSpareServers 2', 'MaxSpareServers 8',
          `ServerLimit ${Math.max(workers, 40)}`, `MaxRequestWorkers ${Math.max(workers, 40)}`]),
      // A prefork process waits on an idle connection that long: short, as on a busy host, so
      // that a burst of clients that keep their connections open is not served 40 at a time.
      'KeepAlive On', 'KeepAliveTimeout 1',
      'TypesConfig /etc/mime.types',
      'LogFormat "[%>s]: %r" served',
      `CustomLog ${this.accessLog} served`,
      `DocumentRoot ${this.docRoot}`,
      'DirectoryIndex index.php index.html',
      '<Directory />', '  AllowOverride None', '  Require all denied', '</Directory>',
      `<Directory ${this.docRoot}>`, '  Options FollowSymLinks', '  AllowOverride All',
      '  Require all granted', '</Directory>',
      '<FilesMatch ".+\\.ph(?:ar|p|tml)$">', '  SetHandler application/x-httpd-php', '</FilesMatch>',
      'AddOutputFilterByType DEFLATE text/html text/plain text/css text/javascript application/javascript application/json',
      ...phpSettings(ini).map(([name, value]) => `php_admin_value ${name} "${value}"`),
      ...(Object.keys(rewrites).length > 0 ? ['RewriteEngine On'] : []),
      ...Object.entries(rewrites).map(([from, to]) => `RewriteRule ^${literally(from)}$ ${to} [L]`),
    ];
    const file = path.join(run, 'apache2.conf');
    fs.writeFileSync(file, conf.join('\n') + '\n');
    this.spawnServer(['/usr/sbin/apache2', '-f', file, '-DFOREGROUND']);
  },

  // nginx in front of PHP-FPM on a socket of the site's, gzip on, pm dynamic.
  async nginx(port, { workers, ini, rewrites }) {
    const run = path.join(this.root, 'nginx');
    fs.mkdirSync(run);
    const socket = path.join(run, 'php-fpm.sock');
    const user = asRoot ? ['user = nobody', 'group = nogroup', 'listen.owner = nobody',
      'listen.group = nogroup', 'listen.mode = 0660'] : ['listen.mode = 0666'];
    const fpm = [
      '[global]', `pid = ${run}/php-fpm.pid`, `error_log = ${this.serverErrorLog}`,
      'daemonize = no',
      '[site]', ...user, `listen = ${socket}`,
      'pm = dynamic',
      ...(workers === 1 ? ['pm.max_children = 1', 'pm.start_servers = 1',
        'pm.min_spare_servers = 1', 'pm.max_spare_servers = 1']
        : [`pm.max_children = ${Math.max(workers, 8)}`, 'pm.start_servers = 2',
          'pm.min_spare_servers = 1', 'pm.max_spare_servers = 4']),
      ...phpSettings(ini).map(([name, value]) => `php_admin_value[${name}] = "${value}"`),
    ];
    fs.writeFileSync(path.join(run, 'php-fpm.conf'), fpm.join('\n') + '\n');
    this.spawnServer(['/usr/sbin/php-fpm8.2', '-y', path.join(run, 'php-fpm.conf'), '-F']);
    for (let i = 0; i < 200 && !fs.existsSync(socket); i++) await sleep(25);

    for (const temp of ['body', 'fastcgi', 'proxy', 'scgi', 'uwsgi']) fs.mkdirSync(path.join(run, temp));
    const conf = [
      ...(asRoot ? ['user nobody nogroup;'] : []),
      'worker_processes 2;', `pid ${run}/nginx.pid;`, `error_log ${this.serverErrorLog} warn;`,
      'events { worker_connections 1024; }',
      'http {',
      '  include /etc/nginx/mime.types;', '  default_type application/octet-stream;',
      "  log_format served '[$status]: $request';", `  access_log ${this.accessLog} served;`,
      ...['body', 'fastcgi', 'proxy', 'scgi', 'uwsgi'].map((t) => `  ${t === 'body' ? 'client_body' : t}_temp_path ${run}/${t};`),
      '  gzip on;', '  gzip_types text/plain text/css text/javascript application/javascript application/json;',
      '  server {',
      `    listen 127.0.0.1:${port};`, '    server_name 127.0.0.1;',
      `    root ${this.docRoot};`, '    index index.php index.html;',
      ...Object.entries(rewrites).map(([from, to]) => `    location = ${from} { rewrite ^ ${to} last; }`),
      '    location ~ [^/]\\.php(/|$) {',
      '      fastcgi_split_path_info ^(.+?\\.php)(/.*)$;',
      '      try_files $fastcgi_script_name =404;',
      '      set $path_info $fastcgi_path_info;',
      '      fastcgi_param PATH_INFO $path_info;',
      '      fastcgi_index index.php;',
      '      include /etc/nginx/fastcgi.conf;',
      `      fastcgi_pass unix:${socket};`,
      '    }',
      '  }',
      '}',
    ];
    fs.writeFileSync(path.join(run, 'nginx.conf'), conf.join('\n') + '\n');
    this.spawnServer(['/usr/sbin/nginx', '-c', path.join(run, 'nginx.conf'), '-p', run,
      '-g', 'daemon off;']);
  },
};

// PHP's settings under a web server: the tests' own, and opcache as hosts run it, but checking
// every request whether a script changed, since the tests rewrite stconfig1.php often.
function phpSettings(ini) {
  return [['opcache.validate_timestamps', '1'],
    ['opcache.revalidate_freq', '0'], ...ini];
}

// A text as a PHP string literal.
function phpString(text) {
  return `'${text.replace(/[\\']/g, (c) => `\\${c}`)}'`;
}

// The command and its arguments for spawn(): as nobody when the tests run as root.
function asServer(command) {
  const full = asRoot ? ['setpriv', '--reuid=nobody', '--regid=nogroup', '--clear-groups', ...command]
    : command;
  return [full[0], full.slice(1)];
}

async function main([server, docRoot, folder, port, ...ini]) {
  if (!servers[server] || !docRoot || !folder || !port) {
    throw new Error('usage: node servers.js php|apache|nginx DOCROOT FOLDER PORT [name=value ...]');
  }
  const host = {
    root: folder, docRoot, processes: [], spawnServer,
    serverErrorLog: path.join(folder, 'server-error.log'), accessLog: path.join(folder, 'access.log'),
  };
  const stop = () => {
    for (const child of host.processes.reverse()) {
      try { process.kill(-child.pid, 'SIGTERM'); } catch { /* gone already */ }
    }
    process.exit(0);
  };
  process.on('SIGTERM', stop);
  process.on('SIGINT', stop);
  await servers[server].call(host, Number(port), {
    workers: 2, rewrites: {},
    ini: ini.map((s) => [s.slice(0, s.indexOf('=')), s.slice(s.indexOf('=') + 1)]),
  });
  process.stdout.write(`groups ${host.processes.map((p) => p.pid).join(' ')}\n`);
}

if (require.main === module) {
  main(process.argv.slice(2)).catch((e) => {
    console.error(e.message);
    process.exit(1);
  });
}

module.exports = { servers, spawnServer };
