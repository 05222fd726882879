#pragma once
// Hands the records a follow reads to every listener that wants them (the loop window, the analysis): the
// store takes one listener, set before any load; these come and go while it follows.

#include <mutex>
#include <vector>

#include "logdata/LiveRecordListener.h"

namespace vyx {

class CLiveRecordFanOut final : public ILiveRecordListener {
public:
    void Add(ILiveRecordListener* listener);
    // Once it returns, the listener is called no more (a call under way has ended).
    void Remove(ILiveRecordListener* listener);

    void OnLiveRecord(const LiveRecord& record) override;
    void OnLiveRecordsPublished(std::int64_t total) override;

private:
    std::mutex m_mutex;
    std::vector<ILiveRecordListener*> m_listeners;
};

}  // namespace vyx
