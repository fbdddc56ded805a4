<?php
// The offer package: its shared routines, and the sales-page behaviour.
//
// The sales page includes stconfig1.php and then this file; the offer is decided here and the
// bar is put into the page. The package's other scripts include this file with
// $hurrexLibraryOnly set, which only defines the routines.
//
// Nothing here may break the seller's page: every problem goes to PHP's error log and the page
// renders on.

if (!class_exists('Hurrex', false)) {

// The package's routines, one class so that a page declares them in one step.
final class Hurrex
{
    const EXPIRY_OFFSET = 6600;  // the tool writes the expiry as Unix seconds minus this
    const SECRET_FILE = 'stsecret.php';
    const SOLD_MARK_SECONDS = 86400;  // how long a counted browser is not counted again
    const VISITOR_COOKIE_SECONDS = 31536000;
    const BODY_TAG = '/<body(?:\s[^>]*)?>/i';

    public static function log($message)
    {
        error_log('hurrex: ' . $message);
    }

    // Runs $work with every PHP warning and notice sent to the error log instead of the page;
    // an exception is logged too, and $fallback returned.
    public static function guarded(callable $work, $fallback = null)
    {
        set_error_handler(function ($level, $message, $file, $line) {
            // A warning silenced with @ is one the package expects and handles itself.
            if (error_reporting() & $level) {
                self::log($message . ' in ' . $file . ' on line ' . $line);
            }
            return true;
        });
        try {
            return $work();
        } catch (Throwable $e) {
            self::log(get_class($e) . ': ' . $e->getMessage() . ' in ' . $e->getFile() . ' on line '
                . $e->getLine());
            return $fallback;
        } finally {
            restore_error_handler();
        }
    }

    // ---- configuration ----

    // The settings that stconfig1.php sets, with the values used when one is missing.
    public static function configDefaults()
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

    // The settings as the tool writes them by default, for when stconfig1.php cannot be read.
    public static function defaults()
    {
        $defaults = self::configDefaults();
        return $defaults['numbers'] + $defaults['texts'];
    }

    // The settings from the variables of stconfig1.php, checked and with defaults for missing
    // values; null when none of them is there.
    public static function config(array $vars)
    {
        $defaults = self::configDefaults();
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
            self::log('stconfig1.php lacks a usable value for $' . implode(', $', $missing)
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
    public static function loadConfig()
    {
        $file = __DIR__ . '/stconfig1.php';
        if (!is_file($file)) {
            self::log($file . ' is missing');
            return null;
        }
        $vars = (static function ($hurrexConfigFile) {
            include $hurrexConfigFile;
            return get_defined_vars();
        })($file);
        $cfg = self::config($vars);
        if ($cfg === null) {
            self::log($file . ' sets none of the offer settings');
        }
        return $cfg;
    }

    // A data file named in the settings: relative names are beside this file.
    private static function dataPath($name)
    {
        return ($name !== '' && $name[0] === '/') ? $name : __DIR__ . '/' . $name;
    }

    // ---- set-up pages ----

    // The package's data files: label => [path, content of a new file, holds a count].
    public static function dataFiles(array $cfg)
    {
        return [
            'sales file' => [self::dataPath($cfg['salesfile']), '0', true],
            'IP file' => [self::dataPath($cfg['ipshuntname']), '', false],
        ];
    }

    // What the setup pages say about one data file: [fine, what was found].
    public static function dataFileReport($path, $holdsCount)
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
            $count = self::parseCount((string)file_get_contents($path));
            return $count === null ? [false, 'is writable but does not hold a whole number']
                : [true, 'is writable and holds ' . $count];
        }
        return [true, 'is writable'];
    }

    // A setup page: a table of checks, each [what, fine, text], and more HTML after it.
    public static function reportPage($title, array $rows, $after = '')
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

    public static function minutesLeft($seconds)
    {
        return $seconds === null ? null : intdiv($seconds + 59, 60);
    }

    // The offer for one visitor at $now: copies left (null without a copy limit), seconds left
    // (null without a time limit) and whether it is still open. $firstView is the visitor's first
    // view, used by a one-time offer.
    public static function offer(array $cfg, $now, $sold, $firstView)
    {
        $copies = $cfg['maxsales'] > 0 ? max(0, $cfg['maxsales'] - $sold) : null;
        $deadline = null;
        if ($cfg['offerexpire'] > 0) {
            $deadline = $cfg['offerexpire'] + self::EXPIRY_OFFSET;
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
    public static function currentOffer(array $cfg, $now, $remember)
    {
        $sold = 0;
        if ($cfg['maxsales'] > 0) {
            $sold = self::readCount(self::dataPath($cfg['salesfile']));
            if ($sold === null) {
                $sold = 0;
            }
        }
        $firstView = $cfg['useoto'] === 1 ? self::firstView($cfg, $now, $remember) : null;
        return self::offer($cfg, $now, $sold, $firstView);
    }

    // ---- data files ----

    // A sales count as stored: one decimal integer; an empty file counts 0. Null when garbled.
    public static function parseCount($text)
    {
        $text = trim($text);
        if ($text === '') {
            return 0;
        }
        return preg_match('/^\d{1,15}$/', $text) ? (int)$text : null;
    }

    // The number in a count file, read under a shared lock; null (logged) when it cannot be read.
    private static function readCount($path)
    {
        $text = self::readLocked($path, 64);
        if ($text === null) {
            return null;
        }
        $count = self::parseCount($text);
        if ($count === null) {
            self::log($path . ' does not hold a whole number');
        }
        return $count;
    }

    // A data file's content, read under a shared lock; at most $limit bytes when given. Null
    // (logged) when it cannot be read.
    private static function readLocked($path, $limit = null)
    {
        $handle = fopen($path, 'r');
        if ($handle === false) {
            self::log($path . ' is missing or cannot be read');
            return null;
        }
        $text = false;
        if ((fstat($handle)['mode'] & 0170000) !== 0100000) {
            self::log($path . ' is not a file');
        } elseif (flock($handle, LOCK_SH)) {
            $text = $limit === null ? stream_get_contents($handle) : fread($handle, $limit);
        }
        fclose($handle);
        return $text === false ? null : $text;
    }

    // Read-modify-write of a data file under an exclusive lock. $change gets the content and
    // returns the new content, or null to refuse (the file stays as it was). The new content
    // replaces the file whole: through a renamed temporary file when the folder is writable,
    // else in place while the lock keeps every reader out. False when nothing was written.
    private static function updateFile($path, callable $change)
    {
        if (is_dir($path)) {
            self::log($path . ' is a folder, not a data file');
            return false;
        }
        for ($attempt = 0; $attempt < 10; $attempt++) {
            $handle = fopen($path, 'c+');
            if ($handle === false) {
                self::log('cannot open ' . $path . ' for writing');
                return false;
            }
            if (!flock($handle, LOCK_EX)) {
                fclose($handle);
                self::log('cannot lock ' . $path);
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
                && ($new === $old || self::replaceLocked($path, $handle, $locked, $new));
            fclose($handle);
            return $written;
        }
        self::log($path . ' kept being replaced while waiting for its lock');
        return false;
    }

    private static function replaceLocked($path, $handle, array $locked, $data)
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
        self::log('cannot write ' . $path);
        return false;
    }

    // Counts one sale in the sales file; false (logged) when it could not be counted.
    private static function countSale(array $cfg)
    {
        $path = self::dataPath($cfg['salesfile']);
        $counted = self::updateFile($path, function ($old) use ($path) {
            $count = self::parseCount($old);
            if ($count === null) {
                self::log($path . ' does not hold a whole number; the sale is not counted');
                return null;
            }
            return (string)($count + 1);
        });
        if (!$counted) {
            self::log('a sale was not counted at ' . gmdate('Y-m-d H:i:s') . ' UTC');
        }
        return $counted;
    }

    // Counts the sale of the browser sending this request, unless that browser was counted
    // already; when stconfig1.php cannot be read, in the sales file that the tool always names.
    // Returns the settings, null when they cannot be read.
    public static function thanks()
    {
        $cfg = self::guarded([self::class, 'loadConfig']);
        self::guarded(function () use ($cfg) {
            self::countBuyer($cfg === null ? self::defaults() : $cfg);
        });
        return $cfg;
    }

    private static function countBuyer(array $cfg)
    {
        $mark = $cfg['cookiename'] . '_counted';
        if (isset($_COOKIE[$mark]) || !self::countSale($cfg)) {
            return;
        }
        if (headers_sent()) {
            self::log('output began before stthanks.php, so a reload will count this sale again');
            return;
        }
        setcookie($mark, '1', self::cookieOptions(time() + self::SOLD_MARK_SECONDS));
    }

    // ---- the package secret and what it signs ----

    // The secret that signs visitor cookies and hashes addresses, made on first use; null
    // (logged) when it can neither be read nor made.
    public static function secret()
    {
        static $secret = null;
        if ($secret !== null) {
            return $secret;
        }
        $file = __DIR__ . '/' . self::SECRET_FILE;
        if (!is_file($file)) {
            self::createSecret($file);
        }
        $value = is_file($file) ? include $file : null;
        if (!is_string($value) || !preg_match('/^[0-9a-f]{64}$/', $value)) {
            self::log($file . ' cannot be made or holds no secret; visitors are not remembered');
            return null;
        }
        return $secret = $value;
    }

    private static function createSecret($file)
    {
        if (!is_writable(dirname($file))) {
            self::log('the folder of ' . $file . ' is not writable, so the secret cannot be made');
            return false;
        }
        // A .php name even for the moment before the link: never served as text.
        $temp = dirname($file) . '/stsecret-' . bin2hex(random_bytes(6)) . '.php';
        $text = "<?php\nreturn '" . bin2hex(random_bytes(32)) . "';\n";
        if (file_put_contents($temp, $text) !== strlen($text)) {
            return false;
        }
        // link() never replaces, so two first visitors at once agree on one secret; the one
        // that comes second finds the file there.
        $made = (function_exists('link') && @link($temp, $file)) || is_file($file)
            || rename($temp, $file);
        if (file_exists($temp)) {
            unlink($temp);
        }
        return $made;
    }

    private static function signature($what, $secret)
    {
        return hash_hmac('sha256', $what, $secret);
    }

    public static function visitorCookie($cookieName, $firstView, $secret)
    {
        return $firstView . '.' . self::signature($cookieName . '|' . $firstView, $secret);
    }

    // The first view a visitor cookie carries, or null when it is not one this package signed.
    public static function parseVisitorCookie($cookieName, $value, $secret)
    {
        if (!is_string($value) || !preg_match('/^(\d{1,12})\.([0-9a-f]{64})$/', $value, $m)) {
            return null;
        }
        $expected = self::signature($cookieName . '|' . $m[1], $secret);
        return hash_equals($expected, $m[2]) ? (int)$m[1] : null;
    }

    // The part of an address that names one visitor: an IPv4 address whole, an IPv6 address by
    // its /64 network. Null when it is no address.
    public static function addressKey($address)
    {
        $packed = is_string($address) ? inet_pton($address) : false;
        if ($packed === false || $packed === null) {
            return null;
        }
        $mappedIpv4 = str_repeat("\0", 10) . "\xff\xff";
        if (strlen($packed) === 16 && substr($packed, 0, 12) === $mappedIpv4) {
            $packed = substr($packed, 12);
        }
        return strlen($packed) === 4 ? inet_ntop($packed) : bin2hex(substr($packed, 0, 8)) . '/64';
    }

    // ---- the visitor ----

    // The URL folder of the running script, with a trailing slash.
    private static function scriptFolder()
    {
        $folder = dirname(isset($_SERVER['SCRIPT_NAME']) ? $_SERVER['SCRIPT_NAME'] : '/');
        return rtrim(str_replace('\\', '/', $folder), '/') . '/';
    }

    private static function cookieOptions($expires)
    {
        return ['expires' => $expires, 'path' => self::scriptFolder(), 'httponly' => true,
            'samesite' => 'Lax',
            'secure' => !empty($_SERVER['HTTPS']) && strtolower($_SERVER['HTTPS']) !== 'off'];
    }

    // The visitor's first view: the earliest that the signed cookie and (with $checkip) the IP file
    // remember, else now. With $remember both learn it.
    private static function firstView(array $cfg, $now, $remember)
    {
        $secret = self::secret();
        if ($secret === null) {
            return $now;
        }
        $name = $cfg['cookiename'];
        $fromCookie = isset($_COOKIE[$name])
            ? self::parseVisitorCookie($name, $_COOKIE[$name], $secret) : null;
        $first = min($now, $fromCookie === null ? $now : $fromCookie);
        if ($cfg['checkip'] === 1) {
            $key = self::addressKey(isset($_SERVER['REMOTE_ADDR']) ? $_SERVER['REMOTE_ADDR'] : '');
            if ($key !== null) {
                $first = self::addressFirstView($cfg, self::signature('ip|' . $key, $secret),
                    $first, $remember);
            }
        }
        if ($remember && $first !== $fromCookie) {
            if (headers_sent()) {
                self::log('output began before stmain.php, so the visitor cookie cannot be set');
            } else {
                setcookie($name, self::visitorCookie($name, $first, $secret),
                    self::cookieOptions($now + self::VISITOR_COOKIE_SECONDS));
            }
        }
        return $first;
    }

    // The IP file holds one "hash first-view" line per address, oldest first, at most $maxiplen.
    private static function parseAddressLines($text)
    {
        $entries = [];
        foreach (preg_split('/\R/', $text, -1, PREG_SPLIT_NO_EMPTY) as $line) {
            if (preg_match('/^([0-9a-f]{64}) (\d{1,12})$/', $line, $m)) {
                $entries[$m[1]] = (int)$m[2];
            }
        }
        return $entries;
    }

    private static function addressFirstView(array $cfg, $hash, $first, $remember)
    {
        $path = self::dataPath($cfg['ipshuntname']);
        if (!$remember) {
            $text = self::readLocked($path);
            $entries = self::parseAddressLines($text === null ? '' : $text);
            return isset($entries[$hash]) ? min($first, $entries[$hash]) : $first;
        }
        $limit = max(1, $cfg['maxiplen']);
        self::updateFile($path, function ($old) use ($hash, &$first, $limit) {
            $entries = self::parseAddressLines($old);
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

    private static function isHtmlResponse()
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
        return $type === ''
            || preg_match('#^\s*(text/html|application/xhtml\+xml)\b#i', $type) === 1;
    }

    // $html with $head put right after the opening <body> tag (when there is none, after the
    // doctype, <html> and the head, or at the very start) and $tail before the closing </body> tag
    // (or at the end).
    public static function inject($html, $head, $tail)
    {
        if (preg_match(self::BODY_TAG, $html, $m, PREG_OFFSET_CAPTURE)) {
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
    private static function bar(array $cfg, array $offer)
    {
        $open = $offer['open'];
        $minutes = $open ? self::minutesLeft($offer['secondsleft']) : 0;
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
        $script = '<script>' . self::barScript($cfg, $offer) . '</script>';
        return $edge === 'top' ? [$bar . $room . $script, ''] : [$bar . $script, $room];
    }

    // Keeps the room as tall as the bar, counts the minutes down from the seconds the server gave
    // (elapsed time, not the visitor's clock), refreshes the copies left and reloads the page when
    // the offer ends, so that the server decides.
    private static function barScript(array $cfg, array $offer)
    {
        $url = self::scriptFolder() . 'stiframe.php?format=json';
        $json = JSON_HEX_TAG | JSON_HEX_AMP | JSON_HEX_APOS | JSON_HEX_QUOT
            | JSON_UNESCAPED_SLASHES;
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

    public static function redirect($url)
    {
        if (!headers_sent()) {
            header('Cache-Control: private, no-store');
            header('Location: ' . $url, true, 302);
            return;
        }
        self::log('output began before stmain.php, so the visitor is sent on by a page, not a 302');
        $target = htmlspecialchars($url, ENT_QUOTES);
        echo '<meta http-equiv="refresh" content="0;url=' . $target . '"><p><a href="' . $target
            . '">Continue</a></p>';
    }

    // What stmain.php does on the sales page: sends an ended offer on to the next page, or puts the
    // bar into the page's HTML.
    public static function page(array $vars)
    {
        static $ran = false;
        if ($ran) {
            return;
        }
        $ran = true;
        $redirect = self::guarded(function () use ($vars) {
            $cfg = self::config($vars);
            if ($cfg === null) {
                self::log('the sales page holds no offer settings; is stconfig1.php included?');
                return null;
            }
            $offer = self::currentOffer($cfg, time(), true);
            if (!$offer['open'] && $cfg['page2'] !== '') {
                return $cfg['page2'];
            }
            if (!headers_sent()) {
                header('Cache-Control: private, no-store');
            }
            list($head, $tail) = self::bar($cfg, $offer);
            ob_start(function ($chunk, $phase) use ($head, $tail) {
                return self::guarded(function () use ($chunk, $phase, $head, $tail) {
                    return self::filterOutput($chunk, $phase, $head, $tail);
                }, $chunk);
            });
            return null;
        });
        if ($redirect !== null) {
            self::redirect($redirect);
            exit;
        }
    }

    // The output handler: holds the page until its <body> tag (or its end) has passed, then puts
    // the bar in, once, when the response is HTML.
    private static function filterOutput($chunk, $phase, $head, $tail)
    {
        static $held = '', $done = false;
        if ($done) {
            return $chunk;
        }
        if ($phase & PHP_OUTPUT_HANDLER_CLEAN) {
            $held = '';
            return '';
        }
        $held = $held === '' ? $chunk : $held . $chunk;  // a whole page: no copy
        $final = ($phase & PHP_OUTPUT_HANDLER_FINAL) !== 0;
        if (!$final && !preg_match(self::BODY_TAG, $held)) {
            return '';
        }
        $done = true;
        $out = $held;
        $held = '';
        if (!self::isHtmlResponse()) {
            return $out;
        }
        if ($final) {
            return self::inject($out, $head, $tail);
        }
        // The closing </body> comes in a later chunk: it gets the tail from the end of the output.
        if ($tail !== '') {
            register_shutdown_function(function () use ($tail) {
                echo $tail;
            });
        }
        return self::inject($out, $head, '');
    }
}

}

if (empty($hurrexLibraryOnly)) {
    Hurrex::page(get_defined_vars());
}
