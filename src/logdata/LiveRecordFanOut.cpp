#include "logdata/LiveRecordFanOut.h"

#include <algorithm>

namespace vyx {

void CLiveRecordFanOut::Add(ILiveRecordListener* listener) {
    std::lock_guard lock(m_mutex);
    if (std::find(m_listeners.begin(), m_listeners.end(), listener) == m_listeners.end()) m_listeners.push_back(listener);
}

void CLiveRecordFanOut::Remove(ILiveRecordListener* listener) {
    std::lock_guard lock(m_mutex);
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener), m_listeners.end());
}

void CLiveRecordFanOut::OnLiveRecord(const LiveRecord& record) {
    std::lock_guard lock(m_mutex);
    for (ILiveRecordListener* listener : m_listeners) listener->OnLiveRecord(record);
}

void CLiveRecordFanOut::OnLiveRecordsPublished(std::int64_t total) {
    std::lock_guard lock(m_mutex);
    for (ILiveRecordListener* listener : m_listeners) listener->OnLiveRecordsPublished(total);
}

}  // namespace vyx
