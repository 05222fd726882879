#pragma once
// Shared pieces of the report tests: folders loaded into a real record store, a receiver that records the
// generator's notifications, and readers for the files and workbooks a run leaves behind.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "filter/FilterCriteria.h"
#include "logdata/LoadSettings.h"
#include "logdata/RecordDatabase.h"
#include "report/ReportGenerationMsgRcvr.h"
#include "simulator/RecordBuilder.h"
#include "support/FileText.h"
#include "support/TempDir.h"

namespace vyx::test {

// A data folder loaded into a store, with its own temporary folder.
class LoadedStore final : public ILoadNotificationTarget {
public:
    LoadedStore(const std::string& dataFolder, LoadOrder order = LoadOrder::Stored);
    ~LoadedStore() override;

    CRecordDatabase& Database() { return *m_database; }
    std::int64_t Total() const { return m_total; }
    void Post(LoadNotification notification) override;

private:
    TempDir m_temp;
    FilterList m_filters;
    std::unique_ptr<CRecordDatabase> m_database;
    std::int64_t m_total = -1;
};

// Writes one day file of crafted records (in the given order) into folder.
void WriteDayFile(const std::string& folder, const std::string& name, const std::vector<sim::RecordSpec>& records);
// A simulator folder without faults: exactly days * recordsPerDay records.
void WriteSimulatedFolder(const std::string& folder, int days, int recordsPerDay, bool clockJumps = false);

// Every notification in order, as text: "started", "progress", "completed", "failed", "message:<text>",
// "open:<path>".
class RecordingReceiver final : public IReportGenerationMsgRcvr {
public:
    std::int32_t OnStarted(std::int32_t, std::int32_t) override { return Add("started"); }
    std::int32_t OnProgress(std::int32_t, std::int32_t) override { return Add("progress"); }
    std::int32_t OnCompleted(std::int32_t, std::int32_t) override { return Add("completed"); }
    std::int32_t OnFailed(std::int32_t, std::int32_t) override { return Add("failed"); }
    void OnMessage(const std::string& text, MessageIcon icon) override;
    void OnOpenDocument(const std::string& path) override { Add("open:" + path); }

    std::vector<std::string> Events() const;
    // Events without the progress steps.
    std::vector<std::string> Milestones() const;

    // Called on the worker's thread right after the event is recorded.
    std::function<void(const std::string&)> onEvent;

private:
    std::int32_t Add(const std::string& event);

    mutable std::mutex m_mutex;
    std::vector<std::string> m_events;
};

std::vector<std::string> SplitLines(const std::string& text);  // on CR LF; the last line ends with it

// One member of a zip archive (a workbook), through unzip.
std::string UnzipMember(const std::string& archive, const std::string& member);

// A workbook sheet's cells: name ("A1") to text, and the styles of the cells that have one.
struct SheetContent {
    std::map<std::string, std::string> text;
    std::map<std::string, int> style;
    std::map<int, double> widths;  // 1-based column to width
    int lastRow = 0;
};
SheetContent ReadSheet(const std::string& workbook, int sheetNumber);
std::vector<std::string> SheetNames(const std::string& workbook);

// The workbook's cell formats (by style index): bold and horizontal alignment.
struct CellStyle {
    bool bold = false;
    std::string horizontal;
};
std::vector<CellStyle> ReadCellStyles(const std::string& workbook);

// The page with its "Generated on" time replaced by "TIME", when the time has the pattern
// "dd-mm-yyyy - hh:mm:ss:AM"; the page unchanged otherwise. The time text found goes to timeText.
std::string MaskGeneratedOn(const std::string& page, std::string* timeText = nullptr);

}  // namespace vyx::test
