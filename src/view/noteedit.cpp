#include "view/noteedit.h"

#include "catalog/sort.h"
#include "catalog/tables.h"
#include "query/findsorted.h"

namespace varnel {

NoteDialogSetup noteDialogSetup(Catalog& catalog) {
    const int32_t selected = catalog.recordCount(kSelectionList);
    if (selected == 1) return {"Note", catalog.recordNoteText(kSelectionList, 0)};
    return {"Note(" + std::to_string(selected) + " files)", ""};
}

bool applyNote(Catalog& catalog, const std::string& text) {
    if (text.size() >= kNoteLimit) return false;
    const int32_t selected = catalog.recordCount(kSelectionList);
    if (selected == 0) return true;
    // Several records are looked up in a copy sorted by name; one needs no sorting.
    int sorted = kSelectionList;
    if (selected > 1) {
        sorted = catalog.reserveTempList();
        SortRecordList(catalog, sorted, kSelectionList, kSortByName, kAscending);
    }
    int32_t first = -1;
    const int32_t count = catalog.recordCount(kMasterList);
    for (int32_t i = 0; i < count; ++i) {
        if (findSortedRecord(catalog, sorted, kMasterList, i) < 0) continue;
        if (first < 0) {
            first = i;
            catalog.writeRecordNote(kMasterList, i, text);
        } else {
            catalog.copyRecordNote(kMasterList, i, kMasterList, first);
        }
    }
    if (sorted != kSelectionList) catalog.releaseTempList(sorted);
    // The selection's copies show the new note too, for the next opening of the dialog.
    for (int32_t s = 0; s < selected; ++s) catalog.writeRecordNote(kSelectionList, s, text);
    catalog.bumpGeneration();
    return true;
}

}  // namespace varnel
