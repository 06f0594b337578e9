#pragma once
// The scan options dialog ("Search folders for files") as the core sees it: a request with
// the two fields in and out, and the rule of its "..." buttons.
#include <string>
#include <string_view>

namespace varnel {

class Prompt;

inline constexpr char kScanOptionsTitle[] = "Search folders for files";
inline constexpr char kFolderChooserTitle[] = "Please select folder";
inline constexpr char kNotAFolderText[] = "Please select a valid folder";

struct ScanOptionsForm {
    std::string folders;     // roots, separated by ","
    std::string exclusions;  // folders to leave out, separated by ","; each a prefix
};

// What the system folder chooser gave back.
struct FolderChoice {
    bool chosen = false;   // false: the chooser was cancelled
    bool hasPath = false;  // the chosen item is a folder of the file system
    std::string path;
};

// The field text for a chosen folder: the path, with a separator appended when it holds one
// that is not its last character ("/home/u/Music" gives "/home/u/Music/", "/" stays "/").
std::string chosenFolderText(std::string_view path);

// A "..." button: the chosen folder replaces the field (it does not extend it); an item
// without a file-system path says "Please select a valid folder" and changes nothing, as
// does Cancel.
void applyFolderChoice(const FolderChoice& choice, std::string& field, Prompt& prompt);

class ScanDialogs {
  public:
    virtual ~ScanDialogs() = default;
    // Shows the dialog filled with `form`; true for OK with the fields as confirmed.
    virtual bool scanOptions(ScanOptionsForm& form) = 0;
};

}  // namespace varnel
