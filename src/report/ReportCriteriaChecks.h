#pragma once
// The decisions of the two report dialogs, free of the toolkit: every check returns the exact text the
// dialog shows, so the dialogs only show it and the rules can be tested without a display.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "report/ReportCriteria.h"
#include "report/ReportMessageBox.h"

namespace vyx {

enum class GenerateDecision {
    Refuse,            // show the message (stop icon) and stay
    AskMultipleFiles,  // ask the Yes/No question; start on Yes
    AskLongPage,       // an HTML page too long to open quickly: ask the Yes/No question; start on Yes
    Start,             // start at once
};

struct MessageLogGenerateCheck {
    GenerateDecision decision = GenerateDecision::Refuse;
    ReportMessageBox message;  // the refusal or the question; empty for Start
    CReportCriteria criteria;  // what to start with, unless refused
};

// An HTML page of more records than this takes a browser long to open.
constexpr std::int64_t kHtmlRecordsOpenQuickly = 65535;

// A file a report may write, as it was at one moment: which file had the name, and when it was last written.
struct ReportFileState {
    std::string path;
    bool exists = false;
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t modifiedNs = 0;
    bool operator==(const ReportFileState&) const = default;
};

struct ReportFileChoice {
    std::string defaultExtension;  // without the dot
    std::string filter;            // "Description (*.ext)|*.ext|"
    std::string title;
    std::string folder;  // where the save dialog opens; empty: the home folder
};

class CReportCriteriaChecks {
public:
    // The smallest and largest values the From and To edits take.
    static constexpr std::int32_t kRangeFieldMin = 0;
    static constexpr std::int32_t kRangeFieldMax = 1000000000;

    // "&Generate !" of the Message Log dialog, after the fields were read: the path, the records loaded so
    // far (-1 before any load), "&All", the From and To edits (1-based), the form radio (0 HTML, 1 CSV,
    // 2 spreadsheet) and the data folder the records come from (empty before any load).
    static MessageLogGenerateCheck CheckMessageLogGenerate(const std::string& fileName, std::int32_t recordCount,
                                                           bool all, std::int32_t from, std::int32_t to, int formIndex,
                                                           const std::string& dataFolder);

    // The files a Message Log report writes: the chosen one, or its numbered parts when the records take
    // more than one file.
    static std::vector<std::string> FilesWritten(const CReportCriteria& criteria);

    // The files "&Generate !" would write with the dialog's fields as they stand (From and To as typed), for
    // the dialog to show beside the path; empty while the fields make no report (no path, nothing loaded,
    // a range refused).
    static std::vector<std::string> PlannedFiles(const std::string& fileName, std::int32_t recordCount, bool all,
                                                 const std::string& fromText, const std::string& toText,
                                                 int formIndex);
    // The files a run will write, as they are before it starts.
    static std::vector<ReportFileState> FileStates(const CReportCriteria& criteria);
    // Of those files, the ones written since their states were taken: what a finished run, or one stopped
    // early, has left. A file written just before, by an earlier run, is not among them.
    static std::vector<std::string> FilesWrittenSince(const std::vector<ReportFileState>& before);
    // Files named for the dialog: "log.csv", "log_1.csv and log_2.csv", "3 files, log_1.csv to log_3.csv"
    // (file names only: the folder is the path's).
    static std::string FilesText(const std::vector<std::string>& paths);

    // "&Generate !" of the FCU dialog: the refusal when no file was chosen, or when it would be written into
    // the data folder.
    static std::optional<ReportMessageBox> CheckFCUGenerate(const std::string& fileName,
                                                            const std::string& dataFolder);

    // The refusal when writing the file would write into the data folder being read: a path inside it, or a
    // symbolic or hard link to it or to a file in it, existing or not. Nothing is opened.
    static std::optional<ReportMessageBox> CheckOutsideDataFolder(const std::string& fileName,
                                                                  const std::string& dataFolder);

    // What the save dialog ("...") offers for a form radio.
    static ReportFileChoice FileChoice(int formIndex);
    // The path kept from the save dialog: the chosen path, followed by "." and the default extension unless
    // the chosen file's extension is exactly that (compared case-sensitively).
    static std::string PathWithExtension(const std::string& chosenPath, const std::string& defaultExtension);

    // A From or To edit's text as the dialog reads it: an integer within 0..1000000000, else the message.
    static std::optional<ReportMessageBox> ParseRangeField(const std::string& text, std::int32_t& value);

    // The progress bar after one step: it cycles through 1..199 and never shows full while a report runs.
    static int NextProgressPosition(int position, int lower = 0, int upper = 200);
};

}  // namespace vyx
