#include "LoadTestSupport.h"

#include <algorithm>
#include <filesystem>

#include "logdata/DataFolder.h"
#include "logdata/TimeValue.h"
#include "platform/File.h"

namespace vyx::test {

DayFileBytes& DayFileBytes::Record(std::uint32_t time, std::uint32_t tag, int classCode) {
    sim::RecordSpec spec;
    spec.time = time;
    spec.classCode = classCode;
    spec.payload = {static_cast<std::uint8_t>(tag >> 24), static_cast<std::uint8_t>(tag >> 16),
                    static_cast<std::uint8_t>(tag >> 8), static_cast<std::uint8_t>(tag)};
    sim::AppendFrame(m_bytes, sim::BuildRecordBytes(spec));
    return *this;
}

DayFileBytes& DayFileBytes::Records(int count, std::uint32_t firstTime, std::uint32_t firstTag) {
    for (int i = 0; i < count; ++i)
        Record(firstTime + static_cast<std::uint32_t>(i), firstTag + static_cast<std::uint32_t>(i));
    return *this;
}

DayFileBytes& DayFileBytes::Raw(int lengthField, std::size_t bodyBytes) {
    sim::AppendRawFrame(m_bytes, lengthField, std::vector<std::uint8_t>(bodyBytes, 0x21));
    return *this;
}

void DayFileBytes::WriteTo(const std::string& path) const {
    COutputFile file(path);
    file.Write(m_bytes.data(), m_bytes.size());
    file.Close();
}

std::uint32_t TagOf(const CRecord& record) {
    if (record.m_nDataLength < 4) return 0xFFFFFFFFu;
    const auto* p = record.Data();
    return static_cast<std::uint32_t>(p[0]) << 24 | static_cast<std::uint32_t>(p[1]) << 16 |
           static_cast<std::uint32_t>(p[2]) << 8 | p[3];
}

void RecordingTarget::Post(LoadNotification n) {
    std::lock_guard lock(m_mutex);
    if (n.message == UM_LOAD_PROGRESS && m_database != nullptr) {
        std::vector<std::pair<int, int>> ranges;
        for (const auto& file : m_database->Files()) ranges.emplace_back(file->FirstSerial(), file->LastSerial());
        m_ranges.push_back(std::move(ranges));
    }
    m_all.push_back(std::move(n));
}

std::vector<LoadNotification> RecordingTarget::All() const {
    std::lock_guard lock(m_mutex);
    return m_all;
}

std::vector<std::int64_t> RecordingTarget::Counts(LoadMessage message) const {
    std::lock_guard lock(m_mutex);
    std::vector<std::int64_t> counts;
    for (const auto& n : m_all) {
        if (n.message == message) counts.push_back(n.count);
    }
    return counts;
}

std::vector<std::string> RecordingTarget::Texts(LoadMessage message) const {
    std::lock_guard lock(m_mutex);
    std::vector<std::string> texts;
    for (const auto& n : m_all) {
        if (n.message == message) texts.push_back(n.text);
    }
    return texts;
}

std::vector<std::vector<std::pair<int, int>>> RecordingTarget::RangesAtProgress() const {
    std::lock_guard lock(m_mutex);
    return m_ranges;
}

void RecordingTarget::Clear() {
    std::lock_guard lock(m_mutex);
    m_all.clear();
    m_ranges.clear();
}

FilterList Filters(std::function<bool(const CRecord&)> keep) {
    FilterList list;
    list.push_back(std::make_unique<PredicateFilter>(std::move(keep)));
    return list;
}

std::string LoadFixture::DayFile(int d) const {
    const CivilDateTime date = BreakDown(Day(d));
    char name[16];
    std::snprintf(name, sizeof name, "LG%02d%02d%02d.txt", date.day, date.month, date.year % 100);
    return data.File(name);
}

void LoadFixture::Load(LoadOrder order, const FilterList& filters, DateWindow window) {
    database.Reset();
    ScanDataFolder(data.Path(), database);
    database.SetLoadOrder(order);
    database.SetDateWindow(window);
    target.Clear();
    database.StartLoad(filters);
    database.WaitForLoad();
}

std::vector<std::uint32_t> LoadFixture::FetchTags(std::int64_t count) {
    std::vector<std::uint32_t> tags;
    for (std::int64_t s = 0; s < count; ++s) {
        CRecord record;
        tags.push_back(database.GetRecord(s, record) ? TagOf(record) : 0xFFFFFFFEu);
    }
    return tags;
}

std::vector<std::string> LoadFixture::TempFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(temp.Path())) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace vyx::test
