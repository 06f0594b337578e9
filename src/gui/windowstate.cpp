#include "gui/windowstate.h"

#include <QHeaderView>
#include <QMainWindow>
#include <QSettings>

#include "view/layout.h"

namespace varnel {

namespace {
const QString kGeometry = QStringLiteral("window/geometry");
const QString kFolderPaneWidth = QStringLiteral("window/folderPaneWidth");
const QString kPreviewHeight = QStringLiteral("window/previewHeight");
const QString kColumnWidths = QStringLiteral("window/columnWidths");
}  // namespace

void CWindowState::restore(QMainWindow& window, LayoutOptions& options, QHeaderView& columns) {
    const QSettings settings;
    window.restoreGeometry(settings.value(kGeometry).toByteArray());
    // Only widths that leave the panes usable: settings files get edited by hand.
    const int paneWidth = settings.value(kFolderPaneWidth, -1).toInt();
    if (paneWidth >= 0 && paneWidth <= 4000) options.folderPaneWidth = paneWidth;
    const int previewHeight = settings.value(kPreviewHeight, -1).toInt();
    if (previewHeight >= 0 && previewHeight <= 4000) options.lowerPreviewHeight = previewHeight;
    const QVariantList widths = settings.value(kColumnWidths).toList();
    for (int c = 0; c < widths.size() && c < columns.count(); ++c) {
        const int width = widths[c].toInt();
        // The stretching columns take what the others leave.
        if (columns.sectionResizeMode(c) == QHeaderView::Interactive && width > 0 && width <= 4000)
            columns.resizeSection(c, width);
    }
}

void CWindowState::save(const QMainWindow& window, const LayoutOptions& options,
                        const QHeaderView& columns) {
    QSettings settings;
    settings.setValue(kGeometry, window.saveGeometry());
    settings.setValue(kFolderPaneWidth, options.folderPaneWidth);
    settings.setValue(kPreviewHeight, options.lowerPreviewHeight);
    QVariantList widths;
    for (int c = 0; c < columns.count(); ++c) widths << columns.sectionSize(c);
    settings.setValue(kColumnWidths, widths);
}

}  // namespace varnel
