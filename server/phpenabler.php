<?php
// A set-up self-check: the PHP version, whether stconfig1.php loads, whether the data files are
// writable (with a database: whether it can be reached and its tables are ready), and how to let
// .html pages run PHP on common hosts. Like stchmod.php it opens with the set-up key alone.

/*part:setup.php*/

(static function () {
    $hurrexLibraryOnly = true;
    require_once __DIR__ . '/stmain.php';
    if (!HurrexSetupPage::keyGiven()) {
        HurrexSetupPage::closed();
        return;
    }
    $rows = [['PHP version', version_compare(PHP_VERSION, '7.4.0', '>='), PHP_VERSION
        . ' (the package needs 7.4 or newer)']];
    $rows[] = hurrex_check_config(__DIR__ . '/' . Hurrex::CONFIG_FILE);
    $cfg = Hurrex::guarded('Hurrex::loadConfig');
    $cfg = $cfg === null ? Hurrex::defaults() : $cfg;
    $rows = array_merge($rows, Hurrex::guarded(function () use ($cfg) {
        return Hurrex::store()->report($cfg, false);
    }, [['offer state', false, 'could not be checked (see the PHP error log)']]));
    HurrexSetupPage::report('Offer package self-check', $rows, <<<'HTML'
<h2>The thank-you page</h2>
<p>Put the thank-you page in this folder, beside the sales page, and start it with
<code>&lt;?php include 'stthanks.php'; ?&gt;</code> (or send buyers to
<code>stthanksredirect.php</code>). It counts one sale for each visitor of the sales page here,
once for good: a reload, or the page opened again weeks later, counts nothing more; with
<code>$checkip = 1</code> also at most once a day per address. Link checkers, mail scanners, chat
previews and other requests that never viewed the sales page count nothing. It cannot tell
whether a payment was made: anyone who views the sales page and then opens the thank-you page
counts once, so keep its address to your buyers.</p>
<h2>Letting .html pages run PHP</h2>
<p>The sales page starts with a line of PHP. A page whose name ends in <code>.php</code> runs it
on every PHP host. For a page ending in <code>.html</code> or <code>.htm</code>, tell the server
to run PHP in such pages:</p>
<ul>
<li>Apache with PHP as a module: put <code>AddType application/x-httpd-php .html .htm</code> in
the file <code>.htaccess</code> of this folder.</li>
<li>Apache with PHP through CGI or FastCGI (most cPanel hosts): put
<code>AddHandler application/x-httpd-php .html .htm</code> in <code>.htaccess</code>; some hosts
name the handler after the version, such as <code>application/x-httpd-ea-php82</code> (see your
host's PHP selector).</li>
<li>LiteSpeed: the same <code>AddHandler</code> line as Apache.</li>
<li>nginx with PHP-FPM: add <code>.html</code> to the <code>location</code> that passes
<code>.php</code> to PHP-FPM and to <code>security.limit_extensions</code> of the FPM pool;
ask your host if you cannot change the server configuration.</li>
</ul>
<p>Or simply rename the page to <code>.php</code> and link to the new name.</p>
HTML
    );
})();

// Whether stconfig1.php loads cleanly and sets every setting: [what, fine, text].
function hurrex_check_config($file)
{
    if (!is_file($file)) {
        Hurrex::log($file . ' is missing');
        return ['stconfig1.php', false, 'is missing: generate the package again and upload it'];
    }
    $problems = [];
    set_error_handler(function ($level, $message) use (&$problems) {
        $problems[] = $message;
        return true;
    });
    try {
        $vars = (static function ($hurrexConfigFile) {
            include $hurrexConfigFile;
            return get_defined_vars();
        })($file);
    } catch (Throwable $e) {
        $problems[] = $e->getMessage() . ' on line ' . $e->getLine();
        $vars = [];
    } finally {
        restore_error_handler();
    }
    $defaults = Hurrex::configDefaults();
    $missing = array_keys(array_diff_key($defaults['numbers'] + $defaults['texts'], $vars));
    if ($missing) {
        $problems[] = 'it does not set $' . implode(', $', $missing);
    }
    foreach ($problems as $problem) {
        Hurrex::log('stconfig1.php: ' . $problem);
    }
    return ['stconfig1.php', !$problems, $problems ? 'loads with problems: '
        . implode('; ', $problems) : 'loads and sets every setting'];
}
