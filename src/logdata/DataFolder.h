#pragma once
// The data folder: which files are day files, the day each one holds, and where the FCU information file is.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vyx {

class CRecordDatabase;

struct DataFolderScan {
    int count = 0;               // day files registered
    std::uint32_t firstDay = 0;  // smallest day start; 0 when none
    std::uint32_t lastDay = 0;   // largest day start; 0 when none
    // Entries named like day files that are no regular files (folders, pipes, dangling links): left out,
    // since opening a pipe would wait for a writer forever.
    std::vector<std::string> leftOut;
    std::string listError;  // the system's message when the folder could not be listed
};

// The day files of a folder as listed, before anything is registered: the date checks of the filter bar need
// the first and last day, and a refused input must leave the store (and the list over it) as it was.
struct DataFolderListing {
    std::string folder;  // without a trailing separator
    std::vector<std::pair<std::string, std::uint32_t>> dayFiles;  // name and day start, in name order
    DataFolderScan scan;                                          // what registering them gives
};

// Lists the folder's day files; opens and registers nothing.
DataFolderListing ListDayFiles(const std::string& folder);
// Registers the listed day files with the store, which must be empty.
void RegisterDayFiles(const DataFolderListing& listing, CRecordDatabase& database);

// The notice about the entries a scan left out, or empty when there were none.
std::string LeftOutNotice(const DataFolderScan& scan);

// The day start of a day file name: "LG" + DDMMYY + ".txt" with a date that exists (YY 70..99 is
// 1970..1999, 00..69 is 2000..2069). The ".txt" must be lowercase; the "LG" may be in either case.
std::optional<std::uint32_t> DayStartFromFileName(std::string_view name);

// Registers every day file of the folder with the store, in name order, and returns how many there are
// with the first and last day. The store must be empty. A folder that cannot be listed gives a count of 0
// and the system's message. Nothing in the folder is opened or changed.
DataFolderScan ScanDataFolder(const std::string& folder, CRecordDatabase& database);

// folder + "/" + "MISCDATA.TXT".
std::string FCUInformationFilePath(const std::string& folder);

}  // namespace vyx
