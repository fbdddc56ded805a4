<?php
// Run once after uploading: creates the data files that are missing, makes them writable by the
// web server where it may, makes the package secret, and reports per file what it found and did.
// With a database (stdatabase.php beside it) it makes the database's tables and the spool file
// instead, and reports whether the database can be reached.

(static function () {
    $hurrexLibraryOnly = true;
    require_once __DIR__ . '/stmain.php';
    $rows = [];
    $cfg = Hurrex::guarded('Hurrex::loadConfig');
    if ($cfg === null) {
        $rows[] = ['stconfig1.php', false, 'cannot be read (see the PHP error log); the default '
            . 'file names are checked'];
        $cfg = Hurrex::defaults();
    }
    $database = Hurrex::guarded('Hurrex::database');
    if ($database !== null) {
        $rows = array_merge($rows, $database->report(true));
    } else {
        foreach (Hurrex::dataFiles($cfg) as $label => list($path, $initial, $holdsCount)) {
            $rows[] = Hurrex::guarded(function () use ($label, $path, $initial, $holdsCount) {
                return hurrex_prepare_data_file($label, $path, $initial, $holdsCount);
            }, [$label, false, 'could not be checked (see the PHP error log)']);
        }
        $rows[] = Hurrex::secretReport();
    }
    Hurrex::reportPage('Offer package set-up', $rows);
})();

function hurrex_prepare_data_file($label, $path, $initial, $holdsCount)
{
    $did = '';
    if (!file_exists($path)) {
        $made = is_writable(dirname($path)) && file_put_contents($path, $initial) !== false;
        $did = $made ? 'created; ' : 'could not be created (the folder is not writable); ';
    }
    if (is_file($path) && !is_writable($path)) {
        $did .= chmod($path, 0666) ? 'made writable; ' : 'could not be made writable: set its '
            . 'permissions to 666 with your FTP program; ';
        clearstatcache(true, $path);
    }
    list($fine, $found) = Hurrex::dataFileReport($path, $holdsCount);
    if (!$fine) {
        Hurrex::log(basename($path) . ' ' . $found);
    }
    return [$label . ' (' . basename($path) . ')', $fine, $did . $found];
}
