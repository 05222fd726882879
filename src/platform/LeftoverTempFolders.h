#pragma once
// What earlier runs left in the private temporary folder. A run that was killed (or lost its power) keeps
// its run folder with index and run files that can be large; kept invalid-records logs accumulate. Both
// the tool and the viewer tidy up at start, touching nothing a live run still uses.

#include <chrono>
#include <cstddef>
#include <string>

namespace vyx {

struct LeftoverRules {
    // A run folder without a readable owner file may be one being created this moment.
    std::chrono::seconds unownedGrace{60};
    // Kept logs ("log-XXXXXX") older than this go, and all beyond the newest keptLogCount.
    std::chrono::hours keptLogAge{24 * 7};
    std::size_t keptLogCount = 20;
};

// Removes, directly under privateFolder and only folders of this user (never through a link): run folders
// ("run-XXXXXX") whose owner has ended, or that have no readable owner and were last changed before the
// grace; kept log folders by the rules above. Returns how many folders were removed. Never throws.
int RemoveLeftoverTempFolders(const std::string& privateFolder, const LeftoverRules& rules = {});

}  // namespace vyx
