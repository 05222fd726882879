#include "controller/DetailSelection.h"

#include "controller/ListPagingListener.h"
#include "decode/DetailRows.h"

namespace vyx {

CDetailSelection::CDetailSelection(IMainWindowView& view, RecordReader readRecord)
    : m_view(view),
      m_readRecord(std::move(readRecord)),
      m_blockTransferConverter(std::make_unique<CRecordToParameterXferConverter>(FCUConfigurationList{})),
      m_modbusConverter(std::make_unique<CRecordToModbusMultipleConverter>()) {}

CDetailSelection::~CDetailSelection() = default;

void CDetailSelection::StartLoad(const FCUConfigurationList& fcuInfo, std::uint8_t modbusBaseAddress) {
    End();
    m_blockTransferConverter = std::make_unique<CRecordToParameterXferConverter>(fcuInfo);
    m_modbusConverter = std::make_unique<CRecordToModbusMultipleConverter>(modbusBaseAddress);
}

void CDetailSelection::SetPane(bool on) {
    m_pane = on;
    m_paneShown = 0;
    Hide();
    if (!on) m_view.FillDetailPane({});
}

void CDetailSelection::UpdatePane(std::int64_t serial) {
    CRecord record;
    if (serial < 0 || !m_readRecord(serial, record)) return;
    const std::int64_t recordNumber = serial + 1;
    if (recordNumber == m_paneShown) return;
    m_paneShown = recordNumber;
    const auto bytes = record.MessageBytes();
    m_view.FillDetailPane({recordNumber, std::vector<std::uint8_t>(bytes.begin(), bytes.end()),
                           BuildDetailRows(record, *m_blockTransferConverter, *m_modbusConverter)});
}

void CDetailSelection::Hide() {
    m_view.HideBlockTransferDialog();
    m_view.HideModbusDialog();
    m_blockTransferShown = 0;
    m_modbusShown = 0;
}

void CDetailSelection::End() {
    Hide();
    m_active = false;
    if (m_pane && m_paneShown != 0) {
        m_paneShown = 0;
        m_view.FillDetailPane({});
    }
}

bool CDetailSelection::HasDecoding(std::int64_t serial) {
    CRecord record;
    return m_readRecord(serial, record) &&
           (record.m_nMessageMode == kModeParameterBlockTransfer || record.m_nMessageMode == kModeModbus);
}

void CDetailSelection::OnDoubleClicked(std::int64_t serial) {
    if (m_pane) return UpdatePane(serial);
    if (HasDecoding(serial)) {
        m_active = true;
        Update(serial);
    }
}

void CDetailSelection::OnKey(std::int64_t serial, int key) {
    switch (key) {
        case kListKeyEnter:
        case kListKeyPageUp:
        case kListKeyPageDown:
        case kListKeyEnd:
        case kListKeyHome:
        case kListKeyUp:
        case kListKeyDown: break;
        default: return;
    }
    if (m_pane) return UpdatePane(serial);
    if (key == kListKeyEnter && HasDecoding(serial)) m_active = true;
    Update(serial);
}

void CDetailSelection::OnSelected(std::int64_t serial) {
    if (m_pane) return UpdatePane(serial);
    Update(serial);
}

void CDetailSelection::Update(std::int64_t serial) {
    if (!m_active || serial < 0) return;
    CRecord record;
    if (!m_readRecord(serial, record)) return;
    const std::int64_t recordNumber = serial + 1;
    const bool modbusMultiple = record.m_nMessageMode == kModeModbus && record.m_bMultipleFCU == 1;
    const bool blockTransfer = record.m_nMessageMode == kModeParameterBlockTransfer;
    if (modbusMultiple) {
        // The same record is not decoded again: the dialog still holds it.
        if (recordNumber != m_modbusShown) {
            m_view.FillModbusDialog(
                {recordNumber, BuildDetailRows(record, *m_blockTransferConverter, *m_modbusConverter).rows});
            m_modbusShown = recordNumber;
        }
        m_view.ShowModbusDialog();
    } else {
        m_view.HideModbusDialog();
    }
    if (blockTransfer) {
        if (recordNumber != m_blockTransferShown) {
            m_view.FillBlockTransferDialog(
                {recordNumber, BuildDetailRows(record, *m_blockTransferConverter, *m_modbusConverter).rows});
            m_blockTransferShown = recordNumber;
        }
        m_view.ShowBlockTransferDialog();
    } else {
        m_view.HideBlockTransferDialog();
    }
}

void CDetailSelection::OnBlockTransferClosed(bool /*byEscape*/) {
    // Escape, "Close" and the close box all end the detail decoding in this dialog.
    m_active = false;
    m_view.HideBlockTransferDialog();
}

void CDetailSelection::OnModbusClosed(bool byEscape) {
    // Escape only hides this dialog; the next write-multiple record selected shows it again.
    if (!byEscape) m_active = false;
    m_view.HideModbusDialog();
}

}  // namespace vyx
