// The first minutes: the start panel of an empty window clicked as a user clicks it, a recent folder that no
// longer opens, and a second start that hands its folder to the running viewer through the real local socket.

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <filesystem>

#include "app/MainWindow.h"
#include "app/RecentFolders.h"
#include "app/SingleInstance.h"
#include "app/StartPanel.h"
#include "platform/TempFolder.h"
#include "simulator/LoggerSimulator.h"
#include "support/RecordingBoxes.h"
#include "support/TempDir.h"

using namespace vyx;

class StartUpTest : public QObject {
    Q_OBJECT

private:
    test::TempDir m_data, m_doomedParent, m_noFcuFile;
    std::unique_ptr<CScopedTempFolder> m_temp;
    test::RecordingBoxes m_boxes;

    QString Folder(const test::TempDir& dir) { return QString::fromStdString(dir.Path()); }
    QString Doomed() { return Folder(m_doomedParent) + QStringLiteral("/site"); }
    static QStringList Texts(const QList<QPushButton*>& buttons) {
        QStringList texts;
        for (QPushButton* b : buttons) texts << b->text();
        return texts;
    }
    // Whether the button is what the user finds at its place on screen (and so what a click there hits).
    static bool OnScreen(QPushButton* button) {
        return QApplication::widgetAt(button->mapToGlobal(button->rect().center())) == button;
    }
    static void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center()); }

private slots:
    void initTestCase() {
        const QSettings settings(QStringLiteral("Brennmark"), QStringLiteral("Vyx_Viewer"));
        QVERIFY(settings.fileName().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
        sim::SimulatorOptions options;
        options.days = 1;
        options.recordsPerDay = 300;
        sim::GenerateDataFolder(m_data.Path(), options);
        sim::GenerateDataFolder(Doomed().toStdString(), options);
        m_temp = std::make_unique<CScopedTempFolder>();
    }

    // The empty window says what to do: "Open folder..." runs the folder dialog; the panel goes while a
    // folder is open and comes back (with the recent folders as buttons) when none is; a recent folder
    // that has gone is offered for removal after the folder message.
    void startPanelLeadsToAFolder() {
        gui::MainWindow window(m_temp->Path());
        window.SetMessageBoxes(&m_boxes);
        window.resize(1200, 700);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        gui::StartPanel* panel = window.GetStartPanel();
        QVERIFY(panel->isVisible());
        QVERIFY(panel->RecentButtons().isEmpty());

        QString dialogTitle;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                dialogTitle = dialog->windowTitle();
                dialog->reject();
            }
        });
        poll.start(20);
        QVERIFY(OnScreen(panel->OpenButton()));
        Click(panel->OpenButton());
        poll.stop();
        QCOMPARE(dialogTitle, QStringLiteral("Select Vyx Data folder..."));
        QVERIFY(panel->isVisible());  // cancelled: nothing changed

        window.OpenFolder(Doomed(), false);
        window.OpenFolder(Folder(m_data), false);
        QCOMPARE(window.Controller().Mode(), ViewMode::FCU);
        QVERIFY(!panel->isVisible());
        window.OpenFolder(Folder(m_noFcuFile), true);
        QVERIFY(panel->isVisible());
        const QStringList offered{QStringLiteral("&1 %1 (FCU)").arg(Folder(m_data)),
                                  QStringLiteral("&2 %1 (FCU)").arg(Doomed())};
        QTRY_COMPARE(Texts(panel->RecentButtons()), offered);

        // The folder went away since: the folder message first, then the offer; Yes takes it out.
        std::filesystem::remove_all(Doomed().toStdString());
        m_boxes.shown.clear();
        QTRY_VERIFY(OnScreen(panel->RecentButtons().at(1)));  // once the new buttons are laid out
        Click(panel->RecentButtons().at(1));
        QCOMPARE(window.Controller().Mode(), ViewMode::None);
        QCOMPARE(m_boxes.shown.size(), 2u);
        QCOMPARE(m_boxes.shown[0].text, std::string("FCU Information file is not avaiable.  Please select another folder."));
        QCOMPARE(QString::fromStdString(m_boxes.shown[1].text),
                 QStringLiteral("The folder %1 no longer exists.\nRemove it from the recent folders?").arg(Doomed()));
        QTRY_COMPARE(Texts(panel->RecentButtons()), QStringList{offered.first()});
        QCOMPARE(window.GetRecentFolders()->Actions().size(), 1);

        // The one left opens in its mode, and the panel goes.
        QTRY_VERIFY(OnScreen(panel->RecentButtons().at(0)));  // once the new buttons are laid out
        Click(panel->RecentButtons().at(0));
        QCOMPARE(window.Controller().Mode(), ViewMode::FCU);
        QCOMPARE(QString::fromStdString(window.Controller().FolderPath()), Folder(m_data));
        QVERIFY(!panel->isVisible());
    }

    // What a second start sends arrives at the first: the folder absolute (made so by the sender), the mode,
    // and always the request to come forward.
    void secondStartHandsOverItsFolder() {
        const QString key = QStringLiteral("vyx-viewer-test-%1").arg(QCoreApplication::applicationPid());
        gui::SingleInstance first(key);
        QVERIFY(first.Acquire());
        QSignalSpy raised(&first, &gui::SingleInstance::raiseRequested);
        QSignalSpy opened(&first, &gui::SingleInstance::openRequested);

        const QString relative = QDir::current().relativeFilePath(Folder(m_data));
        struct Case {
            gui::StartRequest request;
            QString folder;  // "" = nothing to open
            bool messageMode;
        };
        const QList<Case> cases = {
            {{QString(), true}, QString(), true},
            {{relative + QStringLiteral("/./"), false}, Folder(m_data), false},
            {{Folder(m_data) + QStringLiteral("/with blank\nand newline"), true},
             Folder(m_data) + QStringLiteral("/with blank\nand newline"), true},
        };
        for (const Case& c : cases) {
            raised.clear();
            opened.clear();
            gui::SingleInstance second(key);
            QVERIFY(!second.Acquire(c.request));
            QTRY_COMPARE(raised.size(), 1);
            QTest::qWait(20);
            QCOMPARE(opened.size(), c.folder.isEmpty() ? 0 : 1);
            if (!c.folder.isEmpty()) {
                QCOMPARE(opened[0][0].toString(), c.folder);
                QCOMPARE(opened[0][1].toBool(), c.messageMode);
            }
        }

        // Served by a window: the folder opens there in the mode asked for.
        gui::MainWindow window(m_temp->Path());
        window.SetMessageBoxes(&m_boxes);
        window.show();
        gui::ServeLaterStarts(first, window);
        gui::SingleInstance second(key);
        QVERIFY(!second.Acquire({relative, true}));
        QTRY_COMPARE(window.Controller().Mode(), ViewMode::Messages);
        QCOMPARE(QString::fromStdString(window.Controller().FolderPath()), Folder(m_data));
        QTRY_VERIFY(window.Controller().LoadEnded());
    }
};

// The settings (recent folders, last folder) go to a folder of this run's own, never the user's.
int main(int argc, char** argv) {
    const vyx::test::TempDir config;
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(config.Path()));
    QApplication app(argc, argv);
    StartUpTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "StartUpTest.moc"
