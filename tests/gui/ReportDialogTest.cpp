// The report dialogs driven as a user drives them, offscreen, over a loaded folder.

#include <QCheckBox>
#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QSettings>
#include <QProgressBar>
#include <QLabel>
#include <QFileDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTableView>
#include <QStandardPaths>
#include <QTest>
#include <QTreeWidget>
#include <QThread>
#include <deque>

#include "app/MainWindow.h"
#include "gui/ViewerInput.h"
#include "app/ReportDialogs.h"
#include "platform/File.h"
#include "platform/TempFolder.h"
#include "report/ReportGenerator.h"
#include "simulator/LoggerSimulator.h"
#include "support/TempDir.h"
#include "views/ListLargeDataCtrl.h"

using namespace vyx;

namespace {

class ScriptedBoxes : public IMessageBoxes {
public:
    void Show(const std::string& text, MessageIcon icon) override {
        shown.push_back({text, icon});
        if (onShow) onShow();
    }
    MessageAnswer Ask(const std::string& text, MessageIcon icon) override {
        asked.push_back({text, icon});
        if (answers.empty()) return MessageAnswer::No;
        const MessageAnswer answer = answers.front();
        answers.pop_front();
        if (onAsk) onAsk();
        return answer;
    }
    std::vector<std::pair<std::string, MessageIcon>> shown, asked;
    std::deque<MessageAnswer> answers;
    std::function<void()> onAsk;
    std::function<void()> onShow;  // while the box is up
};

int CountLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return -1;
    return static_cast<int>(file.readAll().count('\n'));
}

}  // namespace

class ReportDialogTest : public QObject {
    Q_OBJECT

private:
    test::TempDir m_data, m_out;
    std::unique_ptr<CScopedTempFolder> m_temp;
    std::unique_ptr<gui::MainWindow> m_window;
    ScriptedBoxes m_boxes;
    gui::ReportCriteriaDlg* m_dialog = nullptr;
    QString m_nextFile;

    bool WaitFor(const std::function<bool()>& done, int ms = 60000) {
        QElapsedTimer timer;
        timer.start();
        while (!done()) {
            if (timer.elapsed() > ms) return false;
            QTest::qWait(10);
        }
        return true;
    }
    template <typename T>
    T* In(QWidget* parent, const char* name) {
        return parent->findChild<T*>(QString::fromLatin1(name));
    }
    void Generate() { QTest::mouseClick(In<QPushButton>(m_dialog, "generateButton"), Qt::LeftButton); }
    void SetRange(const QString& from, const QString& to) {
        In<QLineEdit>(m_dialog, "fromRecord")->setText(from);
        In<QLineEdit>(m_dialog, "toRecord")->setText(to);
    }
    std::string LastShown() const { return m_boxes.shown.empty() ? std::string() : m_boxes.shown.back().first; }
    static bool ClickOnScreen(QWidget* widget) { return test::ClickOnScreen(widget); }
    void TypeInto(const char* name, const QString& text) {
        auto* edit = In<QLineEdit>(m_dialog, name);
        QVERIFY(ClickOnScreen(edit));
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }
    QString Label(const char* name) { return In<QLabel>(m_dialog, name)->text(); }

private slots:
    void initTestCase() {
        // Settings (last folder, recent folders, layout) go to a test location, never the user's.
        QStandardPaths::setTestModeEnabled(true);
        sim::SimulatorOptions options;
        options.days = 1;
        options.recordsPerDay = 500;
        options.faults = false;
        sim::GenerateDataFolder(m_data.Path(), options);
        m_temp = std::make_unique<CScopedTempFolder>();
        m_window = std::make_unique<gui::MainWindow>(m_temp->Path());
        m_window->SetMessageBoxes(&m_boxes);
        m_window->resize(1000, 500);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_dialog = m_window->ReportDialog();
        QVERIFY(m_dialog);
        m_dialog->Form().SetFileChooser([this](QWidget*, const ReportFileChoice&) { return m_nextFile; });
        // No desktop programs: a finished page is never handed to a browser of this machine.
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(m_out.File("xdg-data")));
        qputenv("XDG_DATA_DIRS", QByteArray::fromStdString(m_out.File("xdg-data")));
        qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(m_out.File("xdg-config")));
        qputenv("XDG_CONFIG_DIRS", QByteArray::fromStdString(m_out.File("xdg-config")));
        QSettings(QStringLiteral("Brennmark"), QStringLiteral("Vyx_Viewer")).remove(QStringLiteral("ReportFolder"));
    }

    // "..." opens the save dialog in the home folder at first, then in the folder of the last report file.
    void fileDialogOpensInTheLastReportFolder() {
        m_window->ShowMessageReportDialog();
        // Below the window, on the screen: clicks must land on the dialog, not on the window behind it.
        m_dialog->move(0, m_window->frameGeometry().bottom() + 10);
        QVERIFY(QTest::qWaitForWindowExposed(m_dialog));
        m_dialog->Form().SetFileChooser(gui::DefaultReportFileChooser());
        QString opened;
        auto closeTheSaveDialog = [&] {
            QTimer::singleShot(100, [&] {
                if (auto* files = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
                    opened = files->directory().absolutePath();
                    files->reject();
                }
            });
        };
        closeTheSaveDialog();
        QVERIFY(ClickOnScreen(In<QPushButton>(m_dialog, "browseButton")));
        QCOMPARE(opened, QDir::homePath());
        m_dialog->Form().SetFileChooser([this](QWidget*, const ReportFileChoice&) { return m_nextFile; });
        m_nextFile = QString::fromStdString(m_out.File("first.csv"));
        m_dialog->Form().ChooseFile();
        m_dialog->Form().SetFileChooser(gui::DefaultReportFileChooser());
        closeTheSaveDialog();
        QVERIFY(ClickOnScreen(In<QPushButton>(m_dialog, "browseButton")));
        QCOMPARE(opened, QString::fromStdString(m_out.Path()));
        QCOMPARE(In<QLabel>(m_dialog, "reportPath")->toolTip(), QString::fromStdString(m_out.File("first.csv")));
        m_dialog->Form().SetFileChooser([this](QWidget*, const ReportFileChoice&) { return m_nextFile; });
        In<QRadioButton>(m_dialog, "htmlRadio")->click();  // another form clears the path again
        In<QRadioButton>(m_dialog, "csvRadio")->click();
    }

    void cleanupTestCase() {
        SetWriteFaultHook(nullptr);
        m_window.reset();
    }

    void beforeAnyLoadThereAreNoRecords() {
        m_window->ShowMessageReportDialog();
        QCOMPARE(m_dialog->windowTitle(), QStringLiteral("Report - Message"));
        Generate();
        QCOMPARE(LastShown(), std::string("Please select file name..."));
        m_nextFile = QString::fromStdString(m_out.File("report.txt"));
        m_dialog->Form().ChooseFile();
        QVERIFY(m_dialog->Form().FileName().ends_with("report.txt.csv"));
        Generate();
        QCOMPARE(LastShown(), std::string("No valid records found till this time"));
    }

    void rangeChecksAndARunOfTheWholeLoad() {
        m_window->OpenFolder(QString::fromStdString(m_data.Path()), true);
        QVERIFY(WaitFor([&] { return m_window->Controller().LoadEnded() && m_window->Controller().Total() == 500; }));
        QCOMPARE(m_dialog->RecordCount(), 500);
        SetRange("0", "10");
        Generate();
        QCOMPARE(LastShown(), std::string("Invalid range.\nPlease select records between 1 and 500"));
        SetRange("1", "501");
        Generate();
        QCOMPARE(LastShown(), std::string("Invalid range.\nPlease select records between 1 and 500"));
        SetRange("10", "5");
        Generate();
        QCOMPARE(LastShown(), std::string("Start record can not be greater than end record"));
        QCOMPARE(m_boxes.shown.back().second, MessageIcon::Stop);

        // The folder being read is never written.
        const QString chosen = m_nextFile;
        m_nextFile = QString::fromStdString(m_data.File("LG050109.txt"));
        m_dialog->Form().ChooseFile();
        SetRange("1", "5");
        Generate();
        QVERIFY(LastShown().starts_with("The report file lies in the data folder:\n" + m_data.File("LG050109.txt")));
        m_nextFile = chosen;
        m_dialog->Form().ChooseFile();

        // "&All" takes the whole load whatever the edits say.
        In<QCheckBox>(m_dialog, "allRecords")->click();
        QVERIFY(!In<QLineEdit>(m_dialog, "fromRecord")->isEnabled());
        m_boxes.shown.clear();
        Generate();
        QVERIFY(WaitFor([&] { return !m_boxes.shown.empty(); }));
        QCOMPARE(LastShown(), std::string("Message Log report generated successfully."));
        QCOMPARE(CountLines(QString::fromStdString(m_dialog->Form().FileName())), 501);
        QCOMPARE(m_dialog->ProgressPosition(), 0);
        In<QCheckBox>(m_dialog, "allRecords")->click();
    }

    // Typed range and a click on "&Generate !": the file to be written is named beside the path, the one
    // written under it, the count of records beside the bar; the success box leaves the keyboard in the
    // dialog even when it was in the list meanwhile, and nothing says a report is still in process.
    void aRunNamesItsFilesAndGivesTheKeyboardBack() {
        m_nextFile = QString::fromStdString(m_out.File("typed.csv"));
        m_dialog->Form().ChooseFile();
        TypeInto("fromRecord", QStringLiteral("11"));
        TypeInto("toRecord", QStringLiteral("20"));
        QCOMPARE(Label("plannedFiles"), QStringLiteral("Will write typed.csv"));
        TypeInto("toRecord", QStringLiteral("5"));
        QCOMPARE(Label("plannedFiles"), QString());  // a range that is refused writes nothing
        TypeInto("toRecord", QStringLiteral("210"));

        m_boxes.shown.clear();
        m_boxes.asked.clear();
        QVERIFY(ClickOnScreen(In<QPushButton>(m_dialog, "generateButton")));
        m_window->activateWindow();  // the user goes back to the list while it runs
        m_window->RecordList()->PageView()->setFocus();
        QVERIFY(WaitFor([&] { return !m_boxes.shown.empty(); }));
        QCOMPARE(LastShown(), std::string("Message Log report generated successfully."));
        QCOMPARE(CountLines(QString::fromStdString(m_out.File("typed.csv"))), 201);
        QCOMPARE(Label("writtenFiles"), QStringLiteral("Written: typed.csv"));
        QCOMPARE(m_dialog->ProgressText(), QStringLiteral("200 of 200 records written"));
        QCOMPARE(m_dialog->ProgressPosition(), 0);
        QVERIFY(QTest::qWaitForWindowActive(m_dialog));
        QVERIFY(m_dialog->isAncestorOf(QApplication::focusWidget()));

        // At once again: the run has ended, so no question about one in process, and the list may reload.
        QVERIFY(ClickOnScreen(In<QPushButton>(m_dialog, "generateButton")));
        QVERIFY(m_boxes.asked.empty());
        QVERIFY(WaitFor([&] { return m_boxes.shown.size() == 2; }));
        m_window->Controller().OnMessageFilter();
        for (const auto& shown : m_boxes.shown) QVERIFY(shown.first.find("in process") == std::string::npos);
        QVERIFY(WaitFor([&] { return m_window->Controller().LoadEnded(); }));
    }

    // A finished page on a desktop without a web browser: said, with the place of the page.
    void aPageWithoutABrowserIsSaid() {
        In<QRadioButton>(m_dialog, "htmlRadio")->click();
        m_nextFile = QString::fromStdString(m_out.File("page"));
        m_dialog->Form().ChooseFile();
        QCOMPARE(Label("plannedFiles"), QStringLiteral("Will write page.html"));
        m_boxes.shown.clear();
        QVERIFY(ClickOnScreen(In<QPushButton>(m_dialog, "generateButton")));
        QVERIFY(WaitFor([&] { return m_boxes.shown.size() == 2; }));
        QCOMPARE(m_boxes.shown[0].first, std::string("Message Log report generated successfully."));
        QCOMPARE(m_boxes.shown[1].first,
                 "There is no web browser found to show the report.\nIt was written to " + m_out.File("page.html"));
        In<QRadioButton>(m_dialog, "csvRadio")->click();
        m_nextFile = QString::fromStdString(m_out.File("report.csv"));
        m_dialog->Form().ChooseFile();
    }

    void switchingTheFormClearsThePath() {
        In<QRadioButton>(m_dialog, "csvRadio")->click();  // the form already chosen keeps the path
        QVERIFY(!m_dialog->Form().FileName().empty());
        In<QRadioButton>(m_dialog, "htmlRadio")->click();
        QVERIFY(m_dialog->Form().FileName().empty());
        m_nextFile = QString::fromStdString(m_out.File("log"));
        m_dialog->Form().ChooseFile();
        QVERIFY(m_dialog->Form().FileName().ends_with("log.html"));
        In<QRadioButton>(m_dialog, "csvRadio")->click();
        m_nextFile = QString::fromStdString(m_out.File("part.csv"));
        m_dialog->Form().ChooseFile();
        QVERIFY(m_dialog->Form().FileName().ends_with("part.csv"));
    }

    void doubleClickedRowGoesIntoTheLastRangeField() {
        In<QLineEdit>(m_dialog, "toRecord")->setFocus();
        QTest::qWait(20);
        QTableView* page = m_window->RecordList()->PageView();
        const QRect row = page->visualRect(page->model()->index(3, 0));
        QTest::mouseDClick(page->viewport(), Qt::LeftButton, {}, row.center());
        QCOMPARE(In<QLineEdit>(m_dialog, "toRecord")->text(), QStringLiteral("4"));
    }

    // A restart: the stopped run's success box comes first and alone, and the lines under it are that run's
    // (its part file, its count), not those of the run started after it. While a report runs its form and
    // file cannot be changed; once it is over, a change of range, form or file clears its lines.
    void aRestartAndTheLinesOfTheLastRun() {
        test::TempDir big;
        sim::SimulatorOptions options;
        options.days = 1;
        options.recordsPerDay = 70000;
        options.faults = false;
        sim::GenerateDataFolder(big.Path(), options);
        m_window->OpenFolder(QString::fromStdString(big.Path()), true);
        QVERIFY(WaitFor([&] { return m_window->Controller().LoadEnded() && m_window->Controller().Total() == 70000; }));
        auto* browse = In<QPushButton>(m_dialog, "browseButton");
        m_nextFile = QString::fromStdString(m_out.File("restart"));
        QVERIFY(ClickOnScreen(browse));
        SetWriteFaultHook([](const std::string&, std::size_t) {
            QThread::msleep(200);
            return 0;
        });
        TypeInto("fromRecord", QStringLiteral("1"));
        TypeInto("toRecord", QStringLiteral("70000"));
        m_boxes.shown.clear();
        m_boxes.answers = {MessageAnswer::Yes};
        QVERIFY(ClickOnScreen(In<QPushButton>(m_dialog, "generateButton")));
        QVERIFY(WaitFor([&] {
            const QString count = m_dialog->ProgressText();
            return count.endsWith(QStringLiteral(" of 70000 records written")) && !count.startsWith(QStringLiteral("0 "));
        }));

        SetWriteFaultHook(nullptr);
        TypeInto("toRecord", QStringLiteral("100"));
        QVERIFY(m_dialog->ProgressText().endsWith(QStringLiteral(" of 70000 records written")));
        struct Seen {
            QString written, count;
        };
        std::vector<Seen> seen;
        int up = 0, mostUp = 0;
        m_boxes.onShow = [&] {
            mostUp = std::max(mostUp, ++up);
            seen.push_back({Label("writtenFiles"), m_dialog->ProgressText()});
            QTest::qWait(300);  // a box is up for a while, and events go on meanwhile
            if (seen.back().written != Label("writtenFiles") || seen.back().count != m_dialog->ProgressText()) {
                seen.back() = {QStringLiteral("changed under the box"), QString()};
            }
            --up;
        };
        m_boxes.answers = {MessageAnswer::Yes};
        QVERIFY(ClickOnScreen(In<QPushButton>(m_dialog, "generateButton")));
        QVERIFY(WaitFor([&] { return m_boxes.shown.size() == 2 && up == 0; }));
        m_boxes.onShow = nullptr;
        QCOMPARE(m_boxes.asked.back().first,
                 std::string("Report generation is in process.\nDo you want to stop and restart the operation ?"));
        QCOMPARE(mostUp, 1);
        QCOMPARE(seen[0].written, QStringLiteral("Written: restart_1.csv"));
        QVERIFY2(QRegularExpression(QStringLiteral("^[1-9][0-9]* of 70000 records written$")).match(seen[0].count).hasMatch() &&
                     !seen[0].count.startsWith(QStringLiteral("70000 ")),
                 qPrintable(seen[0].count));
        QCOMPARE(seen[1].written, QStringLiteral("Written: restart.csv"));
        QCOMPARE(seen[1].count, QStringLiteral("100 of 100 records written"));

        // A change after the run: the lines of the run go, for the range, the form and the file alike.
        auto runAgain = [&] {
            m_boxes.shown.clear();
            QVERIFY(ClickOnScreen(In<QPushButton>(m_dialog, "generateButton")));
            QVERIFY(WaitFor([&] { return m_boxes.shown.size() == 1; }));
            QCOMPARE(LastShown(), std::string("Message Log report generated successfully."));
            QVERIFY(!Label("writtenFiles").isEmpty());
            QVERIFY(!m_dialog->ProgressText().isEmpty());
        };
        auto linesCleared = [&] { return Label("writtenFiles").isEmpty() && m_dialog->ProgressText().isEmpty(); };
        TypeInto("toRecord", QStringLiteral("99"));
        QVERIFY(linesCleared());
        runAgain();
        QVERIFY(ClickOnScreen(In<QRadioButton>(m_dialog, "xlsRadio")));
        QVERIFY(linesCleared());
        QVERIFY(ClickOnScreen(In<QRadioButton>(m_dialog, "csvRadio")));
        m_nextFile = QString::fromStdString(m_out.File("restart"));
        QVERIFY(ClickOnScreen(browse));
        runAgain();
        m_nextFile = QString::fromStdString(m_out.File("again"));
        QVERIFY(ClickOnScreen(browse));
        QVERIFY(linesCleared());
        QCOMPARE(Label("plannedFiles"), QStringLiteral("Will write again.csv"));

        m_nextFile = QString::fromStdString(m_out.File("report.csv"));
        QVERIFY(ClickOnScreen(browse));
    }

    void cancelARunningReportAnsweringNoThenYes() {
        // A folder large enough for the report to write several blocks, each slowed down, so it is still
        // running when the user cancels.
        test::TempDir big;
        sim::SimulatorOptions options;
        options.days = 1;
        options.recordsPerDay = 30000;
        options.faults = false;
        sim::GenerateDataFolder(big.Path(), options);
        m_window->OpenFolder(QString::fromStdString(big.Path()), true);
        QVERIFY(WaitFor([&] { return m_window->Controller().LoadEnded() && m_window->Controller().Total() == 30000; }));
        const std::string path = m_dialog->Form().FileName();
        SetWriteFaultHook([path](const std::string& written, std::size_t) {
            if (written == path) QThread::msleep(200);
            return 0;
        });
        SetRange("1", "30000");
        m_boxes.shown.clear();
        Generate();
        QVERIFY(WaitFor([&] { return m_dialog->Generator().IsRunning(); }));
        // A busy bar, and the records written as text beside it.
        auto* bar = In<QProgressBar>(m_dialog, "reportProgress");
        QVERIFY(WaitFor([&] { return m_dialog->ProgressText().endsWith(QStringLiteral(" of 30000 records written")); }));
        QCOMPARE(bar->maximum(), 0);

        m_boxes.answers = {MessageAnswer::No};
        m_boxes.onAsk = [&] { QVERIFY(m_dialog->Generator().IsPaused()); };
        QTest::mouseClick(In<QPushButton>(m_dialog, "cancelButton"), Qt::LeftButton);
        QCOMPARE(m_boxes.asked.back().first,
                 std::string("Report generation is in process.\nDo you want to cancel the operation ?"));
        QVERIFY(m_dialog->isVisible());
        QVERIFY(!m_dialog->Generator().IsPaused());
        QVERIFY(m_dialog->Generator().IsRunning());

        // A running report keeps the main window from reloading.
        m_window->Controller().OnMessageFilter();
        QCOMPARE(LastShown(), std::string("Report generation is in process. Can not continue with filtering."));

        m_boxes.answers = {MessageAnswer::Yes};
        m_boxes.onAsk = nullptr;
        QTest::mouseClick(In<QPushButton>(m_dialog, "cancelButton"), Qt::LeftButton);
        QVERIFY(!m_dialog->isVisible());
        QVERIFY(!m_dialog->Generator().IsRunning());
        QTest::qWait(100);  // the completion arrives, and says nothing
        for (const auto& shown : m_boxes.shown) QVERIFY(shown.first != "Message Log report generated successfully.");
        SetWriteFaultHook(nullptr);
    }

    void fcuReportNeedsRowsAndAFile() {
        m_window->OpenFolder(QString::fromStdString(m_data.Path()), false);
        QVERIFY(m_window->FcuTable()->topLevelItemCount() > 0);
        m_boxes.shown.clear();
        gui::FCUReportCriteriaDlg dialog(m_window.get(), m_boxes, m_data.Path());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Report - FCU"));
        dialog.OnGenerate();
        QCOMPARE(LastShown(), std::string("Please select filename"));
        QVERIFY(dialog.result() != QDialog::Accepted);
        dialog.Form().SetFileChooser(
            [this](QWidget*, const ReportFileChoice&) { return QString::fromStdString(m_data.File("fcu")); });
        dialog.Form().ChooseFile();
        dialog.OnGenerate();
        QVERIFY(LastShown().starts_with("The report file lies in the data folder:\n" + m_data.File("fcu.csv")));
        QVERIFY(dialog.result() != QDialog::Accepted);
    }
};

QTEST_MAIN(ReportDialogTest)
#include "ReportDialogTest.moc"
