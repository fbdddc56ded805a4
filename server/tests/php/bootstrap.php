<?php
// Loads the package's routines from the program folder (HURREX_APP_DIR), as the generator ships
// them; their error log goes to a temporary file.
$appDir = getenv('HURREX_APP_DIR');
if ($appDir === false || !is_file($appDir . '/script/stmain.php')) {
    fwrite(STDERR, "HURREX_APP_DIR must name the built program folder\n");
    exit(1);
}
$errorLog = tempnam(sys_get_temp_dir(), 'hurrex-log');
ini_set('error_log', $errorLog);
register_shutdown_function(function () use ($errorLog) {
    unlink($errorLog);
});
$hurrexLibraryOnly = true;
require $appDir . '/script/stmain.php';
