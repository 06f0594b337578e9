#pragma once
// libcurl, loaded when FTP is first used instead of at every start: it brings some thirty
// shared libraries of its own, whose loading costs a command-line search more than the
// search itself.
#include <curl/curl.h>

#include <string>

namespace varnel {

struct CurlApi {
    decltype(&::curl_global_init) global_init;
    decltype(&::curl_easy_init) easy_init;
    decltype(&::curl_easy_cleanup) easy_cleanup;
    decltype(&::curl_easy_reset) easy_reset;
    decltype(&::curl_easy_setopt) easy_setopt;
    decltype(&::curl_easy_getinfo) easy_getinfo;
    decltype(&::curl_easy_pause) easy_pause;
    decltype(&::curl_easy_strerror) easy_strerror;
    decltype(&::curl_easy_escape) easy_escape;
    decltype(&::curl_free) free;
    decltype(&::curl_slist_append) slist_append;
    decltype(&::curl_slist_free_all) slist_free_all;
    decltype(&::curl_multi_init) multi_init;
    decltype(&::curl_multi_cleanup) multi_cleanup;
    decltype(&::curl_multi_add_handle) multi_add_handle;
    decltype(&::curl_multi_remove_handle) multi_remove_handle;
    decltype(&::curl_multi_perform) multi_perform;
    decltype(&::curl_multi_poll) multi_poll;
    decltype(&::curl_multi_info_read) multi_info_read;
};

// The library, loaded and initialised on the first call (from any thread), or null with the
// reason in `why`.
const CurlApi* loadCurl(std::string* why = nullptr);

}  // namespace varnel
