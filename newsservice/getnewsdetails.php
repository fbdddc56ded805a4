<?php
// One item's HTML, escaped.
require __DIR__ . '/news.php';

news_record('getnewsdetails.php');
$items = news_items(news_product_folder());
$id = news_field('newsid');
if (preg_match('/^-?[0-9]+$/', $id) !== 1 || !isset($items[(int)$id])) {
    news_answer('INVALIDNEWS');
}
news_answer(news_escape(news_read_item($items[(int)$id])['html']) . NEWS_SEPARATOR . 'OK');
