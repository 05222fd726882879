#include "decode/FCUParse.h"

#include <algorithm>
#include <filesystem>
#include <vector>

#include "decode/FCUInformationFileFormat.h"
#include "decode/FCUType.h"
#include "platform/File.h"

namespace vyx {
namespace {

// Calls onEntry(channel, number, tag, typeCode) for every whole entry of the file, in file order.
template <typename OnEntry>
void WalkEntries(std::span<const std::uint8_t> bytes, std::uint64_t fileSize, const FCUFileIssueHandler& onIssue,
                 OnEntry&& onEntry) {
    const std::size_t usable = std::min(bytes.size(), format::kMaxFcuFileBytes);
    const std::size_t whole = usable / format::kFcuEntryBytes;
    for (std::size_t i = 0; i < whole; ++i) {
        const std::uint8_t* entry = bytes.data() + i * format::kFcuEntryBytes;
        const std::size_t position = i + 1;
        const bool channelA = position <= static_cast<std::size_t>(format::kFcusPerChannel);
        const auto number = static_cast<std::int16_t>(
            channelA ? position : position - static_cast<std::size_t>(format::kFcusPerChannel));
        onEntry(channelA ? 0 : 1, number, entry[0], entry[1] * 256 + entry[2]);
    }
    if (!onIssue) return;
    const std::size_t wholeBytes = whole * format::kFcuEntryBytes;
    if (usable > wholeBytes) {
        onIssue({FCUFileIssue::Kind::TruncatedEntry, wholeBytes, usable - wholeBytes});
    }
    if (fileSize > format::kMaxFcuFileBytes) {
        onIssue({FCUFileIssue::Kind::TooManyEntries, format::kMaxFcuFileBytes, fileSize - format::kMaxFcuFileBytes});
    }
}

FCUList DisplayList(std::span<const std::uint8_t> bytes, std::uint64_t fileSize, const FCUFilterList& filters,
                    const FCUFileIssueHandler& onIssue) {
    FCUList list;
    WalkEntries(bytes, fileSize, onIssue, [&](int channel, std::int16_t number, int tag, int typeCode) {
        if (tag != format::kFcuTagPresent) return;
        CFCU fcu(channel, FCUTypeIndexFromCode(typeCode), number);
        if (PassesAll(filters, fcu)) list.push_back(fcu);
    });
    // Ascending by number, channel A before channel B for the same number. Positions are unique, so no two
    // entries compare equal and the order is fully determined.
    std::stable_sort(list.begin(), list.end(), [](const CFCU& a, const CFCU& b) {
        if (a.m_nNumber != b.m_nNumber) return a.m_nNumber < b.m_nNumber;
        return a.m_nChannel < b.m_nChannel;
    });
    return list;
}

FCUConfigurationList ConfigurationList(std::span<const std::uint8_t> bytes, std::uint64_t fileSize,
                                       const FCUFileIssueHandler& onIssue) {
    FCUConfigurationList list;
    WalkEntries(bytes, fileSize, onIssue, [&](int channel, std::int16_t number, int tag, int typeCode) {
        if (tag != format::kFcuTagPresent && tag != format::kFcuTagConfigured) return;
        list.emplace_back(channel, FCUTypeIndexFromCode(typeCode), number, tag == format::kFcuTagPresent ? 1 : 0);
    });
    return list;
}

struct FileBytes {
    std::vector<std::uint8_t> bytes;
    std::uint64_t fileSize = 0;
};

// Reads no more of the file than can hold entries; the size tells how much was left unread.
FileBytes ReadFile(const std::string& path) {
    CInputFile file(path);
    FileBytes out;
    out.bytes.resize(format::kMaxFcuFileBytes);
    const std::size_t got = file.Read(out.bytes.data(), out.bytes.size());
    out.bytes.resize(got);
    out.fileSize = got;
    if (got == format::kMaxFcuFileBytes) {
        std::error_code ec;
        const auto size = std::filesystem::file_size(path, ec);
        if (!ec) out.fileSize = std::max<std::uint64_t>(got, size);
    }
    return out;
}

}  // namespace

FCUList CFCUParse::ReadFCUDisplayList(const std::string& path, const FCUFilterList& filters,
                                      const FCUFileIssueHandler& onIssue) const {
    const FileBytes file = ReadFile(path);
    return DisplayList(file.bytes, file.fileSize, filters, onIssue);
}

FCUConfigurationList CFCUParse::ReadFCUConfigurationList(const std::string& path,
                                                         const FCUFileIssueHandler& onIssue) const {
    const FileBytes file = ReadFile(path);
    return ConfigurationList(file.bytes, file.fileSize, onIssue);
}

FCUList CFCUParse::ParseFCUDisplayList(std::span<const std::uint8_t> bytes, const FCUFilterList& filters,
                                       const FCUFileIssueHandler& onIssue) {
    return DisplayList(bytes, bytes.size(), filters, onIssue);
}

FCUConfigurationList CFCUParse::ParseFCUConfigurationList(std::span<const std::uint8_t> bytes,
                                                          const FCUFileIssueHandler& onIssue) {
    return ConfigurationList(bytes, bytes.size(), onIssue);
}

}  // namespace vyx
