#include "report/ReportCriteriaChecks.h"

#include <cctype>
#include <charconv>
#include <filesystem>

#include <sys/stat.h>

#include "platform/OutputPathCheck.h"
#include "report/ReportFile.h"
#include "res/StringTable.h"

namespace vyx {
namespace {

ReportMessageBox Refusal(std::string text) {
    return {std::move(text), MessageIcon::Stop};
}

std::string ReplaceFirst(std::string text, std::string_view what, std::string_view with) {
    if (const auto at = text.find(what); at != std::string::npos) text.replace(at, what.size(), with);
    return text;
}

}  // namespace

MessageLogGenerateCheck CReportCriteriaChecks::CheckMessageLogGenerate(const std::string& fileName,
                                                                       std::int32_t recordCount, bool all,
                                                                       std::int32_t from, std::int32_t to,
                                                                       int formIndex,
                                                                       const std::string& dataFolder) {
    MessageLogGenerateCheck check;
    if (fileName.empty()) {
        check.message = Refusal("Please select file name...");
        return check;
    }
    if (auto refusal = CheckOutsideDataFolder(fileName, dataFolder)) {
        check.message = std::move(*refusal);
        return check;
    }
    if (recordCount <= 0) {
        check.message = Refusal("No valid records found till this time");
        return check;
    }
    if (all) {
        from = 1;
        to = recordCount;
    } else {
        if (from > to) {
            check.message = Refusal("Start record can not be greater than end record");
            return check;
        }
        if (from <= 0 || from > recordCount || to <= 0 || to > recordCount) {
            check.message =
                Refusal("Invalid range.\nPlease select records between 1 and " + std::to_string(recordCount));
            return check;
        }
    }
    const std::int64_t count = static_cast<std::int64_t>(to) - from + 1;
    const std::int32_t type = formIndex == 0 ? kReportTypeHtml : formIndex == 1 ? kReportTypeCsv : kReportTypeXls;
    const std::int64_t limit = type == kReportTypeCsv ? kCsvRecordsPerFile : kRecordsPerWorkbook;
    check.criteria = CReportCriteria(fileName, from - 1, to - 1, type);
    // Each part file is a name of its own, and any of them could be a link planted into the folder.
    for (const std::string& path : FilesWritten(check.criteria)) {
        if (auto refusal = CheckOutsideDataFolder(path, dataFolder)) {
            check.message = std::move(*refusal);
            return check;
        }
    }
    if (type == kReportTypeHtml && count > kHtmlRecordsOpenQuickly) {
        check.decision = GenerateDecision::AskLongPage;
        check.message = {"The page will hold " + std::to_string(count) +
                             " records. A page this long is slow to open in a web browser; CSV or an XLS workbook "
                             "suits so many records better.\nDo you want to continue ?",
                         MessageIcon::None};
    } else if (type != kReportTypeHtml && count > limit) {
        check.decision = GenerateDecision::AskMultipleFiles;
        check.message = {std::string(res::LoadString(res::IDS_REPORT_MULTIPLE_FILES)), MessageIcon::None};
    } else {
        check.decision = GenerateDecision::Start;
    }
    return check;
}

std::vector<std::string> CReportCriteriaChecks::FilesWritten(const CReportCriteria& criteria) {
    const std::int64_t count = static_cast<std::int64_t>(criteria.m_nLastRecord) - criteria.m_nFirstRecord + 1;
    const std::int64_t limit = criteria.m_nReportType == kReportTypeCsv ? kCsvRecordsPerFile : kRecordsPerWorkbook;
    if (criteria.m_nReportType == kReportTypeHtml || count <= limit) return {criteria.m_szFileName};
    std::vector<std::string> parts;
    for (std::int64_t part = 1; part <= (count + limit - 1) / limit; ++part) {
        parts.push_back(PartFileName(criteria.m_szFileName, part));
    }
    return parts;
}

std::vector<std::string> CReportCriteriaChecks::PlannedFiles(const std::string& fileName, std::int32_t recordCount,
                                                             bool all, const std::string& fromText,
                                                             const std::string& toText, int formIndex) {
    std::int32_t from = 0, to = 0;
    if (!all && (ParseRangeField(fromText, from) || ParseRangeField(toText, to))) return {};
    // No data folder: where the file may go is checked when the user generates.
    const MessageLogGenerateCheck check =
        CheckMessageLogGenerate(fileName, recordCount, all, from, to, formIndex, std::string());
    if (check.decision == GenerateDecision::Refuse) return {};
    return FilesWritten(check.criteria);
}

namespace {

ReportFileState StateOf(const std::string& path) {
    ReportFileState state;
    state.path = path;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return state;
    state.exists = true;
    state.device = static_cast<std::uint64_t>(info.st_dev);
    state.inode = static_cast<std::uint64_t>(info.st_ino);
    state.modifiedNs = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    return state;
}

}  // namespace

std::vector<ReportFileState> CReportCriteriaChecks::FileStates(const CReportCriteria& criteria) {
    std::vector<ReportFileState> states;
    for (const std::string& path : FilesWritten(criteria)) states.push_back(StateOf(path));
    return states;
}

// A report file takes its name by a rename once complete, so it is another file than before; one written
// through in place (a device, a link's target) shows by its time. Nothing is compared with the clock, whose
// readings file times follow only coarsely.
std::vector<std::string> CReportCriteriaChecks::FilesWrittenSince(const std::vector<ReportFileState>& before) {
    std::vector<std::string> written;
    for (const ReportFileState& old : before) {
        const ReportFileState now = StateOf(old.path);
        if (now.exists && now != old) written.push_back(old.path);
    }
    return written;
}

std::string CReportCriteriaChecks::FilesText(const std::vector<std::string>& paths) {
    auto name = [](const std::string& path) { return std::filesystem::path(path).filename().string(); };
    switch (paths.size()) {
    case 0: return {};
    case 1: return name(paths.front());
    case 2: return name(paths.front()) + " and " + name(paths.back());
    default:
        return std::to_string(paths.size()) + " files, " + name(paths.front()) + " to " + name(paths.back());
    }
}

std::optional<ReportMessageBox> CReportCriteriaChecks::CheckFCUGenerate(const std::string& fileName,
                                                                        const std::string& dataFolder) {
    if (fileName.empty()) return Refusal("Please select filename");
    return CheckOutsideDataFolder(fileName, dataFolder);
}

std::optional<ReportMessageBox> CReportCriteriaChecks::CheckOutsideDataFolder(const std::string& fileName,
                                                                              const std::string& dataFolder) {
    const OutputPlace place = PlaceOfOutput(fileName, dataFolder);
    if (place == OutputPlace::Outside) return std::nullopt;
    std::string text = place == OutputPlace::LinkIntoFolder ? "The report file is a link into the data folder:\n"
                                                            : "The report file lies in the data folder:\n";
    text += fileName + "\nThe data folder is only read. Please choose a file outside " + dataFolder + ".";
    return Refusal(std::move(text));
}

ReportFileChoice CReportCriteriaChecks::FileChoice(int formIndex) {
    ReportFileChoice choice;
    choice.title = "Select Report File...";
    switch (formIndex) {
        case 1:
            choice.defaultExtension = "csv";
            choice.filter = "Comma Seperated Format (*.csv)|*.csv|";
            break;
        case 2:
            // Workbooks are written as .xlsx; the form keeps its old radio.
            choice.defaultExtension = "xlsx";
            choice.filter = "Excel Files (*.xlsx)|*.xlsx|";
            break;
        default:
            choice.defaultExtension = "html";
            choice.filter = "HTML Format(*.html)|*.html|";
            break;
    }
    return choice;
}

std::string CReportCriteriaChecks::PathWithExtension(const std::string& chosenPath,
                                                     const std::string& defaultExtension) {
    const std::size_t nameStart =
        chosenPath.find_last_of('/') == std::string::npos ? 0 : chosenPath.find_last_of('/') + 1;
    const std::size_t dot = chosenPath.find_last_of('.');
    const std::string extension =
        dot == std::string::npos || dot < nameStart ? std::string() : chosenPath.substr(dot + 1);
    if (extension == defaultExtension) return chosenPath;
    return chosenPath + "." + defaultExtension;
}

std::optional<ReportMessageBox> CReportCriteriaChecks::ParseRangeField(const std::string& text, std::int32_t& value) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && std::isspace(static_cast<unsigned char>(text[begin]))) ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
    std::int64_t number = 0;
    const char* first = text.data() + begin;
    const char* last = text.data() + end;
    if (first != last && *first == '+') ++first;
    const auto [ptr, error] = std::from_chars(first, last, number);
    if (first == last || error != std::errc() || ptr != last) {
        return ReportMessageBox{std::string(res::LoadString(res::IDS_PARSE_INT)), MessageIcon::Exclamation};
    }
    if (number < kRangeFieldMin || number > kRangeFieldMax) {
        std::string message(res::LoadString(res::IDS_PARSE_INT_RANGE));
        message = ReplaceFirst(message, "%1", std::to_string(kRangeFieldMin));
        message = ReplaceFirst(message, "%2", std::to_string(kRangeFieldMax));
        return ReportMessageBox{message, MessageIcon::Exclamation};
    }
    value = static_cast<std::int32_t>(number);
    return std::nullopt;
}

int CReportCriteriaChecks::NextProgressPosition(int position, int lower, int upper) {
    const int next = position + 1;
    const int span = upper - lower;
    if (span > 0 && next % span == 0) return 1;
    return next;
}

}  // namespace vyx
