#pragma once
// The program's private temporary folder. Index files, run files and the invalid-records log have fixed
// names; in a folder others can write to, those names could be planted beforehand as links to files of
// ours. So everything goes into a directory that only this user owns and can enter.

#include <string>

namespace vyx {

// The private folder for this user under the system temp folder (which honours TMPDIR), created with
// mode 0700 when missing. Returns its path without a trailing separator. Throws CVyxError when the name is
// taken by a link, by something that is not a directory, or by a directory another user owns.
std::string PrivateTempFolder();

// Same checks for a given path; creates it when missing.
std::string EnsurePrivateFolder(const std::string& path);

// A fresh private directory inside PrivateTempFolder(), removed with everything in it on destruction.
// One per CLI run, so two runs never share index or run files.
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
