#include "app/DesktopOpener.h"

#include <QDesktopServices>
#include <QUrl>

#include "platform/DesktopApplications.h"

namespace vyx::gui {

bool OpenWithDesktop(const QString& path, const QString& mimeType) {
    if (!HasDesktopApplicationFor(mimeType.toStdString(), XdgFoldersFromEnvironment())) return false;
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void OpenReportInBrowser(const std::string& path, IMessageBoxes& boxes) {
    if (OpenWithDesktop(QString::fromStdString(path), QStringLiteral("text/html"))) return;
    boxes.Show("There is no web browser found to show the report.\nIt was written to " + path,
               MessageIcon::Information);
}

}  // namespace vyx::gui
