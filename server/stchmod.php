<?php
// Run once after uploading, with the key the tool gave (stchmod.php?key=...): makes the package
// secret, makes its files writable by the web server where it may, and reports per file what it
// found and did. Without the key it says only that the package is installed.
// With a database (stdatabase.php beside it) it makes the database's tables and the spool file
// instead, and reports whether the database can be reached.

/*part:setup.php*/

(static function () {
    $hurrexLibraryOnly = true;
    require_once __DIR__ . '/stmain.php';
    if (!HurrexSetupPage::keyGiven()) {
        HurrexSetupPage::closed();
        return;
    }
    $rows = [];
    $cfg = Hurrex::guarded('Hurrex::loadConfig');
    if ($cfg === null) {
        $rows[] = ['stconfig1.php', false, 'cannot be read (see the PHP error log); the default '
            . 'file names are checked'];
        $cfg = Hurrex::defaults();
    }
    $rows = array_merge($rows, Hurrex::guarded(function () use ($cfg) {
        return Hurrex::store()->report($cfg, true);
    }, [['offer state', false, 'could not be checked (see the PHP error log)']]));
    HurrexSetupPage::report('Offer package set-up', $rows);
})();
