#pragma once
// The two filter bars above the lists: the message filter bar (date/time range, channel, command, FCU,
// Modbus base address, "Filter !") and the FCU filter bar (channel, "Filter !"). They hold the inputs and
// show what the controller sets; the main window connects their buttons.

#include <QGroupBox>
#include <string>
#include <vector>

#include "controller/MainWindowView.h"

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimeEdit;

namespace vyx {
class CNumericComboBox;
}

namespace vyx::gui {

class MessageFilterBar : public QGroupBox {
    Q_OBJECT
public:
    explicit MessageFilterBar(QWidget* parent);

    FilterBarInputs Read() const;
    void SelectFirstEntries();
    void SetFcuEntries(const std::vector<std::string>& entries);
    void SetSelectDateTime(bool checked);
    void SetDateTimes(const CivilDateTime& from, const CivilDateTime& to);
    void SetDateRangeText(const std::string& text);
    void Focus(FilterField field);
    QPushButton* FilterButton() const { return m_filterButton; }

private:
    void ApplyDateTimeCheck();

    QCheckBox* m_selectDateTime = nullptr;
    QDateEdit* m_fromDate = nullptr;
    QTimeEdit* m_fromTime = nullptr;
    QDateEdit* m_toDate = nullptr;
    QTimeEdit* m_toTime = nullptr;
    QLabel* m_dateRange = nullptr;
    QComboBox* m_channelCombo = nullptr;
    QComboBox* m_commandCombo = nullptr;
    CNumericComboBox* m_fcuCombo = nullptr;
    QLineEdit* m_modbusAddress = nullptr;
    QPushButton* m_filterButton = nullptr;
};

class FcuFilterBar : public QGroupBox {
    Q_OBJECT
public:
    explicit FcuFilterBar(QWidget* parent);

    int ChannelIndex() const;
    void SelectFirstEntry();
    QPushButton* FilterButton() const { return m_filterButton; }

private:
    QComboBox* m_channelCombo = nullptr;
    QPushButton* m_filterButton = nullptr;
};

}  // namespace vyx::gui
