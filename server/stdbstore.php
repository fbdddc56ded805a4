<?php
// The offer's state in a database that several web servers share: the sales count, the
// remembered visitors and the package secret. stmain.php loads this file only when
// stdatabase.php, the connection settings that the tool writes, lies beside it.
//
// While the database cannot be reached the sales page renders without the copies-left figure,
// and each sale waits in this server's spool file until a later request finds the database
// again. Every sale carries an id that the database keeps, so a sale is added once whatever
// fails in between. Problems go to PHP's error log, never into a page.

final class HurrexDatabase implements HurrexStore
{
    // This server's copy of the offer's secret, read from the database once.
    const SECRET_FILE = 'stdbsecret.php';
    // Sales made while the database could not be reached; a .php name, so never served as text.
    const SPOOL_FILE = 'stdbspool.php';
    const SPOOL_HEAD = "<?php exit; ?>\n";
    // Touched when the database cannot be reached, so that pages do not wait for it again and
    // again; it is tried anew RETRY_SECONDS later.
    const DOWN_FILE = 'stdbdown.php';
    const RETRY_SECONDS = 2;
    const CONNECT_SECONDS = 2;
    // The name under which the PHP worker keeps the package's connection for its next requests.
    // PHP tells kept connections apart by DSN, user and password alone, not by the options they
    // were made with: without a name of its own the package would be handed a connection that
    // another script of the seller's made to the same database with other options, such as
    // multiple statements turned off, and every sale on that worker would fail until it restarts.
    // A build that changes the options of the connection must change this name too. It must not
    // read as a number, or PHP takes it for a plain "yes".
    const KEPT_CONNECTION = 'hurrex-multi-1';
    // How long the ids of counted buyers are kept: a thank-you page opened again within it
    // counts nothing more.
    const SALE_DAYS = 400;

    const TABLES = [
        'hurrex_offers' => 'CREATE TABLE IF NOT EXISTS hurrex_offers (
            offer VARCHAR(64) CHARACTER SET ascii NOT NULL PRIMARY KEY,
            sold BIGINT NOT NULL,
            secret CHAR(64) CHARACTER SET ascii NOT NULL) ENGINE=InnoDB',
        'hurrex_visitors' => 'CREATE TABLE IF NOT EXISTS hurrex_visitors (
            offer VARCHAR(64) CHARACTER SET ascii NOT NULL,
            visitor CHAR(32) CHARACTER SET ascii NOT NULL,
            seen BIGINT NOT NULL,
            PRIMARY KEY (offer, visitor),
            KEY by_age (offer, seen)) ENGINE=InnoDB',
        'hurrex_sales' => 'CREATE TABLE IF NOT EXISTS hurrex_sales (
            offer VARCHAR(64) CHARACTER SET ascii NOT NULL,
            sale CHAR(32) CHARACTER SET ascii NOT NULL,
            counted BIGINT NOT NULL,
            PRIMARY KEY (offer, sale),
            KEY by_age (offer, counted)) ENGINE=InnoDB',
    ];

    private $folder;
    private $settings;  // dsn, user, password, key; null when stdatabase.php is unusable
    private $unreadable;  // whether the web server may not read stdatabase.php
    private $pdo = null;  // false once this request found the database unreachable

    private function __construct($folder, $settings, $unreadable = false)
    {
        $this->folder = $folder;
        $this->settings = $settings;
        $this->unreadable = $unreadable;
    }

    // The database that the settings file in $folder names. Unusable settings are logged; the
    // database then counts as unreachable.
    public static function open($folder)
    {
        $file = $folder . '/' . Hurrex::DATABASE_FILE;
        $settings = @include $file;
        if ($settings === false && !is_readable($file)) {
            Hurrex::log($file . ' cannot be read by the web server; sales wait in '
                . self::SPOOL_FILE . ' until it can');
            return new self($folder, null, true);
        }
        $valid = is_array($settings) && isset($settings['dsn'], $settings['key'])
            && is_string($settings['dsn']) && strncmp($settings['dsn'], 'mysql:', 6) === 0
            && is_string($settings['key']) && preg_match('/^[A-Za-z0-9_.-]{1,64}$/', $settings['key'])
            && (!isset($settings['user']) || is_string($settings['user']))
            && (!isset($settings['password']) || is_string($settings['password']));
        if (!$valid) {
            Hurrex::log($file . ' does not return a mysql: DSN and an offer key; sales wait in '
                . self::SPOOL_FILE . ' until it does');
            return new self($folder, null);
        }
        return new self($folder, $settings + ['user' => null, 'password' => null]);
    }

    // ---- the offer ----

    // The copies sold so far; null while the database cannot be read.
    public function sold(array $cfg)
    {
        return $this->attempt(function (PDO $pdo) {
            $sold = $this->offerValue($pdo, 'sold');
            return $sold === null ? null : (int)$sold;
        }, null);
    }

    // The secret that signs visitor cookies and hashes addresses, the same on every server: made
    // once in the database and kept in a PHP file beside the package. Until the database can be
    // read, one derived from stdatabase.php, which every server holds alike.
    public function secret()
    {
        $file = $this->folder . '/' . self::SECRET_FILE;
        $kept = @include $file;
        $fingerprint = $this->fingerprint();
        if (is_array($kept) && isset($kept['for'], $kept['secret']) && $kept['for'] === $fingerprint
            && is_string($kept['secret']) && preg_match(Hurrex::SECRET, $kept['secret']) === 1) {
            return $kept['secret'];
        }
        $secret = $this->attempt(function (PDO $pdo) {
            return $this->offerValue($pdo, 'secret');
        }, null);
        if (is_string($secret) && preg_match(Hurrex::SECRET, $secret) === 1) {
            $this->keepSecret($file, ['for' => $fingerprint, 'secret' => $secret]);
            return $secret;
        }
        if ($this->settings === null) {
            // Nothing of the settings can be read to derive one from, and a secret derived
            // from nothing could be computed by anyone: this server's own serves meanwhile.
            Hurrex::log('without readable database settings this server\'s own secret serves');
            return (new HurrexFileStore($this->folder))->secret();
        }
        Hurrex::log('the secret cannot be read from the database; one derived from '
            . Hurrex::DATABASE_FILE . ' serves meanwhile');
        return hash('sha256', 'hurrex database secret|' . $this->settings['dsn'] . '|'
            . $this->settings['user'] . '|' . $this->settings['password'] . '|' . $this->key());
    }

    // The first view remembered for the visitor $key, or $first when it is earlier or none is;
    // with $remember the earlier of the two is stored, at most $limit visitors kept.
    public function firstView(array $cfg, $key, $first, $remember)
    {
        $limit = $cfg['maxiplen'];
        return $this->attempt(function (PDO $pdo) use ($key, $first, $remember, $limit) {
            $known = $this->run($pdo, 'SELECT seen FROM hurrex_visitors WHERE offer = ? AND '
                . 'visitor = ?', [$this->key(), $key])->fetchColumn();
            if ($known !== false && (int)$known <= $first) {
                return (int)$known;
            }
            if ($remember) {
                $stored = $this->run($pdo, 'INSERT INTO hurrex_visitors (offer, visitor, seen) '
                    . 'VALUES (?, ?, ?) ON DUPLICATE KEY UPDATE seen = LEAST(seen, ?)',
                    [$this->key(), $key, $first, $first]);
                $this->keepAtMost($pdo, $stored->rowCount() === 1, $limit);
            }
            return $first;
        }, $first);
    }

    // A sale that cannot reach the database waits in the spool file; false, logged, when it
    // could not be kept at all. Without the database the address goes unchecked.
    // The buyer's id is the sale's: the database adds a sale whose id it holds no more than once.
    public function countSale(array $cfg, $buyer, $key, $now)
    {
        $seconds = Hurrex::SOLD_MARK_SECONDS;
        $limit = $cfg['maxiplen'];
        // One look tells whether the buyer was counted already and whether the offer's row is
        // there for the count to grow in.
        $state = $this->attempt(function (PDO $pdo) use ($buyer) {
            return $this->run($pdo, 'SELECT (SELECT 1 FROM hurrex_sales WHERE offer = ? AND '
                . 'sale = ?), (SELECT 1 FROM hurrex_offers WHERE offer = ?)',
                [$this->key(), $buyer, $this->key()])->fetch(PDO::FETCH_NUM);
        }, false);
        if ($state !== false && $state[0] !== null) {
            return false;
        }
        if ($key !== null) {
            // One statement marks the address and tells whether it was marked already, so two
            // servers cannot both count it. Without the database the address goes unchecked.
            $marked = $this->attempt(function (PDO $pdo) use ($key, $now, $seconds, $limit) {
                $mark = $this->run($pdo, 'INSERT INTO hurrex_visitors (offer, visitor, seen) '
                    . 'VALUES (?, ?, ?) ON DUPLICATE KEY UPDATE seen = IF(seen > ? AND seen <= ?, '
                    . 'seen, ?)', [$this->key(), $key, $now, $now - $seconds, $now, $now]);
                $this->keepAtMost($pdo, $mark->rowCount() === 1, $limit);
                return $mark->rowCount() > 0;
            }, true);
            if (!$marked) {
                return false;
            }
        }
        $sale = [$buyer, $now];
        $added = $this->attempt(function (PDO $pdo) use ($sale, $state) {
            if ($state !== false && $state[1] !== null) {
                $this->addSale($pdo, $sale);
            } else {
                $this->addSales($pdo, [$sale]);
            }
            return true;
        }, false);
        if ($added || $this->spool($sale)) {
            return true;
        }
        Hurrex::log('a sale was not counted at ' . gmdate('Y-m-d H:i:s', $now) . ' UTC');
        return false;
    }

    // ---- the set-up pages ----

    // The set-up pages' rows, each [what, fine, text]; with $prepare the tables are made, the
    // spool file too, and the settings file is made readable by its owner alone where PHP may.
    public function report(array $cfg, $prepare)
    {
        return Hurrex::guarded(function () use ($prepare) {
            $settingsFile = $this->folder . '/' . Hurrex::DATABASE_FILE;
            return [['database settings (' . Hurrex::DATABASE_FILE . ')', $this->settings !== null,
                $this->unreadable ? 'cannot be read by the web server: let it read the file '
                . '(permissions 644 with your FTP program, or ask your host to run PHP as your '
                . 'own user); meanwhile sales wait in ' . self::SPOOL_FILE
                : ($this->settings === null ? 'do not name a mysql: database and an offer key: '
                . 'generate the package again with the database options' : 'name offer '
                . $this->key() . '; ' . $this->settingsAccess($settingsFile, $prepare))],
                $this->tablesReport($prepare), $this->spoolReport($prepare)];
        }, [['database', false, 'could not be checked (see the PHP error log)']]);
    }

    private function settingsAccess($file, $prepare)
    {
        $mode = @fileperms($file);
        if ($mode !== false && ($mode & 0077) !== 0 && $prepare) {
            $tightened = @chmod($file, 0600);
            clearstatcache(true, $file);
            if ($tightened && is_readable($file)) {
                return 'made readable by its owner alone';
            }
            @chmod($file, $mode & 0777);
        }
        clearstatcache(true, $file);
        $mode = @fileperms($file);
        return $mode !== false && ($mode & 0077) !== 0
            ? 'other users of the host may read it: where the host runs PHP as your own user, set '
                . 'its permissions to 600 with your FTP program (the web server never sends it)'
            : 'readable by its owner alone';
    }

    private function tablesReport($prepare)
    {
        $what = 'database';
        if (!extension_loaded('pdo_mysql')) {
            return [$what, false, 'cannot be used: PHP\'s pdo_mysql extension is missing; ask '
                . 'your host to enable it'];
        }
        return $this->attempt(function (PDO $pdo) use ($what, $prepare) {
            $missing = [];
            foreach (array_keys(self::TABLES) as $table) {
                try {
                    $pdo->query('SELECT 1 FROM ' . $table . ' LIMIT 0');
                } catch (PDOException $e) {
                    $missing[] = $table;
                }
            }
            if (!$missing) {
                return [$what, true, 'is reachable and its tables are ready'];
            }
            if ($prepare) {
                $this->createTables($pdo);
                return [$what, true, 'is reachable; its tables were made'];
            }
            return [$what, true, 'is reachable; its tables (' . implode(', ', $missing)
                . ') are made on first use or by stchmod.php'];
        }, [$what, false, 'cannot be reached (the PHP error log says why); meanwhile pages show '
            . 'no copies-left figure and sales wait in ' . self::SPOOL_FILE], true);
    }

    private function spoolReport($prepare)
    {
        $path = $this->folder . '/' . self::SPOOL_FILE;
        $what = 'spool (' . self::SPOOL_FILE . ')';
        if (!file_exists($path) && $prepare && is_writable($this->folder)) {
            @file_put_contents($path, self::SPOOL_HEAD);
        }
        if (!file_exists($path)) {
            return is_writable($this->folder) ? [$what, true, 'is made when a sale must wait']
                : [$what, false, 'cannot be made because the web server cannot write to this '
                    . 'folder: open stchmod.php after letting it write here'];
        }
        if (!is_writable($path)) {
            return [$what, false, 'is not writable by the web server: set its permissions to '
                . '666 with your FTP program'];
        }
        $waiting = count($this->spooledSales((string)@file_get_contents($path)));
        return [$what, true, $waiting === 0 ? 'is writable; no sale waits'
            : 'is writable; ' . $waiting . ' sales wait for the database'];
    }

    // ---- the connection ----

    private function key()
    {
        return $this->settings['key'];
    }

    // Identifies the database and offer the kept secret belongs to.
    private function fingerprint()
    {
        return hash('sha256', $this->settings === null ? '' : $this->settings['dsn'] . '|'
            . $this->key());
    }

    // Runs $work with the connection and returns its result; $fallback when the database
    // cannot be reached or a statement fails (logged). $now tries even within the pause after a
    // failure.
    private function attempt(callable $work, $fallback, $now = false)
    {
        $pdo = $this->connection($now);
        if ($pdo === null) {
            return $fallback;
        }
        try {
            return $work($pdo);
        } catch (PDOException $e) {
            Hurrex::log('the database failed: ' . $e->getMessage());
            return $fallback;
        }
    }

    private function connection($now)
    {
        if ($this->pdo !== null && ($this->pdo !== false || !$now)) {
            return $this->pdo === false ? null : $this->pdo;
        }
        $this->pdo = false;
        if ($this->settings === null) {
            return null;
        }
        $down = $this->folder . '/' . self::DOWN_FILE;
        $failed = @filemtime($down);
        $time = time();
        if (!$now && $failed !== false && $failed <= $time && $time - $failed < self::RETRY_SECONDS) {
            return null;
        }
        if (!extension_loaded('pdo_mysql')) {
            Hurrex::log('PHP\'s pdo_mysql extension is missing, so the database cannot be used');
            return null;
        }
        // The connection is kept by the PHP worker for its next requests: a new one costs the
        // database more than the view itself. PDO checks a kept one before handing it out and
        // connects anew when the database dropped it; a transaction that a request left open is
        // rolled back at its end. A connection that drops during a statement fails that
        // statement, and a sale it was adding waits in the spool file as in an outage.
        // Statements are sent with their values quoted by PDO, each in one round trip, where one
        // the database prepares takes two and a third message to close it.
        try {
            $pdo = new PDO($this->settings['dsn'], $this->settings['user'],
                $this->settings['password'], [PDO::ATTR_ERRMODE => PDO::ERRMODE_EXCEPTION,
                PDO::ATTR_EMULATE_PREPARES => true, PDO::MYSQL_ATTR_MULTI_STATEMENTS => true,
                PDO::ATTR_TIMEOUT => self::CONNECT_SECONDS,
                PDO::ATTR_PERSISTENT => self::KEPT_CONNECTION]);
        } catch (PDOException $e) {
            Hurrex::log('the database cannot be reached: ' . $e->getMessage());
            @touch($down);
            return null;
        }
        if ($failed !== false) {
            @unlink($down);
        }
        $this->pdo = $pdo;
        $this->addSpooledSales($pdo);
        return $pdo;
    }

    private static function execute(PDOStatement $statement, array $values)
    {
        foreach (array_values($values) as $i => $value) {
            $statement->bindValue($i + 1, $value, is_int($value) ? PDO::PARAM_INT : PDO::PARAM_STR);
        }
        $statement->execute();
        return $statement;
    }

    // Runs a statement, or several separated by semicolons, in one round trip; when a table is
    // missing they are made and it runs again, outside a transaction only: making a table would
    // end one.
    private function run(PDO $pdo, $sql, array $values)
    {
        try {
            return self::execute($pdo->prepare($sql), $values);
        } catch (PDOException $e) {
            if ($e->getCode() !== '42S02' || $pdo->inTransaction()) {
                throw $e;
            }
            $this->createTables($pdo);
            return self::execute($pdo->prepare($sql), $values);
        }
    }

    // Runs $work in a transaction and commits it; rolls it back when anything fails. When a table
    // is missing they are made and $work runs again in a new one.
    private function transaction(PDO $pdo, callable $work)
    {
        for ($tries = 2;; $tries--) {
            try {
                $pdo->beginTransaction();
                $work();
                $pdo->commit();
                return;
            } catch (Throwable $e) {
                self::rollBack($pdo);
                if (!($e instanceof PDOException) || $e->getCode() !== '42S02' || $tries === 1) {
                    throw $e;
                }
                $this->createTables($pdo);
            }
        }
    }

    // Ends the transaction that the connection is in, if any; a connection that dropped has none.
    private static function rollBack(PDO $pdo)
    {
        try {
            if ($pdo->inTransaction()) {
                $pdo->rollBack();
            }
        } catch (PDOException $e) {
        }
    }

    private function createTables(PDO $pdo)
    {
        foreach (self::TABLES as $sql) {
            $pdo->exec($sql);
        }
    }

    // A column of the offer's row, the row made first when it is missing.
    private function offerValue(PDO $pdo, $column)
    {
        $sql = 'SELECT ' . $column . ' FROM hurrex_offers WHERE offer = ?';
        $value = $this->run($pdo, $sql, [$this->key()])->fetchColumn();
        if ($value !== false) {
            return $value;
        }
        $this->makeOffer($pdo, 0);
        $value = $this->run($pdo, $sql, [$this->key()])->fetchColumn();
        return $value === false ? null : $value;
    }

    // Makes the offer's row unless another request did: a new secret, and the count of the
    // sales file of the server that gets there first plus $sold, so that a package moving from
    // its files to the database keeps its count. Whether this request made it.
    private function makeOffer(PDO $pdo, $sold)
    {
        return $this->run($pdo, 'INSERT IGNORE INTO hurrex_offers (offer, sold, secret) VALUES '
            . '(?, ?, ?)', [$this->key(), $this->filesCount() + $sold, bin2hex(random_bytes(32))])
            ->rowCount() === 1;
    }

    private function filesCount()
    {
        $cfg = Hurrex::loadConfig();
        return (new HurrexFileStore($this->folder))
            ->sold($cfg === null ? Hurrex::defaults() : $cfg);
    }

    // Drops the oldest remembered visitors beyond $limit after one was $added.
    private function keepAtMost(PDO $pdo, $added, $limit)
    {
        if (!$added) {
            return;
        }
        $count = (int)$this->run($pdo, 'SELECT COUNT(*) FROM hurrex_visitors WHERE offer = ?',
            [$this->key()])->fetchColumn();
        if ($count > $limit) {
            $this->run($pdo, 'DELETE FROM hurrex_visitors WHERE offer = ? ORDER BY seen LIMIT ?',
                [$this->key(), $count - $limit]);
        }
    }

    // Adds the sales [id, time] whose ids the database has not seen, in one transaction: the
    // ids are kept with the offer, and the count grows by those new to it.
    private function addSales(PDO $pdo, array $sales)
    {
        $this->transaction($pdo, function () use ($pdo, $sales) {
            $added = 0;
            foreach ($sales as list($id, $time)) {
                $added += $this->run($pdo, 'INSERT IGNORE INTO hurrex_sales (offer, sale, counted) '
                    . 'VALUES (?, ?, ?)', [$this->key(), $id, $time])->rowCount();
            }
            $count = 'UPDATE hurrex_offers SET sold = sold + ? WHERE offer = ?';
            if ($added > 0 && $this->run($pdo, $count, [$added, $this->key()])->rowCount() === 0
                && !$this->makeOffer($pdo, $added)) {
                $this->run($pdo, $count, [$added, $this->key()]);
            }
        });
        $this->forgetOldSales($pdo);
    }

    // Adds one sale [id, time] to an offer whose row is there, all in one round trip: the id
    // is kept and the count grows by one when the id is new to the database, in one transaction
    // that either ends with both or is rolled back.
    private function addSale(PDO $pdo, array $sale)
    {
        try {
            $statements = $this->run($pdo, 'START TRANSACTION; INSERT IGNORE INTO hurrex_sales '
                . '(offer, sale, counted) VALUES (?, ?, ?); UPDATE hurrex_offers SET sold = sold '
                . '+ ROW_COUNT() WHERE offer = ?; COMMIT',
                [$this->key(), $sale[0], $sale[1], $this->key()]);
            // Each statement's answer; one that failed stopped those after it.
            while ($statements->nextRowset()) {
            }
        } catch (Throwable $e) {
            self::rollBack($pdo);
            throw $e;
        }
        $this->forgetOldSales($pdo);
    }

    // Now and then drops the ids of sales counted longer ago than anyone reopens a thank-you page.
    private function forgetOldSales(PDO $pdo)
    {
        if (random_int(0, 99) === 0) {
            $this->run($pdo, 'DELETE FROM hurrex_sales WHERE offer = ? AND counted < ?',
                [$this->key(), time() - self::SALE_DAYS * 86400]);
        }
    }

    // ---- the spool ----

    // Keeps a sale [id, time] in the spool file until the database is back.
    private function spool(array $sale)
    {
        $path = $this->folder . '/' . self::SPOOL_FILE;
        $file = @fopen($path, 'c+');
        if ($file === false) {
            Hurrex::log('cannot open ' . $path . ' to keep a sale until the database is back');
            return false;
        }
        $kept = false;
        if (flock($file, LOCK_EX)) {
            $head = fstat($file)['size'] === 0 ? self::SPOOL_HEAD : '';
            $line = $head . $sale[0] . ' ' . sprintf('%012d', $sale[1]) . "\n";
            $kept = fseek($file, 0, SEEK_END) === 0 && fwrite($file, $line) === strlen($line)
                && fflush($file);
            flock($file, LOCK_UN);
        }
        fclose($file);
        if ($kept) {
            Hurrex::log('the database cannot be reached; a sale waits in ' . $path);
        }
        return $kept;
    }

    // The sales [id, time] in a spool file's text.
    private function spooledSales($text)
    {
        preg_match_all('/^([0-9a-f]{32}) (\d{12})$/m', $text, $m, PREG_SET_ORDER);
        return array_map(function ($r) {
            return [$r[1], (int)$r[2]];
        }, $m);
    }

    // Adds the sales that wait in the spool file, then empties it. A request that finds another
    // one at it leaves it to that one. Should the transaction's end be lost on the way, the ids
    // stay and are added once by a later request.
    private function addSpooledSales(PDO $pdo)
    {
        $path = $this->folder . '/' . self::SPOOL_FILE;
        $size = @filesize($path);
        if ($size === false || $size <= strlen(self::SPOOL_HEAD)) {
            return;
        }
        $file = @fopen($path, 'r+');
        if ($file === false || !flock($file, LOCK_EX | LOCK_NB)) {
            if ($file !== false) {
                fclose($file);
            }
            return;
        }
        try {
            $text = stream_get_contents($file);
            $sales = $this->spooledSales($text);
            if ($sales) {
                $this->addSales($pdo, $sales);
            }
            if (substr_count($text, "\n") - 1 > count($sales)) {
                Hurrex::log($path . ' held lines that are no sale; they are dropped');
            }
            ftruncate($file, strlen(self::SPOOL_HEAD));
            Hurrex::log(count($sales) . ' sales that waited in ' . $path . ' were added to the '
                . 'database');
        } catch (PDOException $e) {
            Hurrex::log('the sales waiting in ' . $path . ' could not be added yet: '
                . $e->getMessage());
        } finally {
            flock($file, LOCK_UN);
            fclose($file);
        }
    }

    // Writes this server's copy of the secret, never served as text.
    private function keepSecret($file, array $value)
    {
        $temp = $this->folder . '/stdbsecret-' . bin2hex(random_bytes(6)) . '.php';
        $text = "<?php\nreturn " . var_export($value, true) . ";\n";
        if (@file_put_contents($temp, $text) !== strlen($text) || !@rename($temp, $file)) {
            @unlink($temp);
            Hurrex::log('cannot keep the secret in ' . $file . ' (is the folder writable by the '
                . 'web server?); it is read from the database on every view meanwhile');
        }
    }
}
