#pragma once
// The window's side of FTP folders. Opening one shows what the listing cache holds and queues
// the listing when the cache lacks it; the timer's step reports queued work, turns one fetched
// listing per tick into an up-to-date folder on the page, and lets the downloader empty its
// buffers once it has long been idle.
#include <functional>
#include <string>

namespace varnel {

class AppSession;
class FilePage;

// `folder` in catalog spelling, with its separator ("ftp:\\host\dir\").
void openFtpFolder(AppSession& session, const std::string& folder);

void reportRemoteProgress(AppSession& session, FilePage& page,
                          const std::function<void(const std::string&)>& status);

}  // namespace varnel
