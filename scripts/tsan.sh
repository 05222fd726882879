#!/usr/bin/env bash
# Builds the concurrency tests with ThreadSanitizer and runs them: loads with fetches from two threads,
# stops during a load and during a merge, loads started and stopped at random moments, report pause, resume,
# stop and restart, searches over a running load, a report running while the load under it fails, and a
# folder followed while it is written (during its load too), the loop events that grow with it, the events
# pass with its threads, and the events read ahead for the alarm analysis.
# Any ThreadSanitizer report (a data race, a lock-order inversion, a thread leak, ...) fails the run.
#
#   scripts/tsan.sh                      build in build/tsan (the preset) and run
#   VYX_TSAN_BUILD_DIR=build/x scripts/tsan.sh    another build folder
#   VYX_STRESS_CYCLES=1000 scripts/tsan.sh        more load cycles (300 by default here)
set -euo pipefail
cd "$(dirname "$0")/.."

build="${VYX_TSAN_BUILD_DIR:-build/tsan}"
jobs="${VYX_JOBS:-2}"

cmake --preset tsan -B "$build" >/dev/null
cmake --build "$build" -j"$jobs" --target test_logdata test_report test_reliability test_controller test_analysis test_export

export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 exitcode=66 ${TSAN_OPTIONS:-}"
export VYX_STRESS_CYCLES="${VYX_STRESS_CYCLES:-300}"

# ThreadSanitizer maps its shadow memory at fixed places; with the kernel's full address randomisation
# some runtimes cannot start. Without randomisation they always can.
launcher=()
if command -v setarch >/dev/null && setarch "$(uname -m)" -R true 2>/dev/null; then
    launcher=(setarch "$(uname -m)" -R)
fi

log="$build/tsan-run.log"
: >"$log"
failed=0
run() {
    local suite=$1 filter=$2
    echo "== $suite --gtest_filter=$filter" | tee -a "$log"
    if ! "${launcher[@]}" "$build/tests/$suite" --gtest_filter="$filter" --gtest_brief=1 2>&1 | tee -a "$log"; then
        failed=1
    fi
}

run test_logdata '*StopMidFile*:LoadConcurrencyTest.*:*FetchWhileLoading*:*WriteFaultTest*:LoadFailureTest.*:LiveFollowTest.*:Follow/*'
run test_report 'ReportGeneratorControl.*'
run test_analysis 'LiveFcuEvents.*:FcuEventsBesideLoad.*:LoopStateProperty.FolderEventsInOneCallAndCancelled:FcuEventStream.*:FcuEventsBuilder.*'
run test_controller 'RecordSearch*'
run test_export 'SqliteRowWriter.*'
run test_reliability '*StopDuringTheMerge*:LoadStress.*:ReportStress.*:*ReportDuringAFailingLoad*:*DayFileChangesDuringTheLoad*'

if grep -q "ThreadSanitizer" "$log"; then
    echo "tsan.sh: ThreadSanitizer reported a problem (see $log)" >&2
    exit 1
fi
if [ "$failed" -ne 0 ]; then
    echo "tsan.sh: a test failed (see $log)" >&2
    exit 1
fi
echo "tsan.sh: clean"
