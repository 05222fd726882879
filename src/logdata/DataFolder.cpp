#include "logdata/DataFolder.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

#include "logdata/DayFileFormat.h"
#include "logdata/RecordDatabase.h"
#include "logdata/TimeValue.h"
#include "platform/FileError.h"

namespace vyx {
namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// The folder listing's own pattern "LG*.txt", which matches without regard to case.
bool MatchesListingPattern(std::string_view name) {
    const std::string_view prefix = format::kDayFilePrefix;
    const std::string_view extension = format::kDayFileExtension;
    return name.size() >= prefix.size() + extension.size() &&
           EqualsIgnoringCase(name.substr(0, prefix.size()), prefix) &&
           EqualsIgnoringCase(name.substr(name.size() - extension.size()), extension);
}

std::string WithoutTrailingSeparator(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return folder;
}

}  // namespace

std::optional<std::uint32_t> DayStartFromFileName(std::string_view name) {
    if (!MatchesListingPattern(name)) return std::nullopt;
    if (name.size() != format::kDayFileNameLength || name.find(format::kDayFileExtension) != 8) return std::nullopt;
    for (std::size_t i = 2; i < 8; ++i) {
        if (name[i] < '0' || name[i] > '9') return std::nullopt;
    }
    auto two = [&](std::size_t at) { return (name[at] - '0') * 10 + (name[at + 1] - '0'); };
    const int day = two(2);
    const int month = two(4);
    const int yy = two(6);
    const int year = yy >= 70 ? 1900 + yy : 2000 + yy;
    return DayStart(year, month, day);  // nullopt for a date that does not exist
}

DataFolderListing ListDayFiles(const std::string& folder) {
    DataFolderListing listing;
    listing.folder = WithoutTrailingSeparator(folder);
    DataFolderScan& scan = listing.scan;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator(listing.folder, ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const auto dayStart = DayStartFromFileName(name);
        if (!dayStart) continue;
        std::error_code typeError;
        // Only files: a folder cannot be read as one, and opening a pipe would wait for a writer forever.
        if (!it->is_regular_file(typeError)) {
            scan.leftOut.push_back(name);
            continue;
        }
        listing.dayFiles.emplace_back(name, *dayStart);
    }
    if (ec) {
        scan.listError = SystemErrorText(ec.value()) + ": " + listing.folder;
        listing.dayFiles.clear();
        return listing;
    }
    // The listing order of a file system is arbitrary; name order makes every scan of a folder the same.
    std::sort(listing.dayFiles.begin(), listing.dayFiles.end());
    std::sort(scan.leftOut.begin(), scan.leftOut.end());
    for (const auto& [name, dayStart] : listing.dayFiles) {
        if (scan.count == 0) {
            scan.firstDay = scan.lastDay = dayStart;
        } else {
            scan.firstDay = std::min(scan.firstDay, dayStart);
            scan.lastDay = std::max(scan.lastDay, dayStart);
        }
        ++scan.count;
    }
    return listing;
}

void RegisterDayFiles(const DataFolderListing& listing, CRecordDatabase& database) {
    for (const auto& [name, dayStart] : listing.dayFiles) database.AddDayFile(listing.folder + "/" + name, dayStart);
}

DataFolderScan ScanDataFolder(const std::string& folder, CRecordDatabase& database) {
    const DataFolderListing listing = ListDayFiles(folder);
    RegisterDayFiles(listing, database);
    return listing.scan;
}

std::string LeftOutNotice(const DataFolderScan& scan) {
    if (scan.leftOut.empty()) return {};
    std::string text = std::to_string(scan.leftOut.size()) +
                       (scan.leftOut.size() == 1 ? " entry is named like a day file but is not a file"
                                                 : " entries are named like day files but are not files") +
                       ", and " + (scan.leftOut.size() == 1 ? "was" : "were") + " left out:";
    constexpr std::size_t kNamed = 20;
    for (std::size_t i = 0; i < scan.leftOut.size() && i < kNamed; ++i) text += "\n" + scan.leftOut[i];
    if (scan.leftOut.size() > kNamed) text += "\n... and " + std::to_string(scan.leftOut.size() - kNamed) + " more";
    return text;
}

std::string FCUInformationFilePath(const std::string& folder) {
    return WithoutTrailingSeparator(folder) + "/" + format::kFcuInformationFileName;
}

}  // namespace vyx
