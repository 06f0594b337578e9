#pragma once
// Real folder trees for the scan tests, and a catalog with the services a scan needs.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalog/tables.h"
#include "scan/folderscan.h"
#include "scan/scancommand.h"
#include "scan/scanoptions.h"
#include "scan/scanservices.h"
#include "support/catalogbuilder.h"
#include "support/scriptedprompt.h"
#include "support/tempdir.h"

namespace varnel::test {

// A file of `size` bytes (sparse: no data is written) last written at `unixSeconds`.
void makeFile(const std::string& path, uint64_t size, int64_t unixSeconds);
void makeFolder(const std::string& path);  // with the folders above it
// The catalog's time of a file last written at `unixSeconds`.
uint64_t fileTimeOf(int64_t unixSeconds);

struct ScanFixture {
    TempDir dir;
    Catalog catalog;
    ScriptedPrompt prompt;
    std::string watched;
    std::vector<std::string> scanned;
    ScanServices services{catalog, prompt, ""};

    ScanFixture() {
        services.watchedFolders = &watched;
        services.scannedFolders = &scanned;
    }
    // `root` below the fixture's folder, ending with "/".
    std::string path(const std::string& relative = "") const { return dir.path() + "/" + relative; }
    // Scans the comma-separated roots, leaving out the comma-separated exclusions.
    ScanSummary scan(const std::string& roots, const std::string& exclusions = "",
                     Progress* progress = nullptr);
    std::vector<Rec> records() { return readList(catalog, kMasterList); }
};

// The scan dialog answered by the test; without an answer it is edited, then cancelled.
struct AnsweredDialog : ScanDialogs {
    std::optional<ScanOptionsForm> answer;
    std::vector<ScanOptionsForm> shown;
    bool scanOptions(ScanOptionsForm& form) override {
        shown.push_back(form);
        form = answer.value_or(ScanOptionsForm{"edited, then cancelled", ""});
        return answer.has_value();
    }
};

}  // namespace varnel::test
