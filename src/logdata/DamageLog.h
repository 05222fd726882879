#pragma once
// "DamageLogFile.csv", beside the invalid-records log: one line per place where a day file could not be
// walked as frames (day file, offset, bytes not read, reason), and the notice that sums it up for the user.

#include <cstdint>
#include <string>
#include <vector>

#include "logdata/DayFileDamage.h"
#include "platform/File.h"

namespace vyx {

class CDamageLog {
public:
    // Starts the log anew: the file (with its header line) is made when the first damage is written.
    void Open(const std::string& path);
    // Notes the damage of one day file (given by its path). Throws CFileError.
    void Write(const std::string& dayFile, const std::vector<DayFileDamage>& damage);
    void Flush();  // throws CFileError
    void Close() noexcept;

    const std::string& Path() const { return m_path; }
    std::int64_t Lines() const { return m_lines; }

    // The notice for the user: the damaged day files and how many bytes of them were not read, or empty
    // when nothing worth a notice was found (an unfinished last frame is not).
    std::string NoticeText() const;
    std::uint64_t NoticeBytes() const { return m_noticeBytes; }

    static constexpr const char* kHeader = "Day file,Offset,Bytes not read,Reason";

private:
    struct DamagedFile {
        std::string name;
        std::uint64_t bytes = 0;
        std::uint64_t firstOffset = 0;
        std::string firstReason;
        int places = 0;
    };

    std::string m_path;
    COutputFile m_file;
    std::int64_t m_lines = 0;
    std::vector<DamagedFile> m_damaged;
    std::uint64_t m_noticeBytes = 0;
};

}  // namespace vyx
