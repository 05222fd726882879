#pragma once
// A data folder written by the logger simulator into a fresh folder, removed with the object. Suites that
// share one make it in SetUpTestSuite.

#include <cstdint>
#include <string>

#include "simulator/LoggerSimulator.h"
#include "support/TempDir.h"

namespace vyx::test {

struct GeneratedFolder {
    explicit GeneratedFolder(const sim::SimulatorOptions& options)
        : summary(sim::GenerateDataFolder(dir.Path(), options)) {}

    const std::string& Path() const { return dir.Path(); }
    std::string File(const std::string& name) const { return dir.File(name); }

    TempDir dir;
    sim::SimulatorSummary summary;
};

// Options for a generated folder of `days` days of `recordsPerDay` records each.
inline sim::SimulatorOptions FolderOptions(int days, int recordsPerDay, std::uint64_t seed, bool clockJumps = false) {
    sim::SimulatorOptions options;
    options.days = days;
    options.recordsPerDay = recordsPerDay;
    options.seed = seed;
    options.clockJumps = clockJumps;
    return options;
}

}  // namespace vyx::test
