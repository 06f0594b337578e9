#pragma once
// The scan command ("&Search File..." of the Tools menu): asks for the roots and the
// exclusions, logs in to the FTP sites among the roots, runs the scan on a worker thread
// while the caller sits in the progress dialog, then shows the master list.
#include <string_view>

#include "scan/folderscan.h"

namespace varnel {

class Progress;
class ScanDialogs;
class ScanServices;
class Workspace;

inline constexpr char kLoginFirstText[] = "Login first, please retry";

enum class ScanOutcome {
    Cancelled,  // the dialog was cancelled: nothing is kept
    Refused,    // a login was refused (or the texts were too long): nothing was scanned
    Scanned,
};

struct ScanCommandResult {
    ScanOutcome outcome = ScanOutcome::Cancelled;
    ScanSummary summary;
    // The view mode became 1 (file list): the window must lay the main view out. Otherwise
    // a page refresh was requested.
    bool layoutNeeded = false;
};

// `addressText` is the address bar's text; when not empty it replaces the remembered scan
// folders text in the dialog. The remembered texts live in `workspace`.
ScanCommandResult ScanCommand(ScanServices& services, Workspace& workspace, ScanDialogs& dialogs,
                              Progress& progress, std::string_view addressText);

}  // namespace varnel
