#pragma once

#include <curl/curl.h>

namespace net {

// The libcurl functions the HTTP client calls. The library is loaded when the
// first request needs it, not when the program starts: with the twenty-odd
// libraries it brings along, loading it costs a start-up several milliseconds
// and megabytes that only the network needs.
struct CurlLibrary {
  decltype(&::curl_global_init) global_init;
  decltype(&::curl_easy_init) easy_init;
  decltype(&::curl_easy_setopt) easy_setopt;
  decltype(&::curl_easy_getinfo) easy_getinfo;
  decltype(&::curl_easy_strerror) easy_strerror;
  decltype(&::curl_easy_cleanup) easy_cleanup;
  decltype(&::curl_multi_init) multi_init;
  decltype(&::curl_multi_add_handle) multi_add_handle;
  decltype(&::curl_multi_remove_handle) multi_remove_handle;
  decltype(&::curl_multi_perform) multi_perform;
  decltype(&::curl_multi_poll) multi_poll;
  decltype(&::curl_multi_info_read) multi_info_read;
  decltype(&::curl_multi_cleanup) multi_cleanup;
  decltype(&::curl_share_init) share_init;
  decltype(&::curl_share_setopt) share_setopt;
  decltype(&::curl_share_cleanup) share_cleanup;
  decltype(&::curl_slist_append) slist_append;
  decltype(&::curl_slist_free_all) slist_free_all;
  decltype(&::curl_mime_init) mime_init;
  decltype(&::curl_mime_addpart) mime_addpart;
  decltype(&::curl_mime_name) mime_name;
  decltype(&::curl_mime_data) mime_data;
  decltype(&::curl_mime_free) mime_free;
  decltype(&::curl_url) url;
  decltype(&::curl_url_set) url_set;
  decltype(&::curl_url_get) url_get;
  decltype(&::curl_url_cleanup) url_cleanup;
  decltype(&::curl_free) free;
};

// Loads the library on the first call and initialises it; throws HttpError
// when it cannot be loaded or lacks a function, and tries again next time.
const CurlLibrary& Curl();

}  // namespace net
