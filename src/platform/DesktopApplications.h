#pragma once
// Whether the desktop has a program for a kind of file, looked up as xdg-open looks it up: the associations
// of the mimeapps.list files and the MimeType lists of the installed applications. Nothing is run. The
// desktop's open call cannot tell: it succeeds as soon as the opener starts, also when the opener then
// finds no program and gives up.

#include <string>
#include <vector>

namespace vyx {

struct XdgFolders {
    std::vector<std::string> config;  // $XDG_CONFIG_HOME, then $XDG_CONFIG_DIRS
    std::vector<std::string> data;    // $XDG_DATA_HOME, then $XDG_DATA_DIRS
};

// The folders of the XDG base directories, with their defaults for unset variables.
XdgFolders XdgFoldersFromEnvironment();

// True when an application whose program exists is associated with the MIME type and the association is
// not removed.
bool HasDesktopApplicationFor(const std::string& mimeType, const XdgFolders& folders);

}  // namespace vyx
