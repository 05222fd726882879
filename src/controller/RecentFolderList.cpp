#include "controller/RecentFolderList.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "controller/MessageBoxes.h"

namespace vyx {
namespace {

std::string Normal(const std::filesystem::path& path) {
    std::string text = path.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

// The entry's folder as it is kept: absolute and normal; empty when it cannot be kept.
std::string KeptFolder(const std::string& folder, bool relativeAllowed) {
    if (folder.empty()) return {};
    const std::filesystem::path path(folder);
    if (path.is_absolute()) return Normal(path);
    if (!relativeAllowed) return {};
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return error ? std::string() : Normal(absolute);
}

}  // namespace

void CRecentFolderList::Add(const RecentFolder& entry) {
    RecentFolder added{KeptFolder(entry.folder, true), entry.messageMode};
    if (added.folder.empty()) return;
    std::erase_if(m_entries, [&](const RecentFolder& e) { return e.folder == added.folder; });
    m_entries.insert(m_entries.begin(), std::move(added));
    if (m_entries.size() > kMaxEntries) m_entries.resize(kMaxEntries);
}

void CRecentFolderList::Assign(const std::vector<RecentFolder>& entries) {
    m_entries.clear();
    // Added oldest first, so the newest ends up on top and a repeated folder keeps its newest place.
    for (auto it = entries.rbegin(); it != entries.rend(); ++it) {
        if (!KeptFolder(it->folder, false).empty()) Add(*it);
    }
}

bool CRecentFolderList::Remove(const std::string& folder) {
    const std::string kept = KeptFolder(folder, true);
    return std::erase_if(m_entries, [&](const RecentFolder& e) { return e.folder == kept; }) > 0;
}

bool CRecentFolderList::OfferRemoval(const std::string& folder, IMessageBoxes& boxes) {
    const std::string kept = KeptFolder(folder, true);
    if (std::none_of(m_entries.begin(), m_entries.end(), [&](const RecentFolder& e) { return e.folder == kept; })) {
        return false;
    }
    std::error_code error;
    const bool gone = !std::filesystem::is_directory(kept, error);
    const std::string question = (gone ? "The folder " + kept + " no longer exists."
                                       : "The folder " + kept + " has no FCU information file.") +
                                 "\nRemove it from the recent folders?";
    if (boxes.Ask(question, MessageIcon::None) != MessageAnswer::Yes) return false;
    return Remove(kept);
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
