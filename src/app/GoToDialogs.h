#pragma once
// "Go to Record..." and "Go to Time...": the two small dialogs that ask where to go.

#include <QDialog>
#include <cstdint>
#include <functional>

#include "logdata/TimeValue.h"

class QDateTimeEdit;
class QLabel;
class QSpinBox;

namespace vyx::gui {

// Asks for a "Sr.No." between 1 and the records loaded so far (a followed list grows while it is open).
class GoToRecordDialog : public QDialog {
    Q_OBJECT
public:
    // total: the records listed now, asked again on OK; initial: the "Sr.No." offered (the selected row's).
    GoToRecordDialog(QWidget* parent, std::function<std::int64_t()> total, std::int64_t initial);
    std::int64_t SrNo() const;
    // A number past the last record is refused here, with a word why, not cut to another.
    void accept() override;

private:
    QSpinBox* m_srNo = nullptr;
    QLabel* m_refusal = nullptr;
    QLabel* m_range = nullptr;
    std::function<std::int64_t()> m_total;
};

// Asks for a date and time, "dd/MM/yyyy HH:mm:ss", on the logger's clock.
class GoToTimeDialog : public QDialog {
    Q_OBJECT
public:
    GoToTimeDialog(QWidget* parent, const CivilDateTime& initial);
    CivilDateTime DateTime() const;
    // The time as shown, for messages.
    QString DateTimeText() const;

private:
    QDateTimeEdit* m_dateTime = nullptr;
};

}  // namespace vyx::gui
