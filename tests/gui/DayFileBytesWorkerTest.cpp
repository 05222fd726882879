// The overview bar's sizing worker: the window is free while a folder is measured, and only the folder asked
// for last is shown, however the measures and the requests interleave.

#include <QApplication>
#include <QTest>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "app/DayFileBytesWorker.h"

using namespace vyx;
using namespace vyx::gui;

namespace {

// A measure that holds until released (or cancelled) and names its folder in the figures.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    int released = 0;  // measures let through
    int started = 0;
    TimeHistogram Measure(const std::string& folder, const std::atomic<bool>& cancel) {
        std::unique_lock lock(mutex);
        const int me = started++;
        changed.notify_all();
        while (released <= me && !cancel) changed.wait_for(lock, std::chrono::milliseconds(5));
        TimeHistogram h;
        h.counts = {folder.size()};
        return h;
    }
    void ReleaseStarted() {
        std::lock_guard lock(mutex);
        released = started;
        changed.notify_all();
    }
};

}  // namespace

class DayFileBytesWorkerTest : public QObject {
    Q_OBJECT

private slots:
    void onlyTheFolderAskedForLastIsShown_data() {
        QTest::addColumn<QStringList>("steps");  // "start <folder>", "drop", "release"
        QTest::addColumn<QList<int>>("shown");   // the figures delivered, in order
        QTest::newRow("one") << QStringList{"start abc", "release"} << QList<int>{3};
        QTest::newRow("another folder while measuring")
            << QStringList{"start abc", "start abcdefg", "release"} << QList<int>{7};
        QTest::newRow("dropped") << QStringList{"start abc", "drop", "release"} << QList<int>{};
        QTest::newRow("two in turn") << QStringList{"start ab", "release", "start abcd", "release"} << QList<int>{2, 4};
    }

    void onlyTheFolderAskedForLastIsShown() {
        QFETCH(QStringList, steps);
        QFETCH(QList<int>, shown);
        QObject receiver;
        Gate gate;
        QList<int> delivered;
        auto worker = std::make_unique<DayFileBytesWorker>(
            &receiver, [&](const std::string& folder, const std::atomic<bool>& cancel) { return gate.Measure(folder, cancel); });
        for (const QString& step : steps) {
            if (step.startsWith("start ")) {
                // Returns at once, the measure before it still held.
                worker->Start(step.mid(6).toStdString(),
                              [&](const TimeHistogram& h) { delivered << static_cast<int>(h.counts.at(0)); });
            } else if (step == "drop") {
                worker->Drop();
            } else {
                QVERIFY(worker->Running());
                QVERIFY(QTest::qWaitFor([&] {
                    gate.ReleaseStarted();
                    return !worker->Running();
                }, 5000));
            }
        }
        QTest::qWait(20);
        QCOMPARE(delivered, shown);
        // A measure still running when its owner goes is cancelled and waited for; its result goes nowhere.
        worker->Start("held", [&](const TimeHistogram&) { delivered << -1; });
        worker.reset();
        QTest::qWait(20);
        QCOMPARE(delivered, shown);
    }
};

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    DayFileBytesWorkerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "DayFileBytesWorkerTest.moc"
