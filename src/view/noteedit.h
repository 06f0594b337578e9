#pragma once
// "&Modify note": the note dialog's text and title, and writing the note into the catalog.
#include <cstdint>
#include <string>

namespace varnel {

class Catalog;

inline constexpr size_t kNoteLimit = 2048;  // a note and its terminator fit a working text
inline constexpr const char* kNoteTooLong = "A note must be shorter than 2048 bytes.";

struct NoteDialogSetup {
    std::string title;  // "Note", with "(3 files)" appended for three
    std::string text;   // the one selected record's note; empty for several
};
NoteDialogSetup noteDialogSetup(Catalog& catalog);

// Writes `text` as the note of every selected record (found by folder and name in the master
// list) and advances the catalog generation. False, with nothing written, for a note of
// 2048 bytes or more.
bool applyNote(Catalog& catalog, const std::string& text);

}  // namespace varnel
