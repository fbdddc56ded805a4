<?php
// Included at the top of the seller's thank-you page: counts one sale. A browser that was
// counted carries a mark for a day, so reloading the page does not count it again.

(static function () {
    $hurrexLibraryOnly = true;
    require_once __DIR__ . '/stmain.php';
    Hurrex::thanks();
})();
