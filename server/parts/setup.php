<?php
// The set-up pages' own routines, which the build puts into stchmod.php and phpenabler.php
// alone, so that a view of the sales page never compiles them.

// A set-up page: what it shows, and to whom.
final class HurrexSetupPage
{
    // Whether the request opening a set-up page gives its key: the one whose SHA-1 digest
    // stconfig1.php keeps as $setupkey (the tool shows the key once, when it generates).
    public static function keyGiven()
    {
        $key = isset($_GET['key']) && is_string($_GET['key']) ? $_GET['key'] : '';
        $vars = $key === '' ? null : Hurrex::guarded([Hurrex::class, 'configVars']);
        $digest = isset($vars['setupkey']) && is_string($vars['setupkey'])
            ? strtolower($vars['setupkey']) : '';
        return preg_match('/^[0-9a-f]{40}$/D', $digest) === 1 && hash_equals($digest, sha1($key));
    }

    // What a set-up page shows without its key: that the package is here, and no more.
    public static function closed()
    {
        self::report('Offer package', [], '<p>The offer package is installed here.</p><p>Its '
            . 'set-up pages open with the key given when the package was generated: the address '
            . '<code>stchmod.php?key=&hellip;</code> is under the offer settings after '
            . '&ldquo;Generate Script&rdquo;, and <code>tolvan generate</code> prints it. '
            . 'Generate the package again for a new key, and upload its '
            . '<code>stconfig1.php</code>.</p>');
    }

    // A setup page: a table of checks, each [what, fine, text], and more HTML after it.
    public static function report($title, array $rows, $after = '')
    {
        header('Cache-Control: private, no-store');
        header('Content-Type: text/html; charset=utf-8');
        $h = function ($text) {
            return htmlspecialchars($text, ENT_QUOTES | ENT_SUBSTITUTE, 'UTF-8');
        };
        echo "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><meta name=\"robots\" "
            . "content=\"noindex\"><title>" . $h($title) . "</title><style>"
            . "body{font-family:sans-serif;margin:2em}td,th{padding:.3em .8em;text-align:left}"
            . ".ok{color:#070}.problem{color:#b00;font-weight:bold}</style></head><body><h1>"
            . $h($title) . "</h1><table>";
        foreach ($rows as $row) {
            list($what, $fine, $text) = $row;
            echo '<tr class="' . ($fine ? 'ok' : 'problem') . '"><th>' . $h($what) . '</th><td>'
                . ($fine ? 'OK' : 'PROBLEM') . '</td><td>' . $h($text) . '</td></tr>';
        }
        echo '</table>' . $after . "</body></html>\n";
    }
}

// The set-up pages' rows about the file store.
final class HurrexFileStoreReport
{
    public static function rows(HurrexFileStore $store, array $cfg, $prepare)
    {
        $files = $store->files($cfg);
        $rows = [Hurrex::guarded(function () use ($store, $files, $prepare) {
            return self::countRow($store, $files, $prepare);
        }, ['sales count', false, 'could not be checked (see the PHP error log)'])];
        $labels = ['counted buyers' => 'buyers', 'remembered visitors' => 'visitors'];
        foreach ($labels as $label => $file) {
            $rows[] = Hurrex::guarded(function () use ($label, $files, $file, $prepare) {
                return self::fileRow($label, $files[$file], $files['folder'], $prepare);
            }, [$label, false, 'could not be checked (see the PHP error log)']);
        }
        $rows[] = self::secretRow($store);
        foreach ($rows as $row) {
            if (!$row[1]) {
                Hurrex::log($row[0] . ' ' . $row[2]);
            }
        }
        return $rows;
    }

    // The set-up pages' row about the count: the live one, or the start it gets.
    private static function countRow(HurrexFileStore $store, array $files, $prepare)
    {
        $live = $files['count'];
        if (file_exists($live)) {
            list($what, $fine, $found) = self::fileRow('sales count', $live, $files['folder'],
                $prepare);
            $count = $fine ? $store->readCount($live) : null;
            return [$what, $count !== null, $count !== null ? 'holds ' . $count
                : ($fine ? 'does not hold a whole number' : $found)];
        }
        $what = 'sales count (' . basename($live) . ')';
        $start = $files['start'];
        $count = $store->readCount($start, true);
        $count = $count === false ? 0 : $count;
        if ($count === null) {
            return [$what, false, 'starts from ' . basename($start) . ', which does not hold a '
                . 'whole number'];
        }
        if (is_writable($files['folder'])) {
            return [$what, true, 'is made at the first sale, starting from ' . $count];
        }
        return [$what, false, 'cannot be made because the web server cannot write to this '
            . 'folder: let it write here; meanwhile ' . (is_writable($start)
                ? 'sales are counted in ' . basename($start) . ' (' . $count . '), which an '
                . 'upload of the package would put back' : 'sales cannot be counted')];
    }

    // A set-up page's row about a file the package makes; with $prepare it is made writable
    // when it is not.
    private static function fileRow($label, $path, $folder, $prepare)
    {
        $what = $label . ' (' . basename($path) . ')';
        if (!file_exists($path)) {
            return is_writable($folder) ? [$what, true, 'is made when needed']
                : [$what, false, 'cannot be made because the web server cannot write to this '
                    . 'folder: let it write here'];
        }
        $did = '';
        if ($prepare && is_file($path) && !is_writable($path)) {
            $did = @chmod($path, 0666) ? 'made writable; ' : 'could not be made writable: set '
                . 'its permissions to 666 with your FTP program; ';
            clearstatcache(true, $path);
        }
        list($fine, $found) = self::fileReport($path);
        return [$what, $fine, $did . $found];
    }

    // What the setup pages say about one file: [fine, what was found].
    private static function fileReport($path)
    {
        if (is_dir($path)) {
            return [false, 'is a folder, not a file'];
        }
        if (!is_readable($path)) {
            return [false, 'cannot be read by the web server'];
        }
        if (!is_writable($path)) {
            return [false, 'is not writable by the web server'];
        }
        return [true, 'is writable'];
    }

    // The setup pages' row about the package secret: [what, fine, text].
    private static function secretRow(HurrexFileStore $store)
    {
        $stored = Hurrex::guarded([$store, 'secretStored'], false);
        return ['secret (' . Hurrex::SECRET_FILE . ')', $stored, $stored ? 'is in place'
            : 'cannot be stored because the web server cannot write to this folder: let it write '
            . 'here once, then open stchmod.php again; until then a secret derived from the '
            . 'server\'s own facts is used'];
    }
}
