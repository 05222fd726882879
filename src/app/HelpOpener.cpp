#include "app/HelpOpener.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QUrl>

#include "controller/HelpDocument.h"

namespace vyx::gui {

void OpenHelpDocument(IMessageBoxes& boxes) {
    HelpOpenResult result = HelpOpenResult::Unknown;
    const std::string path = LocateHelpDocument(
        HelpDocumentCandidates(QDir::currentPath().toStdString(), QCoreApplication::applicationDirPath().toStdString()),
        result);
    if (result == HelpOpenResult::Opened &&
        !QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)))) {
        result = HelpOpenResult::NoViewer;
    }
    if (result != HelpOpenResult::Opened) boxes.Show(HelpFailureText(result), MessageIcon::Stop);
}

}  // namespace vyx::gui
