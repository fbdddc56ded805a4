#include "net/CurlLibrary.h"

#include <dlfcn.h>

#include <string>

#include "net/HttpClient.h"

namespace net {

namespace {

// The library's name for the interface its headers describe.
constexpr char kCurlSoname[] = "libcurl.so.4";

std::string LastLoadError() {
  const char* error = dlerror();
  return error ? error : "unknown error";
}

template <typename Function>
void Resolve(void* library, const char* name, Function& function) {
  function = reinterpret_cast<Function>(dlsym(library, name));
  if (!function) {
    throw HttpError("The network library " + std::string(kCurlSoname) + " lacks " + name + ": " +
                    LastLoadError());
  }
}

CurlLibrary Load() {
  // Never unloaded: libcurl keeps global state for the life of the process.
  void* library = dlopen(kCurlSoname, RTLD_NOW | RTLD_LOCAL);
  if (!library) {
    throw HttpError("The network library " + std::string(kCurlSoname) +
                    " cannot be loaded: " + LastLoadError());
  }
  CurlLibrary curl{};
  Resolve(library, "curl_global_init", curl.global_init);
  Resolve(library, "curl_easy_init", curl.easy_init);
  Resolve(library, "curl_easy_setopt", curl.easy_setopt);
  Resolve(library, "curl_easy_getinfo", curl.easy_getinfo);
  Resolve(library, "curl_easy_strerror", curl.easy_strerror);
  Resolve(library, "curl_easy_cleanup", curl.easy_cleanup);
  Resolve(library, "curl_multi_init", curl.multi_init);
  Resolve(library, "curl_multi_add_handle", curl.multi_add_handle);
  Resolve(library, "curl_multi_remove_handle", curl.multi_remove_handle);
  Resolve(library, "curl_multi_perform", curl.multi_perform);
  Resolve(library, "curl_multi_poll", curl.multi_poll);
  Resolve(library, "curl_multi_info_read", curl.multi_info_read);
  Resolve(library, "curl_multi_cleanup", curl.multi_cleanup);
  Resolve(library, "curl_share_init", curl.share_init);
  Resolve(library, "curl_share_setopt", curl.share_setopt);
  Resolve(library, "curl_share_cleanup", curl.share_cleanup);
  Resolve(library, "curl_slist_append", curl.slist_append);
  Resolve(library, "curl_slist_free_all", curl.slist_free_all);
  Resolve(library, "curl_mime_init", curl.mime_init);
  Resolve(library, "curl_mime_addpart", curl.mime_addpart);
  Resolve(library, "curl_mime_name", curl.mime_name);
  Resolve(library, "curl_mime_data", curl.mime_data);
  Resolve(library, "curl_mime_free", curl.mime_free);
  Resolve(library, "curl_url", curl.url);
  Resolve(library, "curl_url_set", curl.url_set);
  Resolve(library, "curl_url_get", curl.url_get);
  Resolve(library, "curl_url_cleanup", curl.url_cleanup);
  Resolve(library, "curl_free", curl.free);
  if (curl.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
    throw HttpError("The network library " + std::string(kCurlSoname) + " cannot start.");
  }
  return curl;
}

}  // namespace

const CurlLibrary& Curl() {
  // A load that throws leaves this unset, and the next call tries again. It
  // outlives every static that frees what the library made.
  static const CurlLibrary* const curl = new CurlLibrary(Load());
  return *curl;
}

}  // namespace net
