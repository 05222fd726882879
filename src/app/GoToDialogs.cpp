#include "app/GoToDialogs.h"

#include <QDateTimeEdit>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>
#include <limits>

#include "views/DateTimeTyping.h"

namespace vyx::gui {
namespace {

QDialogButtonBox* OkCancel(QDialog* dialog) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    return buttons;
}

}  // namespace

namespace {

int LastSrNo(std::int64_t total) { return static_cast<int>(std::clamp<std::int64_t>(total, 1, std::numeric_limits<int>::max())); }

QString RangeText(int last) { return QStringLiteral("Sr.No. (1 to %1):").arg(last); }

}  // namespace

GoToRecordDialog::GoToRecordDialog(QWidget* parent, std::function<std::int64_t()> total, std::int64_t initial)
    : QDialog(parent), m_total(std::move(total)) {
    setWindowTitle(QStringLiteral("Go to Record"));
    const int last = LastSrNo(m_total());
    m_srNo = new QSpinBox(this);
    m_srNo->setObjectName("goToSrNo");
    // Any number can be typed; one past the last record is refused on OK (a box that stopped taking digits
    // at the last would turn 99999 into 9999 without a word).
    m_srNo->setRange(1, std::numeric_limits<int>::max());
    m_srNo->setValue(static_cast<int>(std::clamp<std::int64_t>(initial, 1, last)));
    m_srNo->setMinimumWidth(140);
    m_refusal = new QLabel(this);
    m_refusal->setObjectName("goToSrNoRefusal");
    m_refusal->hide();
    m_range = new QLabel(RangeText(last), this);
    auto* form = new QFormLayout;
    form->addRow(m_range, m_srNo);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_refusal);
    layout->addWidget(OkCancel(this));
    m_srNo->selectAll();
}

void GoToRecordDialog::accept() {
    m_srNo->interpretText();
    // Records the follow added while the dialog was open can be gone to too.
    const int last = LastSrNo(m_total());
    m_range->setText(RangeText(last));
    if (m_srNo->value() > last) {
        m_refusal->setText(QStringLiteral("There is no Sr.No. %1: the list ends at %2.").arg(m_srNo->value()).arg(last));
        m_refusal->show();
        m_srNo->setFocus();
        m_srNo->selectAll();
        return;
    }
    QDialog::accept();
}

std::int64_t GoToRecordDialog::SrNo() const {
    return m_srNo->value();
}

GoToTimeDialog::GoToTimeDialog(QWidget* parent, const CivilDateTime& initial) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Go to Time"));
    m_dateTime = new QDateTimeEdit(this);
    m_dateTime->setObjectName("goToDateTime");
    // The logger's clock knows no time zone: as UTC no local daylight-saving gap can refuse a time.
    m_dateTime->setTimeSpec(Qt::UTC);
    m_dateTime->setDisplayFormat(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    m_dateTime->setCalendarPopup(true);
    TypeDateTimeAsItReads(m_dateTime);
    m_dateTime->setDateTimeRange(QDateTime(QDate(1970, 1, 1), QTime(0, 0), Qt::UTC),
                                 QDateTime(QDate(2106, 2, 7), QTime(6, 28, 15), Qt::UTC));
    m_dateTime->setDateTime(QDateTime(QDate(initial.year, initial.month, initial.day),
                                      QTime(initial.hour, initial.minute, initial.second), Qt::UTC));
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Date and time:"), m_dateTime);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(OkCancel(this));
}

CivilDateTime GoToTimeDialog::DateTime() const {
    const QDateTime value = m_dateTime->dateTime();
    CivilDateTime t;
    t.year = value.date().year();
    t.month = value.date().month();
    t.day = value.date().day();
    t.hour = value.time().hour();
    t.minute = value.time().minute();
    t.second = value.time().second();
    return t;
}

QString GoToTimeDialog::DateTimeText() const {
    return m_dateTime->text();
}

}  // namespace vyx::gui
