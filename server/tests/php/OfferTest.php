<?php
use PHPUnit\Framework\TestCase;

final class OfferTest extends TestCase
{
    private static function settings(array $values)
    {
        return Hurrex::config($values + ['useoto' => 0, 'timeout' => 0, 'offerexpire' => 0,
            'maxsales' => 0, 'cookiename' => 'hurrex7']);
    }

    public function offers()
    {
        $now = 1800000000;
        // The tool writes 1 January 2010 00:00 as 1262297400 in zone 0, 1262315400 in zone 5
        // and 1262279400 in zone -5: the offer ends 6600 s later.
        return [
            'no limits: open for ever' => [[], $now, 0, null, [null, null, true]],
            'copies left' => [['maxsales' => 10], $now, 3, null, [7, null, true]],
            'last copy' => [['maxsales' => 10], $now, 9, null, [1, null, true]],
            'sold out' => [['maxsales' => 10], $now, 10, null, [0, null, false]],
            'oversold never negative' => [['maxsales' => 10], $now, 12, null, [0, null, false]],
            'expiry zone 0, one second before' => [['offerexpire' => 1262297400], 1262303999, 0,
                null, [null, 1, true]],
            'expiry zone 0, at the end' => [['offerexpire' => 1262297400], 1262304000, 0, null,
                [null, 0, false]],
            'expiry zone 5 ends five hours later' => [['offerexpire' => 1262315400],
                1262304000, 0, null, [null, 18000, true]],
            'expiry zone -5 ended five hours earlier' => [['offerexpire' => 1262279400],
                1262286000, 0, null, [null, 0, false]],
            'expiry long past' => [['offerexpire' => 1262297400], $now, 0, null,
                [null, 0, false]],
            'expiry and sold out' => [['offerexpire' => $now, 'maxsales' => 5], $now, 5, null,
                [0, 6600, false]],
            'one-time offer, new visitor' => [['useoto' => 1, 'timeout' => 15], $now, 0, null,
                [null, 900, true]],
            'one-time offer, returning visitor' => [['useoto' => 1, 'timeout' => 15], $now, 0,
                $now - 600, [null, 300, true]],
            'one-time offer, timed out' => [['useoto' => 1, 'timeout' => 15], $now, 0,
                $now - 900, [null, 0, false]],
            'one-time offer, first view in the future gains nothing' => [['useoto' => 1,
                'timeout' => 15], $now, 0, $now + 600, [null, 900, true]],
            'one-time offer of 0 minutes' => [['useoto' => 1], $now, 0, null, [null, 0, false]],
            'one-time offer with a copy limit' => [['useoto' => 1, 'timeout' => 1,
                'maxsales' => 3], $now, 1, $now - 30, [2, 30, true]],
        ];
    }

    /** @dataProvider offers */
    public function testOffer_givesCopiesAndTimeLeft(array $values, $now, $sold, $firstView,
        array $expected)
    {
        $offer = Hurrex::offer(self::settings($values), $now, $sold, $firstView);
        $this->assertSame($expected, [$offer['copiesleft'], $offer['secondsleft'],
            $offer['open']]);
    }

    public function testMinutesLeft_roundUp()
    {
        $cases = [[null, null], [0, 0], [1, 1], [59, 1], [60, 1], [61, 2], [900, 15]];
        foreach ($cases as list($seconds, $minutes)) {
            $this->assertSame($minutes, Hurrex::minutesLeft($seconds), "$seconds s");
        }
    }

    public function testParseCount_acceptsOnlyOneWholeNumber()
    {
        $cases = ['0' => 0, '' => null, " 12\r\n" => 12, '4711' => 4711, 'abc' => null,
            '-1' => null, '1e3' => null, '12 13' => null, '3.5' => null];
        foreach ($cases as $text => $count) {
            $this->assertSame($count, Hurrex::parseCount((string)$text), "'$text'");
        }
    }

    public function testConfig_fillsMissingAndRejectsUnsafeValues()
    {
        $cfg = Hurrex::config(['maxsales' => '12', 'page2' => " next.php\r\nX-Evil: 1\0 ",
            'popupbgcolor' => 'red;}', 'cookiename' => 'a b', 'popupheight' => -5]);
        $this->assertSame(12, $cfg['maxsales']);
        $this->assertSame('next.phpX-Evil: 1', $cfg['page2']);
        $this->assertSame('#FFFF00', $cfg['popupbgcolor']);
        $this->assertSame('hurrex', $cfg['cookiename']);
        $this->assertSame(0, $cfg['popupheight']);
        $this->assertSame(5000, $cfg['maxiplen']);
        // A line break after a name would end the Set-Cookie header.
        $cfg = Hurrex::config(['cookiename' => "hurrex1\n", 'popupbgcolor' => "#00FF00\n"]);
        $this->assertSame(['hurrex', '#FFFF00'], [$cfg['cookiename'], $cfg['popupbgcolor']]);
        $this->assertNull(Hurrex::config(['unrelated' => 1]));
    }

    // Hand edits: the offer as the tool would have written it, never a broken page.
    public function testConfig_takesHandEditedNumbersAsTheToolWouldWriteThem()
    {
        $cases = [
            'whole-number text' => ['maxsales', ' 12 ', 12],
            'fraction: its whole part' => ['maxsales', 12.9, 12],
            'NaN: the default' => ['maxsales', NAN, 0],
            'infinity: the default' => ['timeout', INF, 0],
            'not a number: the default' => ['refreshtime', 'five', 0],
            'true is no number' => ['maxsales', true, 0],
            'huge number: the tool\'s largest' => ['timeout', 1e300, 10000000],
            'huge text: the tool\'s largest' => ['maxsales', str_repeat('9', 40), 10000000],
            'huge negative expiry: its least' => ['offerexpire', -1e30, -1000000000000],
            'beyond the refresh range' => ['refreshtime', 40000000, 10000000],
            'no IP list of length 0' => ['maxiplen', 0, 1],
        ];
        foreach ($cases as $what => list($name, $value, $expected)) {
            $this->assertSame($expected, self::settings([$name => $value])[$name], $what);
        }
        $offer = Hurrex::offer(self::settings(['timeout' => 1e300, 'useoto' => 1]), 1800000000,
            0, null);
        $this->assertSame(600000000, $offer['secondsleft']);
    }

    public function testOffer_expiryBefore1970HasEnded()
    {
        $offer = Hurrex::offer(self::settings(['offerexpire' => -100000]), 1800000000, 0, null);
        $this->assertSame([0, false], [$offer['secondsleft'], $offer['open']]);
    }

    public function testVisitorCookie_onlyItsOwnSignatureCounts()
    {
        $secret = str_repeat('ab', 32);
        $id = str_repeat('0123456789abcdef', 2);
        $good = Hurrex::visitorCookie('hurrex7', 1800000000, $id, $secret);
        $this->assertSame([1800000000, $id], Hurrex::parseVisitorCookie('hurrex7', $good, $secret));
        // Cookies the package signed before keep their visitors: before visitors had ids (the
        // first view alone), and with HMAC-SHA-256, which signs where PHP lacks sodium.
        $old = '1800000000.' . hash_hmac('sha256', 'hurrex7|1800000000', $secret);
        $this->assertSame([1800000000, null], Hurrex::parseVisitorCookie('hurrex7', $old, $secret));
        $hmac = '1800000000.' . $id . '.' . hash_hmac('sha256', 'hurrex7|1800000000|' . $id, $secret);
        $this->assertSame([1800000000, $id], Hurrex::parseVisitorCookie('hurrex7', $hmac, $secret));
        if (function_exists('sodium_crypto_generichash')) {
            $this->assertMatchesRegularExpression('/^1800000000\.[0-9a-f]{32}\.[0-9a-f]{32}$/D', $good);
        }
        list($time, , $signature) = explode('.', $good);
        $refused = [
            'later first view' => ['hurrex7', '1800009999.' . $id . '.' . $signature],
            'other id' => ['hurrex7', $time . '.' . str_repeat('f', 32) . '.' . $signature],
            'id dropped' => ['hurrex7', $time . '.' . $signature],
            'HMAC of another id' => ['hurrex7', $time . '.' . str_repeat('f', 32) . '.'
                . hash_hmac('sha256', 'hurrex7|1800000000|' . $id, $secret)],
            'other cookie name' => ['hurrex8', $good],
            'other secret' => ['hurrex7',
                Hurrex::visitorCookie('hurrex7', 1800000000, $id, str_repeat('cd', 32))],
            'no signature' => ['hurrex7', $time . '.' . $id],
            'garbage' => ['hurrex7', "<script>\0"],
            'line feed after it' => ['hurrex7', $good . "\n"],
            'array' => ['hurrex7', ['1800000000']],
        ];
        foreach ($refused as $what => list($name, $value)) {
            $this->assertNull(Hurrex::parseVisitorCookie($name, $value, $secret), $what);
        }
    }

    public function testAddressKey_countsIpv6ByNetwork()
    {
        $this->assertSame('203.0.113.9', Hurrex::addressKey('203.0.113.9'));
        $this->assertSame('203.0.113.9', Hurrex::addressKey('::ffff:203.0.113.9'));
        $this->assertSame(Hurrex::addressKey('2001:db8:1:2::1'),
            Hurrex::addressKey('2001:db8:1:2:ffff:ffff:ffff:ffff'));
        $this->assertNotSame(Hurrex::addressKey('2001:db8:1:2::1'),
            Hurrex::addressKey('2001:db8:1:3::1'));
        $this->assertNull(Hurrex::addressKey('not an address'));
    }

    public function insertions()
    {
        return [
            'after the body tag' => ["<!DOCTYPE html><html><body class=\"a\"><p>x</p></body>",
                "<!DOCTYPE html><html><body class=\"a\">[H]<p>x</p>[T]</body>"],
            'upper-case tags' => ["<HTML><BODY>x</BODY></HTML>",
                "<HTML><BODY>[H]x[T]</BODY></HTML>"],
            'not a look-alike tag' => ["<bodyguard>x", "[H]<bodyguard>x[T]"],
            'a ">" in a quoted attribute' => ['<body onload="if (a > b) go()">x</body>',
                '<body onload="if (a > b) go()">[H]x[T]</body>'],
            'single quotes too' => ["<body data-x='>'>x", "<body data-x='>'>[H]x[T]"],
            'a body tag in a comment' => ["<html><head><!-- <body> --></head><body>x",
                "<html><head><!-- <body> --></head><body>[H]x[T]"],
            'a body tag in a head script' => ["<head><script>d.write('<body>')</script>"
                . "</head><body>x", "<head><script>d.write('<body>')</script></head><body>[H]x[T]"],
            'a body tag in the title' => ["<title><body></title><body>x",
                "<title><body></title><body>[H]x[T]"],
            'no body tag: where the body begins' => ["<head><meta charset=utf-8></head><div>a"
                . "<body>b", "<head><meta charset=utf-8></head>[H]<div>a<body>b[T]"],
            'no body: after doctype and head' => ["<!doctype html>\n<html><head><title>t</title>"
                . "</head>\n<p>x</p>", "<!doctype html>\n<html><head><title>t</title></head>\n"
                . "[H]<p>x</p>[T]"],
            'no tags at all: at the very start' => ["plain", "[H]plain[T]"],
            'empty' => ["", "[H][T]"],
            'the last closing body tag, far from the end' => ["<body>a</BODY>b</body>"
                . str_repeat('c', 5000), "<body>[H]a</BODY>b[T]</body>" . str_repeat('c', 5000)],
            'a closing body tag across the end\'s first byte' => ["<body>a</body>"
                . str_repeat('c', 4091), "<body>[H]a[T]</body>" . str_repeat('c', 4091)],
            'a closing body tag only before the body tag' => ["</body><body>a",
                "</body><body>[H]a[T]"],
        ];
    }

    public function testInject_findsThePlaceOfAHugePageWithoutBodyTagByItsHead()
    {
        $head = "<!DOCTYPE html>\n<html><head><title>t</title></head>\n";
        $page = $head . str_repeat("<p>A paragraph of <b>the</b> letter.</p>\n", 400000);
        $this->assertGreaterThan(15000000, strlen($page));
        $this->assertSame([strlen($head), true], Hurrex::barPlace($page));
    }

    public function testBarPlace_waitsForMoreWhileATagIsCut()
    {
        $this->assertSame([6, false], Hurrex::barPlace('<head><bo', true));
        $this->assertSame([6, false], Hurrex::barPlace('<head><', true));
        $this->assertSame([6, false], Hurrex::barPlace('<head><!-- x', true));
        $this->assertSame([6, false], Hurrex::barPlace('<head><script>x', true));
        $this->assertSame([6, false], Hurrex::barPlace('<head>', true));
        $this->assertSame([18, true], Hurrex::barPlace('<head><body a="1">', true));
    }

    // Page starts that the one-pass match of a usual head may take or leave to the walk tag by
    // tag; either way the place must be the walk's.
    public function pageStarts()
    {
        $starts = [
            'usual' => "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
                . "<title>T</title><style>p{}</style></head>\n<body class=\"x\">",
            'upper case, closing tags with blanks' => "<HTML><HEAD><TITLE>t</TITLE ></HEAD ><BODY>",
            'quoted ">" in head tags' => "<meta content='a>b'><link href=\"x>y\"><body>",
            'a look-alike closing tag in the title' => "<title></titlex></title><body>",
            'a body tag in a script' => "<script>if (a<b) d.write('<body>')</script><body>",
            'empty and odd comments' => "<!----><!--><body>--><body>",
            'an unclosed comment' => "<!-- <body>",
            'an unclosed comment with a ">"' => "<!-- x > <body>",
            'an XML declaration and a bogus comment' => "<?xml version=\"1.0\"?><!x><body>",
            'a closing body tag first' => "</body><body>",
            'an unclosed quote' => "<meta content=\"<body>",
            'a vertical tab is no blank' => "\v<body>",
            'a vertical tab ends a name' => "<meta\v><body\v>",
            'a raw-text end tag needs a blank' => "<title></title\v><body></title><body>",
            'an unclosed quote in a raw-text end tag' => "<title>a</title \"><body></title><body>",
            'text before the body tag' => "<head></head>x<body>",
            'an element of the body' => "<head></head><div><body>",
            'a body tag cut off' => "<head><body class=",
            'a look-alike body tag' => "<bodyx><body>",
        ];
        return array_map(function ($html) {
            return [$html];
        }, $starts);
    }

    /** @dataProvider pageStarts */
    public function testBarPlace_isTheWalksPlace($html)
    {
        foreach ([false, true] as $more) {
            $this->assertSame(Hurrex::walkToBarPlace($html, $more, 0),
                Hurrex::barPlace($html, $more), $more ? 'more to come' : 'whole page');
        }
    }

    // The bar is laid out once for its settings and filled by every view: the seller's texts stay
    // whole, whatever they hold, and every token of the text becomes a figure of the view.
    public function testBarLayout_leavesTheFiguresToTheViewAndTheSellersTextWhole()
    {
        $text = "%%copiesleft%%\x01copies\x01{{minutes}}%%timeleft%%%%%timeleft%%%%copiesleft";
        $font = "<font title='\x01url\x01'>";
        foreach ([1, 0] as $top) {
            list($head, $tail) = Hurrex::barLayout(self::settings(['popuptext' => $text,
                'popupfont' => $font, 'popuptop' => $top]));
            $figures = ['copies', 'minutes', 'minutes', 'seconds', 'refresh', 'url'];
            $this->assertSame($figures, array_values(array_filter($head, function ($i) {
                return $i % 2 === 1;
            }, ARRAY_FILTER_USE_KEY)), "top $top");
            $this->assertCount(1, $tail, "top $top: the room below the page holds no figure");
            $texts = implode('|', array_filter($head, function ($i) {
                return $i % 2 === 0;
            }, ARRAY_FILTER_USE_KEY));
            foreach ([$font, "\x01copies\x01{{minutes}}", "%%copiesleft"] as $whole) {
                $this->assertStringContainsString($whole, $texts, "top $top");
            }
        }
    }

    /** @dataProvider insertions */
    public function testInject_putsBarAfterBodyTag($html, $expected)
    {
        $this->assertSame($expected, Hurrex::inject($html, '[H]', '[T]'));
    }
}
