#pragma once
// The folders opened last, newest first, with the mode each was opened in: what the File menu offers to
// open again.

#include <cstddef>
#include <string>
#include <vector>

namespace vyx {

struct RecentFolder {
    std::string folder;
    bool messageMode = true;  // false: FCU mode
    bool operator==(const RecentFolder&) const = default;
};

class CRecentFolderList {
public:
    static constexpr std::size_t kMaxEntries = 8;

    // Puts the folder first. A folder already listed moves up and takes the new mode; the oldest entry
    // beyond the limit drops off. Empty folder names are ignored; trailing separators do not count.
    void Add(const RecentFolder& entry);
    // Replaces the list with stored entries (newest first), keeping the same rules as Add.
    void Assign(const std::vector<RecentFolder>& entries);
    const std::vector<RecentFolder>& Entries() const { return m_entries; }

    // The menu text of entry index (0 = newest): "&1 /data/folder (Message)"; an ampersand in the path is
    // doubled so the menu shows it rather than taking it as a mnemonic.
    std::string MenuText(std::size_t index) const;

private:
    std::vector<RecentFolder> m_entries;
};

}  // namespace vyx
