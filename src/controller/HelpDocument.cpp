#include "controller/HelpDocument.h"

#include <unistd.h>

#include "platform/File.h"

namespace vyx {

std::string HelpFailureText(HelpOpenResult result) {
    switch (result) {
    case HelpOpenResult::Opened: return {};
    case HelpOpenResult::FileNotFound: return "There is no help file available on the system.";
    case HelpOpenResult::PathNotFound: return "Invalid Path";
    case HelpOpenResult::AccessDenied: return "Access Denied.  Can not open help file.";
    case HelpOpenResult::OutOfMemory: return "There is not enough memory in the system.  Can not open help file.";
    case HelpOpenResult::BadFormat: return "Bad File Format";
    case HelpOpenResult::SharingViolation: return "Sharing Violation Occured.  Unable to open help file.";
    case HelpOpenResult::NoViewer: return "There is no program found to view help file.";
    case HelpOpenResult::Unknown: break;
    }
    return "Unknown error occured while opening help file.";
}

std::vector<std::string> HelpDocumentCandidates(const std::string& currentFolder, const std::string& programFolder) {
    std::vector<std::string> candidates;
    candidates.push_back(currentFolder + "/" + kHelpFileName);
    candidates.push_back(programFolder + "/" + kHelpFileName);
    candidates.push_back(programFolder + "/../share/vyx-viewer/" + kHelpFileName);
    candidates.push_back(programFolder + "/../docs/" + kHelpFileName);
    return candidates;
}

std::string LocateHelpDocument(const std::vector<std::string>& candidates, HelpOpenResult& result) {
    for (const std::string& path : candidates) {
        if (FileExists(path)) {
            result = ::access(path.c_str(), R_OK) == 0 ? HelpOpenResult::Opened : HelpOpenResult::AccessDenied;
            return path;
        }
    }
    result = HelpOpenResult::FileNotFound;
    return candidates.empty() ? std::string(kHelpFileName) : candidates.front();
}

}  // namespace vyx
