// Drives the real main window over a sample folder and saves pictures of it, for the documentation.
// Usage: vyx-screenshots DATA_FOLDER OUTPUT_FOLDER

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <atomic>
#include <cstdio>

#include "app/DetailDialogs.h"
#include "app/FindBar.h"
#include "app/FcuTimelineWindow.h"
#include "app/FolderDialog.h"
#include "app/LoopWindow.h"
#include "app/MainWindow.h"
#include "app/ReportDialogs.h"
#include "platform/File.h"
#include "report/ReportGenerator.h"
#include <QCheckBox>
#include <QThread>
#include "decode/DetailRows.h"
#include "decode/RecordToModbusMultipleConverter.h"
#include "decode/RecordToParameterXferConverter.h"
#include "controller/MessageBoxes.h"
#include "platform/TempFolder.h"
#include "views/FcuTileGrid.h"
#include "views/FcuTimelineView.h"
#include "views/ListLargeDataCtrl.h"
#include "views/TimeHistogramView.h"
#include <QCheckBox>
#include <QSlider>

namespace {

// Message boxes are noted, not shown: nobody is there to close them.
class QuietBoxes : public vyx::IMessageBoxes {
public:
    void Show(const std::string& text, vyx::MessageIcon) override { std::fprintf(stderr, "box: %s\n", text.c_str()); }
    vyx::MessageAnswer Ask(const std::string& text, vyx::MessageIcon) override {
        std::fprintf(stderr, "question: %s\n", text.c_str());
        return vyx::MessageAnswer::Yes;
    }
};

void Settle(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

bool WaitForLoad(vyx::gui::MainWindow& window) {
    QElapsedTimer timer;
    timer.start();
    Settle(200);
    while (window.Controller().Busy() && timer.elapsed() < 60000) Settle(50);
    Settle(300);
    return !window.Controller().Busy();
}

void Save(QWidget& widget, const QString& path) {
    if (!widget.grab().save(path)) std::fprintf(stderr, "could not write %s\n", qPrintable(path));
    else std::fprintf(stderr, "wrote %s\n", qPrintable(path));
}

// Saves the modal dialog the next call opens once it has settled, then closes it, so that call returns.
void GrabNextModal(const QString& path) {
    QTimer::singleShot(800, [path] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr) {
            std::fprintf(stderr, "no dialog open for %s\n", qPrintable(path));
            return;
        }
        Save(*modal, path);
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
        else modal->close();
    });
}

}  // namespace

int main(int argc, char** argv) {
    // Pictures of the standard layout: the user's remembered layout and recent folders stay out of them, and
    // the folders opened here stay out of the user's settings.
    const QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    QApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: vyx-screenshots DATA_FOLDER OUTPUT_FOLDER\n");
        return 2;
    }
    const QString data = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]);
    QDir().mkpath(out);

    vyx::CScopedTempFolder temp;
    QuietBoxes boxes;
    vyx::gui::MainWindow window(temp.Path());
    window.SetMessageBoxes(&boxes);
    window.resize(1280, 800);
    window.show();
    Settle(300);

    window.OpenFolder(data, true);
    if (!WaitForLoad(window)) return 1;
    // Select a row a few lines down, as a user looking at a record would.
    window.RecordList()->setFocus();
    for (int i = 0; i < 4; ++i) QTest::keyClick(window.RecordList()->PageView(), Qt::Key_Down);
    Settle(200);
    Save(window, out + "/main-window-messages.png");

    // The detail dialogs over a block transfer with several rows and a write-multiple request.
    auto moveTo = [&](std::int64_t serial) {
        QTest::keyClick(window.RecordList()->PageView(), Qt::Key_Home);
        for (std::int64_t s = 0; s < serial; ++s) QTest::keyClick(window.RecordList()->PageView(), Qt::Key_Down);
        QTest::keyClick(window.RecordList()->PageView(), Qt::Key_Return);
        Settle(200);
    };
    const vyx::CRecordToParameterXferConverter pbt(window.Controller().FcuInfo());
    const vyx::CRecordToModbusMultipleConverter modbus;
    std::int64_t richBlockTransfer = -1, writeMultiple = -1;
    vyx::CRecord record;
    for (std::int64_t s = 0; s < 400 && (richBlockTransfer < 0 || writeMultiple < 0); ++s) {
        if (!window.Controller().Database().GetRecord(s, record)) break;
        const vyx::DetailRows rows = vyx::BuildDetailRows(record, pbt, modbus);
        if (rows.kind == vyx::DetailRows::Kind::ParameterBlockTransfer && rows.rows.size() >= 6 && richBlockTransfer < 0) {
            richBlockTransfer = s;
        }
        if (rows.kind == vyx::DetailRows::Kind::ModbusMultiple && rows.rows.size() >= 4 && writeMultiple < 0) {
            writeMultiple = s;
        }
    }
    if (richBlockTransfer >= 0) {
        moveTo(richBlockTransfer);
        if (auto* dialog = window.findChild<vyx::gui::BlockTransferDialog*>()) Save(*dialog, out + "/detail-block-transfer.png");
    }
    if (writeMultiple >= 0) {
        moveTo(writeMultiple);
        if (auto* dialog = window.findChild<vyx::gui::ModbusMultipleDialog*>()) Save(*dialog, out + "/detail-modbus-multiple.png");
    }

    // The Message Log report dialog during a run: every write of the report is slowed down so the picture
    // catches it writing.
    {
        const QString report = QDir::tempPath() + "/message-log-report.csv";
        vyx::gui::ReportCriteriaDlg* dialog = window.ReportDialog();
        dialog->Form().SetFileChooser([&](QWidget*, const vyx::ReportFileChoice&) { return report; });
        window.ShowMessageReportDialog();
        dialog->Form().ChooseFile();
        dialog->findChild<QCheckBox*>("allRecords")->setChecked(true);
        Settle(200);
        Save(*dialog, out + "/report-messages.png");
        // The report's fifth block write (of about a dozen) waits until the picture is taken, so the dialog is
        // caught mid-run.
        static std::atomic<bool> hold{true};
        static std::atomic<bool> held{false};
        static std::atomic<int> writes{0};
        vyx::SetWriteFaultHook([](const std::string& path, std::size_t) {
            if (path.find("message-log-report") == std::string::npos || ++writes < 5) return 0;
            held = true;
            for (int i = 0; i < 200 && hold; ++i) QThread::msleep(50);
            return 0;
        });
        dialog->OnGenerate();
        for (int i = 0; i < 200 && (!held || dialog->ProgressPosition() == 0); ++i) Settle(50);
        Settle(300);
        Save(*dialog, out + "/report-dialog-running.png");
        hold = false;
        dialog->Generator().Stop();
        vyx::SetWriteFaultHook(nullptr);
        Settle(200);
        dialog->hide();
        QFile::remove(report);
    }

    // The find bar after two finds of a text, the second match selected.
    {
        window.RecordList()->setFocus();
        QTest::keyClick(window.RecordList()->PageView(), Qt::Key_Home);
        window.OpenFindBar();
        auto* text = window.GetFindBar()->findChild<QLineEdit*>("findText");
        QTest::keyClicks(text, QStringLiteral("set time"));
        for (int i = 0; i < 2; ++i) {
            QTest::keyClick(text, Qt::Key_Return);
            for (int wait = 0; wait < 200 && window.GetFindBar()->IsSearching(); ++wait) Settle(50);
        }
        Settle(200);
        Save(window, out + "/find-bar.png");
    }

    // File > Export... with the selected record offered beside the whole list.
    {
        window.ShowExportDialog();
        if (vyx::gui::ExportDialog* dialog = window.GetExportDialog()) {
            dialog->findChild<QLineEdit*>("exportPath")->setText(QDir::homePath() + "/site-north.sqlite");
            dialog->findChild<QRadioButton*>("exportForm_sqlite")->setChecked(true);
            dialog->findChild<QLineEdit*>("exportUtcOffset")->setText(QStringLiteral("+01:00"));
            Settle(200);
            Save(*dialog, out + "/export-dialog.png");
            dialog->close();
            Settle(100);
        }
    }

    // The Loop window at a moment, then comparing two; the timeline of one FCU; the overview bar above the
    // list once the loop's events are known.
    {
        window.OpenLoopWindow();
        vyx::gui::LoopWindow* loop = window.GetLoopWindow();
        for (int i = 0; i < 1200 && !(loop->Ready() && loop->AnswersShown() > 0); ++i) Settle(50);
        loop->resize(1100, 760);
        Settle(300);
        QTest::keyClick(loop->FirstSlider(), Qt::Key_PageUp);
        Settle(500);
        Save(*loop, out + "/loop-window.png");
        loop->CompareBox()->setChecked(true);
        loop->SecondSlider()->setValue(loop->FirstSlider()->value() + loop->FirstSlider()->maximum() / 12);
        Settle(500);
        Save(*loop, out + "/loop-window-compare.png");
        loop->CompareBox()->setChecked(false);
        Settle(300);
        // An FCU with alarms and positions: the fourth tile after the loop's.
        const auto& tiles = loop->Tiles()->Tiles();
        const int fcu = tiles.size() > 4 ? tiles[4].fcu : 1;
        QTest::mouseClick(loop->Tiles(), Qt::LeftButton, {}, loop->Tiles()->TileRect(fcu).center());
        for (int i = 0; i < 200 && !(loop->Timeline() && loop->Timeline()->Ready()); ++i) Settle(50);
        if (vyx::gui::FcuTimelineWindow* timeline = loop->Timeline()) {
            timeline->resize(1100, 320);
            vyx::FcuTimelineView* view = timeline->View();
            view->SetView(view->ViewBegin(), view->ViewBegin() + (view->ViewEnd() - view->ViewBegin()) / 3);
            Settle(400);
            Save(*timeline, out + "/fcu-timeline.png");
            timeline->hide();
        }
        loop->hide();
        Settle(300);
        vyx::TimeHistogramView* overview = window.Overview();
        const QPoint below = overview->mapTo(&window, QPoint(0, overview->height() + 160));
        const QPixmap part = window.grab(QRect(0, 0, window.width(), below.y()));
        const QString path = out + "/overview-bar.png";
        std::fprintf(stderr, part.save(path) ? "wrote %s\n" : "could not write %s\n", qPrintable(path));
    }

    // The folder dialog, started in the sample folder's parent.
    GrabNextModal(out + "/folder-dialog.png");
    vyx::gui::BrowseForDataFolder(QFileInfo(data).absolutePath(), &window);

    window.OpenFolder(data, false);
    Settle(500);
    Save(window, out + "/main-window-fcu.png");

    GrabNextModal(out + "/report-fcu.png");
    window.RunFcuReport();
    return 0;
}
