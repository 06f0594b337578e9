#pragma once
// Deleting the files behind the selected records: local files go to the desktop's trash (or,
// after one question, away for good where no trash can take them), FTP files are removed on
// the server. Only the records of files that are really gone leave the catalog.
namespace varnel {

struct FileOpsContext;

// False when nothing was asked or the user said no.
bool DeleteSelected(FileOpsContext& context);

inline constexpr char kDeleteErrorsText[] = "Some errors occur when delete files.";

}  // namespace varnel
