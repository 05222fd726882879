// File > Export... driven as a user drives it, offscreen, over a generated folder: the whole list and one
// selected row, a refusal of an output inside the data folder, and a failure that the dialog reports.

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTableView>
#include <QTest>

#include "app/ExportDialog.h"
#include "app/MainWindow.h"
#include "gui/ViewerInput.h"
#include "platform/TempFolder.h"
#include "simulator/LoggerSimulator.h"
#include "support/RecordingBoxes.h"
#include "support/TempDir.h"
#include "views/ListLargeDataCtrl.h"

using namespace vyx;

namespace {

QStringList FileLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (QString& line : lines) line = line.trimmed();
    return lines;
}

}  // namespace

class ExportDialogTest : public QObject {
    Q_OBJECT

private:
    test::TempDir m_data, m_out;
    std::unique_ptr<CScopedTempFolder> m_temp;
    std::unique_ptr<gui::MainWindow> m_window;
    test::RecordingBoxes m_boxes;
    static constexpr int kRecords = 2 * 700;

    template <typename T>
    static T* In(QWidget* parent, const char* name) {
        return parent->findChild<T*>(QString::fromLatin1(name));
    }
    static bool ClickOnScreen(QWidget* widget) { return test::ClickOnScreen(widget); }
    // Opens the dialog with its shortcut.
    gui::ExportDialog* OpenDialog() {
        m_window->activateWindow();
        if (!QTest::qWaitForWindowActive(m_window.get())) return nullptr;
        QTest::keyClick(m_window.get(), Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
        gui::ExportDialog* dialog = m_window->GetExportDialog();
        if (!dialog || !QTest::qWaitForWindowExposed(dialog)) return nullptr;
        dialog->move(0, 0);  // over the window, the top one
        QTest::qWait(50);
        return dialog;
    }
    // Chooses the form, types the path and clicks Export; true once the run has ended.
    bool Export(gui::ExportDialog* dialog, const char* form, const QString& path) {
        if (!ClickOnScreen(In<QRadioButton>(dialog, form))) return false;
        auto* edit = In<QLineEdit>(dialog, "exportPath");
        if (!ClickOnScreen(edit)) return false;
        edit->selectAll();
        QTest::keyClicks(edit, path);
        if (!ClickOnScreen(In<QPushButton>(dialog, "exportButton"))) return false;
        return QTest::qWaitFor([dialog] { return !dialog->IsRunning(); }, 60000);
    }
    void Close(gui::ExportDialog* dialog) {
        QVERIFY(ClickOnScreen(In<QPushButton>(dialog, "exportCancel")));
        QVERIFY(QTest::qWaitFor([this] { return m_window->GetExportDialog() == nullptr; }, 5000));
    }

private slots:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        QSettings(QStringLiteral("Brennmark"), QStringLiteral("Vyx_Viewer")).remove(QStringLiteral("ExportForm"));
        sim::SimulatorOptions options;
        options.days = 2;
        options.recordsPerDay = kRecords / 2;
        options.faults = false;
        sim::GenerateDataFolder(m_data.Path(), options);
        m_temp = std::make_unique<CScopedTempFolder>();
        m_window = std::make_unique<gui::MainWindow>(m_temp->Path());
        m_window->SetMessageBoxes(&m_boxes);
        m_window->show();
        m_window->showNormal();
        m_window->setGeometry(0, 0, 900, 600);
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_window->OpenFolder(QString::fromStdString(m_data.Path()), true);
        QVERIFY(QTest::qWaitFor([this] { return m_window->Controller().LoadEnded() && m_window->Controller().Total() > 0; },
                                60000));
        QCOMPARE(m_window->Controller().Total(), kRecords);
    }

    // Every record as CSV: one header, then the list's rows in its order; the form is remembered.
    void exportsTheWholeListAsCsv() {
        gui::ExportDialog* dialog = OpenDialog();
        QVERIFY(dialog);
        QVERIFY(In<QRadioButton>(dialog, "exportAll")->isChecked());
        const QString path = QString::fromStdString(m_out.File("all.csv"));
        QVERIFY(Export(dialog, "exportForm_csv", path));
        QVERIFY2(dialog->ProgressText().startsWith(QStringLiteral("Exported %1 records").arg(kRecords)),
                 qPrintable(dialog->ProgressText()));
        const QStringList lines = FileLines(path);
        QCOMPARE(lines.size(), kRecords + 1);
        QVERIFY(lines[0].startsWith(QStringLiteral("sr_no,")));
        QVERIFY(lines[1].startsWith(QStringLiteral("1,")));
        QVERIFY(lines[kRecords].startsWith(QStringLiteral("%1,").arg(kRecords)));
        Close(dialog);
        QCOMPARE(QSettings(QStringLiteral("Brennmark"), QStringLiteral("Vyx_Viewer")).value("ExportForm").toInt(),
                 static_cast<int>(ExportForm::Csv));
    }

    // A clicked row is the selection: exported alone, as JSON Lines, with its Sr.No.; then two rows apart.
    void exportsTheSelectedRow() {
        QTableView* page = m_window->RecordList()->PageView();
        const QRect third = page->visualRect(page->model()->index(2, 1));
        QTest::mouseClick(page->viewport(), Qt::LeftButton, {}, third.center());
        QCOMPARE(m_window->RecordList()->Paging().SelectedSerial(), 2);
        gui::ExportDialog* dialog = OpenDialog();
        QVERIFY(dialog);
        QVERIFY(ClickOnScreen(In<QRadioButton>(dialog, "exportSelected")));
        const QString path = QString::fromStdString(m_out.File("one.jsonl"));
        QVERIFY(Export(dialog, "exportForm_jsonl", path));
        const QStringList lines = FileLines(path);
        QCOMPARE(lines.size(), 1);
        QVERIFY2(lines[0].startsWith(QStringLiteral("{\"sr_no\":3,")), qPrintable(lines[0]));
        Close(dialog);

        // Ctrl+click adds a row apart from the first: the two ranges and nothing between them.
        const QRect sixth = page->visualRect(page->model()->index(5, 1));
        QTest::mouseClick(page->viewport(), Qt::LeftButton, Qt::ControlModifier, sixth.center());
        QCOMPARE(m_window->RecordList()->Selection().Count(), 2);
        dialog = OpenDialog();
        QVERIFY(dialog);
        QVERIFY(ClickOnScreen(In<QRadioButton>(dialog, "exportSelected")));
        const QString two = QString::fromStdString(m_out.File("two.jsonl"));
        QVERIFY(Export(dialog, "exportForm_jsonl", two));
        const QStringList both = FileLines(two);
        QCOMPARE(both.size(), 2);
        QVERIFY2(both[0].startsWith(QStringLiteral("{\"sr_no\":3,")), qPrintable(both[0]));
        QVERIFY2(both[1].startsWith(QStringLiteral("{\"sr_no\":6,")), qPrintable(both[1]));
        Close(dialog);
        QTest::mouseClick(page->viewport(), Qt::LeftButton, {}, third.center());  // back to one row
    }

    // Refused before anything is written: a file inside the data folder, a malformed UTC offset. A form that
    // cannot be written where asked fails with the reason, and the dialog stays usable.
    void refusesAndReportsFailures() {
        struct Case {
            const char* form;
            std::string path;
            QString utcOffset;
            const char* expected;
        };
        const Case cases[] = {
            {"exportForm_csv", m_data.File("inside.csv"), QString(), "lies in the data folder"},
            {"exportForm_sqlite", m_out.File("offset.sqlite"), QStringLiteral("+25:00"), "The UTC offset takes"},
            {"exportForm_sqlite", m_out.File("no-such-folder/x.sqlite"), QString(), "The export failed:"},
        };
        for (const Case& c : cases) {
            gui::ExportDialog* dialog = OpenDialog();
            QVERIFY(dialog);
            auto* offset = In<QLineEdit>(dialog, "exportUtcOffset");
            offset->setText(c.utcOffset);
            m_boxes.shown.clear();
            QVERIFY(Export(dialog, c.form, QString::fromStdString(c.path)));
            QVERIFY2(!m_boxes.shown.empty(), c.expected);
            QVERIFY2(m_boxes.shown.back().text.find(c.expected) != std::string::npos, m_boxes.shown.back().text.c_str());
            QVERIFY(!QFile::exists(QString::fromStdString(c.path)));
            QVERIFY(In<QPushButton>(dialog, "exportButton")->isEnabled());
            Close(dialog);
        }
    }
};

QTEST_MAIN(ExportDialogTest)
#include "ExportDialogTest.moc"
