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

/*part:filestore.php*/

// The package's routines, one class so that a page declares them in one step.
final class Hurrex
{
    /*contract*/
    const SECRET_FILE = 'stsecret.php';
    const SECRET = '/^[0-9a-f]{64}$/D';  // a secret as the package makes it: 64 hex digits
    const SOLD_MARK_SECONDS = 86400;  // how long an address that bought is not counted again
    const VISITOR_COOKIE_SECONDS = 31536000;
    // A byte that a cookie's Path or a script's string may not hold as it is: outside printable
    // ASCII, or the blank, a quote, the semicolon or the backslash.
    const URL_UNSAFE = '/[^\x21\x23-\x26\x28-\x3A\x3C-\x5B\x5D-\x7E]/';

    const HEX_DIGITS = '0123456789ABCDEFabcdef';
    // What the view kept of the settings for the next, beside the package (a live file, never
    // shipped): a PHP file that opcache keeps in memory, so a view reads it for little.
    const PREPARED_FILE = 'stprepared.php';
    // Which build of this file made a prepared file: the build puts in the digest of its text.
    const BUILD = '/*build*/';
    // How long a prepared file stays before a view may write it again: a host whose opcache
    // keeps an older copy in memory makes no write on every view.
    const PREPARED_REWRITE_SECONDS = 10;
    // A cookie name as the tool writes it: letters, digits and the underscore.
    const COOKIE_NAME = '/^[A-Za-z0-9_]{1,64}$/D';

    public static function log($message)
    {
        error_log('hurrex: ' . $message);
    }

    // Runs $work with $arguments and every PHP warning and notice sent to the error log instead
    // of the page; an exception is logged too, and $fallback returned.
    public static function guarded(callable $work, $fallback = null, array $arguments = [])
    {
        set_error_handler([self::class, 'logWarning']);
        try {
            return $work(...$arguments);
        } catch (Throwable $e) {
            self::logThrowable($e);
            return $fallback;
        } finally {
            restore_error_handler();
        }
    }

    public static function logThrowable(Throwable $e)
    {
        self::log(get_class($e) . ': ' . $e->getMessage() . ' in ' . $e->getFile() . ' on line '
            . $e->getLine());
    }

    // The error handler of guarded(): a warning silenced with @ is one the package expects and
    // handles itself.
    public static function logWarning($level, $message, $file, $line)
    {
        if (error_reporting() & $level) {
            self::log($message . ' in ' . $file . ' on line ' . $line);
        }
        return true;
    }

    // ---- configuration ----

    // The settings that stconfig1.php sets, with the values used when one is missing.
    public static function configDefaults()
    {
        return ['numbers' => array_combine(array_keys(self::NUMBERS),
            array_column(self::NUMBERS, 0)), 'texts' => self::TEXTS];
    }

    // The settings as the tool writes them by default, for when stconfig1.php cannot be read.
    public static function defaults()
    {
        $defaults = self::configDefaults();
        return $defaults['numbers'] + $defaults['texts'];
    }

    // A hand-edited number as the tool would have written it: the whole part of a finite number
    // or of a decimal text. Null when it is no number.
    private static function wholeNumber($value)
    {
        if (is_string($value) && preg_match('/^\s*(-?)(\d+)\s*$/', $value, $m)) {
            $value = strlen($m[2]) > 18 ? (float)$value : (int)$value;
        }
        if (is_float($value) && is_finite($value)) {
            return abs($value) < 9.0e18 ? (int)$value : ($value < 0 ? PHP_INT_MIN : PHP_INT_MAX);
        }
        return is_int($value) ? $value : null;
    }

    // A number of stconfig1.php that is not a whole number in its range, as the tool would have
    // written it: the default when it is no number, pulled into the range when outside.
    private static function numberAsWritten($name, $value, array $range, array &$missing,
        array &$outside)
    {
        list($default, $least, $most) = $range;
        if (!is_int($value)) {
            $value = self::wholeNumber($value);
            if ($value === null) {
                $missing[] = $name;
                $value = $default;
            }
        }
        if ($value < $least || $value > $most) {
            $value = $value < $least ? $least : $most;
            $outside[] = $name . ' (using ' . $value . ')';
        }
        return $value;
    }

    // The settings from the variables of stconfig1.php, checked, with defaults for missing
    // values and out-of-range numbers pulled into the tool's range; null when none is there.
    // $clean tells whether they were all as the tool writes them (nothing logged).
    public static function config(array $vars, &$clean = null)
    {
        $cfg = [];
        $missing = [];
        $outside = [];
        foreach (self::NUMBERS as $name => $range) {
            $value = isset($vars[$name]) ? $vars[$name] : null;
            if (!is_int($value) || $value < $range[1] || $value > $range[2]) {
                $value = self::numberAsWritten($name, $value, $range, $missing, $outside);
            }
            $cfg[$name] = $value;
        }
        foreach (self::TEXTS as $name => $default) {
            $value = isset($vars[$name]) ? $vars[$name] : null;
            if (is_scalar($value)) {
                $cfg[$name] = (string)$value;
            } else {
                $cfg[$name] = $default;
                $missing[] = $name;
            }
        }
        if (count($missing) === count(self::NUMBERS) + count(self::TEXTS)) {
            return null;
        }
        $color = $cfg['popupbgcolor'];
        if (strlen($color) !== 7 || $color[0] !== '#'
            || strspn($color, self::HEX_DIGITS, 1) !== 6) {
            $missing[] = 'popupbgcolor';
            $cfg['popupbgcolor'] = self::TEXTS['popupbgcolor'];
        }
        if (preg_match(self::COOKIE_NAME, $cfg['cookiename']) !== 1) {
            $missing[] = 'cookiename';
            $cfg['cookiename'] = self::TEXTS['cookiename'];
        }
        if ($missing) {
            self::log('stconfig1.php lacks a usable value for $' . implode(', $', $missing)
                . '; using defaults');
        }
        if ($outside) {
            self::log('stconfig1.php sets numbers out of range: $' . implode(', $', $outside));
        }
        if ($cfg['page2'] !== '') {
            $cfg['page2'] = trim(preg_replace('/[\x00-\x1F\x7F]/', '', $cfg['page2']));
        }
        $clean = !$missing && !$outside;
        return $cfg;
    }

    // The variables that stconfig1.php beside this file sets; null when it is missing.
    public static function configVars()
    {
        $file = __DIR__ . '/' . self::CONFIG_FILE;
        if (!is_file($file)) {
            self::log($file . ' is missing');
            return null;
        }
        return (static function ($hurrexConfigFile) {
            include $hurrexConfigFile;
            return get_defined_vars();
        })($file);
    }

    // The settings of stconfig1.php beside this file, for the package's own scripts.
    public static function loadConfig()
    {
        $vars = self::configVars();
        if ($vars === null) {
            return null;
        }
        $file = __DIR__ . '/' . self::CONFIG_FILE;
        $cfg = self::config($vars);
        if ($cfg === null) {
            self::log($file . ' sets none of the offer settings');
        }
        return $cfg;
    }

    // Where the offer's state is kept, chosen once: a database when stdatabase.php lies beside
    // the package, for a site on several web servers; else the data files.
    public static function store()
    {
        static $store = null;
        if ($store === null) {
            if (is_file(__DIR__ . '/' . self::DATABASE_FILE)) {
                require_once __DIR__ . '/stdbstore.php';
                $store = HurrexDatabase::open(__DIR__);
            } else {
                $store = new HurrexFileStore(__DIR__);
            }
        }
        return $store;
    }

    // ---- the offer ----

    public static function minutesLeft($seconds)
    {
        return $seconds === null ? null : intdiv($seconds + 59, 60);
    }

    // The offer for one visitor at $now: copies left (null without a copy limit), seconds left
    // (null without a time limit) and whether it is still open. $firstView is the visitor's first
    // view, used by a one-time offer. $sold is null when the count cannot be read: no copies-left
    // figure then, rather than a wrong one.
    public static function offer(array $cfg, $now, $sold, $firstView)
    {
        $copies = $cfg['maxsales'] > 0 && $sold !== null ? max(0, $cfg['maxsales'] - $sold) : null;
        $deadline = null;
        if ($cfg['offerexpire'] !== 0) {
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
        $sold = $cfg['maxsales'] > 0 ? self::store()->sold($cfg) : 0;
        $firstView = self::visitor($cfg, $now, $remember);
        return self::offer($cfg, $now, $sold, $firstView);
    }

    // ---- data files ----

    // A sales count as stored: one decimal integer. Null when the text is anything else, empty
    // included: a count is never guessed.
    public static function parseCount($text)
    {
        $text = trim($text);
        return strlen($text) <= 15 && ctype_digit($text) ? (int)$text : null;
    }

    // Counts the sale of the browser sending this request: a browser that viewed the sales page
    // (it carries the signed visitor cookie) and was not counted yet; with $checkip also at most
    // once a day per address. In the database when there is one; else, when stconfig1.php cannot
    // be read, in the sales file that the tool always names. Returns the settings, null when they
    // cannot be read.
    public static function thanks()
    {
        if (!headers_sent()) {
            header('Cache-Control: private, no-store');
        }
        $cfg = self::guarded([self::class, 'loadConfig']);
        self::guarded(function () use ($cfg) {
            self::countBuyer($cfg === null ? self::defaults() : $cfg, $cfg !== null);
        });
        return $cfg;
    }

    // With $knownName false (stconfig1.php unreadable) any visitor cookie that this package
    // signed will do, whatever number its name carries. The buyer is the visitor id that the
    // cookie carries, and the store counts each once, however often or late the page is opened.
    private static function countBuyer(array $cfg, $knownName)
    {
        $method = self::request('REQUEST_METHOD');
        $method = $method === null ? 'GET' : $method;
        if ($method !== 'GET' && $method !== 'POST') {
            return;
        }
        if (!$knownName) {
            foreach (array_keys($_COOKIE) as $name) {
                if (preg_match('/^hurrex\d{1,3}$/', $name)) {
                    $cfg['cookiename'] = $name;
                }
            }
        }
        $visitor = self::visitorFromCookie($cfg);
        if ($visitor === null) {
            return;
        }
        list($first, $buyer) = $visitor;
        $now = time();
        if ($buyer === null) {
            // A cookie from before visitors had ids. Its browser carries the mark of a sale for a
            // day after one was counted; else it gets an id now, kept in its cookie.
            if (isset($_COOKIE[$cfg['cookiename'] . '_counted'])) {
                return;
            }
            $buyer = self::newVisitorId();
            if (headers_sent()) {
                self::log('output began before stthanks.php, so a reload will count this sale '
                    . 'again');
            } else {
                self::sendVisitorCookie($cfg['cookiename'], $first, $buyer);
            }
        }
        $address = $cfg['checkip'] === 1 ? self::addressKey(self::remoteAddress()) : null;
        self::store()->countSale($cfg, $buyer, $address === null ? null
            : self::recordKey('sold|' . $address), $now);
    }

    // ---- the package secret and what it signs ----

    // The secret that signs visitor cookies and hashes addresses, kept by the store.
    public static function secret()
    {
        static $secret = null;
        return $secret !== null ? $secret : ($secret = self::store()->secret());
    }

    // HMAC-SHA-256 in hex: the keys of remembered addresses and buyers, and the signature of
    // visitor cookies where PHP lacks sodium (and of every cookie signed before it was used).
    public static function signature($what, $secret)
    {
        return hash_hmac('sha256', $what, $secret);
    }

    // The signature of visitor cookies where PHP has sodium: keyed BLAKE2b of 128 bits in hex,
    // a tenth of the work of an HMAC-SHA-256 and half its length, so that the two never mix.
    // Null without sodium.
    public static function quickSignature($what, $secret)
    {
        static $keys = [];  // secret => its bytes, false without sodium
        if (!isset($keys[$secret])) {
            $keys[$secret] = function_exists('sodium_crypto_generichash') ? hex2bin($secret)
                : false;
        }
        return $keys[$secret] === false ? null
            : bin2hex(sodium_crypto_generichash($what, $keys[$secret], 16));
    }

    // A visitor cookie's value: the first view and the visitor's id, signed.
    public static function visitorCookie($cookieName, $firstView, $id, $secret)
    {
        $what = $cookieName . '|' . $firstView . '|' . $id;
        $signature = self::quickSignature($what, $secret);
        return $firstView . '.' . $id . '.'
            . ($signature !== null ? $signature : self::signature($what, $secret));
    }

    // [first view, id] that a visitor cookie carries, or null when it is not one this package
    // signed. A cookie signed before visitors had ids carries the first view alone: id null.
    // Cookies signed with either signature are good, whichever this PHP makes now.
    public static function parseVisitorCookie($cookieName, $value, $secret)
    {
        // first view.signature or first view.id.signature; the signature vouches for the id's
        // letter case, as the package signs only ids of lower-case hex digits.
        $parts = is_string($value) ? explode('.', $value) : [];
        $count = count($parts);
        if ($count < 2 || $count > 3 || strlen($parts[0]) > 12 || !ctype_digit($parts[0])
            || ($count === 3 && (strlen($parts[1]) !== 32 || !ctype_xdigit($parts[1])))) {
            return null;
        }
        $id = $count === 3 ? $parts[1] : null;
        $signed = $cookieName . '|' . $parts[0] . ($id === null ? '' : '|' . $id);
        $signature = $parts[$count - 1];
        $length = strlen($signature);
        if ($length === 64) {
            $expected = self::signature($signed, $secret);
        } elseif ($length === 32 && $id !== null) {
            $expected = self::quickSignature($signed, $secret);
        } else {
            return null;
        }
        return $expected !== null && hash_equals($expected, $signature)
            ? [(int)$parts[0], $id] : null;
    }

    // [first view, id] of this request's visitor cookie, null without a valid one.
    private static function visitorFromCookie(array $cfg)
    {
        $name = $cfg['cookiename'];
        return isset($_COOKIE[$name])
            ? self::parseVisitorCookie($name, $_COOKIE[$name], self::secret()) : null;
    }

    // A new visitor's id: 128 random bits, so that visitors of the same second differ.
    private static function newVisitorId()
    {
        return bin2hex(random_bytes(16));
    }

    // Sets the visitor cookie for the folder of the running script. Written by hand: PHP's
    // setcookie() refuses paths that browsers send, such as one with a comma. Max-Age alone:
    // every browser in use honours it, and an Expires date costs a view more than the rest of
    // the header.
    private static function sendVisitorCookie($name, $first, $id)
    {
        $https = self::request('HTTPS');
        $secure = !empty($https) && strtolower($https) !== 'off';
        $value = self::visitorCookie($name, $first, $id, self::secret());
        header('Set-Cookie: ' . $name . '=' . $value . '; Max-Age=' . self::VISITOR_COOKIE_SECONDS
            . '; path=' . self::folders()[1] . '; HttpOnly; SameSite=Lax'
            . ($secure ? '; Secure' : ''), false);
    }

    // The part of an address that names one visitor: an IPv4 address whole, an IPv6 address by
    // its /64 network. Null when it is no address.
    public static function addressKey($address)
    {
        $packed = is_string($address) ? @inet_pton($address) : false;
        if ($packed === false || $packed === null) {
            return null;
        }
        $mappedIpv4 = str_repeat("\0", 10) . "\xff\xff";
        if (strlen($packed) === 16 && substr($packed, 0, 12) === $mappedIpv4) {
            $packed = substr($packed, 12);
        }
        return strlen($packed) === 4 ? inet_ntop($packed) : bin2hex(substr($packed, 0, 8)) . '/64';
    }

    // Forwarded-for headers are the visitor's to forge: the address is the connection's.
    private static function remoteAddress()
    {
        $address = self::request('REMOTE_ADDR');
        return $address === null ? '' : $address;
    }

    // ---- the request ----

    // The servers that hand PHP the request's variables by name (getenv()): Apache's module and
    // FastCGI.
    const BY_NAME = ['apache2handler' => 1, 'fpm-fcgi' => 1, 'cgi-fcgi' => 1];

    // The request's variable $name as $_SERVER holds it; null when the request has none. This
    // file never names $_SERVER: PHP would then build all of it whenever the file is loaded, the
    // most of what a view costs on Apache. Read from $_SERVER when the page made PHP build it
    // already, changes the page made to it included; else asked of the server by name where it
    // hands them out that way; else from the copy that stserver.php returns.
    public static function request($name)
    {
        static $server = null;
        if ($server === null) {
            if (isset($GLOBALS['_SERVER'])) {
                $server = false;
            } elseif (isset(self::BY_NAME[PHP_SAPI])) {
                $server = true;
            } else {
                $server = @include __DIR__ . '/stserver.php';
                if (!is_array($server)) {
                    self::log(__DIR__ . '/stserver.php is missing; upload the whole package');
                    $server = [];
                }
            }
        }
        if ($server === false) {
            return isset($GLOBALS['_SERVER'][$name]) ? $GLOBALS['_SERVER'][$name] : null;
        }
        if ($server === true) {
            $value = getenv($name);
            return $value === false ? null : $value;
        }
        return isset($server[$name]) ? $server[$name] : null;
    }

    // ---- the visitor ----

    // The folders of this request, worked out once: [the running script's folder as browsers
    // send it (percent-encoded), the path the visitor cookie is scoped to]. The first is the part
    // of the request's own path that decodes to the script's folder, else that folder encoded as
    // browsers encode a path: the bar's refresh asks there. The second is that folder, widened to
    // the folder the browser asked for when the host rewrites another address to the page
    // (/special served by /shop/index.php), so that the browser sends the cookie back to the
    // page and to the scripts beside it alike.
    private static function folders()
    {
        static $folders = null;
        if ($folders !== null) {
            return $folders;
        }
        // The script's folder as PHP decoded it, with a trailing slash: a plain name is cut at its
        // last slash, which is what dirname() makes of it, for less.
        $name = (string)self::request('SCRIPT_NAME');
        $name = $name === '' ? '/' : $name;
        $cut = strrpos($name, '/');
        if ($cut !== false && $cut < strlen($name) - 1 && ($cut === 0 || $name[$cut - 1] !== '/')
            && strpos($name, '\\') === false) {
            $folder = substr($name, 0, $cut + 1);
        } else {
            $folder = rtrim(str_replace('\\', '/', dirname($name)), '/') . '/';
        }
        $uri = (string)self::request('REQUEST_URI');
        $path = substr($uri, 0, strcspn($uri, '?#'));
        $url = null;
        if ($path !== '' && $path[0] === '/' && strpos($path, '%') !== false) {
            for ($at = 0; $url === null && ($at = strpos($path, '/', $at)) !== false; $at++) {
                if (rawurldecode(substr($path, 0, $at + 1)) === $folder) {
                    $url = self::cookieSafe(substr($path, 0, $at + 1));
                }
            }
        }
        if ($url === null) {
            $url = self::cookieSafe($folder);
        }
        // A request within the folder: the folder holds no byte that cookieSafe() changes, so the
        // folder asked for begins with it as well.
        if ($path === '' || $path[0] !== '/' || strncmp($path, $url, strlen($url)) === 0) {
            return $folders = [$url, $url];
        }
        $asked = self::cookieSafe(substr($path, 0, strrpos($path, '/') + 1));
        if (strncmp($asked, $url, strlen($url)) === 0) {
            return $folders = [$url, $url];
        }
        $same = strspn($asked ^ $url, "\0");
        return $folders = [$url, substr($url, 0, strrpos(substr($url, 0, $same), '/') + 1)];
    }

    // A URL path fit for a cookie's Path and a script's string: every byte outside printable
    // ASCII, and the blank, quotes, semicolon and backslash, percent-encoded.
    private static function cookieSafe($path)
    {
        if (preg_match(self::URL_UNSAFE, $path) !== 1) {
            return $path;
        }
        return preg_replace_callback(self::URL_UNSAFE, function ($m) {
            return sprintf('%%%02X', ord($m[0]));
        }, $path);
    }

    // The visitor's first view: the earliest that the signed cookie and, in a one-time offer
    // with $checkip, the IP file remember, else now. With $remember both learn it; every offer
    // kind gives a new visitor the cookie, which the thank-you page asks for.
    private static function visitor(array $cfg, $now, $remember)
    {
        $cookie = self::visitorFromCookie($cfg);
        $fromCookie = $cookie === null ? null : $cookie[0];
        $first = $fromCookie === null || $fromCookie > $now ? $now : $fromCookie;
        if ($cfg['useoto'] === 1 && $cfg['checkip'] === 1) {
            $address = self::addressKey(self::remoteAddress());
            if ($address !== null) {
                $first = self::addressFirstView($cfg, self::recordKey('ip|' . $address), $first,
                    $remember);
            }
        }
        if ($remember && ($first !== $fromCookie || $cookie[1] === null)) {
            if (headers_sent()) {
                self::log('output began before stmain.php, so the visitor cookie cannot be set');
            } else {
                $id = $cookie === null || $cookie[1] === null ? self::newVisitorId() : $cookie[1];
                self::sendVisitorCookie($cfg['cookiename'], $first, $id);
            }
        }
        return $first;
    }

    private static function addressFirstView(array $cfg, $key, $first, $remember)
    {
        return self::store()->firstView($cfg, $key, $first, $remember);
    }

    private static function recordKey($what)
    {
        return substr(self::signature($what, self::secret()), 0, 32);
    }

    // ---- the sales page ----

    // Whether the response is an HTML page, by its status and the headers set so far (lower-case
    // name => value, from responseHeaders()).
    public static function isHtmlResponse(array $headers)
    {
        $code = http_response_code();
        if ($code !== false && ($code < 200 || $code >= 300 || $code === 204)) {
            return false;
        }
        $type = isset($headers['content-type']) ? $headers['content-type']
            : ini_get('default_mimetype');
        return $type === '' || $type === 'text/html'
            || preg_match('#^\s*(text/html|application/xhtml\+xml)\b#i', $type) === 1;
    }

    const CONTENT_HEADERS = ['content-type' => 1, 'content-encoding' => 1, 'content-length' => 1];

    // The response's content headers set so far (type, encoding, length): lower-case name =>
    // value, the last one of each name.
    public static function responseHeaders()
    {
        $headers = [];
        foreach (headers_list() as $line) {
            $colon = strncasecmp($line, 'content-', 8) === 0 ? strpos($line, ':') : false;
            $name = $colon === false ? '' : strtolower(substr($line, 0, $colon));
            if (isset(self::CONTENT_HEADERS[$name])) {
                $headers[$name] = trim(substr($line, $colon + 1), " \t");
            }
        }
        return $headers;
    }

    // Elements whose content is text, not tags, until their closing tag.
    const RAW_TEXT = ['script' => 1, 'style' => 1, 'title' => 1, 'textarea' => 1,
        'noscript' => 1, 'template' => 1, 'xmp' => 1, 'iframe' => 1, 'noframes' => 1];
    // Elements of the page's head, and the document's frame, before the body.
    const HEAD_TAGS = ['html' => 1, 'head' => 1, 'meta' => 1, 'link' => 1, 'title' => 1,
        'style' => 1, 'script' => 1, 'base' => 1, 'noscript' => 1, 'template' => 1];

    // The rest of a tag after its name: attributes, quoted values passed over, and the ">".
    const TAG_REST = '(?>[^>"\']++|"[^"]*+"|\'[^\']*+\')*+>';
    // The usual start of a page up to and with its opening <body> tag, in one match: only what
    // barPlace() passes over there (blanks, comments, the doctype, the head's tags and the text
    // of its raw-text elements, closing tags of the head).
    const USUAL_START = '~\A(?>[ \t\r\n\f]++|<!--(?>.*?-->)|<(?:!(?!--)|\?)' . self::TAG_REST
        . '|<(?:html|head|meta|link|base)(?=[\s/>])' . self::TAG_REST
        . '|<(title|style|script|noscript|template)(?=[\s/>])' . self::TAG_REST
        . '(?>.*?</\1(?=[ \t\r\n\f/>]))' . self::TAG_REST
        . '|</(?:html|head|meta|link|title|style|script|base|noscript|template|body)(?=[\s/>])'
        . self::TAG_REST . ')*+<body(?=[\s/>])' . self::TAG_REST . '~is';

    // Where the bar goes in $html: [offset, found], found being true once it is known. Right
    // after the page's opening <body> tag, with comments, scripts and quoted attribute values
    // passed over; without one, where the body begins: after the doctype, <html> and the head.
    // When $html may still grow ($more), [$resume, false] tells where the unfinished part starts.
    public static function barPlace($html, $more = false, $from = 0)
    {
        if ($from === 0 && preg_match(self::USUAL_START, $html, $usual) === 1) {
            return [strlen($usual[0]), true];
        }
        return self::walkToBarPlace($html, $more, $from);
    }

    // barPlace() tag by tag, for any page.
    public static function walkToBarPlace($html, $more, $from)
    {
        $at = $from;
        $length = strlen($html);
        while (true) {
            $at += strspn($html, " \t\r\n\f", $at);
            if ($at >= $length) {
                return [$at, !$more];
            }
            if ($html[$at] !== '<') {
                return [$at, true];  // text: the body has begun
            }
            $start = $at;
            if (substr_compare($html, '<!--', $at, 4) === 0) {
                $end = strpos($html, '-->', $at + 4);
                if ($end === false) {
                    return [$start, !$more];
                }
                $at = $end + 3;
                continue;
            }
            if (!preg_match('/\G<(\/?)([A-Za-z][^\s\/>]*)|\G<[!?]/', $html, $m, 0, $at)) {
                return $at + 1 >= $length && $more ? [$start, false] : [$start, true];
            }
            $at = self::tagEnd($html, $at + strlen($m[0]));
            if ($at === null) {
                return [$start, !$more];
            }
            if (!isset($m[2])) {
                continue;  // a doctype or an XML declaration
            }
            $name = strtolower($m[2]);
            if ($m[1] === '') {
                if ($name === 'body') {
                    return [$at, true];
                }
                if (!isset(self::HEAD_TAGS[$name])) {
                    return [$start, true];  // an element of the body without a <body> tag
                }
                if (isset(self::RAW_TEXT[$name])) {
                    $close = self::closingTag($html, $name, $at);
                    if ($close === null) {
                        return [$start, !$more];
                    }
                    $at = $close;
                }
            } elseif (!isset(self::HEAD_TAGS[$name]) && $name !== 'body') {
                return [$start, true];
            }
        }
    }

    // The offset after the tag whose attributes begin at $at, honouring quoted values; null
    // when the tag does not end in $html.
    private static function tagEnd($html, $at)
    {
        $length = strlen($html);
        while (($at += strcspn($html, '>"\'', $at)) < $length) {
            if ($html[$at] === '>') {
                return $at + 1;
            }
            $close = strpos($html, $html[$at], $at + 1);
            if ($close === false) {
                return null;
            }
            $at = $close + 1;
        }
        return null;
    }

    // The offset after the closing tag of raw-text element $name from $at; null when missing.
    private static function closingTag($html, $name, $at)
    {
        while (($at = stripos($html, '</' . $name, $at)) !== false) {
            $after = $at + 2 + strlen($name);
            if ($after < strlen($html) && strpos(" \t\r\n\f/>", $html[$after]) !== false) {
                return self::tagEnd($html, $after);
            }
            $at = $after;
        }
        return null;
    }

    // $html with $head put where barPlace() says and $tail before the closing </body> tag (or
    // at the end).
    public static function inject($html, $head, $tail, $at = null)
    {
        if ($at === null) {
            $at = self::barPlace($html)[0];
        }
        $html = substr_replace($html, $head, $at, 0);
        if ($tail === '') {
            return $html;
        }
        // The last </body>, looked for in the page's end first: strripos() lowers the case of all
        // it searches.
        $cut = max($at, strlen($html) - 4096);
        $end = strripos(substr($html, $cut), '</body');
        if ($end !== false) {
            $end += $cut;
        } elseif ($cut > $at) {
            $end = strripos($html, '</body', $at);
        }
        return $end === false ? $html . $tail : substr_replace($html, $tail, $end, 0);
    }

    // Part $name of the bar with its placeholders filled from $values (name => text, every one of
    // the part's names). The parts come from the template server/bar.template, which the tool
    // fills in its preview too: the build writes each here as one expression joining its text
    // and the values, so a filled value is never searched again.
    private static function fill($name, array $values)
    {
        switch ($name) {
            /*bar.template*/
        }
        throw new LogicException('the bar has no part ' . $name);
    }

    // Marks a name in the bar's markup while it is laid out. Neither the template nor the values
    // the package fills in itself hold a control byte; the seller's texts go in after the split.
    const MARK = "\x01";

    // The bar for the settings $cfg, laid out for the views: [the part after <body>, the part
    // before </body>], each a list of texts with, between each two, the name of a figure that
    // every view fills in (minutes, copies, seconds, refresh, url).
    public static function barLayout(array $cfg)
    {
        $mark = function ($name) {
            return self::MARK . $name . self::MARK;
        };
        $texts = ['font' => $cfg['popupfont']];  // the seller's, put in after the split
        $text = '';
        $pieces = preg_split('/(%%timeleft%%|%%copiesleft%%)/', $cfg['popuptext'], -1,
            PREG_SPLIT_DELIM_CAPTURE);
        foreach ($pieces as $i => $piece) {
            if ($i % 2 === 0) {
                $texts['text' . $i] = $piece;
                $text .= $mark('text' . $i);
            } else {
                $text .= $piece === '%%timeleft%%'
                    ? self::fill('timeleft', ['minutes' => $mark('minutes')])
                    : self::fill('copiesleft', ['copies' => $mark('copies')]);
            }
        }
        $height = $cfg['popupheight'];
        $edge = $cfg['popuptop'] === 1 ? 'top' : 'bottom';
        $bar = self::fill('bar', [
            'edge' => $edge,
            'width' => $cfg['popupwidth'] > 0 ? $cfg['popupwidth'] . 'px' : '100%',
            'height' => $height,
            'padding' => $cfg['popuppadding'],
            'border' => $cfg['popupborder'],
            'color' => $cfg['popupbgcolor'],
            'font' => $mark('font'),
            'text' => $text,
            'fontend' => $cfg['popupfont'] !== '' ? '</font>' : '',
        ]);
        $room = self::fill('room', ['height' => $height]);
        // The script counts the minutes down from the seconds the server gave, refreshes the
        // copies left and reloads the page when the offer ends, so that the server decides.
        $script = self::fill('script', ['seconds' => $mark('seconds'),
            'refresh' => $mark('refresh'), 'url' => $mark('url'), 'ended' => 'location.reload()']);
        $parts = $edge === 'top' ? [$bar . $room . $script, ''] : [$bar . $script, $room];
        return [self::layout($parts[0], $texts), self::layout($parts[1], $texts)];
    }

    // $markup split at its marks: texts, with the seller's $texts (mark name => text) put in,
    // and the names of the figures between them.
    private static function layout($markup, array $texts)
    {
        $pieces = explode(self::MARK, $markup);
        $layout = [$pieces[0]];
        $last = 0;
        for ($i = 1, $count = count($pieces); $i < $count; $i += 2) {
            if (isset($texts[$pieces[$i]])) {
                $layout[$last] .= $texts[$pieces[$i]] . $pieces[$i + 1];
            } else {
                $layout[] = $pieces[$i];
                $layout[] = $pieces[$i + 1];
                $last += 2;
            }
        }
        return $layout;
    }

    // The bar's markup for $offer from its $layout (barLayout()): [the part after <body>, the
    // part before </body>].
    private static function bar(array $layout, array $cfg, array $offer)
    {
        $open = $offer['open'];
        $seconds = $open ? $offer['secondsleft'] : null;
        $figures = [
            'minutes' => $open ? self::minutesLeft($seconds) : 0,
            'copies' => $open ? $offer['copiesleft'] : 0,
            'seconds' => $seconds === null ? 'null' : $seconds,
            // At least a minute apart, and never longer than a browser timer can wait.
            'refresh' => $open && $cfg['maxsales'] > 0
                ? min(60000 * $cfg['refreshtime'], self::LONGEST_TIMER_MS) : 0,
            'url' => self::folders()[0] . self::FIGURES_ADDRESS,
        ];
        // The address as a script's string. A URL path as folders() gives it holds no quote,
        // backslash or control byte: only <, > and & are left to escape, so that the text never
        // closes the script.
        $figures['url'] = strpbrk($figures['url'], '<>&') === false ? '"' . $figures['url'] . '"'
            : json_encode($figures['url'], JSON_HEX_TAG | JSON_HEX_AMP | JSON_HEX_APOS
                | JSON_HEX_QUOT | JSON_UNESCAPED_SLASHES);
        foreach ($layout as $part => $pieces) {
            for ($i = 1, $count = count($pieces); $i < $count; $i += 2) {
                $pieces[$i] = $figures[$pieces[$i]];
            }
            $layout[$part] = implode('', $pieces);
        }
        return $layout;
    }

    // The next page's address: a relative one made absolute against the sales page's folder, so
    // that path info after the script's name (/shop/index.php/extra) cannot change where it
    // leads.
    public static function nextPage(array $cfg)
    {
        $page = $cfg['page2'];
        return $page === '' || preg_match('#^(?:[A-Za-z][A-Za-z0-9+.-]*:|/)#', $page) === 1
            ? $page : self::folders()[0] . $page;
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

    // What stmain.php does on the sales page, given the page's settings ($values: one for each of
    // NUMBERS and then of TEXTS in their order, null where the page sets none): sends an ended
    // offer on to the next page, or puts the bar into the page's HTML. As guarded() does, written
    // out: a view's every step counts.
    public static function page(array $values)
    {
        static $ran = false;
        if ($ran) {
            return;
        }
        $ran = true;
        set_error_handler([self::class, 'logWarning']);
        try {
            $redirect = self::offerPage($values);
        } catch (Throwable $e) {
            self::logThrowable($e);
            $redirect = null;
        } finally {
            restore_error_handler();
        }
        if ($redirect !== null) {
            self::redirect($redirect);
            exit;
        }
    }

    // The sales page's offer: the address of the next page when the offer has ended and the
    // visitor is sent on, else null, and the bar is put into the page as it is sent.
    private static function offerPage(array $values)
    {
        $view = self::prepared($values);
        if ($view === null) {
            if (get_included_files()[0] !== __FILE__) {  // not a request for this file itself
                self::log('the sales page holds no offer settings; is stconfig1.php included?');
            }
            return null;
        }
        list($cfg, $layout) = $view;
        $offer = self::currentOffer($cfg, time(), true);
        if (!$offer['open'] && $cfg['page2'] !== '') {
            return self::nextPage($cfg);
        }
        if (!headers_sent()) {
            header('Cache-Control: private, no-store');
        }
        ob_start(new HurrexPageFilter(self::bar($layout, $cfg, $offer)));
        return null;
    }

    // The sales page's settings ($values, as page() takes them) checked, and the bar laid out for
    // them: [settings, layout], null when the page sets none. Where opcache keeps files in memory
    // they are kept in the prepared file for the views after, which read them from there while
    // the page's settings and this build of the package are those they were made for.
    private static function prepared(array $values)
    {
        $file = __DIR__ . '/' . self::PREPARED_FILE;
        $keep = ini_get('opcache.enable') && (PHP_SAPI !== 'cli' || ini_get('opcache.enable_cli'));
        if ($keep && is_file($file)) {
            $kept = include $file;
            if (isset($kept['build'], $kept['values'], $kept['view'])
                && $kept['build'] === self::BUILD && $kept['values'] === $values) {
                return $kept['view'];
            }
        }
        // Not a constant of its own: a constant made of others would have PHP work out every
        // constant of the class whenever another class first reads one, on every view.
        $cfg = self::config(array_combine(array_keys(self::NUMBERS + self::TEXTS), $values),
            $clean);
        if ($cfg === null) {
            return null;
        }
        $view = [$cfg, self::barLayout($cfg)];
        if ($keep && $clean) {  // settings with a problem are logged on every view instead
            self::keepPrepared($file,
                ['build' => self::BUILD, 'values' => $values, 'view' => $view]);
        }
        return $view;
    }

    // Writes the prepared file whole, unless a view wrote it a moment ago (a host whose opcache
    // keeps an older copy would else have every view write it) or the folder cannot be written.
    private static function keepPrepared($file, array $prepared)
    {
        $now = time();
        $written = @filemtime($file);
        if (($written !== false && $written <= $now
            && $now - $written < self::PREPARED_REWRITE_SECONDS) || !is_writable(__DIR__)) {
            return;
        }
        // Only whole numbers, texts and lists of them: the settings are kept only when each is
        // one the tool could have written.
        $text = "<?php\n// The offer's settings, prepared by the offer package for its views.\n"
            . 'return ' . var_export($prepared, true) . ";\n";
        $temp = __DIR__ . '/stprepared-' . bin2hex(random_bytes(6)) . '.php';
        if (@file_put_contents($temp, $text) === strlen($text) && @rename($temp, $file)) {
            if (function_exists('opcache_invalidate')) {
                @opcache_invalidate($file, true);
            }
            return;
        }
        @unlink($temp);
        self::log('cannot write ' . $file . '; the views work without it');
    }
}

// The sales page's output handler: holds the page until the bar's place has passed (or the page
// ends), then puts the bar in, once, when the response is HTML. A page that compresses its own
// output (gzip or deflate, by an output handler of its own or by hand) is decoded for that and
// compressed again the same way.
final class HurrexPageFilter
{
    private $head;
    private $tail;
    private $held = '';  // the page so far, decoded
    private $raw = '';  // the page so far as it came, while it is decoded
    private $resume = 0;
    private $done = false;
    private $decoder = null;
    private $encoder = null;

    public function __construct(array $bar)
    {
        list($this->head, $this->tail) = $bar;
    }

    // The output handler: a fault of the filter passes the chunk on as it came. As guarded()
    // does, written out.
    public function __invoke($chunk, $phase)
    {
        set_error_handler([Hurrex::class, 'logWarning']);
        try {
            return $this->filter($chunk, $phase);
        } catch (Throwable $e) {
            Hurrex::logThrowable($e);
            return $chunk;
        } finally {
            restore_error_handler();
        }
    }

    public function filter($chunk, $phase)
    {
        $final = ($phase & PHP_OUTPUT_HANDLER_FINAL) !== 0;
        if ($this->done) {
            return $this->encoder === null ? $chunk : $this->recode($chunk, $final);
        }
        if ($phase & PHP_OUTPUT_HANDLER_CLEAN) {
            $this->held = $this->raw = '';
            $this->resume = 0;
            return '';
        }
        $headers = Hurrex::responseHeaders();  // as the page has set them by now
        if ($this->held === '' && $this->decoder === null && $chunk !== ''
            && isset($headers['content-encoding']) && !$this->startDecoding($headers)) {
            $this->done = true;  // a coding the package cannot read: the page passes untouched
            return $chunk;
        }
        $text = $chunk;
        if ($this->decoder !== null) {
            $this->raw .= $chunk;
            $text = @inflate_add($this->decoder, $chunk, $final ? ZLIB_FINISH : ZLIB_SYNC_FLUSH);
            if ($text === false) {
                Hurrex::log('the page\'s compressed output cannot be decoded; it is sent '
                    . 'without the bar');
                $this->done = true;
                $this->decoder = $this->encoder = null;
                return $this->raw;
            }
        }
        $this->held .= $text;
        list($at, $found) = Hurrex::barPlace($this->held, !$final, $this->resume);
        if (!$found) {
            $this->resume = $at;
            return '';
        }
        $this->done = true;
        $page = $this->held;
        $raw = $this->raw;
        $this->held = $this->raw = '';
        if (!Hurrex::isHtmlResponse($headers)) {
            $this->decoder = $this->encoder = null;
            return $raw !== '' ? $raw : $page;
        }
        if (isset($headers['content-length']) && !headers_sent()) {
            header_remove('Content-Length');  // the page grows by the bar
        }
        if ($final) {
            return $this->encode(Hurrex::inject($page, $this->head, $this->tail, $at), true);
        }
        // The closing </body> comes in a later chunk: it gets the tail from the end of the output.
        if ($this->tail !== '') {
            $tail = $this->tail;
            register_shutdown_function(function () use ($tail) {
                echo $tail;
            });
        }
        return $this->encode(Hurrex::inject($page, $this->head, '', $at), false);
    }

    // Decodes from here on, the page's response being sent with a Content-Encoding (by its
    // $headers); false for a coding the package cannot decode.
    private function startDecoding(array $headers)
    {
        $coding = strtolower($headers['content-encoding']);
        if ($coding === '' || $coding === 'identity') {
            return true;
        }
        $formats = ['gzip' => ZLIB_ENCODING_GZIP, 'x-gzip' => ZLIB_ENCODING_GZIP,
            'deflate' => ZLIB_ENCODING_DEFLATE];
        if (!isset($formats[$coding]) || !function_exists('inflate_init')) {
            Hurrex::log('the page is sent with Content-Encoding ' . $coding
                . ', which the package cannot decode; it is sent without the bar');
            return false;
        }
        $this->decoder = inflate_init($formats[$coding]);
        $this->encoder = deflate_init($formats[$coding]);
        return true;
    }

    private function encode($text, $final)
    {
        return $this->encoder === null ? $text
            : deflate_add($this->encoder, $text, $final ? ZLIB_FINISH : ZLIB_SYNC_FLUSH);
    }

    // A later chunk of a compressed page: decoded and compressed again into the one stream.
    private function recode($chunk, $final)
    {
        $text = @inflate_add($this->decoder, $chunk, $final ? ZLIB_FINISH : ZLIB_SYNC_FLUSH);
        if ($text === false) {
            Hurrex::log('the page\'s compressed output cannot be decoded after the bar');
            $text = '';
        }
        return $this->encode($text, $final);
    }
}
}

if (empty($hurrexLibraryOnly)) {
    Hurrex::page(/*settings*/);
}
