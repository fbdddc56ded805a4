#include "testsupport/WebVisitor.h"

#include <curl/curl.h>

#include <stdexcept>

namespace testsupport {

namespace {

size_t Keep(char* data, size_t size, size_t count, void* body) {
  static_cast<std::string*>(body)->append(data, size * count);
  return size * count;
}

}  // namespace

WebVisitor::WebVisitor() : curl_(curl_easy_init()) {
  if (!curl_) throw std::runtime_error("libcurl did not start");
  curl_easy_setopt(curl_, CURLOPT_COOKIEFILE, "");  // a cookie jar in memory
  curl_easy_setopt(curl_, CURLOPT_WRITEFUNCTION, Keep);
  curl_easy_setopt(curl_, CURLOPT_TIMEOUT, 60L);
}

WebVisitor::~WebVisitor() { curl_easy_cleanup(curl_); }

WebVisitor::Page WebVisitor::Get(const std::string& url) {
  Page page{0, {}};
  curl_easy_setopt(curl_, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl_, CURLOPT_WRITEDATA, &page.body);
  const CURLcode result = curl_easy_perform(curl_);
  if (result != CURLE_OK) {
    throw std::runtime_error(url + ": " + curl_easy_strerror(result));
  }
  curl_easy_getinfo(curl_, CURLINFO_RESPONSE_CODE, &page.status);
  return page;
}

}  // namespace testsupport
