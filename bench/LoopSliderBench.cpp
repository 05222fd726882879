// How the Loop window answers on a large folder (offscreen): it computes the folder's events on its worker
// while every turn of the event loop is timed, then the time slider is moved by a key press every 20 ms,
// back and forth across the span, and again every turn is timed (the longest is what a user would feel as a
// stall) along with how long each moment took to show in the tiles.
// Usage: bench_loop_slider FOLDER [MOVES]

#include <QApplication>
#include <QElapsedTimer>
#include <QSlider>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "app/LoopWindow.h"
#include "platform/TempFolder.h"

namespace {

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1))];
}

double Ms(const QElapsedTimer& t) { return static_cast<double>(t.nsecsElapsed()) / 1e6; }

// The UI thread's own CPU time in ms: on a busy machine a turn's wall time includes the time the thread waited
// for a core, its CPU time only the window's own work.
double ThreadCpuMs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_loop_slider FOLDER [MOVES]\n");
        return 2;
    }
    const int moves = argc > 2 ? std::atoi(argv[2]) : 400;
    vyx::CScopedTempFolder temp;
    vyx::gui::LoopWindowHost host;
    host.folder = argv[1];
    host.tempFolder = temp.Path();
    QElapsedTimer build;
    build.start();
    vyx::gui::LoopWindow window(nullptr, host);
    window.resize(1200, 800);
    window.show();

    std::vector<double> buildTurns;
    std::vector<double> buildCpu;
    while (!window.Ready() && build.elapsed() < 1200000) {
        QElapsedTimer turn;
        turn.start();
        const double cpu = ThreadCpuMs();
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        buildTurns.push_back(Ms(turn));
        buildCpu.push_back(ThreadCpuMs() - cpu);
        if (!window.Computing() && !window.Ready()) {
            std::fprintf(stderr, "the events were not computed\n");
            return 1;
        }
    }
    const double buildSeconds = static_cast<double>(build.elapsed()) / 1000.0;
    if (!QTest::qWaitFor([&] { return window.AnswersShown() > 0; }, 10000)) {
        std::fprintf(stderr, "no state was shown\n");
        return 1;
    }

    QSlider* slider = window.FirstSlider();
    slider->setFocus();
    std::vector<double> turns;
    std::vector<double> latencies;
    QElapsedTimer sinceMove;
    sinceMove.start();
    int done = 0;
    bool up = true;
    std::uint64_t waitingFor = 0;
    QElapsedTimer asked;
    std::vector<double> cpuTurns;
    while (done < moves) {
        QElapsedTimer turn;
        turn.start();
        const double cpu = ThreadCpuMs();
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        if (sinceMove.elapsed() >= 20) {
            if (slider->value() >= slider->maximum()) up = false;
            if (slider->value() <= slider->minimum()) up = true;
            // Mostly small steps as a drag gives, now and then a page.
            const bool page = done % 10 == 0;
            QTest::keyClick(slider, page ? (up ? Qt::Key_PageUp : Qt::Key_PageDown) : (up ? Qt::Key_Right : Qt::Key_Left));
            ++done;
            sinceMove.restart();
            if (waitingFor == 0) {
                waitingFor = window.LastAsked();
                asked.start();
            }
        }
        if (waitingFor != 0 && window.AnswersShown() > 0 && window.LastAsked() >= waitingFor &&
            window.ShownTime() && *window.ShownTime() == static_cast<std::uint32_t>(slider->value()) + window.Events()->FirstTime()) {
            latencies.push_back(Ms(asked));
            waitingFor = 0;
        }
        turns.push_back(Ms(turn));
        cpuTurns.push_back(ThreadCpuMs() - cpu);
    }
    std::printf("events computed           %lld records, %llu events in %.2f s\n",
                static_cast<long long>(window.Events()->RecordCount()),
                static_cast<unsigned long long>(window.Events()->EventCount()), buildSeconds);
    const auto longest = std::max_element(buildTurns.begin(), buildTurns.end());
    std::printf("turns while computing     median %.2f ms, p99 %.2f ms, max %.2f ms over %zu turns (the longest is turn %zu)\n",
                Percentile(buildTurns, 0.5), Percentile(buildTurns, 0.99), Percentile(buildTurns, 1.0), buildTurns.size(),
                static_cast<std::size_t>(longest - buildTurns.begin()) + 1);
    std::printf("UI thread CPU per turn    median %.2f ms, p99 %.2f ms, max %.2f ms while computing\n",
                Percentile(buildCpu, 0.5), Percentile(buildCpu, 0.99), Percentile(buildCpu, 1.0));
    std::printf("turns while sliding       median %.2f ms, p99 %.2f ms, max %.2f ms over %zu turns, %d moves\n",
                Percentile(turns, 0.5), Percentile(turns, 0.99), Percentile(turns, 1.0), turns.size(), moves);
    std::printf("UI thread CPU per turn    median %.2f ms, p99 %.2f ms, max %.2f ms while sliding\n",
                Percentile(cpuTurns, 0.5), Percentile(cpuTurns, 0.99), Percentile(cpuTurns, 1.0));
    std::printf("move to tiles shown       median %.2f ms, p99 %.2f ms, max %.2f ms over %zu samples\n",
                Percentile(latencies, 0.5), Percentile(latencies, 0.99), Percentile(latencies, 1.0), latencies.size());
    return 0;
}
