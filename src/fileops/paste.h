#pragma once
// Copy and Paste of catalog records: Copy remembers the selected records in the clipboard
// list; Paste copies the real files behind them into a folder, local or FTP, under the
// progress dialog, and brings that folder's records up to date.
#include <string>
#include <vector>

namespace varnel {

struct FileOpsContext;

// The selection becomes the clipboard list (after the FTP login of its first folder).
void CopyRecords(FileOpsContext& context);
// Offline mode off, then a paste into the folder the selection and the view suggest.
void PasteRecords(FileOpsContext& context);
// Pastes every record of the clipboard list into `destination` (catalog spelling; empty:
// the selected record's folder, else the view's first record's, else the folder tree's).
// False when nothing was copied (refused, cancelled, or a file failed).
bool PasteTo(FileOpsContext& context, std::string destination);
// The same for local files named by the desktop (a copy in its file manager): regular files
// only, into `destination` or the suggested folder.
bool PasteFilesTo(FileOpsContext& context, const std::vector<std::string>& paths,
                  std::string destination);

inline constexpr char kFtpToFtpText[] = "You can't copy file in ftp site to another ftp site.";

}  // namespace varnel
