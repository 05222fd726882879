#pragma once
// What the main window's logic asks of the window itself. The Qt main window implements it; tests implement
// it with plain members. Every call happens on the UI thread.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "decode/DetailRows.h"
#include "filter/FilterBar.h"

namespace vyx {

enum class ViewMode : int { None = 0, Messages = 1, FCU = 2 };

struct FolderChoice {
    std::string folder;
    bool messageMode = true;  // "Message" checked; false for "FCU"
};

// The message filter bar as the controls show it.
struct FilterBarInputs {
    FilterBarSelection selection;
    std::string modbusAddressText = "240";
};

// The rows of a detail dialog and the "Record No." it shows.
struct DetailDialogContent {
    std::int64_t recordNumber = 0;
    std::vector<std::vector<std::string>> rows;
};

// What the detail pane shows of a record: its message bytes, the decoded rows, and which bytes each row was
// decoded from.
struct DetailPaneContent {
    std::int64_t recordNumber = 0;  // 0: no record
    std::vector<std::uint8_t> bytes;
    DetailRows rows;
};

// The filter bar's fields a refusal can point at.
enum class FilterField { ModbusAddress, Fcu, FromDate, ToDate };

class IMainWindowView {
public:
    virtual ~IMainWindowView() = default;

    virtual void SetTitle(const std::string& title) = 0;
    // Shows the controls and list of a view mode and hides the others; resets the list's column widths.
    virtual void ApplyViewMode(ViewMode mode) = 0;
    virtual void SetReportMenus(bool messagesEnabled, bool fcuEnabled) = 0;

    // The folder dialog, starting at initialFolder; nothing when cancelled.
    virtual std::optional<FolderChoice> BrowseForFolder(const std::string& initialFolder) = 0;

    // Filter bar.
    virtual FilterBarInputs ReadFilterBar() = 0;
    virtual void SelectFirstEntries() = 0;  // entry 0 in the channel, command, FCU and FCU-channel boxes
    virtual void SetFcuEntries(const std::vector<std::string>& entries) = 0;  // replaces the FCU box list
    virtual void SetSelectDateTime(bool checked) = 0;  // also enables or disables the four pickers
    virtual void SetDateTimes(const CivilDateTime& from, const CivilDateTime& to) = 0;
    virtual void SetDateRangeText(const std::string& text) = 0;
    virtual int FcuChannelIndex() = 0;
    // Gives the keyboard focus to the field a refused input came from.
    virtual void FocusFilterField(FilterField field) = 0;

    // Status bar: pane 0 record count, pane 2 folder or file; the progress bar in pane 1.
    virtual void SetStatusText(int pane, const std::string& text) = 0;
    virtual void SetProgress(bool visible, int position) = 0;
    virtual void SetBusy(bool busy) = 0;
    // A notice that does not hold up the window (damaged day files, entries left out of a scan); a newer
    // one replaces the one shown.
    virtual void ShowNotice(const std::string& text) = 0;
    // Takes the notice away: what it said was of a folder or a load that is no longer shown.
    virtual void ClearNotice() = 0;

    // Record list.
    virtual void ListReset() = 0;
    virtual void ListSetCount(std::int64_t total) = 0;
    virtual void ListRedraw() = 0;
    // Selects the row of a serial number and scrolls it into view, as a click on it would.
    virtual void ListSelectSerial(std::int64_t serial) = 0;
    // The serial of the selected row, -1 for none.
    virtual std::int64_t ListSelectedSerial() { return -1; }
    // The follow's mark in the status bar ("Live, last ..."); empty hides it.
    virtual void SetFollowStatus(const std::string& text) { (void)text; }
    // The follow read new records of the folder (the newest one's time): views built from the folder as it
    // was, such as the loop's state and the alarm figures, may be stale from then until computed again.
    virtual void FolderGrew(std::uint32_t newestTime) { (void)newestTime; }

    // FCU table.
    virtual void SetFcuTable(const std::vector<std::array<std::string, 3>>& rows) = 0;

    // Detail dialogs: filled with a decoded record, shown without taking the focus from the record list.
    virtual void FillBlockTransferDialog(const DetailDialogContent& content) = 0;
    virtual void ShowBlockTransferDialog() = 0;
    virtual void HideBlockTransferDialog() = 0;
    virtual void FillModbusDialog(const DetailDialogContent& content) = 0;
    virtual void ShowModbusDialog() = 0;
    virtual void HideModbusDialog() = 0;
    // The detail pane, when the decoding is shown there instead of in the dialogs.
    virtual void FillDetailPane(const DetailPaneContent& /*content*/) {}

    // Report dialog.
    virtual bool IsReportRunning() = 0;
    virtual void HideReportDialog() = 0;
    virtual void ReportRecordsChanged(std::int64_t available) = 0;
    virtual void ReportSelectSerial(std::int64_t srNo) = 0;
};

}  // namespace vyx
