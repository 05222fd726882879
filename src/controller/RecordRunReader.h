#pragma once
// Reads a run of serial numbers of the store in large blocks, for a search that looks at every record: the
// index entries of a day file many thousand at a time, the day file through a window of a mebibyte. In the
// stored order the frames lie one after another, so the day file is read front to back; in the time orders
// they mostly do, and the window follows them either way. Each frame is handed over undecoded.

#include <cstdint>
#include <vector>

#include "logdata/FrameReading.h"
#include "logdata/LoadSettings.h"
#include "logdata/RecordFile.h"

namespace vyx {

class CRecordDatabase;

class CRecordRunReader {
public:
    // Takes the store's day files and settings; call it on the thread that owns the store, which must not be
    // reset or reloaded while the reader is in use. One reader per thread.
    explicit CRecordRunReader(const CRecordDatabase& store);

    // Calls visit(serial, record, n) with the n record bytes (after the length field) of every published
    // serial number lo..hi, in increasing order, until visit returns false; serial numbers not published
    // are passed over, as the store's fetch finds nothing there. Returns false when visit ended the run.
    // Throws CRecordUnreadable when a published record cannot be read again, CFileError when a file cannot
    // be opened or read.
    template <typename Visit>
    bool ReadRun(std::int64_t lo, std::int64_t hi, Visit&& visit) {
        std::int64_t serial = lo;
        while (serial <= hi) {
            std::int64_t first = 0;
            std::int64_t last = 0;
            if (!SelectFile(serial, first, last)) {
                ++serial;
                continue;
            }
            const std::int64_t end = std::min(hi, last);
            while (serial <= end) {
                const std::int64_t span = std::min<std::int64_t>(end - serial + 1, kEntriesPerRead);
                const std::uint8_t* entries = Entries(serial - first, span, serial);
                for (std::int64_t i = 0; i < span; ++i, ++serial) {
                    const std::uint8_t* e = entries + i * 4;
                    const std::uint64_t offset = static_cast<std::uint64_t>(e[0]) | static_cast<std::uint64_t>(e[1]) << 8 |
                                                 static_cast<std::uint64_t>(e[2]) << 16 |
                                                 static_cast<std::uint64_t>(e[3]) << 24;
                    int length = 0;
                    const std::uint8_t* frame = Frame(offset, serial, length);
                    if (!visit(serial, frame + format::kFrameLengthBytes, length - format::kFrameLengthBytes)) {
                        return false;
                    }
                }
            }
        }
        return true;
    }

private:
    static constexpr std::int64_t kEntriesPerRead = 16384;

    // The file whose published range holds serial (the same rule as the store's fetch), attached.
    bool SelectFile(std::int64_t serial, std::int64_t& first, std::int64_t& last);
    // count index entries of the attached file from local index k, read at once; serial names the first.
    const std::uint8_t* Entries(std::int64_t k, std::int64_t count, std::int64_t serial);
    // The whole frame at offset, checked.
    const std::uint8_t* Frame(std::uint64_t offset, std::int64_t serial, int& length);

    std::vector<CRecordFile*> m_files;
    DateWindow m_window;
    std::size_t m_current = 0;
    bool m_fileOpen = false;
    CFileWindow m_index{static_cast<std::size_t>(kEntriesPerRead) * format::kIndexEntryBytes};
    CFileWindow m_data{std::size_t{1} << 20};
};

}  // namespace vyx
