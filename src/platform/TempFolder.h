#pragma once
// The program's private temporary folder. Index files, run files and the invalid-records log have fixed
// names; in a folder others can write to, those names could be planted beforehand as links to files of
// ours. So everything goes into a directory that only this user owns and can enter.

#include <optional>
#include <string>

#include "platform/ProcessIdentity.h"

namespace vyx {

// The private folder for this user under the system temp folder (which honours TMPDIR), created with
// mode 0700 when missing. Returns its path without a trailing separator. Throws CVyxError when the name is
// taken by a link, by something that is not a directory, or by a directory another user owns.
std::string PrivateTempFolder();

// Same checks for a given path; creates it when missing.
std::string EnsurePrivateFolder(const std::string& path);

// The file in a run folder naming the process that owns it: "PID STARTTIME\n".
inline constexpr const char* kRunFolderOwnerFile = "owner";
// The owner recorded in a run folder; none when the file is missing, unreadable or not yet complete.
std::optional<ProcessIdentity> ReadRunFolderOwner(const std::string& runFolder);

// Moves a file into a new private folder "log-XXXXXX" of its own under parent, keeping its name, and
// returns its new path: a file no later run writes over. Throws CFileError.
std::string KeepInFolderOfItsOwn(const std::string& file, const std::string& parent);

// A fresh private directory "run-XXXXXX" inside PrivateTempFolder() (or parent), owned by this process as
// its owner file says, and removed with everything in it on destruction. One per run of the tool or the
// viewer, so two runs never share index, run or log files; a folder left by a run that was killed is
// found by its owner file and removed at a later start.
class CScopedTempFolder {
public:
    CScopedTempFolder();
    explicit CScopedTempFolder(const std::string& parent);
    ~CScopedTempFolder();
    CScopedTempFolder(const CScopedTempFolder&) = delete;
    CScopedTempFolder& operator=(const CScopedTempFolder&) = delete;

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

}  // namespace vyx
