#pragma once
// The detail dialogs that follow the selection: once a Parameter Block Transfer or Modbus write-multiple record
// was opened (Enter or a double click), each record selected after it shows its decoding in the dialog of its
// kind, until the user closes that dialog. The decoders carry the FCU information and the Modbus base address
// of the load the records come from.

#include <cstdint>
#include <functional>
#include <memory>

#include "controller/MainWindowView.h"
#include "decode/FCU.h"
#include "decode/RecordToModbusMultipleConverter.h"
#include "decode/RecordToParameterXferConverter.h"
#include "logdata/Record.h"

namespace vyx {

class CDetailSelection {
public:
    // readRecord fills the record of a serial number and returns false when there is none (or it cannot be
    // read): the selection then shows nothing for it.
    using RecordReader = std::function<bool(std::int64_t serial, CRecord& record)>;
    CDetailSelection(IMainWindowView& view, RecordReader readRecord);
    ~CDetailSelection();

    // A new load: its FCU information and Modbus base address; hides both dialogs and ends the following.
    void StartLoad(const FCUConfigurationList& fcuInfo, std::uint8_t modbusBaseAddress);
    // Hides both dialogs and ends the following (a new folder, a filter, a sort).
    void End();
    bool Active() const { return m_active; }
    // In the detail pane (on) the decoding of every row selected is shown there and the dialogs stay hidden.
    void SetPane(bool on);
    bool Pane() const { return m_pane; }

    void OnDoubleClicked(std::int64_t serial);
    void OnKey(std::int64_t serial, int key);
    void OnSelected(std::int64_t serial);
    // "Close", the close box, or Escape (byEscape) in a dialog.
    void OnBlockTransferClosed(bool byEscape);
    void OnModbusClosed(bool byEscape);

private:
    bool HasDecoding(std::int64_t serial);
    void Update(std::int64_t serial);
    void Hide();

    IMainWindowView& m_view;
    RecordReader m_readRecord;
    void UpdatePane(std::int64_t serial);

    bool m_active = false;
    bool m_pane = false;
    std::int64_t m_paneShown = 0;
    std::int64_t m_blockTransferShown = 0;  // record number the dialog shows; 0 = none
    std::int64_t m_modbusShown = 0;
    std::unique_ptr<CRecordToParameterXferConverter> m_blockTransferConverter;
    std::unique_ptr<CRecordToModbusMultipleConverter> m_modbusConverter;
};

}  // namespace vyx
