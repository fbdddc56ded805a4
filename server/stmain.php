<?php
// The offer package: its shared routines, and the sales-page behaviour.
//
// The sales page includes stconfig1.php and then this file; the offer is decided here and the
// bar is put into the page. The package's other scripts include this file with
// $hurrexLibraryOnly set, which only defines the routines.
//
// Nothing here may break the seller's page: every problem goes to PHP's error log and the page
// renders on.

if (!function_exists('hurrex_page')) {

define('HURREX_EXPIRY_OFFSET', 6600);  // the tool writes the expiry as Unix seconds minus this
define('HURREX_SECRET_FILE', 'stsecret.php');
define('HURREX_SOLD_MARK_SECONDS', 86400);  // how long a counted browser is not counted again
define('HURREX_VISITOR_COOKIE_SECONDS', 31536000);

function hurrex_log($message)
{
    error_log('hurrex: ' . $message);
}

// Runs $work with every PHP warning and notice sent to the error log instead of the page;
// an exception is logged too, and $fallback returned.
function hurrex_guarded(callable $work, $fallback = null)
{
    set_error_handler(function ($level, $message, $file, $line) {
        hurrex_log($message . ' in ' . $file . ' on line ' . $line);
        return true;
    });
    try {
        return $work();
    } catch (Throwable $e) {
        hurrex_log(get_class($e) . ': ' . $e->getMessage() . ' in ' . $e->getFile() . ' on line '
            . $e->getLine());
        return $fallback;
    } finally {
        restore_error_handler();
    }
}

// ---- configuration ----

// The settings that stconfig1.php sets, with the values used when one is missing.
function hurrex_config_defaults()
{
    return [
        'numbers' => ['useoto' => 0, 'timeout' => 0, 'checkip' => 0, 'offerexpire' => 0,
            'maxsales' => 0, 'refreshtime' => 0, 'popuptop' => 1, 'popupheight' => 28,
            'popupwidth' => 700, 'popupborder' => 0, 'maxiplen' => 5000, 'popuppadding' => 4],
        'texts' => ['page2' => '', 'popuptext' => '', 'popupbgcolor' => '#FFFF00',
            'popupfont' => '', 'cookiename' => 'hurrex', 'salesfile' => 'stnumsales.txt',
            'ipshuntname' => 'stiptrack.txt'],
    ];
}

// The settings from the variables of stconfig1.php, checked and with defaults for missing
// values; null when none of them is there.
function hurrex_config(array $vars)
{
    $defaults = hurrex_config_defaults();
    $numbers = $defaults['numbers'];
    $texts = $defaults['texts'];
    $cfg = [];
    $missing = [];
    foreach ($numbers as $name => $default) {
        $value = isset($vars[$name]) ? $vars[$name] : null;
        if (is_int($value) || is_float($value)
            || (is_string($value) && preg_match('/^\s*-?\d{1,18}\s*$/', $value))) {
            $cfg[$name] = (int)$value;
        } else {
            $cfg[$name] = $default;
            $missing[] = $name;
        }
    }
    foreach ($texts as $name => $default) {
        $value = isset($vars[$name]) ? $vars[$name] : null;
        if (is_scalar($value)) {
            $cfg[$name] = (string)$value;
        } else {
            $cfg[$name] = $default;
            $missing[] = $name;
        }
    }
    if (count($missing) === count($numbers) + count($texts)) {
        return null;
    }
    if (!preg_match('/^#[0-9A-Fa-f]{6}$/', $cfg['popupbgcolor'])) {
        $missing[] = 'popupbgcolor';
        $cfg['popupbgcolor'] = $texts['popupbgcolor'];
    }
    if (!preg_match('/^[A-Za-z0-9_]{1,64}$/', $cfg['cookiename'])) {
        $missing[] = 'cookiename';
        $cfg['cookiename'] = $texts['cookiename'];
    }
    if ($missing) {
        hurrex_log('stconfig1.php lacks a usable value for $' . implode(', $', $missing)
            . '; using defaults');
    }
    foreach (['timeout', 'maxsales', 'refreshtime', 'popupheight', 'popupwidth', 'popupborder',
                 'popuppadding', 'maxiplen'] as $name) {
        $cfg[$name] = max(0, $cfg[$name]);
    }
    $cfg['page2'] = trim(preg_replace('/[\x00-\x1F\x7F]/', '', $cfg['page2']));
    return $cfg;
}

// The settings of stconfig1.php beside this file, for the package's own scripts.
function hurrex_load_config()
{
    $file = __DIR__ . '/stconfig1.php';
    if (!is_file($file)) {
        hurrex_log($file . ' is missing');
        return null;
    }
    $vars = (static function ($hurrexConfigFile) {
        include $hurrexConfigFile;
        return get_defined_vars();
    })($file);
    $cfg = hurrex_config($vars);
    if ($cfg === null) {
        hurrex_log($file . ' sets none of the offer settings');
    }
    return $cfg;
}

// A data file named in the settings: relative names are beside this file.
function hurrex_data_path($name)
{
    return ($name !== '' && $name[0] === '/') ? $name : __DIR__ . '/' . $name;
}

// The package's data files: label => [path, content of a new file, holds a count].
function hurrex_data_files(array $cfg)
{
    return [
        'sales file' => [hurrex_data_path($cfg['salesfile']), '0', true],
        'IP file' => [hurrex_data_path($cfg['ipshuntname']), '', false],
    ];
}

// What the setup pages say about one data file: [fine, what was found].
function hurrex_data_file_report($path, $holdsCount)
{
    if (is_dir($path)) {
        return [false, 'is a folder, not a file'];
    }
    if (!file_exists($path)) {
        return [false, 'is missing'];
    }
    if (!is_readable($path)) {
        return [false, 'cannot be read by the web server'];
    }
    if (!is_writable($path)) {
        return [false, 'is not writable by the web server'];
    }
    if ($holdsCount) {
        $count = hurrex_parse_count((string)file_get_contents($path));
        return $count === null ? [false, 'is writable but does not hold a whole number']
            : [true, 'is writable and holds ' . $count];
    }
    return [true, 'is writable'];
}

// A setup page: a table of checks, each [what, fine, text], and more HTML after it.
function hurrex_report_page($title, array $rows, $after = '')
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

// ---- the offer ----

function hurrex_minutes_left($seconds)
{
    return $seconds === null ? null : intdiv($seconds + 59, 60);
}

// The offer for one visitor at $now: copies left (null without a copy limit), seconds left
// (null without a time limit) and whether it is still open. $firstView is the visitor's first
// view, used by a one-time offer.
function hurrex_offer(array $cfg, $now, $sold, $firstView)
{
    $copies = $cfg['maxsales'] > 0 ? max(0, $cfg['maxsales'] - $sold) : null;
    $deadline = null;
    if ($cfg['offerexpire'] > 0) {
        $deadline = $cfg['offerexpire'] + HURREX_EXPIRY_OFFSET;
    }
    if ($cfg['useoto'] === 1) {
        $own = min($firstView === null ? $now : $firstView, $now) + 60 * $cfg['timeout'];
        $deadline = $deadline === null ? $own : min($deadline, $own);
    }
    $seconds = $deadline === null ? null : max(0, $deadline - $now);
    return ['copiesleft' => $copies, 'secondsleft' => $seconds,
        'open' => $copies !== 0 && $seconds !== 0];
}

// The offer as the visitor sending this request meets it. With $remember the visitor's first
// view is stored (cookie, and IP file when enabled); without, the request only looks.
function hurrex_current_offer(array $cfg, $now, $remember)
{
    $sold = 0;
    if ($cfg['maxsales'] > 0) {
        $sold = hurrex_read_count(hurrex_data_path($cfg['salesfile']));
        if ($sold === null) {
            $sold = 0;
        }
    }
    $firstView = $cfg['useoto'] === 1 ? hurrex_first_view($cfg, $now, $remember) : null;
    return hurrex_offer($cfg, $now, $sold, $firstView);
}

// ---- data files ----

// A sales count as stored: one decimal integer; an empty file counts 0. Null when garbled.
function hurrex_parse_count($text)
{
    $text = trim($text);
    if ($text === '') {
        return 0;
    }
    return preg_match('/^\d{1,15}$/', $text) ? (int)$text : null;
}

// The number in a count file, read under a shared lock; null (logged) when it cannot be read.
function hurrex_read_count($path)
{
    $text = hurrex_read_locked($path);
    if ($text === null) {
        return null;
    }
    $count = hurrex_parse_count($text);
    if ($count === null) {
        hurrex_log($path . ' does not hold a whole number');
    }
    return $count;
}

function hurrex_read_locked($path)
{
    if (!is_file($path)) {
        hurrex_log($path . ' is missing or not a file');
        return null;
    }
    $handle = fopen($path, 'r');
    if ($handle === false) {
        return null;
    }
    $text = flock($handle, LOCK_SH) ? stream_get_contents($handle) : false;
    fclose($handle);
    if ($text === false) {
        hurrex_log('cannot read ' . $path);
        return null;
    }
    return $text;
}

// Read-modify-write of a data file under an exclusive lock. $change gets the content and
// returns the new content, or null to refuse (the file stays as it was). The new content
// replaces the file whole: through a renamed temporary file when the folder is writable,
// else in place while the lock keeps every reader out. False when nothing was written.
function hurrex_update_file($path, callable $change)
{
    if (is_dir($path)) {
        hurrex_log($path . ' is a folder, not a data file');
        return false;
    }
    for ($attempt = 0; $attempt < 10; $attempt++) {
        $handle = fopen($path, 'c+');
        if ($handle === false) {
            hurrex_log('cannot open ' . $path . ' for writing');
            return false;
        }
        if (!flock($handle, LOCK_EX)) {
            fclose($handle);
            hurrex_log('cannot lock ' . $path);
            return false;
        }
        // A writer may have renamed a new file over the one just locked: start again on it.
        $locked = fstat($handle);
        clearstatcache(true, $path);
        $current = file_exists($path) ? stat($path) : false;
        if ($current === false || $current['ino'] !== $locked['ino']
            || $current['dev'] !== $locked['dev']) {
            fclose($handle);
            continue;
        }
        $old = stream_get_contents($handle);
        $new = $old === false ? null : $change($old);
        $written = $new !== null
            && ($new === $old || hurrex_replace_locked($path, $handle, $locked, $new));
        fclose($handle);
        return $written;
    }
    hurrex_log($path . ' kept being replaced while waiting for its lock');
    return false;
}

function hurrex_replace_locked($path, $handle, array $locked, $data)
{
    $folder = dirname($path);
    if (is_writable($folder)) {
        $temp = $folder . '/.' . basename($path) . '.' . bin2hex(random_bytes(6)) . '.tmp';
        if (file_put_contents($temp, $data) === strlen($data)
            && chmod($temp, $locked['mode'] & 0777) && rename($temp, $path)) {
            return true;
        }
        if (file_exists($temp)) {
            unlink($temp);
        }
    }
    rewind($handle);
    if (fwrite($handle, $data) === strlen($data) && fflush($handle)
        && ftruncate($handle, strlen($data))) {
        return true;
    }
    hurrex_log('cannot write ' . $path);
    return false;
}

// Counts one sale in the sales file; false (logged) when it could not be counted.
function hurrex_count_sale(array $cfg)
{
    $path = hurrex_data_path($cfg['salesfile']);
    $counted = hurrex_update_file($path, function ($old) use ($path) {
        $count = hurrex_parse_count($old);
        if ($count === null) {
            hurrex_log($path . ' does not hold a whole number; the sale is not counted');
            return null;
        }
        return (string)($count + 1);
    });
    if (!$counted) {
        hurrex_log('a sale was not counted at ' . gmdate('Y-m-d H:i:s') . ' UTC');
    }
    return $counted;
}

// Counts the sale of the browser sending this request, unless that browser was counted already.
function hurrex_thanks(array $cfg)
{
    $mark = $cfg['cookiename'] . '_counted';
    if (isset($_COOKIE[$mark]) || !hurrex_count_sale($cfg)) {
        return;
    }
    if (headers_sent()) {
        hurrex_log('output began before stthanks.php, so a reload will count this sale again');
        return;
    }
    setcookie($mark, '1', hurrex_cookie_options(time() + HURREX_SOLD_MARK_SECONDS));
}

// ---- the package secret and what it signs ----

// The secret that signs visitor cookies and hashes addresses, made on first use; null
// (logged) when it can neither be read nor made.
function hurrex_secret()
{
    static $secret = null;
    if ($secret !== null) {
        return $secret;
    }
    $file = __DIR__ . '/' . HURREX_SECRET_FILE;
    if (!is_file($file)) {
        hurrex_create_secret($file);
    }
    $value = is_file($file) ? include $file : null;
    if (!is_string($value) || !preg_match('/^[0-9a-f]{64}$/', $value)) {
        hurrex_log($file . ' cannot be made or holds no secret; visitors are not remembered');
        return null;
    }
    return $secret = $value;
}

function hurrex_create_secret($file)
{
    if (!is_writable(dirname($file))) {
        hurrex_log('the folder of ' . $file . ' is not writable, so the secret cannot be made');
        return false;
    }
    $temp = $file . '.' . bin2hex(random_bytes(6)) . '.tmp';
    $text = "<?php\nreturn '" . bin2hex(random_bytes(32)) . "';\n";
    if (file_put_contents($temp, $text) !== strlen($text)) {
        return false;
    }
    // link() never replaces, so two first visitors at once agree on one secret.
    $made = (function_exists('link') && link($temp, $file)) || is_file($file)
        || rename($temp, $file);
    if (file_exists($temp)) {
        unlink($temp);
    }
    return $made;
}

function hurrex_signature($what, $secret)
{
    return hash_hmac('sha256', $what, $secret);
}

function hurrex_visitor_cookie($cookieName, $firstView, $secret)
{
    return $firstView . '.' . hurrex_signature($cookieName . '|' . $firstView, $secret);
}

// The first view a visitor cookie carries, or null when it is not one this package signed.
function hurrex_parse_visitor_cookie($cookieName, $value, $secret)
{
    if (!is_string($value) || !preg_match('/^(\d{1,12})\.([0-9a-f]{64})$/', $value, $m)) {
        return null;
    }
    $expected = hurrex_signature($cookieName . '|' . $m[1], $secret);
    return hash_equals($expected, $m[2]) ? (int)$m[1] : null;
}

// The part of an address that names one visitor: an IPv4 address whole, an IPv6 address by
// its /64 network. Null when it is no address.
function hurrex_address_key($address)
{
    $packed = is_string($address) ? inet_pton($address) : false;
    if ($packed === false || $packed === null) {
        return null;
    }
    if (strlen($packed) === 16 && substr($packed, 0, 12) === str_repeat("\0", 10) . "\xff\xff") {
        $packed = substr($packed, 12);
    }
    return strlen($packed) === 4 ? inet_ntop($packed) : bin2hex(substr($packed, 0, 8)) . '/64';
}

// ---- the visitor ----

function hurrex_cookie_options($expires)
{
    $folder = str_replace('\\', '/', dirname(isset($_SERVER['SCRIPT_NAME'])
        ? $_SERVER['SCRIPT_NAME'] : '/'));
    return ['expires' => $expires, 'path' => rtrim($folder, '/') . '/', 'httponly' => true,
        'samesite' => 'Lax',
        'secure' => !empty($_SERVER['HTTPS']) && strtolower($_SERVER['HTTPS']) !== 'off'];
}

// The visitor's first view: the earliest that the signed cookie and (with $checkip) the IP file
// remember, else now. With $remember both learn it.
function hurrex_first_view(array $cfg, $now, $remember)
{
    $secret = hurrex_secret();
    if ($secret === null) {
        return $now;
    }
    $name = $cfg['cookiename'];
    $fromCookie = isset($_COOKIE[$name])
        ? hurrex_parse_visitor_cookie($name, $_COOKIE[$name], $secret) : null;
    $first = min($now, $fromCookie === null ? $now : $fromCookie);
    if ($cfg['checkip'] === 1) {
        $key = hurrex_address_key(isset($_SERVER['REMOTE_ADDR']) ? $_SERVER['REMOTE_ADDR'] : '');
        if ($key !== null) {
            $first = hurrex_address_first_view($cfg, hurrex_signature('ip|' . $key, $secret),
                $first, $remember);
        }
    }
    if ($remember && $first !== $fromCookie) {
        if (headers_sent()) {
            hurrex_log('output began before stmain.php, so the visitor cookie cannot be set');
        } else {
            setcookie($name, hurrex_visitor_cookie($name, $first, $secret),
                hurrex_cookie_options($now + HURREX_VISITOR_COOKIE_SECONDS));
        }
    }
    return $first;
}

// The IP file holds one "hash first-view" line per address, oldest first, at most $maxiplen.
function hurrex_parse_address_lines($text)
{
    $entries = [];
    foreach (preg_split('/\R/', $text, -1, PREG_SPLIT_NO_EMPTY) as $line) {
        if (preg_match('/^([0-9a-f]{64}) (\d{1,12})$/', $line, $m)) {
            $entries[$m[1]] = (int)$m[2];
        }
    }
    return $entries;
}

function hurrex_address_first_view(array $cfg, $hash, $first, $remember)
{
    $path = hurrex_data_path($cfg['ipshuntname']);
    if (!$remember) {
        $text = hurrex_read_locked($path);
        $entries = hurrex_parse_address_lines($text === null ? '' : $text);
        return isset($entries[$hash]) ? min($first, $entries[$hash]) : $first;
    }
    $limit = max(1, $cfg['maxiplen']);
    hurrex_update_file($path, function ($old) use ($hash, &$first, $limit) {
        $entries = hurrex_parse_address_lines($old);
        if (isset($entries[$hash]) && $entries[$hash] <= $first) {
            $first = $entries[$hash];
            return $old;
        }
        $entries[$hash] = $first;
        $entries = array_slice($entries, -$limit, null, true);
        $text = '';
        foreach ($entries as $h => $t) {
            $text .= $h . ' ' . $t . "\n";
        }
        return $text;
    });
    return $first;
}

// ---- the sales page ----

function hurrex_is_html_response()
{
    $code = http_response_code();
    if ($code !== false && ($code < 200 || $code >= 300 || $code === 204)) {
        return false;
    }
    $type = ini_get('default_mimetype');
    foreach (headers_list() as $header) {
        if (stripos($header, 'content-type:') === 0) {
            $type = trim(substr($header, 13));
        }
    }
    return $type === '' || preg_match('#^\s*(text/html|application/xhtml\+xml)\b#i', $type) === 1;
}

// $html with $head put right after the opening <body> tag (when there is none, after the
// doctype, <html> and the head, or at the very start) and $tail before the closing </body> tag
// (or at the end).
function hurrex_inject($html, $head, $tail)
{
    if (preg_match('/<body(?:\s[^>]*)?>/i', $html, $m, PREG_OFFSET_CAPTURE)) {
        $at = $m[0][1] + strlen($m[0][0]);
    } else {
        preg_match('/^(?:\s+|<!--.*?-->|<\?xml[^>]*>|<!doctype[^>]*>|<html(?:\s[^>]*)?>'
            . '|<head(?:\s[^>]*)?>.*?<\/head\s*>)*/is', $html, $m);
        $at = strlen($m[0]);
    }
    $html = substr($html, 0, $at) . $head . substr($html, $at);
    if ($tail === '') {
        return $html;
    }
    $end = strripos($html, '</body');
    return $end === false || $end < $at ? $html . $tail : substr_replace($html, $tail, $end, 0);
}

// The bar's markup: the part after <body> and the part before </body>.
function hurrex_bar(array $cfg, array $offer)
{
    $open = $offer['open'];
    $minutes = $open ? hurrex_minutes_left($offer['secondsleft']) : 0;
    $copies = $open ? $offer['copiesleft'] : 0;
    $text = strtr($cfg['popuptext'], [
        '%%timeleft%%' => '<span class="hurrex-timeleft">' . $minutes . '</span>',
        '%%copiesleft%%' => '<span class="hurrex-copiesleft">' . $copies . '</span>',
    ]);
    $height = $cfg['popupheight'];
    $edge = $cfg['popuptop'] === 1 ? 'top' : 'bottom';
    $style = 'position:fixed;' . $edge . ':0;left:0;right:0;z-index:2147483647;margin:0 auto;'
        . 'box-sizing:border-box;width:' . ($cfg['popupwidth'] > 0 ? $cfg['popupwidth'] . 'px'
            : '100%') . ';max-width:100%;min-height:' . $height . 'px;padding:'
        . $cfg['popuppadding'] . 'px;border:' . $cfg['popupborder'] . 'px solid #000000;'
        . 'background:' . $cfg['popupbgcolor'] . ';text-align:center;line-height:normal;'
        . 'font-variant-numeric:tabular-nums;overflow-wrap:anywhere';
    $bar = '<div id="hurrex-bar" role="status" style="' . $style . '">' . $cfg['popupfont']
        . $text . ($cfg['popupfont'] !== '' ? '</font>' : '') . '</div>';
    $room = '<div id="hurrex-room" aria-hidden="true" style="height:' . $height
        . 'px;margin:0;padding:0"></div>';
    $script = '<script>' . hurrex_bar_script($cfg, $offer) . '</script>';
    return $edge === 'top' ? [$bar . $room . $script, ''] : [$bar . $script, $room];
}

// Keeps the room as tall as the bar, counts the minutes down from the seconds the server gave
// (elapsed time, not the visitor's clock), refreshes the copies left and reloads the page when
// the offer ends, so that the server decides.
function hurrex_bar_script(array $cfg, array $offer)
{
    $folder = dirname(isset($_SERVER['SCRIPT_NAME']) ? $_SERVER['SCRIPT_NAME'] : '/');
    $url = rtrim(str_replace('\\', '/', $folder), '/') . '/stiframe.php?format=json';
    $json = JSON_HEX_TAG | JSON_HEX_AMP | JSON_HEX_APOS | JSON_HEX_QUOT | JSON_UNESCAPED_SLASHES;
    $seconds = $offer['open'] ? $offer['secondsleft'] : null;
    $refresh = $offer['open'] && $cfg['maxsales'] > 0 ? 60000 * $cfg['refreshtime'] : 0;
    return '(function(){var b=document.getElementById("hurrex-bar"),'
        . 'r=document.getElementById("hurrex-room"),s=' . json_encode($seconds) . ',f='
        . $refresh . ',u=' . json_encode($url, $json) . ',t=performance.now();'
        . 'function put(c,v){var e=b.getElementsByClassName(c);'
        . 'for(var i=0;i<e.length;i++)e[i].textContent=v;}'
        . 'function fit(){r.style.height=b.offsetHeight+"px";}'
        . 'fit();addEventListener("resize",fit);addEventListener("load",fit);'
        . 'if(s!==null){(function tick(){var l=s-(performance.now()-t)/1000;'
        . 'if(l<=0){location.reload();return;}put("hurrex-timeleft",Math.ceil(l/60));'
        . 'setTimeout(tick,1000);})();}'
        . 'if(f>0){setInterval(function(){fetch(u,{cache:"no-store",credentials:"same-origin"})'
        . '.then(function(x){if(!x.ok)throw 0;return x.json();}).then(function(d){'
        . 'if(d.open===false){location.reload();return;}'
        . 'if(d.copiesleft!==null)put("hurrex-copiesleft",d.copiesleft);'
        . '}).catch(function(){});},f);}})();';
}

function hurrex_redirect($url)
{
    if (!headers_sent()) {
        header('Cache-Control: private, no-store');
        header('Location: ' . $url, true, 302);
        return;
    }
    hurrex_log('output began before stmain.php, so the visitor is sent on by a page, not a 302');
    $target = htmlspecialchars($url, ENT_QUOTES);
    echo '<meta http-equiv="refresh" content="0;url=' . $target . '"><p><a href="' . $target
        . '">Continue</a></p>';
}

// What stmain.php does on the sales page: sends an ended offer on to the next page, or puts the
// bar into the page's HTML.
function hurrex_page(array $vars)
{
    static $ran = false;
    if ($ran) {
        return;
    }
    $ran = true;
    $redirect = hurrex_guarded(function () use ($vars) {
        $cfg = hurrex_config($vars);
        if ($cfg === null) {
            hurrex_log('the sales page holds no offer settings; is stconfig1.php included?');
            return null;
        }
        $offer = hurrex_current_offer($cfg, time(), true);
        if (!$offer['open'] && $cfg['page2'] !== '') {
            return $cfg['page2'];
        }
        if (!headers_sent()) {
            header('Cache-Control: private, no-store');
        }
        list($head, $tail) = hurrex_bar($cfg, $offer);
        ob_start(function ($chunk, $phase) use ($head, $tail) {
            return hurrex_guarded(function () use ($chunk, $phase, $head, $tail) {
                return hurrex_filter_output($chunk, $phase, $head, $tail);
            }, $chunk);
        });
        return null;
    });
    if ($redirect !== null) {
        hurrex_redirect($redirect);
        exit;
    }
}

// The output handler: holds the page until its <body> tag (or its end) has passed, then puts
// the bar in, once, when the response is HTML.
function hurrex_filter_output($chunk, $phase, $head, $tail)
{
    static $held = '', $done = false;
    if ($done) {
        return $chunk;
    }
    if ($phase & PHP_OUTPUT_HANDLER_CLEAN) {
        $held = '';
        return '';
    }
    $held .= $chunk;
    $final = ($phase & PHP_OUTPUT_HANDLER_FINAL) !== 0;
    if (!$final && !preg_match('/<body(?:\s[^>]*)?>/i', $held)) {
        return '';
    }
    $done = true;
    $out = $held;
    $held = '';
    if (!hurrex_is_html_response()) {
        return $out;
    }
    if ($final) {
        return hurrex_inject($out, $head, $tail);
    }
    // The closing </body> comes in a later chunk: it gets the tail from the end of the output.
    if ($tail !== '') {
        register_shutdown_function(function () use ($tail) {
            echo $tail;
        });
    }
    return hurrex_inject($out, $head, '');
}

}

if (empty($hurrexLibraryOnly)) {
    hurrex_page(get_defined_vars());
}
