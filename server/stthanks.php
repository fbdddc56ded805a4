<?php
// Included at the top of the seller's thank-you page: counts one sale for the visitor the
// sales page's cookie names, once, however often the page is opened. Requested by itself it
// is no thank-you page, and counts nothing.

(static function () {
    if (get_included_files()[0] === __FILE__) {
        http_response_code(404);
        return;
    }
    $hurrexLibraryOnly = true;
    require_once __DIR__ . '/stmain.php';
    Hurrex::thanks();
})();
