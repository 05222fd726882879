#pragma once
// The main window's follow of a live folder, free of the toolkit: whether the next load follows, the "Live"
// mark of the status bar with the time of the last record received, and where the list goes when records
// come: with the last row selected it keeps to the newest rows, otherwise it stays where the user is.

#include <cstdint>
#include <string>

#include "logdata/FollowSettings.h"
#include "platform/LoadNotification.h"

namespace vyx {

class CFollowController {
public:
    bool Enabled() const { return m_enabled; }
    void SetEnabled(bool on) { m_enabled = on; }

    // The store's follow settings for a load of that folder.
    FollowSettings SettingsFor(const std::string& folder) const;

    // What one follow notification of the current load asks of the window.
    struct Update {
        std::int64_t total = -1;  // the new record count, or -1 when it did not change
        std::string notice;       // a notice for the notice bar, or empty
        bool statusChanged = false;
        bool arrived = false;  // the folder gained records, shown or not
    };
    Update OnNotification(const LoadNotification& n, std::int64_t shownTotal);
    // A new load, or the follow was switched off: no "Live" mark until the next follow starts.
    void Reset();

    bool Live() const { return m_live; }
    // "Live" while following, with the time stamp of the last record received: "Live, last 05-01-2009
    // 10:20:31"; empty when not following.
    std::string StatusText() const;
    // The logger's time of the newest record received; 0 before the first.
    std::uint32_t LastTime() const { return m_lastTime; }

    // The row to select after the count went from oldTotal to newTotal, or -1 to leave the selection alone.
    static std::int64_t SerialToFollow(std::int64_t selected, std::int64_t oldTotal, std::int64_t newTotal);

private:
    bool m_enabled = false;
    bool m_live = false;
    std::uint32_t m_lastTime = 0;
};

}  // namespace vyx
