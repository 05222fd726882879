#include "controller/BookmarkFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "controller/JsonValue.h"
#include "platform/FileError.h"
#include "platform/PendingOutput.h"

namespace vyx {
namespace {

constexpr double kFormatVersion = 1;

Bookmark BookmarkFrom(const CJsonValue& value) {
    const CJsonValue* dayFile = value.Find("dayFile");
    const CJsonValue* offset = value.Find("offset");
    // Offsets and times are 32-bit in day files: anything else was not written here.
    constexpr double kLargest = 4294967295.0;
    if (!dayFile || !dayFile->IsString() || !offset || !offset->IsNumber() || offset->AsNumber() < 0 ||
        offset->AsNumber() > kLargest) {
        throw CVyxError("a bookmark without its day file or offset");
    }
    Bookmark bookmark;
    bookmark.dayFile = dayFile->AsString();
    bookmark.offset = static_cast<std::uint64_t>(offset->AsNumber());
    if (const CJsonValue* time = value.Find("time");
        time && time->IsNumber() && time->AsNumber() >= 0 && time->AsNumber() <= kLargest)
        bookmark.time = static_cast<std::uint32_t>(time->AsNumber());
    if (const CJsonValue* note = value.Find("note"); note && note->IsString()) bookmark.note = note->AsString();
    return bookmark;
}

CJsonValue JsonOf(const Bookmark& bookmark) {
    return CJsonValue(CJsonValue::Object{{"dayFile", bookmark.dayFile},
                                         {"offset", static_cast<double>(bookmark.offset)},
                                         {"time", static_cast<double>(bookmark.time)},
                                         {"note", bookmark.note}});
}

}  // namespace

CBookmarkFile::CBookmarkFile() : m_path(DefaultPath()) {}

std::string CBookmarkFile::DefaultPath() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    std::string base;
    if (xdg != nullptr && xdg[0] == '/') {
        base = xdg;
    } else {
        const char* home = std::getenv("HOME");
        base = std::string(home != nullptr ? home : "") + "/.local/share";
    }
    return base + "/vyx/bookmarks.json";
}

std::string CBookmarkFile::FolderKey(const std::string& folder) {
    std::error_code error;
    std::string key = std::filesystem::weakly_canonical(std::filesystem::absolute(folder, error), error).string();
    if (error || key.empty()) key = folder;
    while (key.size() > 1 && key.back() == '/') key.pop_back();
    return key;
}

std::map<std::string, FolderBookmarks> CBookmarkFile::Load() const {
    std::map<std::string, FolderBookmarks> folders;
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (error == ENOENT) return folders;
        throw CVyxError("The bookmarks file " + m_path + " cannot be read: " + SystemErrorText(error) + ".");
    }
    // Read to its end through every error: a file read in part is not a damaged one.
    std::string text;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            throw CVyxError("The bookmarks file " + m_path + " cannot be read: " + SystemErrorText(error) + ".");
        }
        if (n == 0) break;
        text.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    try {
        const CJsonValue document = CJsonValue::Parse(text);
        const CJsonValue* version = document.Find("version");
        const CJsonValue* list = document.Find("folders");
        if (!version || !version->IsNumber() || version->AsNumber() != kFormatVersion || !list || !list->IsObject())
            throw CVyxError("not a bookmarks file of this version");
        for (const auto& [folder, entries] : list->AsObject()) {
            if (!entries.IsArray()) throw CVyxError("a folder without a list of bookmarks");
            FolderBookmarks& bookmarks = folders[folder];
            for (const CJsonValue& entry : entries.AsArray()) bookmarks.push_back(BookmarkFrom(entry));
        }
    } catch (const CVyxError& e) {
        throw CBookmarkFileDamaged("The bookmarks file " + m_path + " is damaged (" + e.what() + ").");
    }
    return folders;
}

FolderBookmarks CBookmarkFile::LoadFolder(const std::string& folder) const {
    const auto folders = Load();
    const auto it = folders.find(folder);
    return it == folders.end() ? FolderBookmarks{} : it->second;
}

void CBookmarkFile::SaveFolder(const std::string& folder, const FolderBookmarks& bookmarks) const {
    auto folders = Load();  // a damaged or unreadable file throws here and is not written over
    if (bookmarks.empty()) {
        folders.erase(folder);
    } else {
        folders[folder] = bookmarks;
    }
    CJsonValue::Object list;
    for (const auto& [name, entries] : folders) {
        CJsonValue::Array array;
        for (const Bookmark& bookmark : entries) array.push_back(JsonOf(bookmark));
        list.emplace(name, CJsonValue(std::move(array)));
    }
    const std::string text =
        CJsonValue(CJsonValue::Object{{"version", kFormatVersion}, {"folders", CJsonValue(std::move(list))}})
            .Serialize() +
        "\n";
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(m_path).parent_path(), error);
    if (error) throw CVyxError("The folder of the bookmarks file " + m_path + " cannot be made: " + error.message());
    CPendingOutput output(m_path);
    std::size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = ::write(output.Descriptor(), text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw CVyxError("The bookmarks file " + m_path + " cannot be written: " + std::strerror(errno));
        written += static_cast<std::size_t>(n);
    }
    output.Commit();
}

std::string CBookmarkFile::SetAside() const {
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch()).count();
    const std::string aside = m_path + ".broken-" + std::to_string(seconds);
    std::error_code error;
    std::filesystem::rename(m_path, aside, error);
    if (error) throw CVyxError("The bookmarks file " + m_path + " cannot be set aside: " + error.message());
    return aside;
}

}  // namespace vyx
