#include "analysis/LiveFcuEvents.h"

#include <algorithm>
#include <filesystem>

#include "analysis/FcuEventsAppender.h"
#include "decode/FCUParse.h"
#include "logdata/DataFolder.h"
#include "platform/FileError.h"

namespace vyx {
namespace {

std::string NormalFolder(const std::string& folder) {
    std::filesystem::path path = std::filesystem::path(folder).lexically_normal();
    if (!path.has_filename() && path.has_parent_path()) path = path.parent_path();
    return path.string();
}

}  // namespace

CLiveFcuEvents::CLiveFcuEvents(std::string folder, std::uint8_t modbusBaseAddress, bool recover)
    : m_folder(NormalFolder(folder)), m_modbusBaseAddress(modbusBaseAddress), m_recover(recover) {}

CLiveFcuEvents::~CLiveFcuEvents() = default;

bool CLiveFcuEvents::InFolder(const std::string& dayFile) const {
    return NormalFolder(std::filesystem::path(dayFile).parent_path().string()) == m_folder;
}

std::shared_ptr<const CFcuEvents> CLiveFcuEvents::Attach(const CFcuEvents& built, Grown grown) {
    FCUConfigurationList configuration = CFCUParse().ReadFCUConfigurationList(FCUInformationFilePath(m_folder));
    std::lock_guard lock(m_mutex);
    m_appender = std::make_unique<CFcuEventsAppender>(built, std::move(configuration), m_modbusBaseAddress, m_recover);
    for (const auto& [dayFile, end] : m_readUntil) m_appender->CatchUp(dayFile, end);
    m_readUntil.clear();
    m_grown = std::move(grown);
    m_changed = false;
    return m_appender->Publish();
}

void CLiveFcuEvents::OnLiveRecord(const LiveRecord& record) {
    if (!InFolder(record.dayFile)) return;
    std::lock_guard lock(m_mutex);
    if (!m_failure.empty()) return;
    if (!m_appender) {
        std::uint64_t& until = m_readUntil[record.dayFile];
        until = std::max(until, std::uint64_t{record.offset} + static_cast<std::uint64_t>(record.frameLength));
        return;
    }
    try {
        m_appender->Add(record.record, record.dayFile, record.offset, record.frameLength);
        m_changed = true;
    } catch (const CVyxError& e) {
        m_failure = e.what();
    }
}

void CLiveFcuEvents::OnLiveRecordsPublished(std::int64_t) {
    std::shared_ptr<const CFcuEvents> snapshot;
    std::string failure;
    Grown grown;
    {
        std::lock_guard lock(m_mutex);
        if (!m_appender || !m_grown) return;
        if (m_failure.empty() && m_changed) {
            try {
                snapshot = m_appender->Publish();
                m_changed = false;
            } catch (const CVyxError& e) {
                m_failure = e.what();
            }
        }
        if (!snapshot) {
            if (m_failure.empty() || m_failureTold) return;
            m_failureTold = true;
            failure = m_failure;
        }
        grown = m_grown;
    }
    // Outside the lock: the callee may take its time; it is not called after the follow lets go of us.
    grown(std::move(snapshot), failure);
}

}  // namespace vyx
