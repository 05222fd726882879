// vyx-viewer: the desktop viewer.

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <QTimer>
#include <clocale>
#include <memory>

#include "app/Artwork.h"
#include "app/MainWindow.h"
#include "app/SingleInstance.h"
#include "app/SplashWindow.h"
#include "platform/FileError.h"
#include "platform/LeftoverTempFolders.h"
#include "platform/ResourceLimits.h"
#include "platform/TempFolder.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Vyx Viewer"));
    QApplication::setOrganizationName(QStringLiteral("Brennmark"));
    QApplication::setApplicationVersion(QStringLiteral("1.65"));
    QApplication::setWindowIcon(vyx::gui::ApplicationIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("vyx-viewer"));
    // Qt takes the locale from the environment; numbers written into files must not follow it.
    std::setlocale(LC_NUMERIC, "C");

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Viewer for the day files of a field-network data logger"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption messages(QStringLiteral("messages"), QStringLiteral("Open FOLDER in messages mode (the default)"));
    const QCommandLineOption fcu(QStringLiteral("fcu"), QStringLiteral("Open FOLDER in FCU mode"));
    const QCommandLineOption noSplash(QStringLiteral("no-splash"), QStringLiteral("Do not show the start-up picture"));
    parser.addOption(messages);
    parser.addOption(fcu);
    parser.addOption(noSplash);
    parser.addPositionalArgument(QStringLiteral("FOLDER"), QStringLiteral("Data folder to open at start"));
    parser.process(app);

    const QStringList folders = parser.positionalArguments();
    vyx::gui::StartRequest request;
    if (!folders.isEmpty()) request = {vyx::gui::AbsoluteFolder(folders.front()), !parser.isSet(fcu)};
    vyx::gui::SingleInstance instance;
    if (!instance.Acquire(request)) return 0;  // the running viewer has been handed the request

    // A time-ordered load keeps one file open per run of a day file.
    vyx::RaiseOpenFileLimit();
    // A run folder of its own, so a `vyx` run at the same time never shares index, run or log files with
    // the viewer; it goes when the viewer ends (after the window, which uses it).
    std::unique_ptr<vyx::CScopedTempFolder> runFolder;
    try {
        const std::string privateFolder = vyx::PrivateTempFolder();
        vyx::RemoveLeftoverTempFolders(privateFolder);
        runFolder = std::make_unique<vyx::CScopedTempFolder>(privateFolder);
    } catch (const vyx::CVyxError& e) {
        QMessageBox::critical(nullptr, QStringLiteral("Vyx Viewer"), QString::fromStdString(e.what()));
        return 1;
    }

    vyx::gui::MainWindow window(runFolder->Path());
    vyx::gui::ServeLaterStarts(instance, window);
    window.showMaximized();
    if (!parser.isSet(noSplash)) (new vyx::gui::SplashWindow(&window))->ShowCentred();

    if (!request.folder.isEmpty()) {
        // Opened once the window is on screen, so the load's progress shows in it.
        QTimer::singleShot(0, &window, [&window, request] { window.OpenFolder(request.folder, request.messageMode); });
    }
    return app.exec();
}
