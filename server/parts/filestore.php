<?php
// The offer's state behind one interface, and its keeping in the data files beside the package.
// Assembled by the build into stmain.php.

// Where the offer's state is kept: the sales count, the remembered visitors and the secret.
// Hurrex::store() picks one for the request: the data files, or a database several web servers
// share (stdbstore.php).
interface HurrexStore
{
    // The copies sold so far; null while they cannot be read.
    public function sold(array $cfg);

    // The secret that signs visitor cookies and hashes addresses.
    public function secret();

    // The first view remembered for the visitor $key, or $first when it is earlier or none is;
    // with $remember the earlier of the two is stored.
    public function firstView(array $cfg, $key, $first, $remember);

    // Counts the sale of the visitor $buyer (32 hex digits) at $now, unless that visitor was
    // counted before; with $addressKey, not when that address bought within
    // Hurrex::SOLD_MARK_SECONDS before. Whether it was counted; a failure is logged.
    public function countSale(array $cfg, $buyer, $addressKey, $now);

    // The set-up pages' rows, each [what, fine, text]; with $prepare (stchmod.php) what the
    // store needs is made (the database's tables) and made writable where PHP may.
    public function report(array $cfg, $prepare);
}

// The offer's state in files beside the package. The live figures (the count, the buyers counted
// and the visitors remembered) are files that the package makes itself and the tool never ships,
// so an upload of the package cannot put them back: PHP files that answer a request with
// nothing. The shipped stnumsales.txt is the starting count, read while no live count exists;
// the shipped IP file likewise starts the remembered visitors.
final class HurrexFileStore implements HurrexStore
{
    const COUNT_FILE = 'stcount.php';
    const BUYERS_FILE = 'stbuyers.php';
    const VISITORS_FILE = 'stvisitors.php';
    // What the live files begin with, so that a request for one runs no further.
    const HEAD = "<?php exit; ?>\n";
    // How many counted buyers are kept, the oldest dropped beyond: far more than the copies.
    const BUYERS_LEAST = 20000;
    const BUYERS_PER_COPY = 10;
    // Writers of the data files take turns on this file; it is never replaced, so a writer
    // that holds its lock is alone. A .php name: the server never serves it as text.
    const LOCK_FILE = 'stlock.php';
    // One record of a buyers or visitors file: 32 hex digits of its key, a blank, 12 digits of
    // time, a line feed. The records are sorted by key, after the file's head.
    const RECORD = 46;
    const CHUNK_RECORDS = 1424;  // about 64 kB of records read at a time

    private $folder;
    private $secret = null;
    private $secretStored = false;

    public function __construct($folder)
    {
        $this->folder = $folder;
    }

    public function countSale(array $cfg, $buyer, $addressKey, $now)
    {
        $buyers = $this->folder . '/' . self::BUYERS_FILE;
        if ($this->findRecord($buyers, $buyer) !== null) {
            return false;  // a reload, or the page opened again later
        }
        return $this->exclusively($this->countPath($cfg),
            function () use ($cfg, $buyer, $buyers, $addressKey, $now) {
                clearstatcache();
                if ($this->findRecord($buyers, $buyer) !== null) {
                    return false;
                }
                if ($addressKey !== null) {
                    $last = $this->findRecord($this->visitorsFrom($cfg), $addressKey);
                    if ($last !== null && $now - $last < Hurrex::SOLD_MARK_SECONDS
                        && $last <= $now) {
                        return false;
                    }
                }
                if (!$this->countInFile($cfg)) {
                    return false;
                }
                if ($addressKey !== null) {
                    $this->putRecord($this->visitorsFrom($cfg), $this->visitorsPath(), $addressKey,
                        $now, $cfg['maxiplen'], false);
                }
                $limit = max(self::BUYERS_LEAST, self::BUYERS_PER_COPY * $cfg['maxsales']);
                if ($this->putRecord($buyers, $buyers, $buyer, $now, $limit, false) === false) {
                    Hurrex::log('a buyer counted at ' . gmdate('Y-m-d H:i:s', $now) . ' UTC '
                        . 'cannot be remembered, so the thank-you page counts them again');
                }
                return true;
            });
    }

    public function firstView(array $cfg, $key, $first, $remember)
    {
        $known = $this->findRecord($this->visitorsFrom($cfg), $key);
        if ($known !== null && $known <= $first) {
            return $known;
        }
        if (!$remember) {
            return $first;
        }
        $path = $this->visitorsPath();
        $kept = $this->exclusively($path, function () use ($path, $key, $first, $cfg) {
            return $this->putRecord($this->visitorsFrom($cfg), $path, $key, $first,
                $cfg['maxiplen'], true);
        });
        return is_int($kept) ? $kept : $first;
    }

    // The live count; while there is none, the starting count of the shipped sales file (0
    // without one). Null (logged) when the file that holds it does not hold a whole number.
    public function sold(array $cfg)
    {
        $live = $this->folder . '/' . self::COUNT_FILE;
        $count = file_exists($live) ? $this->readCount($live)
            : $this->readCount($this->dataPath($cfg['salesfile']), true);
        return $count === false ? 0 : $count;
    }

    // The file a sale is counted in: the live count, which the first sale makes. Where the
    // web server cannot make it (a folder it cannot write), the starting count is counted on in
    // place, so that no sale is lost; the set-up pages tell that an upload would undo those.
    private function countPath(array $cfg)
    {
        $live = $this->folder . '/' . self::COUNT_FILE;
        return file_exists($live) || is_writable($this->folder) ? $live
            : $this->dataPath($cfg['salesfile']);
    }

    private function visitorsPath()
    {
        return $this->folder . '/' . self::VISITORS_FILE;
    }

    // The remembered visitors as they stand: the live file, or while there is none the shipped
    // IP file.
    private function visitorsFrom(array $cfg)
    {
        $live = $this->visitorsPath();
        return file_exists($live) ? $live : $this->dataPath($cfg['ipshuntname']);
    }

    // What a data file begins with: the head for the package's own PHP files.
    private static function head($path)
    {
        return substr($path, -4) === '.php' ? self::HEAD : '';
    }

    // Written in the set-up pages' own part (HurrexFileStoreReport), which views never load.
    public function report(array $cfg, $prepare)
    {
        return HurrexFileStoreReport::rows($this, $cfg, $prepare);
    }

    // The files of the store: the live count, the starting count, the buyers, the visitors.
    public function files(array $cfg)
    {
        return ['count' => $this->folder . '/' . self::COUNT_FILE,
            'start' => $this->dataPath($cfg['salesfile']),
            'buyers' => $this->folder . '/' . self::BUYERS_FILE,
            'visitors' => $this->visitorsPath(), 'folder' => $this->folder];
    }

    // Whether the secret is stored in its file, not derived.
    public function secretStored()
    {
        $this->secret();
        return $this->secretStored;
    }

    // A data file named in the settings: relative names are beside the package.
    private function dataPath($name)
    {
        return ($name !== '' && $name[0] === '/') ? $name : $this->folder . '/' . $name;
    }

    // The number in a count file; null (logged) when it cannot be read or holds no number.
    // Every write replaces the file whole, so it is read without a lock.
    // With $missingOk a missing file is no problem: false then. (Read first and looked for only
    // when the read fails: the file is nearly always there.)
    public function readCount($path, $missingOk = false)
    {
        $text = @file_get_contents($path, false, null, 0, 64 + strlen(self::HEAD));
        if ($text === false && $missingOk && !file_exists($path)) {
            return false;
        }
        if ($text !== false && $text !== '' && self::head($path) !== '') {
            $text = strncmp($text, self::HEAD, strlen(self::HEAD)) === 0
                ? (string)substr($text, strlen(self::HEAD)) : 'no count';
        }
        if ($text === false || $text === '') {
            Hurrex::log($path . ($text === false ? ' is missing or cannot be read'
                : (is_dir($path) ? ' is not a file' : ' is empty')));
            return null;
        }
        $count = Hurrex::parseCount($text);
        if ($count === null) {
            Hurrex::log($path . ' does not hold a whole number');
        }
        return $count;
    }

    // Runs $work alone among the package's writers and returns its result. They wait for each
    // other on the lock file, which is never replaced, for as long as it takes. Where the lock
    // file cannot be made (a folder the web server cannot write), they wait on $path itself,
    // which is then written in place and so never replaced either.
    private function exclusively($path, callable $work)
    {
        $lockFile = $this->folder . '/' . self::LOCK_FILE;
        $lock = @fopen($lockFile, 'r');
        if ($lock === false) {
            $lock = @fopen($lockFile, 'c');
        }
        if ($lock === false) {
            $lock = @fopen($path, 'r');
        }
        if ($lock === false) {
            Hurrex::log('cannot open ' . $path . ' or ' . $lockFile . ' to lock the data files');
            return false;
        }
        if (!flock($lock, LOCK_EX)) {
            fclose($lock);
            Hurrex::log('cannot lock ' . $lockFile);
            return false;
        }
        try {
            return $work();
        } finally {
            flock($lock, LOCK_UN);
            fclose($lock);
        }
    }

    // Replaces the data file $path whole with what $write puts into the stream it gets: through
    // a renamed temporary file when the folder is writable, else in place (the caller holds the
    // lock). False (logged) when nothing was written.
    private function replaceFile($path, callable $write)
    {
        if (is_dir($path)) {
            Hurrex::log($path . ' is a folder, not a data file');
            return false;
        }
        if (file_exists($path) && !is_writable($path)) {
            Hurrex::log('cannot write ' . $path . ': the web server may not write to it');
            return false;
        }
        $folder = dirname($path);
        if (is_writable($folder)) {
            $temp = $folder . '/.' . basename($path) . '.' . bin2hex(random_bytes(6)) . '.tmp';
            $out = @fopen($temp, 'x');
            if ($out !== false) {
                $written = $write($out) !== false && fflush($out);
                fclose($out);
                $mode = @fileperms($path);
                if ($written && ($mode === false || chmod($temp, $mode & 0777))
                    && rename($temp, $path)) {
                    return true;
                }
                @unlink($temp);
            }
        }
        $file = @fopen($path, 'r+');
        $out = fopen('php://temp/maxmemory:1048576', 'w+');
        $written = $file !== false && $write($out) !== false && ($length = ftell($out)) !== false
            && rewind($out) && stream_copy_to_stream($out, $file) === $length && fflush($file)
            && ftruncate($file, $length);
        fclose($out);
        if ($file !== false) {
            fclose($file);
        }
        if (!$written) {
            Hurrex::log('cannot write ' . $path);
        }
        return $written;
    }

    private function writeAll($stream, $data)
    {
        return fwrite($stream, $data) === strlen($data);
    }

    // Counts one sale, the lock held; false (logged) when it could not be counted.
    private function countInFile(array $cfg)
    {
        $count = $this->sold($cfg);
        $path = $this->countPath($cfg);
        $counted = $count !== null
            && $this->replaceFile($path, function ($out) use ($count, $path) {
                return $this->writeAll($out, self::head($path) . ($count + 1));
            });
        if (!$counted) {
            Hurrex::log('a sale was not counted at ' . gmdate('Y-m-d H:i:s') . ' UTC');
        }
        return $counted;
    }

    public function secret()
    {
        if ($this->secret !== null) {
            return $this->secret;
        }
        $file = $this->folder . '/' . Hurrex::SECRET_FILE;
        $value = @include $file;
        if ($value === false && !is_file($file)) {
            $this->createSecret($file);
            $value = @include $file;
        }
        if (is_string($value) && preg_match(Hurrex::SECRET, $value) === 1) {
            $this->secretStored = true;
            return $this->secret = $value;
        }
        Hurrex::log($file . ' cannot be made or holds no secret (is the folder writable by the web '
            . 'server?); using a secret derived from the server\'s own facts');
        return $this->secret = $this->derivedSecret();
    }

    // Facts of the server that no visitor sees and that an upload of the package leaves as they
    // are (no file of the package is among them): the machine's own random id, the folder's
    // path, inode and device, the host's name, PHP's program file.
    private function derivedSecret()
    {
        $folder = @stat($this->folder);
        $facts = [(string)@file_get_contents('/etc/machine-id', false, null, 0, 64), $this->folder,
            $folder === false ? '' : $folder['ino'] . ':' . $folder['dev'], php_uname('n'),
            @fileinode(PHP_BINARY), PHP_BINARY];
        return hash('sha256', 'hurrex derived secret|' . implode('|', $facts));
    }

    private function createSecret($file)
    {
        if (!is_writable(dirname($file))) {
            Hurrex::log('the folder of ' . $file . ' is not writable, so the secret cannot be '
                . 'made');
            return false;
        }
        // A .php name even for the moment before the link: never served as text.
        $temp = dirname($file) . '/stsecret-' . bin2hex(random_bytes(6)) . '.php';
        $text = "<?php\nreturn '" . bin2hex(random_bytes(32)) . "';\n";
        // link() never replaces, so two first visitors at once agree on one secret; the one
        // that comes second finds the file there.
        $made = file_put_contents($temp, $text) === strlen($text)
            && ((function_exists('link') && @link($temp, $file)) || is_file($file)
                || rename($temp, $file));
        if (file_exists($temp)) {
            unlink($temp);
        }
        return $made;
    }

    // ---- the IP file: sorted fixed-size records, so a look-up reads a few of them ----

    // The time the records file $path holds for $key, or null. Whole-file replacement keeps a
    // reader on one consistent file without a lock.
    private function findRecord($path, $key)
    {
        $file = @fopen($path, 'rb');
        if ($file === false) {
            if (file_exists($path)) {
                Hurrex::log($path . ' cannot be read');
            }
            return null;
        }
        $found = null;
        $head = strlen(self::head($path));
        $size = fstat($file)['size'] - $head;
        if ($size < 0 || $size % self::RECORD !== 0) {
            Hurrex::log($path . ' is garbled; it is written anew when the next visitor is stored');
            $size = 0;
        }
        stream_set_read_buffer($file, 0);
        for ($low = 0, $high = intdiv($size, self::RECORD) - 1; $low <= $high;) {
            $middle = ($low + $high) >> 1;
            fseek($file, $head + $middle * self::RECORD);
            $record = fread($file, self::RECORD);
            $order = strcmp(substr($record, 0, 32), $key);
            if ($order === 0) {
                $found = $this->recordTime($record);
                break;
            }
            if ($order < 0) {
                $low = $middle + 1;
            } else {
                $high = $middle - 1;
            }
        }
        fclose($file);
        return $found;
    }

    private function recordTime($record)
    {
        return strlen($record) === self::RECORD && $record[32] === ' '
            && ctype_digit(substr($record, 33, 12)) ? (int)substr($record, 33, 12) : null;
    }

    // The IP file's valid records, about 64 kB at a time, each as a list of [key, time] in file
    // order; lines that are no record are passed over (logged).
    private function recordChunks($path)
    {
        if (!file_exists($path)) {
            return;
        }
        $file = @fopen($path, 'rb');
        if ($file === false) {
            Hurrex::log($path . ' cannot be read');
            return;
        }
        $head = self::head($path);
        if ($head !== '' && fread($file, strlen($head)) !== $head) {
            rewind($file);  // no head: its first line is no record
        }
        $size = self::RECORD * self::CHUNK_RECORDS;
        $rest = '';
        $dropped = 0;
        do {
            $data = fread($file, $size);
            $end = $data === false || $data === '';
            $text = $rest . ($end ? ($rest === '' ? '' : "\n") : $data);
            $cut = strrpos($text, "\n");
            if ($cut === false) {
                $rest = strlen($text) > $size ? '' : $text;  // no line ends: not a record
                $dropped += $rest === '' && $text !== '' ? 1 : 0;
                continue;
            }
            $rest = (string)substr($text, $cut + 1);
            $lines = substr($text, 0, $cut + 1);
            $count = preg_match_all('/^([0-9a-f]{32}) (\d{12})\n/m', $lines, $m, PREG_SET_ORDER);
            $dropped += substr_count($lines, "\n") - $count;
            yield array_map(function ($r) {
                return [$r[1], (int)$r[2]];
            }, $m);
        } while (!$end);
        fclose($file);
        if ($dropped > 0) {
            Hurrex::log($path . ' held ' . $dropped . ' lines that are no visitor record; they are '
                . 'dropped');
        }
    }

    // Stores $time for $key in the records file $path, the lock held, with the records of $from
    // (the same file, or the one it starts from), keeping at most $limit records and dropping
    // the oldest first. With $keepEarlier an earlier stored time stays. Returns the time now
    // stored, false when the file could not be written. Memory stays bounded whatever the file
    // holds: it is read and written a chunk at a time.
    private function putRecord($from, $path, $key, $time, $limit, $keepEarlier)
    {
        clearstatcache();
        // First pass: the stored time, the count and the spread of times of the others.
        $count = 0;
        $oldest = PHP_INT_MAX;
        $newest = 0;
        foreach ($this->recordChunks($from) as $records) {
            foreach ($records as list($k, $t)) {
                if ($k === $key) {
                    if ($keepEarlier && $t <= $time) {
                        return $t;
                    }
                    continue;
                }
                $count++;
                $oldest = min($oldest, $t);
                $newest = max($newest, $t);
            }
        }
        // Which to drop: those older than a threshold, and the first few at it.
        $drop = $count - $limit + 1;
        list($below, $quota) = $drop <= 0 ? [0, 0] : ($drop === 1 ? [$oldest, 1]
            : $this->dropThreshold($from, $key, $drop, $oldest, $newest));
        $write = function ($out) use ($from, $path, $key, $time, $below, $quota) {
            $record = $key . ' ' . sprintf('%012d', $time) . "\n";
            $placed = false;
            if (!$this->writeAll($out, self::head($path))) {
                return false;
            }
            foreach ($this->recordChunks($from) as $records) {
                $text = '';
                foreach ($records as list($k, $t)) {
                    if ($k === $key || $t < $below || ($t === $below && $quota-- > 0)) {
                        continue;
                    }
                    if (!$placed && strcmp($k, $key) > 0) {
                        $text .= $record;
                        $placed = true;
                    }
                    $text .= $k . ' ' . sprintf('%012d', $t) . "\n";
                }
                if (!$this->writeAll($out, $text)) {
                    return false;
                }
            }
            return $placed || $this->writeAll($out, $record);
        };
        return $this->replaceFile($path, $write) ? $time : false;
    }

    // The threshold under which records are dropped, and how many at it, so that $drop of the
    // oldest records other than $key go: [threshold, quota]. Counted in 256 spans of time
    // between $oldest and $newest, so that memory stays bounded.
    private function dropThreshold($path, $key, $drop, $oldest, $newest)
    {
        $span = intdiv($newest - $oldest, 256) + 1;
        $histogram = array_fill(0, 256, 0);
        foreach ($this->recordChunks($path) as $records) {
            foreach ($records as list($k, $t)) {
                if ($k !== $key && $t >= $oldest && $t <= $newest) {
                    $histogram[intdiv($t - $oldest, $span)]++;
                }
            }
        }
        $bucket = 0;
        while ($histogram[$bucket] < $drop) {
            $drop -= $histogram[$bucket++];
        }
        if ($span === 1) {
            return [$oldest + $bucket, $drop];
        }
        // Within the span the records at each second are counted the same way.
        return $this->dropThreshold($path, $key, $drop, $oldest + $bucket * $span,
            $oldest + ($bucket + 1) * $span - 1);
    }
}
