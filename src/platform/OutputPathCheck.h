#pragma once
// Where a file about to be written lies relative to a folder that is being read. Opening an output with
// O_CREAT | O_TRUNC follows links, including a link whose target does not exist yet, so a report named into
// the data folder, or a link that leads there, would destroy or add to the logger's files.

#include <string>

namespace vyx {

enum class OutputPlace {
    Outside,         // writing it leaves the folder untouched
    InsideFolder,    // the path names the folder itself or a file under it
    LinkIntoFolder,  // a symbolic or hard link that leads to the folder or to a file in it
};

// Nothing is created or opened; only names are resolved and files looked at. Paths are compared canonical
// (so "DIR/../DIR/x" is inside) and folders also by device and inode (so a bind mount of the folder is
// inside too). An empty folder gives Outside.
OutputPlace PlaceOfOutput(const std::string& output, const std::string& folder);

}  // namespace vyx
