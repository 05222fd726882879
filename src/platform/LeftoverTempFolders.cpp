#include "platform/LeftoverTempFolders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/ProcessIdentity.h"
#include "platform/TempFolder.h"

namespace vyx {
namespace {

using Clock = std::chrono::system_clock;

// The names mkdtemp gave: the prefix and six characters.
bool IsFolderName(std::string_view name, std::string_view prefix) {
    return name.size() == prefix.size() + 6 && name.substr(0, prefix.size()) == prefix;
}

bool RemoveFolder(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
    return !ec;
}

Clock::time_point ChangeTime(const struct stat& st) {
    return Clock::time_point(std::chrono::seconds(st.st_mtim.tv_sec));
}

}  // namespace

int RemoveLeftoverTempFolders(const std::string& privateFolder, const LeftoverRules& rules) {
    const Clock::time_point now = Clock::now();
    int removed = 0;
    std::vector<std::pair<Clock::time_point, std::string>> logs;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(privateFolder, ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const bool run = IsFolderName(name, "run-");
        if (!run && !IsFolderName(name, "log-")) continue;
        const std::string path = it->path().string();
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid()) continue;
        if (!run) {
            logs.emplace_back(ChangeTime(st), path);
            continue;
        }
        if (const auto owner = ReadRunFolderOwner(path)) {
            if (IsRunning(*owner)) continue;
        } else if (now - ChangeTime(st) < rules.unownedGrace) {
            continue;
        }
        if (RemoveFolder(path)) ++removed;
    }
    std::sort(logs.begin(), logs.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (std::size_t i = 0; i < logs.size(); ++i) {
        if (i < rules.keptLogCount && now - logs[i].first < rules.keptLogAge) continue;
        if (RemoveFolder(logs[i].second)) ++removed;
    }
    return removed;
}

}  // namespace vyx
