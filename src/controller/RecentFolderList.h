#pragma once
// The folders opened last, newest first, with the mode each was opened in: what the File menu offers to
// open again.

#include <cstddef>
#include <string>
#include <vector>

namespace vyx {

class IMessageBoxes;

struct RecentFolder {
    std::string folder;
    bool messageMode = true;  // false: FCU mode
    bool operator==(const RecentFolder&) const = default;
};

class CRecentFolderList {
public:
    static constexpr std::size_t kMaxEntries = 8;

    // Puts the folder first. A folder already listed moves up and takes the new mode; the oldest entry
    // beyond the limit drops off. Empty folder names are ignored; trailing separators, "." and ".." do not
    // count. A relative folder is taken from the current working folder and kept absolute, since a later
    // start may run elsewhere.
    void Add(const RecentFolder& entry);
    // Replaces the list with stored entries (newest first), keeping the same rules as Add, except that a
    // relative entry is dropped: nobody knows any more what it was relative to.
    void Assign(const std::vector<RecentFolder>& entries);
    // Takes the folder out of the list; false when it was not listed.
    bool Remove(const std::string& folder);
    // An entry that did not open (its folder is gone or lacks the FCU information file): asks whether to
    // take it out of the list, and does so on Yes. Returns whether it was removed.
    bool OfferRemoval(const std::string& folder, IMessageBoxes& boxes);
    const std::vector<RecentFolder>& Entries() const { return m_entries; }

    // The menu text of entry index (0 = newest): "&1 /data/folder (Message)"; an ampersand in the path is
    // doubled so the menu shows it rather than taking it as a mnemonic.
    std::string MenuText(std::size_t index) const;

private:
    std::vector<RecentFolder> m_entries;
};

}  // namespace vyx
