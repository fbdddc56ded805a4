<?php
use PHPUnit\Framework\TestCase;

// The file store's live figures: each buyer counted once for good, a count that starts from the
// shipped sales file and that a new copy of it does not reset, files that answer a request with
// nothing.
final class SalesMemoryTest extends TestCase
{
    private $folder;

    protected function setUp(): void
    {
        $this->folder = sys_get_temp_dir() . '/hurrex-sales-' . bin2hex(random_bytes(6));
        mkdir($this->folder);
    }

    protected function tearDown(): void
    {
        array_map('unlink', glob($this->folder . '/{,.}*[!.]*', GLOB_BRACE) ?: []);
        rmdir($this->folder);
    }

    private function settings(array $values = [])
    {
        return Hurrex::config($values + ['maxsales' => 10, 'cookiename' => 'hurrex7']);
    }

    private static function id($n)
    {
        return sprintf('%032x', $n);
    }

    public function testABuyerIsCountedOnceHoweverLateThePageIsOpenedAgain()
    {
        $store = new HurrexFileStore($this->folder);
        $cfg = $this->settings();
        $t = 1800000000;
        $this->assertTrue($store->countSale($cfg, self::id(1), null, $t));
        foreach (['at once' => 0, 'a day later' => 86400, 'a week later' => 7 * 86400,
            'a month later' => 30 * 86400] as $when => $later) {
            $this->assertFalse($store->countSale($cfg, self::id(1), null, $t + $later), $when);
        }
        $this->assertTrue($store->countSale($cfg, self::id(2), null, $t + 5));
        $this->assertSame(2, $store->sold($cfg));
        $this->assertSame(2, (new HurrexFileStore($this->folder))->sold($cfg), 'as stored');
    }

    public function testTheShippedCountStartsTheLiveOneAndIsNotReadAfter()
    {
        $cfg = $this->settings();
        file_put_contents($this->folder . '/stnumsales.txt', '7');
        $store = new HurrexFileStore($this->folder);
        $this->assertSame(7, $store->sold($cfg));
        $this->assertTrue($store->countSale($cfg, self::id(1), null, 1800000000));
        $this->assertSame(8, $store->sold($cfg));
        $this->assertSame('7', file_get_contents($this->folder . '/stnumsales.txt'), 'not written');
        // An upload of the package brings its own sales file again.
        file_put_contents($this->folder . '/stnumsales.txt', '0');
        $this->assertSame(8, $store->sold($cfg));
        // A count that cannot be read is no figure at all, rather than a wrong one.
        file_put_contents($this->folder . '/stcount.php', HurrexFileStore::HEAD . '8x');
        $this->assertNull($store->sold($cfg));
        $this->assertFalse($store->countSale($cfg, self::id(2), null, 1800000001));
        $this->assertSame(HurrexFileStore::HEAD . '8x',
            file_get_contents($this->folder . '/stcount.php'), 'kept as it was');
    }

    public function testTheOldestBuyersAreDroppedBeyondALimitFarAboveTheCopies()
    {
        $cfg = $this->settings(['maxsales' => 0]);
        $store = new HurrexFileStore($this->folder);
        // A full file of older buyers: the first written is dropped when one more comes.
        $records = '';
        for ($i = 0; $i < HurrexFileStore::BUYERS_LEAST; $i++) {
            $records .= self::id(100 + $i) . ' ' . sprintf('%012d', 1700000000 + $i) . "\n";
        }
        file_put_contents($this->folder . '/stbuyers.php', HurrexFileStore::HEAD . $records);
        $this->assertFalse($store->countSale($cfg, self::id(100), null, 1800000000));
        $this->assertTrue($store->countSale($cfg, self::id(1), null, 1800000000));
        $this->assertTrue($store->countSale($cfg, self::id(100), null, 1800000001), 'dropped');
        $this->assertFalse($store->countSale($cfg, self::id(101 + 5), null, 1800000002), 'kept');
        $this->assertSame(HurrexFileStore::BUYERS_LEAST * 46 + strlen(HurrexFileStore::HEAD),
            filesize($this->folder . '/stbuyers.php'));
    }

    public function testTheLiveFilesAnswerARequestWithNothing()
    {
        $cfg = $this->settings(['checkip' => 1]);
        $store = new HurrexFileStore($this->folder);
        $this->assertTrue($store->countSale($cfg, self::id(1), self::id(9), 1800000000));
        $files = ['stcount.php', 'stbuyers.php', 'stvisitors.php'];
        foreach ($files as $file) {
            $path = $this->folder . '/' . $file;
            $this->assertFileExists($path);
            $this->assertSame('', (string)shell_exec(escapeshellarg(PHP_BINARY) . ' '
                . escapeshellarg($path)), $file);
        }
        $this->assertStringEndsWith("\n1", file_get_contents($this->folder . '/stcount.php'));
    }
}
