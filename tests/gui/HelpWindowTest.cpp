// Help on a desktop without a PDF viewer, driven through the menu bar, the message box and the help window
// as a user does it, offscreen, with a help document written here.

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPdfWriter>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/HelpWindow.h"
#include "gui/ViewerInput.h"
#include "app/MainWindow.h"
#include "platform/TempFolder.h"
#include "support/TempDir.h"

using namespace vyx;

namespace {

void WritePdf(const QString& path, const QStringList& pages) {
    QPdfWriter writer(path);
    QPainter painter(&writer);
    QFont font = painter.font();
    font.setPointSize(28);
    painter.setFont(font);
    for (int i = 0; i < pages.size(); ++i) {
        if (i > 0) writer.newPage();
        painter.drawText(QPointF(600, 1500), pages[i]);
    }
}

using test::ClickOnScreen;

}  // namespace

class HelpWindowTest : public QObject {
    Q_OBJECT

private:
    test::TempDir m_folder, m_empty;
    std::unique_ptr<CScopedTempFolder> m_temp;
    std::unique_ptr<gui::MainWindow> m_window;

    gui::HelpWindow* Help() { return m_window->findChild<gui::HelpWindow*>(); }

    // What the next message box says; it is then closed by a click on the button named (OK when empty).
    void AnswerNextBox(QString* text, const char* button = nullptr) {
        QTimer::singleShot(200, [text, button] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            *text = box->text();
            QAbstractButton* press = button ? box->findChild<QPushButton*>(button) : box->button(QMessageBox::Ok);
            if (!press || !ClickOnScreen(press)) box->reject();
        });
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        // A desktop with no program for anything, whatever this machine has installed.
        for (const char* name : {"XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS"}) {
            qputenv(name, QByteArray::fromStdString(m_empty.Path()));
        }
        WritePdf(QString::fromStdString(m_folder.File("VyxViewer.pdf")),
                 {QStringLiteral("Vyx Viewer help"), QStringLiteral("Opening a folder"),
                  QStringLiteral("Reports and the zebra")});
        QDir::setCurrent(QString::fromStdString(m_folder.Path()));
        m_temp = std::make_unique<CScopedTempFolder>();
        m_window = std::make_unique<gui::MainWindow>(m_temp->Path());
        m_window->resize(1000, 600);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }

    void cleanupTestCase() { m_window.reset(); }

    // Help > "Show Help !" says there is no viewer and offers the help window; its button shows it.
    void noViewerOffersTheHelpWindow() {
        QMenuBar* bar = m_window->menuBar();
        QAction* helpMenu = nullptr;
        for (QAction* action : bar->actions()) {
            if (action->text() == QStringLiteral("&Help")) helpMenu = action;
        }
        QVERIFY(helpMenu);
        QVERIFY(ClickOnScreen(bar, bar->actionGeometry(helpMenu).center()));
        QMenu* menu = helpMenu->menu();
        QTRY_VERIFY(menu->isVisible());
        QAction* showHelp = menu->actions().at(0);
        QCOMPARE(showHelp->text(), QStringLiteral("Show Help !"));
        QCOMPARE(menu->actions().at(1)->text(), QStringLiteral("Help in Vyx Viewer"));
        QString text;
        AnswerNextBox(&text, "offeredChoice");
        QVERIFY(ClickOnScreen(menu, menu->actionGeometry(showHelp).center()));
        QCOMPARE(text, QStringLiteral("There is no program found to view help file."));
        QTRY_VERIFY(Help() && Help()->isVisible());
        QCOMPARE(Help()->PageCount(), 3);
        QCOMPARE(Help()->CurrentPage(), 0);
    }

    // Pages by button and key, a search typed into the find field, Escape closes.
    void pagesAndSearch() {
        gui::HelpWindow* help = Help();
        QVERIFY(help);
        help->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(help));
        QVERIFY(ClickOnScreen(help->findChild<QToolButton*>("helpNextPage")));
        QCOMPARE(help->CurrentPage(), 1);
        QTest::keyClick(help, Qt::Key_PageDown);
        QCOMPARE(help->CurrentPage(), 2);
        QTest::keyClick(help, Qt::Key_PageDown);  // stays on the last
        QCOMPARE(help->CurrentPage(), 2);
        QTest::keyClick(help, Qt::Key_PageUp);
        QTest::keyClick(help, Qt::Key_PageUp);
        QCOMPARE(help->CurrentPage(), 0);

        QTest::keyClick(help, Qt::Key_F, Qt::ControlModifier);
        auto* find = help->findChild<QLineEdit*>("helpFind");
        QTRY_VERIFY(find->hasFocus());
        QTest::keyClicks(find, QStringLiteral("zebra"));
        QTest::keyClick(find, Qt::Key_Return);
        QTRY_COMPARE(help->CurrentPage(), 2);
        QTRY_COMPARE(help->findChild<QLabel*>("helpResults")->text(), QStringLiteral("1 of 1"));
        find->clear();
        QTest::keyClicks(find, QStringLiteral("giraffe"));
        QTest::keyClick(find, Qt::Key_Return);
        QTRY_COMPARE(help->findChild<QLabel*>("helpResults")->text(), QStringLiteral("not found"));

        QTest::keyClick(help, Qt::Key_Escape);
        QVERIFY(!help->isVisible());
    }

    // F1 shows the help window; a document that is not there keeps its message.
    void f1ShowsItAndAMissingDocumentIsSaid() {
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QTest::keyClick(m_window.get(), Qt::Key_F1);
        QTRY_VERIFY(Help()->isVisible());
        Help()->close();

        QDir::setCurrent(QString::fromStdString(m_empty.Path()));
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
        QString text;
        AnswerNextBox(&text);
        QTest::keyClick(m_window.get(), Qt::Key_F1);
        QCOMPARE(text, QStringLiteral("There is no help file available on the system."));
        QVERIFY(!Help()->isVisible());
    }
};

QTEST_MAIN(HelpWindowTest)
#include "HelpWindowTest.moc"
