#pragma once
// Locating the help document and the texts for the ways opening it can fail.

#include <string>
#include <vector>

namespace vyx {

constexpr const char* kHelpFileName = "VyxViewer.pdf";

enum class HelpOpenResult {
    Opened,
    FileNotFound,     // "There is no help file available on the system."
    PathNotFound,     // "Invalid Path"
    AccessDenied,     // "Access Denied.  Can not open help file."
    OutOfMemory,
    BadFormat,
    SharingViolation,
    NoViewer,         // "There is no program found to view help file."
    Unknown,
};

// The stop-icon text for a failed open; empty for Opened.
std::string HelpFailureText(HelpOpenResult result);

// Places the document is looked for, in order: the current folder (as the program always did), the
// program's own folder, and the shared data folder of an installed program (../share/vyx-viewer).
std::vector<std::string> HelpDocumentCandidates(const std::string& currentFolder, const std::string& programFolder);

// The first candidate that exists, or the first candidate when none does (so the failure names a path).
// Sets result to FileNotFound, AccessDenied or Opened (meaning: found and readable).
std::string LocateHelpDocument(const std::vector<std::string>& candidates, HelpOpenResult& result);

}  // namespace vyx
