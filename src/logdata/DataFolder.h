#pragma once
// The data folder: which files are day files, the day each one holds, and where the FCU information file is.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vyx {

class CRecordDatabase;

struct DataFolderScan {
    int count = 0;               // day files registered
    std::uint32_t firstDay = 0;  // smallest day start; 0 when none
    std::uint32_t lastDay = 0;   // largest day start; 0 when none
};

// The day start of a day file name: "LG" + DDMMYY + ".txt" with a date that exists (YY 70..99 is
// 1970..1999, 00..69 is 2000..2069). The ".txt" must be lowercase; the "LG" may be in either case.
std::optional<std::uint32_t> DayStartFromFileName(std::string_view name);

// Registers every day file of the folder with the store, in name order, and returns how many there are
// with the first and last day. The store must be empty. A missing or unreadable folder gives a count of 0.
// Nothing in the folder is opened or changed.
DataFolderScan ScanDataFolder(const std::string& folder, CRecordDatabase& database);

// folder + "/" + "MISCDATA.TXT".
std::string FCUInformationFilePath(const std::string& folder);

}  // namespace vyx
