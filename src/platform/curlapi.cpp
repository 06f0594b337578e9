#include "platform/curlapi.h"

#include <dlfcn.h>

#include <mutex>

namespace varnel {

namespace {

struct Loaded {
    CurlApi api{};
    std::string error;
};

template <class Function>
bool find(void* library, const char* name, Function& function, std::string& error) {
    function = reinterpret_cast<Function>(::dlsym(library, name));
    if (!function) error = std::string("libcurl has no ") + name;
    return function != nullptr;
}

Loaded load() {
    Loaded loaded;
    void* library = ::dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* why = ::dlerror();
        loaded.error = std::string("libcurl could not be loaded: ") + (why ? why : "unknown error");
        return loaded;
    }
    CurlApi& a = loaded.api;
    std::string& e = loaded.error;
    const bool all =
        find(library, "curl_global_init", a.global_init, e) &&
        find(library, "curl_easy_init", a.easy_init, e) &&
        find(library, "curl_easy_cleanup", a.easy_cleanup, e) &&
        find(library, "curl_easy_reset", a.easy_reset, e) &&
        find(library, "curl_easy_setopt", a.easy_setopt, e) &&
        find(library, "curl_easy_getinfo", a.easy_getinfo, e) &&
        find(library, "curl_easy_pause", a.easy_pause, e) &&
        find(library, "curl_easy_strerror", a.easy_strerror, e) &&
        find(library, "curl_easy_escape", a.easy_escape, e) &&
        find(library, "curl_free", a.free, e) &&
        find(library, "curl_slist_append", a.slist_append, e) &&
        find(library, "curl_slist_free_all", a.slist_free_all, e) &&
        find(library, "curl_multi_init", a.multi_init, e) &&
        find(library, "curl_multi_cleanup", a.multi_cleanup, e) &&
        find(library, "curl_multi_add_handle", a.multi_add_handle, e) &&
        find(library, "curl_multi_remove_handle", a.multi_remove_handle, e) &&
        find(library, "curl_multi_perform", a.multi_perform, e) &&
        find(library, "curl_multi_poll", a.multi_poll, e) &&
        find(library, "curl_multi_info_read", a.multi_info_read, e);
    if (all && a.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) e = "libcurl could not start";
    return loaded;
}

}  // namespace

const CurlApi* loadCurl(std::string* why) {
    static const Loaded loaded = load();  // thread-safe, once
    if (!loaded.error.empty()) {
        if (why) *why = loaded.error;
        return nullptr;
    }
    return &loaded.api;
}

}  // namespace varnel
