#include "controller/RecentFolderList.h"

#include <algorithm>

namespace vyx {
namespace {

std::string WithoutTrailingSeparator(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

void CRecentFolderList::Add(const RecentFolder& entry) {
    RecentFolder added{WithoutTrailingSeparator(entry.folder), entry.messageMode};
    if (added.folder.empty()) return;
    std::erase_if(m_entries, [&](const RecentFolder& e) { return e.folder == added.folder; });
    m_entries.insert(m_entries.begin(), std::move(added));
    if (m_entries.size() > kMaxEntries) m_entries.resize(kMaxEntries);
}

void CRecentFolderList::Assign(const std::vector<RecentFolder>& entries) {
    m_entries.clear();
    // Added oldest first, so the newest ends up on top and a repeated folder keeps its newest place.
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) Add(*it);
}

std::string CRecentFolderList::MenuText(std::size_t index) const {
    if (index >= m_entries.size()) return {};
    const RecentFolder& entry = m_entries[index];
    std::string text = "&" + std::to_string(index + 1) + " ";
    for (const char c : entry.folder) {
        text += c;
        if (c == '&') text += '&';
    }
    text += entry.messageMode ? " (Message)" : " (FCU)";
    return text;
}

}  // namespace vyx
