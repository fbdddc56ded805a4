<?php
// The product's news: every item ("conttype" "all") or the newest ("lastcode").
require __DIR__ . '/news.php';

news_record('getlastnews.php');
$items = news_items(news_product_folder());
$ok = NEWS_SEPARATOR . 'OK';

if (news_field('conttype') === 'lastcode') {
    if (!$items) {
        news_answer('OK');
    }
    $id = array_key_first($items);
    news_answer($id . '^' . news_plain(news_read_item($items[$id])['title']) . $ok);
}

$entries = [];
foreach ($items as $id => $file) {
    $item = news_read_item($file);
    $entries[] = $id . '^' . news_plain($item['title']) . '^' . news_plain($item['published']);
}
news_answer($entries ? implode(NEWS_SEPARATOR, $entries) . $ok : 'OK');
