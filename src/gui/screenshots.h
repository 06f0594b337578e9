#pragma once
// Pictures of the window for the documentation, taken once the window has settled.
#include <QString>

namespace varnel {

class CMainFrame;
class SavedSearchList;
class Prompt;

// The window as it first shows: the folder pane open at the home folder, the list sorted by
// Size, largest first. Quits the program with 0 when `file` was written.
void takeWindowScreenshot(CMainFrame& frame, const QString& file);

// The search dialog with its saved searches shown, over the preview of the page `preview`
// (a name to type into the address bar, whose first match is previewed).
void takeSearchScreenshot(CMainFrame& frame, SavedSearchList& searches, Prompt& prompt,
                          const QString& preview, const QString& file);

}  // namespace varnel
