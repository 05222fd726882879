#include "app/HelpOpener.h"

#include <QCoreApplication>
#include <QDir>

#include "app/DesktopOpener.h"
#include "app/HelpWindow.h"

namespace vyx::gui {

QString FindHelpDocument(HelpOpenResult& result) {
    return QString::fromStdString(LocateHelpDocument(
        HelpDocumentCandidates(QDir::currentPath().toStdString(), QCoreApplication::applicationDirPath().toStdString()),
        result));
}

void OpenHelpDocument(IMessageBoxes& boxes, QWidget* window) {
    HelpOpenResult result = HelpOpenResult::Unknown;
    const QString path = FindHelpDocument(result);
    if (result == HelpOpenResult::Opened && !OpenWithDesktop(path, QStringLiteral("application/pdf"))) {
        result = HelpOpenResult::NoViewer;
    }
    if (result == HelpOpenResult::NoViewer) {
        if (boxes.Offer(HelpFailureText(result), MessageIcon::Stop, "Help in Vyx Viewer"))
            ShowHelpWindow(window, boxes);
        return;
    }
    if (result != HelpOpenResult::Opened) boxes.Show(HelpFailureText(result), MessageIcon::Stop);
}

}  // namespace vyx::gui
