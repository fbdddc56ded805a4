<?php
// The publisher's news service, shared part. Items are files in a folder:
//
//   <data folder>/<publisher id>/<product code>/<news id>.news
//
// An item file starts with the lines "Title: ..." and "Published: ...", then
// an empty line, then the item's HTML. Texts are Windows-1252 bytes.
// The data folder is $NEWS_DATA, or "items" beside this file. When
// $NEWS_REQUEST_LOG names a file, every request is appended to it as one line
// of JSON (script, method, protocol, headers, fields in order).

const NEWS_SEPARATOR = "\xAF";
const NEWS_TIERS = ['BM', 'BP', 'BG'];

function news_record(string $script): void
{
    $log = getenv('NEWS_REQUEST_LOG');
    if ($log === false || $log === '') {
        return;
    }
    $fields = [];
    foreach ($_POST as $name => $value) {
        $fields[] = [(string)$name, is_string($value) ? $value : json_encode($value)];
    }
    $entry = [
        'script' => $script,
        'method' => $_SERVER['REQUEST_METHOD'] ?? '',
        'protocol' => $_SERVER['SERVER_PROTOCOL'] ?? '',
        'headers' => function_exists('getallheaders') ? getallheaders() : [],
        'fields' => $fields,
        'files' => count($_FILES),
    ];
    file_put_contents($log, json_encode($entry, JSON_INVALID_UTF8_SUBSTITUTE) . "\n",
        FILE_APPEND | LOCK_EX);
}

function news_field(string $name): string
{
    $value = $_POST[$name] ?? '';
    return is_string($value) ? $value : '';
}

// Ends the request with one answer of the protocol.
function news_answer(string $text): void
{
    header('Content-Type: text/html; charset=windows-1252');
    echo $text;
    exit;
}

// The folder of the requested product's items, or a failure keyword sent.
function news_product_folder(): string
{
    $data = getenv('NEWS_DATA');
    if ($data === false || $data === '') {
        $data = __DIR__ . '/items';
    }
    if (!is_dir($data) || !is_readable($data)) {
        news_answer('CONNECTIONFAIL');
    }
    $publisher = news_field('memusername');
    $product = news_field('prodcode');
    if (!news_is_name($publisher) || !is_dir("$data/$publisher")) {
        news_answer('INVALIDUSER');
    }
    if (!news_is_name($product) || !in_array(news_field('prodtype'), NEWS_TIERS, true)
        || !is_dir("$data/$publisher/$product")) {
        news_answer('INVALIDPRODUCT');
    }
    return "$data/$publisher/$product";
}

// Publisher ids and product codes name folders: nothing that leaves the data folder.
function news_is_name(string $name): bool
{
    return preg_match('/^[A-Za-z0-9_.-]+$/', $name) === 1 && $name !== '.' && $name !== '..';
}

// The items of a folder, newest (highest id) first: id => file.
function news_items(string $folder): array
{
    $items = [];
    foreach (glob("$folder/*.news") ?: [] as $file) {
        $id = basename($file, '.news');
        if (preg_match('/^-?[0-9]+$/', $id) === 1) {
            $items[(int)$id] = $file;
        }
    }
    krsort($items);
    return $items;
}

// ['title' => ..., 'published' => ..., 'html' => ...] of one item file.
function news_read_item(string $file): array
{
    $text = (string)file_get_contents($file);
    $parts = preg_split('/\r\n\r\n|\n\n|\r\r/', $text, 2);
    $item = ['title' => '', 'published' => '', 'html' => $parts[1] ?? ''];
    foreach (preg_split('/\r\n|\n|\r/', $parts[0]) as $line) {
        if (preg_match('/^(Title|Published):\s*(.*)$/i', $line, $m) === 1) {
            $item[strtolower($m[1]) === 'title' ? 'title' : 'published'] = rtrim($m[2]);
        }
    }
    return $item;
}

// A title or publication text cannot carry the protocol's separators.
function news_plain(string $text): string
{
    return strtr($text, ['^' => ' ', NEWS_SEPARATOR => ' ', "\r" => ' ', "\n" => ' ']);
}

// The details text: "$" + two hex digits for "$", "^", the separator byte and
// control characters other than tab and line breaks.
function news_escape(string $html): string
{
    return preg_replace_callback('/[\x00-\x08\x0B\x0C\x0E-\x1F\x7F\xAF$^]/', function ($m) {
        return sprintf('$%02X', ord($m[0]));
    }, $html);
}
