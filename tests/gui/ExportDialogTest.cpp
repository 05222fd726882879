// File > Export... driven as a user drives it, offscreen, over a generated folder: the whole list and one
// selected row, a refusal of an output inside the data folder, a failure that the dialog reports, the question
// before a file is replaced, the form's extension, and a run cancelled.

#include <QApplication>
#include <QCheckBox>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
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

QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// Every file under dir, temporary ones too, by path.
QStringList FilesUnder(const std::string& dir) {
    QStringList files;
    QDirIterator it(QString::fromStdString(dir), QDir::Files | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) files << it.next();
    files.sort();
    return files;
}

bool Mentions(const test::RecordingBoxes& boxes, const char* words) {
    for (const test::ShownBox& box : boxes.shown) {
        if (box.text.find(words) != std::string::npos) return true;
    }
    return false;
}

}  // namespace

class ExportDialogTest : public QObject {
    Q_OBJECT

private:
    test::TempDir m_data, m_out;
    std::unique_ptr<CScopedTempFolder> m_temp;
    std::unique_ptr<gui::MainWindow> m_window;
    test::RecordingBoxes m_boxes;
    // Enough rows that a workbook is still being written when Cancel comes (the run looks at Cancel every
    // 8192 rows).
    static constexpr int kDays = 2;
    static constexpr int kRecords = kDays * 6000;

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
    // Chooses the form, types the path (unless it is empty) and clicks Export; true once the run has ended.
    bool Export(gui::ExportDialog* dialog, const char* form, const QString& path) {
        if (!Start(dialog, form, path)) return false;
        return QTest::qWaitFor([dialog] { return !dialog->IsRunning(); }, 60000);
    }
    bool Start(gui::ExportDialog* dialog, const char* form, const QString& path) {
        if (!ClickOnScreen(In<QRadioButton>(dialog, form))) return false;
        if (!path.isEmpty()) {
            auto* edit = In<QLineEdit>(dialog, "exportPath");
            if (!ClickOnScreen(edit)) return false;
            edit->selectAll();
            QTest::keyClicks(edit, path);
        }
        return ClickOnScreen(In<QPushButton>(dialog, "exportButton"));
    }
    // Ticks or clears the partition box and types the site.
    bool SetPartition(gui::ExportDialog* dialog, bool on, const QString& site = QString()) {
        auto* box = In<QCheckBox>(dialog, "exportPartition");
        if (box->isChecked() != on && !ClickOnScreen(box)) return false;
        if (!on) return true;
        auto* edit = In<QLineEdit>(dialog, "exportSite");
        if (!ClickOnScreen(edit)) return false;
        edit->selectAll();
        QTest::keyClicks(edit, site);
        return box->isChecked();
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
        options.days = kDays;
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
        // Several rows: they are what is offered, and the field keeps the file of the last export.
        QVERIFY(In<QRadioButton>(dialog, "exportSelected")->isChecked());
        QCOMPARE(In<QLineEdit>(dialog, "exportPath")->text(), path);
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

    // An existing file is replaced only when the user says so: No writes nothing and keeps the dialog, Yes
    // replaces it; a file that the save dialog chose, and so confirmed, is not asked about again. The files of a
    // partitioned export already in its folder are asked about the same way.
    void asksBeforeReplacing() {
        gui::ExportDialog* dialog = OpenDialog();
        QVERIFY(dialog);
        const QString path = QString::fromStdString(m_out.File("exp2.jsonl"));
        m_boxes.shown.clear();
        QVERIFY(Export(dialog, "exportForm_jsonl", path));
        QVERIFY(m_boxes.shown.empty());  // nothing there yet: no question
        const QByteArray jsonl = FileBytes(path);
        QVERIFY(jsonl.startsWith("{\"sr_no\":1,"));
        const QStringList before = FilesUnder(m_out.Path());

        m_boxes.answer = MessageAnswer::No;
        QVERIFY(Export(dialog, "exportForm_sqlite", path));
        m_boxes.answer = MessageAnswer::Yes;
        QCOMPARE(m_boxes.shown.size(), std::size_t{1});
        QVERIFY2(m_boxes.shown[0].text.find(path.toStdString() + " already exists") != std::string::npos,
                 m_boxes.shown[0].text.c_str());
        QCOMPARE(FileBytes(path), jsonl);
        QCOMPARE(FilesUnder(m_out.Path()), before);
        QCOMPARE(m_window->GetExportDialog(), dialog);
        QVERIFY(In<QPushButton>(dialog, "exportButton")->isEnabled());

        m_boxes.shown.clear();
        QVERIFY(Export(dialog, "exportForm_sqlite", path));
        QCOMPARE(m_boxes.shown.size(), std::size_t{1});
        QVERIFY(FileBytes(path).startsWith("SQLite format 3"));

        // Chosen with "...", which opens at the typed file: the save dialog asked already.
        QString start;
        dialog->SetPathChooser([&](QWidget*, ExportForm, bool, const QString& at) {
            start = at;
            return path;
        });
        QVERIFY(ClickOnScreen(In<QPushButton>(dialog, "exportBrowse")));
        QCOMPARE(start, path);
        QCOMPARE(In<QLineEdit>(dialog, "exportPath")->text(), path);
        m_boxes.shown.clear();
        QVERIFY(Export(dialog, "exportForm_csv", QString()));
        QVERIFY2(m_boxes.shown.empty(), m_boxes.shown.front().text.c_str());
        QVERIFY(FileBytes(path).startsWith("sr_no,"));
        // That answer was for one export: the next one asks again.
        QVERIFY(Export(dialog, "exportForm_csv", QString()));
        QCOMPARE(m_boxes.shown.size(), std::size_t{1});

        // A partitioned export: one file per day file, each already there from the first run.
        const QString folder = QString::fromStdString(m_out.File("parts"));
        QVERIFY(SetPartition(dialog, true, QStringLiteral("north")));
        m_boxes.shown.clear();
        QVERIFY(Export(dialog, "exportForm_csv", folder));
        QVERIFY(m_boxes.shown.empty());
        const QStringList parts = FilesUnder(m_out.File("parts"));
        QCOMPARE(parts.size(), kDays);
        QVERIFY(WriteFile(parts[0], "old\n"));
        m_boxes.answer = MessageAnswer::No;
        QVERIFY(Export(dialog, "exportForm_csv", QString()));
        m_boxes.answer = MessageAnswer::Yes;
        QCOMPARE(m_boxes.shown.size(), std::size_t{1});
        QVERIFY2(Mentions(m_boxes, qPrintable(QStringLiteral("%1 files").arg(kDays))), m_boxes.shown[0].text.c_str());
        QCOMPARE(FileBytes(parts[0]), QByteArray("old\n"));
        QCOMPARE(FilesUnder(m_out.File("parts")), parts);
        m_boxes.shown.clear();
        QVERIFY(Export(dialog, "exportForm_csv", QString()));
        QCOMPARE(m_boxes.shown.size(), std::size_t{1});
        QVERIFY(FileBytes(parts[0]).startsWith("sr_no,"));
        QVERIFY(SetPartition(dialog, false));
        Close(dialog);
    }

    // A typed name without an extension gets its form's, and the field shows the name written; a name with an
    // extension keeps it.
    void addsTheFormsExtension() {
        struct Case {
            const char* form;
            const char* typed;
            const char* written;
        };
        const Case cases[] = {
            {"exportForm_xlsx", "exp3", "exp3.xlsx"},
            {"exportForm_sqlite", "exp4", "exp4.sqlite"},
            {"exportForm_jsonl", "exp5", "exp5.jsonl"},
            {"exportForm_csv", "exp6.txt", "exp6.txt"},
        };
        gui::ExportDialog* dialog = OpenDialog();
        QVERIFY(dialog);
        QVERIFY(SetPartition(dialog, false));  // kept from the last export
        for (const Case& c : cases) {
            m_boxes.shown.clear();
            QVERIFY(Export(dialog, c.form, QString::fromStdString(m_out.File(c.typed))));
            QVERIFY2(m_boxes.shown.empty(), m_boxes.shown.front().text.c_str());
            const QString written = QString::fromStdString(m_out.File(c.written));
            QVERIFY2(QFile::exists(written), c.written);
            QCOMPARE(In<QLineEdit>(dialog, "exportPath")->text(), written);
            const QString typed = QString::fromStdString(m_out.File(c.typed));
            if (typed != written) QVERIFY2(!QFile::exists(typed), c.typed);
            QVERIFY2(dialog->ProgressText().endsWith(written), qPrintable(dialog->ProgressText()));
        }
        Close(dialog);
    }

    // While a run goes on, "..." is off with the other fields. Cancel and Escape stop the run: the dialog stays,
    // says that no file was written, and none was; then Escape closes it. The close box cancels and closes, and
    // leaves nothing either.
    void cancelsARun() {
        const QString path = QString::fromStdString(m_out.File("cancelled.xlsx"));
        const QStringList before = FilesUnder(m_out.Path());
        int chooserCalls = 0;
        for (const bool escape : {false, true}) {
            gui::ExportDialog* dialog = OpenDialog();
            QVERIFY(dialog);
            dialog->SetPathChooser([&](QWidget*, ExportForm, bool, const QString&) {
                ++chooserCalls;
                return QString();
            });
            QVERIFY(Start(dialog, "exportForm_xlsx", path));
            QVERIFY(dialog->IsRunning());
            auto* browse = In<QPushButton>(dialog, "exportBrowse");
            QVERIFY(!browse->isEnabled());
            QVERIFY(ClickOnScreen(browse));
            QCOMPARE(chooserCalls, 0);
            if (escape) {
                QWidget* focus = QApplication::focusWidget();
                QTest::keyClick(focus ? focus : dialog, Qt::Key_Escape);
            } else {
                QVERIFY(ClickOnScreen(In<QPushButton>(dialog, "exportCancel")));
            }
            const QPointer<gui::ExportDialog> open(dialog);
            QVERIFY(QTest::qWaitFor([open] { return !open || !open->IsRunning(); }, 60000));
            QTest::qWait(50);
            QVERIFY2(open, "the dialog closed");
            QVERIFY(dialog->isVisible());
            QVERIFY2(dialog->ProgressText().contains(QStringLiteral("cancelled")) &&
                         dialog->ProgressText().contains(QStringLiteral("no file was written")),
                     qPrintable(dialog->ProgressText()));
            QCOMPARE(FilesUnder(m_out.Path()), before);
            QVERIFY(browse->isEnabled());
            if (escape) {
                QWidget* focus = QApplication::focusWidget();
                QTest::keyClick(focus ? focus : dialog, Qt::Key_Escape);
                QVERIFY(QTest::qWaitFor([this] { return m_window->GetExportDialog() == nullptr; }, 5000));
            } else {
                Close(dialog);
            }
        }

        gui::ExportDialog* dialog = OpenDialog();
        QVERIFY(dialog);
        QVERIFY(Start(dialog, "exportForm_xlsx", path));
        QVERIFY(dialog->IsRunning());
        dialog->close();  // the window's close box
        QVERIFY(QTest::qWaitFor([this] { return m_window->GetExportDialog() == nullptr; }, 60000));
        QCOMPARE(FilesUnder(m_out.Path()), before);
    }
};

QTEST_MAIN(ExportDialogTest)
#include "ExportDialogTest.moc"
