// vyx-export-icons: saves the program's drawn icon as PNG files in the freedesktop icon theme layout,
// OUTPUT/<size>x<size>/apps/vyx-viewer.png, so the desktop shows the same picture as the running program.
// Usage: vyx-export-icons OUTPUT SIZE...

#include <QDir>
#include <QGuiApplication>
#include <QPixmap>
#include <cstdio>

#include "app/Artwork.h"

int main(int argc, char** argv) {
    // Runs during the build, where there may be no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: vyx-export-icons OUTPUT SIZE...\n");
        return 2;
    }
    for (qsizetype i = 2; i < args.size(); ++i) {
        bool ok = false;
        const int size = args[i].toInt(&ok);
        if (!ok || size < 8 || size > 1024) {
            std::fprintf(stderr, "vyx-export-icons: bad size %s\n", qPrintable(args[i]));
            return 2;
        }
        const QString folder = QStringLiteral("%1/%2x%2/apps").arg(args[1]).arg(size);
        const QString file = folder + QStringLiteral("/vyx-viewer.png");
        const QPixmap pixmap = vyx::gui::IconPixmap(size);
        if (!QDir().mkpath(folder) || pixmap.size() != QSize(size, size) || !pixmap.save(file, "PNG")) {
            std::fprintf(stderr, "vyx-export-icons: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
