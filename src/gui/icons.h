#pragma once
// Icons: the desktop theme's, by freedesktop name, and ours, painted, where the theme has
// none (Qt here renders no SVG, so ours are drawn in code).
#include <QIcon>

namespace varnel {

// The program's own icon: a card-index drawer with a magnifier.
QIcon applicationIcon();
QImage applicationIconImage(int size);
// A toolbar icon by freedesktop name ("go-previous", "view-refresh", ...).
QIcon toolIcon(const char* name);

}  // namespace varnel
