#pragma once
// Reader of the FCU information file: the FCU display list (present FCUs, filtered and sorted) and the
// FCU configuration list (every configured entry, file order).

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "decode/FCU.h"
#include "filter/FCUFilterCriteria.h"

namespace vyx {

// Bytes of the file that were not turned into entries, and why. Nothing else in the file is validated.
struct FCUFileIssue {
    enum class Kind {
        TruncatedEntry,  // the file ends inside an entry
        TooManyEntries,  // entries past the last FCU number that can be held
    };
    Kind kind;
    std::uint64_t offset;        // where the dropped bytes start
    std::uint64_t droppedBytes;  // how many bytes were dropped
};
using FCUFileIssueHandler = std::function<void(const FCUFileIssue&)>;

class CFCUParse {
public:
    virtual ~CFCUParse() = default;

    // Present FCUs (tag 1) that every predicate keeps, ascending by number, channel A before B.
    // Throws CFileError when the file cannot be opened or read.
    FCUList ReadFCUDisplayList(const std::string& path, const FCUFilterList& filters,
                               const FCUFileIssueHandler& onIssue = {}) const;
    // Entries tagged 1 or 2, in file order, with their configured flag. Throws CFileError as above.
    FCUConfigurationList ReadFCUConfigurationList(const std::string& path,
                                                  const FCUFileIssueHandler& onIssue = {}) const;

    // The same two readings over the file's bytes already in memory.
    static FCUList ParseFCUDisplayList(std::span<const std::uint8_t> bytes, const FCUFilterList& filters,
                                       const FCUFileIssueHandler& onIssue = {});
    static FCUConfigurationList ParseFCUConfigurationList(std::span<const std::uint8_t> bytes,
                                                          const FCUFileIssueHandler& onIssue = {});
};

}  // namespace vyx
