#pragma once
// Icons: ours, painted in code (Qt here renders no SVG), for the program and the toolbar; the
// file types' come from the desktop's icon theme.
#include <QIcon>

namespace varnel {

// The program's own icon: a card-index drawer with a magnifier.
QIcon applicationIcon();
QImage applicationIconImage(int size);
// Picks an installed icon theme when the desktop named none.
void chooseIconTheme();
// A toolbar icon by freedesktop name ("go-previous", "view-refresh", ...), drawn by us.
QIcon toolIcon(const char* name);

}  // namespace varnel
