<?php
// The copies left, and the seconds left for the asking visitor: a small HTML document for an
// iframe, or JSON with ?format=json (the bar's refresh). It only looks: a visitor who never saw
// the sales page is not remembered here.

(static function () {
    $hurrexLibraryOnly = true;
    require_once __DIR__ . '/stmain.php';
    $offer = Hurrex::guarded(function () {
        $cfg = Hurrex::loadConfig();
        return $cfg === null ? null : Hurrex::currentOffer($cfg, time(), false);
    });
    header('Cache-Control: private, no-store');
    if ($offer === null) {
        http_response_code(503);
    }
    if (isset($_GET['format']) && $_GET['format'] === 'json') {
        header('Content-Type: application/json');
        echo json_encode($offer === null ? ['error' => 'the offer settings cannot be read']
            : $offer);
        return;
    }
    $copies = $offer === null ? '' : (string)$offer['copiesleft'];
    $seconds = $offer === null ? '' : (string)$offer['secondsleft'];
    echo "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><meta name=\"robots\" "
        . "content=\"noindex\"><title>Copies left</title></head><body style=\"margin:0\" "
        . "data-secondsleft=\"" . $seconds . "\"><span id=\"copiesleft\">" . $copies
        . "</span></body></html>\n";
})();
