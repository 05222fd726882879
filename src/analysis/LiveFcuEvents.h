#pragma once
// Keeps the events of a followed folder growing, as a listener of the records the follow reads. While the
// events are being computed it only notes how far the follow has read each day file; once they are
// attached, what came meanwhile is read from the day files, and every later record is added as it comes.
// Each publication of the follow hands a new snapshot of the events to `grown`, on the follow's thread.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "analysis/FcuEvents.h"
#include "logdata/LiveRecordListener.h"

namespace vyx {

class CFcuEventsAppender;

class CLiveFcuEvents final : public ILiveRecordListener {
public:
    // A snapshot with the new records; or null and the text of the failure that stopped the growth (the
    // events lack what came after it).
    using Grown = std::function<void(std::shared_ptr<const CFcuEvents> events, const std::string& failure)>;

    CLiveFcuEvents(std::string folder, std::uint8_t modbusBaseAddress, bool recover);
    ~CLiveFcuEvents() override;

    // Takes the events as built, adds what the follow read meanwhile and returns the events with it. Call
    // once, before any other record can be added. Throws CVyxError.
    std::shared_ptr<const CFcuEvents> Attach(const CFcuEvents& built, Grown grown);

    // Records of day files in other folders (the list may have opened another folder) are ignored.
    void OnLiveRecord(const LiveRecord& record) override;
    void OnLiveRecordsPublished(std::int64_t total) override;

private:
    bool InFolder(const std::string& dayFile) const;

    std::string m_folder;  // in its normal form
    std::uint8_t m_modbusBaseAddress;
    bool m_recover;
    std::mutex m_mutex;
    std::unique_ptr<CFcuEventsAppender> m_appender;
    std::map<std::string, std::uint64_t> m_readUntil;  // by day file, until attached
    Grown m_grown;
    bool m_changed = false;
    std::string m_failure;
    bool m_failureTold = false;
};

}  // namespace vyx
