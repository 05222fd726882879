#include "platform/DesktopApplications.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

namespace vyx {
namespace {

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

std::vector<std::string> SplitList(const std::string& text, char separator) {
    std::vector<std::string> items;
    std::string item;
    std::istringstream in(text);
    while (std::getline(in, item, separator)) {
        if (!item.empty()) items.push_back(item);
    }
    return items;
}

// Calls visit(section, key, value) for every entry of a key file (desktop entries, mimeapps.list).
template <typename Visit>
void ReadKeyFile(const std::filesystem::path& path, Visit visit) {
    std::ifstream in(path);
    std::string line;
    std::string section;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            section = line.substr(1, line.find(']') - 1);
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        std::string key = line.substr(0, equals);
        while (!key.empty() && key.back() == ' ') key.pop_back();
        std::size_t start = equals + 1;
        while (start < line.size() && line[start] == ' ') ++start;
        visit(section, key, line.substr(start));
    }
}

bool IsExecutable(const std::string& program) {
    if (program.empty()) return false;
    if (program.find('/') != std::string::npos) return ::access(program.c_str(), X_OK) == 0;
    for (const std::string& folder : SplitList(Environment("PATH"), ':')) {
        if (::access((folder + "/" + program).c_str(), X_OK) == 0) return true;
    }
    return false;
}

// The program of an Exec line: its first word, quotes taken off.
std::string ExecProgram(const std::string& exec) {
    if (!exec.empty() && exec[0] == '"') return exec.substr(1, exec.find('"', 1) - 1);
    return exec.substr(0, exec.find(' '));
}

struct DesktopEntry {
    bool usable = false;
    std::vector<std::string> mimeTypes;
};

DesktopEntry ReadDesktopEntry(const std::filesystem::path& path) {
    bool hidden = false;
    std::string exec, tryExec;
    DesktopEntry entry;
    ReadKeyFile(path, [&](const std::string& section, const std::string& key, const std::string& value) {
        if (section != "Desktop Entry") return;
        if (key == "Hidden") hidden = value == "true";
        if (key == "Exec") exec = value;
        if (key == "TryExec") tryExec = value;
        if (key == "MimeType") entry.mimeTypes = SplitList(value, ';');
    });
    entry.usable = !hidden && IsExecutable(ExecProgram(exec)) && (tryExec.empty() || IsExecutable(tryExec));
    return entry;
}

}  // namespace

XdgFolders XdgFoldersFromEnvironment() {
    const std::string home = Environment("HOME");
    XdgFolders folders;
    const std::string configHome = Environment("XDG_CONFIG_HOME");
    folders.config.push_back(configHome.empty() ? home + "/.config" : configHome);
    const std::string configDirs = Environment("XDG_CONFIG_DIRS");
    for (const std::string& d : SplitList(configDirs.empty() ? "/etc/xdg" : configDirs, ':'))
        folders.config.push_back(d);
    const std::string dataHome = Environment("XDG_DATA_HOME");
    folders.data.push_back(dataHome.empty() ? home + "/.local/share" : dataHome);
    const std::string dataDirs = Environment("XDG_DATA_DIRS");
    for (const std::string& d : SplitList(dataDirs.empty() ? "/usr/local/share:/usr/share" : dataDirs, ':')) {
        folders.data.push_back(d);
    }
    return folders;
}

bool HasDesktopApplicationFor(const std::string& mimeType, const XdgFolders& folders) {
    std::vector<std::filesystem::path> applicationFolders;
    for (const std::string& d : folders.data)
        applicationFolders.emplace_back(std::filesystem::path(d) / "applications");

    std::vector<std::string> associated;
    std::set<std::string> removed;
    std::vector<std::filesystem::path> lists;
    for (const std::string& d : folders.config) lists.emplace_back(std::filesystem::path(d) / "mimeapps.list");
    for (const auto& d : applicationFolders) lists.push_back(d / "mimeapps.list");
    for (const auto& list : lists) {
        ReadKeyFile(list, [&](const std::string& section, const std::string& key, const std::string& value) {
            if (key != mimeType) return;
            const auto ids = SplitList(value, ';');
            if (section == "Removed Associations") removed.insert(ids.begin(), ids.end());
            if (section == "Default Applications" || section == "Added Associations") {
                associated.insert(associated.end(), ids.begin(), ids.end());
            }
        });
    }
    auto usable = [&](const std::string& id) {
        if (removed.count(id)) return false;
        for (const auto& d : applicationFolders) {
            std::error_code error;
            if (std::filesystem::is_regular_file(d / id, error)) return ReadDesktopEntry(d / id).usable;
        }
        return false;
    };
    if (std::any_of(associated.begin(), associated.end(), usable)) return true;

    // The applications' own lists, which the desktop's cache of them (mimeinfo.cache) only repeats.
    std::set<std::string> seen;
    for (const auto& d : applicationFolders) {
        std::error_code error;
        for (std::filesystem::directory_iterator it(d, error), end; !error && it != end; it.increment(error)) {
            const std::string id = it->path().filename().string();
            if (it->path().extension() != ".desktop" || !seen.insert(id).second || removed.count(id)) continue;
            const DesktopEntry entry = ReadDesktopEntry(it->path());
            if (entry.usable &&
                std::find(entry.mimeTypes.begin(), entry.mimeTypes.end(), mimeType) != entry.mimeTypes.end()) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace vyx
