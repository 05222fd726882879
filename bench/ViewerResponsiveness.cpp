// How the viewer answers while it loads a large folder: the real main window, offscreen, opens the folder and
// the user pages down every 50 ms while it loads. Every turn of the event loop is timed (the longest one is what
// a user would feel as a freeze); after the load, End, Page Up, Home and Page Down are timed until the rows show.
// Usage: bench_viewer FOLDER

#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/MainWindow.h"
#include "controller/MessageBoxes.h"
#include "platform/TempFolder.h"
#include "views/ListLargeDataCtrl.h"

namespace {

class QuietBoxes : public vyx::IMessageBoxes {
public:
    void Show(const std::string&, vyx::MessageIcon) override {}
    vyx::MessageAnswer Ask(const std::string&, vyx::MessageIcon) override { return vyx::MessageAnswer::No; }
};

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1))];
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_viewer FOLDER\n");
        return 2;
    }
    vyx::CScopedTempFolder temp;
    QuietBoxes boxes;
    vyx::gui::MainWindow window(temp.Path());
    window.SetMessageBoxes(&boxes);
    window.resize(1280, 800);
    window.show();
    QTest::qWait(200);

    std::vector<double> gaps;
    QElapsedTimer load;
    load.start();
    window.OpenFolder(QString::fromLocal8Bit(argv[1]), true);
    const double openMs = static_cast<double>(load.nsecsElapsed()) / 1e6;
    // Browse while it loads: a page down every 50 ms on what is there so far.
    QTableView* page = window.RecordList()->PageView();
    QElapsedTimer browse;
    browse.start();
    int pagesDuringLoad = 0;
    while (!window.Controller().LoadEnded() || window.Controller().Total() == 0) {
        QElapsedTimer turn;
        turn.start();
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        if (browse.elapsed() > 50) {
            QTest::keyClick(page, Qt::Key_PageDown);
            ++pagesDuringLoad;
            browse.restart();
        }
        gaps.push_back(static_cast<double>(turn.nsecsElapsed()) / 1e6);
        if (load.elapsed() > 600000) break;
    }
    const double loadSeconds = static_cast<double>(load.elapsed()) / 1000.0;

    // Jump to the end and page there: the rows must be on screen when the key press returns.
    std::vector<double> keys;
    for (int i = 0; i < 20; ++i) {
        for (auto key : {Qt::Key_End, Qt::Key_PageUp, Qt::Key_PageUp, Qt::Key_Home, Qt::Key_PageDown}) {
            QElapsedTimer t;
            t.start();
            QTest::keyClick(page, key);
            page->viewport()->repaint();
            keys.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
        }
    }
    const auto& paging = window.RecordList()->Paging();
    QTest::keyClick(page, Qt::Key_End);
    const QString last = page->model()->index(static_cast<int>(paging.Total() - 1 - paging.First()), 0).data().toString();

    std::printf("records loaded           %lld in %.2f s\n", static_cast<long long>(window.Controller().Total()),
                loadSeconds);
    std::printf("opening (scan, start)    %.1f ms\n", openMs);
    std::printf("event loop turns         median %.2f ms, p99 %.2f ms, max %.2f ms over %zu turns, %d page downs\n",
                Percentile(gaps, 0.5), Percentile(gaps, 0.99), Percentile(gaps, 1.0), gaps.size(), pagesDuringLoad);
    std::printf("End/PgUp/Home/PgDn       median %.2f ms, max %.2f ms per key press with repaint\n",
                Percentile(keys, 0.5), Percentile(keys, 1.0));
    std::printf("last row after End       Sr.No. %s\n", qPrintable(last));
    return 0;
}
