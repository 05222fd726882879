#include "controller/FollowController.h"

#include "logdata/TimeValue.h"

#include <cstdio>

namespace vyx {

FollowSettings CFollowController::SettingsFor(const std::string& folder) const {
    FollowSettings settings;
    settings.enabled = m_enabled;
    settings.folder = folder;
    return settings;
}

CFollowController::Update CFollowController::OnNotification(const LoadNotification& n, std::int64_t shownTotal) {
    Update update;
    switch (n.message) {
        case UM_FOLLOW_STARTED:
            m_live = true;
            update.statusChanged = true;
            if (n.count > shownTotal) update.total = n.count;
            break;
        case UM_FOLLOW_PROGRESS:
            if (n.count > shownTotal) update.total = n.count;
            // Records the list does not insert (descending order) still move the newest time on.
            update.arrived = n.count > shownTotal || (n.time != 0 && n.time != m_lastTime);
            if (n.time != 0 && n.time != m_lastTime) {
                m_lastTime = n.time;
                update.statusChanged = true;
            }
            break;
        case UM_FOLLOW_NOTICE: update.notice = n.text; break;
        case UM_FOLLOW_STOPPED:
            m_live = false;
            update.notice = n.text;
            update.statusChanged = true;
            break;
        default: break;
    }
    return update;
}

void CFollowController::Reset() {
    m_live = false;
    m_lastTime = 0;
}

std::string CFollowController::StatusText() const {
    if (!m_live) return {};
    if (m_lastTime == 0) return "Live";
    const CivilDateTime t = BreakDown(m_lastTime);
    char text[48];
    std::snprintf(text, sizeof text, "Live, last %02d-%02d-%04d %02d:%02d:%02d", t.day % 100, t.month % 100,
                  t.year % 10000, t.hour % 100, t.minute % 100, t.second % 100);
    return text;
}

std::int64_t CFollowController::SerialToFollow(std::int64_t selected, std::int64_t oldTotal, std::int64_t newTotal) {
    if (newTotal <= oldTotal || oldTotal <= 0 || selected != oldTotal - 1) return -1;
    return newTotal - 1;
}

}  // namespace vyx
