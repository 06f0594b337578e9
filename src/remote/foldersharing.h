#pragma once
// The share folder offered to the network as the read-only share "SHAREFOLDER": shared
// while it holds a file besides the introduction page, withdrawn otherwise. The share list
// (record list 98) holds the files the share offers.
#include <cstdint>
#include <functional>
#include <string>

namespace varnel {

class Catalog;
class Prompt;
class ShareService;
struct Settings;

inline constexpr char kShareName[] = "SHAREFOLDER";
// The program's own page in the share folder: alone it is not worth a share.
inline constexpr char kShareIntroPage[] = "Varnelintro.htm";
// The end time of a share list record: shares last until they are stopped.
inline constexpr uint64_t kShareNeverEnds = UINT64_MAX;

// Whether `folder` holds a regular file other than the introduction page (ignoring case).
// A missing folder holds none.
bool folderHasShareableFile(const std::string& folder);

class FolderSharing {
  public:
    FolderSharing(ShareService& service, Prompt& prompt, Catalog& catalog, const Settings& settings,
                  std::string shareFolder);

    // How a failure reaches the person: a message for a command they gave, the status bar
    // for the program's own refresh at start.
    enum class Report { Message, Status };

    // Makes the share match the share folder's content. False when that failed; the reason
    // was reported once.
    bool RefreshShare(Report report = Report::Message);
    // Withdraws the share and leaves the files where they are.
    bool StopShare(Report report = Report::Message);

    const std::string& shareFolder() const { return shareFolder_; }
    // Called whenever the share list was rebuilt (the page recounts it).
    std::function<void()> shareListChanged;

  private:
    bool withdraw(Report report);
    bool fail(Report report, const std::string& text);
    void fillShareList(bool shared);

    ShareService& service_;
    Prompt& prompt_;
    Catalog& catalog_;
    const Settings& settings_;
    std::string shareFolder_;
};

}  // namespace varnel
