#include "gui/icons.h"

#include <QFileInfo>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStandardPaths>

namespace varnel {

namespace {

const QColor kInk(0x2f, 0x4f, 0x7f);
const QColor kAccent(0xe8, 0x8a, 0x1a);

void drawApplication(QPainter& p, qreal s) {
    p.setRenderHint(QPainter::Antialiasing);
    // The drawer.
    QRectF box(s * 0.08, s * 0.30, s * 0.74, s * 0.56);
    p.setPen(QPen(kInk, s * 0.04));
    p.setBrush(QColor(0x5b, 0x8d, 0xd6));
    p.drawRoundedRect(box, s * 0.06, s * 0.06);
    // Cards standing in it.
    p.setBrush(Qt::white);
    for (int k = 0; k < 3; ++k)
        p.drawRect(QRectF(s * (0.16 + 0.08 * k), s * (0.14 + 0.05 * k), s * 0.44, s * 0.22));
    // The handle.
    p.setBrush(kInk);
    p.drawRoundedRect(QRectF(s * 0.33, s * 0.58, s * 0.24, s * 0.07), s * 0.03, s * 0.03);
    // The magnifier.
    p.setPen(QPen(kAccent, s * 0.08, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(s * 0.80, s * 0.78), QPointF(s * 0.94, s * 0.94));
    p.setPen(QPen(kAccent, s * 0.06));
    p.setBrush(QColor(255, 255, 255, 200));
    p.drawEllipse(QPointF(s * 0.70, s * 0.68), s * 0.15, s * 0.15);
}

void arrow(QPainter& p, qreal s, qreal angle) {
    p.translate(s / 2, s / 2);
    p.rotate(angle);
    QPainterPath path;
    path.moveTo(-s * 0.36, 0);
    path.lineTo(0, -s * 0.34);
    path.lineTo(0, -s * 0.14);
    path.lineTo(s * 0.36, -s * 0.14);
    path.lineTo(s * 0.36, s * 0.14);
    path.lineTo(0, s * 0.14);
    path.lineTo(0, s * 0.34);
    path.closeSubpath();
    p.setPen(QPen(kInk, s * 0.05));
    p.setBrush(QColor(0x5b, 0x8d, 0xd6));
    p.drawPath(path);
}

QPixmap paint(const QString& name, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    if (name == QLatin1String("go-previous")) {
        arrow(p, s, 0);
    } else if (name == QLatin1String("go-next")) {
        arrow(p, s, 180);
    } else if (name == QLatin1String("go-up")) {
        arrow(p, s, 90);
    } else if (name == QLatin1String("go-down")) {
        arrow(p, s, 270);
    } else if (name == QLatin1String("view-refresh")) {
        p.setPen(QPen(QColor(0x2e, 0x8b, 0x57), s * 0.11, Qt::SolidLine, Qt::FlatCap));
        p.drawArc(QRectF(s * 0.18, s * 0.18, s * 0.64, s * 0.64), 90 * 16, 270 * 16);
        QPainterPath head;
        head.moveTo(s * 0.50, s * 0.02);
        head.lineTo(s * 0.72, s * 0.18);
        head.lineTo(s * 0.50, s * 0.34);
        head.closeSubpath();
        p.fillPath(head, QColor(0x2e, 0x8b, 0x57));
    } else if (name == QLatin1String("system-search")) {
        p.setPen(QPen(kInk, s * 0.10, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(s * 0.60, s * 0.60), QPointF(s * 0.88, s * 0.88));
        p.setBrush(QColor(0xdd, 0xee, 0xff));
        p.drawEllipse(QPointF(s * 0.40, s * 0.40), s * 0.26, s * 0.26);
    } else if (name == QLatin1String("edit-select-all") || name == QLatin1String("edit-clear")) {
        p.setPen(QPen(kInk, s * 0.05));
        p.setBrush(Qt::white);
        for (int k = 0; k < 3; ++k)
            p.drawRect(QRectF(s * 0.14, s * (0.14 + 0.26 * k), s * 0.72, s * 0.18));
        const bool keep = name == QLatin1String("edit-select-all");
        p.setPen(QPen(keep ? QColor(0x2e, 0x8b, 0x57) : QColor(0xc0, 0x30, 0x30), s * 0.10,
                      Qt::SolidLine, Qt::RoundCap));
        if (keep) {
            p.drawLine(QPointF(s * 0.30, s * 0.52), QPointF(s * 0.46, s * 0.70));
            p.drawLine(QPointF(s * 0.46, s * 0.70), QPointF(s * 0.80, s * 0.30));
        } else {
            p.drawLine(QPointF(s * 0.30, s * 0.30), QPointF(s * 0.70, s * 0.70));
            p.drawLine(QPointF(s * 0.70, s * 0.30), QPointF(s * 0.30, s * 0.70));
        }
    } else if (name == QLatin1String("view-list-details")) {
        p.setPen(QPen(kInk, s * 0.08, Qt::SolidLine, Qt::RoundCap));
        for (int k = 0; k < 4; ++k) {
            const qreal y = s * (0.22 + 0.19 * k);
            p.drawPoint(QPointF(s * 0.18, y));
            p.drawLine(QPointF(s * 0.34, y), QPointF(s * 0.84, y));
        }
    } else if (name == QLatin1String("text-x-generic")) {
        p.setPen(QPen(QColor(0x70, 0x70, 0x70), s * 0.06));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(s * 0.2, s * 0.08, s * 0.6, s * 0.84));
    } else {
        drawApplication(p, s);
    }
    return pixmap;
}

QIcon painted(const QString& name) {
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48}) icon.addPixmap(paint(name, size));
    return icon;
}

}  // namespace

QImage applicationIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    drawApplication(p, size);
    return image;
}

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(applicationIconImage(size)));
    return icon;
}

void chooseIconTheme() {
    const QString current = QIcon::themeName();
    if (!current.isEmpty() && current != QLatin1String("hicolor")) return;
    // Outside a desktop session Qt knows no theme and does not look in the system's icon
    // folders; hicolor alone holds hardly any file types.
    QStringList paths = QIcon::themeSearchPaths();
    for (const QString& data :
         QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation)) {
        const QString icons = data + QLatin1String("/icons");
        if (!paths.contains(icons)) paths.append(icons);
    }
    QIcon::setThemeSearchPaths(paths);
    for (const char* theme : {"Adwaita", "breeze", "oxygen", "Tango"}) {
        for (const QString& folder : paths) {
            if (QFileInfo::exists(folder + QLatin1Char('/') + QLatin1String(theme) +
                                  QLatin1String("/index.theme"))) {
                QIcon::setThemeName(QString::fromLatin1(theme));
                return;
            }
        }
    }
}

// Ours on every desktop: themes cover these names unevenly, and a toolbar of mixed styles
// reads worse than one consistent set.
QIcon toolIcon(const char* name) {
    return painted(QString::fromLatin1(name));
}

}  // namespace varnel
