<?php
// Loads the package's routines from a scratch copy of the program folder's stmain.php
// (HURREX_APP_DIR), as the generator ships it, so that the files it makes beside itself (secret,
// lock) land there; their error log goes to a temporary file.
$appDir = getenv('HURREX_APP_DIR');
if ($appDir === false || !is_file($appDir . '/script/stmain.php')) {
    fwrite(STDERR, "HURREX_APP_DIR must name the built program folder\n");
    exit(1);
}
$hurrexScratch = sys_get_temp_dir() . '/hurrex-php-' . bin2hex(random_bytes(6));
mkdir($hurrexScratch);
copy($appDir . '/script/stmain.php', $hurrexScratch . '/stmain.php');
$hurrexErrorLog = $hurrexScratch . '/error.log';
ini_set('error_log', $hurrexErrorLog);
register_shutdown_function(function () use ($hurrexScratch) {
    array_map('unlink', glob($hurrexScratch . '/{,.}*[!.]*', GLOB_BRACE) ?: []);
    rmdir($hurrexScratch);
});
$hurrexLibraryOnly = true;
require $hurrexScratch . '/stmain.php';
