<?php
use PHPUnit\Framework\TestCase;

// The remembered visitors of a one-time offer with $checkip = 1 (the package's stvisitors.php,
// started from the shipped IP file): who is remembered, what it costs.
final class VisitorMemoryTest extends TestCase
{
    private $ipFile;
    private $live;

    protected function setUp(): void
    {
        $this->ipFile = tempnam(sys_get_temp_dir(), 'hurrex-ip');
        $this->live = $GLOBALS['hurrexScratch'] . '/stvisitors.php';
        @unlink($this->live);
        $_COOKIE = [];
    }

    protected function tearDown(): void
    {
        unlink($this->ipFile);
        @unlink($this->live);
        unset($_SERVER['REMOTE_ADDR']);
    }

    // The records of the live file, after its head.
    private function records()
    {
        $lines = file($this->live);
        $this->assertSame("<?php exit; ?>\n", array_shift($lines));
        return $lines;
    }

    private function settings($limit)
    {
        return Hurrex::config(['useoto' => 1, 'timeout' => 60, 'checkip' => 1,
            'maxiplen' => $limit, 'cookiename' => 'hurrex7', 'ipshuntname' => $this->ipFile]);
    }

    // The first view the package finds for a visitor from $address at $now, remembering it.
    private function firstView($address, $now, $limit = 3)
    {
        $_SERVER['REMOTE_ADDR'] = $address;
        $offer = Hurrex::currentOffer($this->settings($limit), $now, true);
        return $offer['secondsleft'] + $now - 3600;
    }

    public function testRemembersEachAddressAndDropsTheOldestBeyondTheLimit()
    {
        $t = 1800000000;
        foreach (['203.0.113.1', '203.0.113.2', '203.0.113.3'] as $i => $address) {
            $this->assertSame($t + $i, $this->firstView($address, $t + $i));
        }
        $this->assertSame($t + 1, $this->firstView('203.0.113.2', $t + 100), 'remembered');
        $this->assertSame($t + 101, $this->firstView('203.0.113.4', $t + 101), 'a fourth');
        $this->assertSame($t + 102, $this->firstView('203.0.113.1', $t + 102), 'oldest dropped');
        $this->assertSame($t + 2, $this->firstView('203.0.113.3', $t + 103), 'kept');
        $lines = $this->records();
        $this->assertCount(3, $lines);
        $sorted = $lines;
        sort($sorted);
        $this->assertSame($sorted, $lines, 'records sorted by key');
        $this->assertDoesNotMatchRegularExpression('/203\.0\.113/', implode('', $lines));
    }

    public function testAGarbledFileIsWrittenAnewAndLogged()
    {
        $t = 1800000000;
        file_put_contents($this->live, "junk\n" . str_repeat('x', 200000) . "\n");
        $this->assertSame($t, $this->firstView('203.0.113.9', $t));
        $this->assertSame($t, $this->firstView('203.0.113.9', $t + 50));
        $this->assertCount(1, $this->records());
        $this->assertMatchesRegularExpression('/lines that are no visitor record/',
            file_get_contents(ini_get('error_log')));
    }

    public function testAnOversizedFileShrinksToTheLimitInBoundedMemory()
    {
        // 30 MB of records in the shipped IP file, far more than the limit; the newest are kept.
        $t = 1800000000;
        $file = fopen($this->ipFile, 'w');
        for ($block = 0; $block < 650; $block++) {
            $text = '';
            for ($i = 0; $i < 1000; $i++) {
                $text .= sprintf('%032x %012d', $block * 1000 + $i, $t - 1000000 + $block * 1000
                    + $i) . "\n";
            }
            fwrite($file, $text);
        }
        fclose($file);
        $this->assertGreaterThan(29000000, filesize($this->ipFile));
        $before = memory_get_peak_usage();
        $this->assertSame($t, $this->firstView('203.0.113.5', $t, 5000));
        $this->assertLessThan(8 << 20, memory_get_peak_usage() - $before);
        $lines = $this->records();
        $this->assertCount(5000, $lines);
        $times = array_map(function ($line) {
            return (int)substr($line, 33);
        }, $lines);
        sort($times);
        $this->assertSame($t - 1000000 + 649000 + 1000 - 4999, $times[0], 'the oldest dropped');
    }
}
