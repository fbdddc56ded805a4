<?php
// The thank-you address itself: counts one sale like stthanks.php, then sends the buyer on to
// the next page of the offer.

(static function () {
    $hurrexLibraryOnly = true;
    require_once __DIR__ . '/stmain.php';
    $cfg = Hurrex::thanks();
    $next = $cfg === null ? '' : Hurrex::nextPage($cfg);
    if ($next !== '') {
        Hurrex::redirect($next);
        return;
    }
    header('Cache-Control: private, no-store');
    echo "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Thank you</title></head>"
        . "<body><p>Thank you for your purchase.</p></body></html>\n";
})();
