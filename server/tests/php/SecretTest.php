<?php
use PHPUnit\Framework\TestCase;

// The package secret, made by a separate PHP process in a folder of its own.
final class SecretTest extends TestCase
{
    private $folder;

    protected function setUp(): void
    {
        $this->folder = sys_get_temp_dir() . '/hurrex-secret-' . bin2hex(random_bytes(6));
        mkdir($this->folder);
        copy(getenv('HURREX_APP_DIR') . '/script/stmain.php', $this->folder . '/stmain.php');
        file_put_contents($this->folder . '/probe.php', '<?php $hurrexLibraryOnly = true; '
            . 'require __DIR__ . "/stmain.php"; '
            . 'echo json_encode([Hurrex::store()->secretStored(), Hurrex::secret()]);');
    }

    protected function tearDown(): void
    {
        array_map('unlink', glob($this->folder . '/*'));
        rmdir($this->folder);
    }

    // [stored, secret] as a PHP process finds them; $sizeLimit limits the size of files it writes.
    private function probe($sizeLimit = null)
    {
        $php = escapeshellarg(PHP_BINARY) . ' ' . escapeshellarg($this->folder . '/probe.php');
        // Writes beyond the limit come back short instead of ending the process.
        $command = $sizeLimit === null ? $php
            : "trap '' XFSZ; exec prlimit --fsize=$sizeLimit $php";
        return json_decode(shell_exec('sh -c ' . escapeshellarg($command) . ' 2>/dev/null'), true);
    }

    public function testIsMadeOnceAndKept()
    {
        list($stored, $secret) = $this->probe();
        $this->assertTrue($stored);
        $this->assertMatchesRegularExpression('/^[0-9a-f]{64}$/', $secret);
        $this->assertSame([true, $secret], $this->probe());
    }

    public function testAShortWriteLeavesNoFileBehindAndADerivedSecretServes()
    {
        list($stored, $secret) = $this->probe(40);
        $this->assertFalse($stored);
        $this->assertMatchesRegularExpression('/^[0-9a-f]{64}$/', $secret);
        $this->assertSame([false, $secret], $this->probe(40), 'the same derived secret');
        $this->assertSame(['probe.php', 'stmain.php'], array_map('basename',
            glob($this->folder . '/*')));
    }
}
