#include "app/FilterBars.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QVBoxLayout>

#include "filter/CommandList.h"
#include "res/StringTable.h"
#include "views/DateTimeTyping.h"
#include "views/NumericComboBox.h"

namespace vyx::gui {
namespace {

QString Load(int id) {
    return QString::fromStdString(std::string(res::LoadString(id)));
}

QDate ToQDate(const CivilDateTime& t) {
    return QDate(t.year, t.month, t.day);
}
QTime ToQTime(const CivilDateTime& t) {
    return QTime(t.hour, t.minute, t.second);
}

CivilDateTime FromQt(const QDate& date, const QTime& time) {
    CivilDateTime t;
    t.year = date.year();
    t.month = date.month();
    t.day = date.day();
    t.hour = time.hour();
    t.minute = time.minute();
    t.second = time.second();
    return t;
}

void AddChannelEntries(QComboBox* combo) {
    combo->addItems({Load(res::IDS_ALL), Load(res::IDS_MS_A_LEFT), Load(res::IDS_MS_B_RIGHT)});
}

// Alt+F opens the File menu, as in every desktop program: the button gives up its mnemonic for F5.
QPushButton* MakeFilterButton(QWidget* parent, const char* name) {
    auto* button = new QPushButton(QStringLiteral("Filter !"), parent);
    button->setShortcut(QKeySequence(Qt::Key_F5));
    button->setToolTip(QStringLiteral("Filter ! (F5)"));
    button->setObjectName(name);
    return button;
}

}  // namespace

MessageFilterBar::MessageFilterBar(QWidget* parent) : QGroupBox(QStringLiteral("Filter Criteria"), parent) {
    setObjectName("messageFilterBar");
    m_selectDateTime = new QCheckBox(QStringLiteral("&Select Date/Time"), this);
    m_selectDateTime->setObjectName("selectDateTime");
    const QDateTime now = QDateTime::currentDateTime();
    auto makeDate = [&](const char* name) {
        auto* edit = new QDateEdit(now.date(), this);
        edit->setObjectName(name);
        edit->setDisplayFormat(QStringLiteral("dd/MM/yyyy"));
        edit->setCalendarPopup(true);
        TypeDateTimeAsItReads(edit);
        return edit;
    };
    auto makeTime = [&](const char* name) {
        auto* edit = new QTimeEdit(now.time(), this);
        edit->setObjectName(name);
        edit->setDisplayFormat(QStringLiteral("HH:mm:ss"));
        TypeDateTimeAsItReads(edit);
        return edit;
    };
    m_fromDate = makeDate("fromDate");
    m_fromTime = makeTime("fromTime");
    m_toDate = makeDate("toDate");
    m_toTime = makeTime("toTime");
    connect(m_selectDateTime, &QCheckBox::toggled, this, [this] { ApplyDateTimeCheck(); });

    m_dateRange = new QLabel(this);
    m_dateRange->setObjectName("dateRange");
    m_dateRange->setMinimumWidth(190);

    m_channelCombo = new QComboBox(this);
    m_channelCombo->setObjectName("channelCombo");
    AddChannelEntries(m_channelCombo);
    m_commandCombo = new QComboBox(this);
    m_commandCombo->setObjectName("commandCombo");
    for (const auto& text : CommandListTexts()) m_commandCombo->addItem(QString::fromStdString(std::string(text)));
    m_commandCombo->setMaxVisibleItems(20);
    m_fcuCombo = new CNumericComboBox(this);
    m_fcuCombo->setObjectName("fcuCombo");
    m_fcuCombo->addItem(Load(res::IDS_ALL));
    m_fcuCombo->setMinimumWidth(90);
    m_modbusAddress = new QLineEdit(QStringLiteral("240"), this);
    m_modbusAddress->setObjectName("modbusAddress");
    m_modbusAddress->setAlignment(Qt::AlignRight);
    m_modbusAddress->setMaximumWidth(60);
    m_filterButton = MakeFilterButton(this, "messageFilterButton");

    auto label = [this](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, this);
        l->setBuddy(buddy);
        return l;
    };
    auto* row1 = new QHBoxLayout;
    row1->addWidget(m_selectDateTime);
    row1->addWidget(label(QStringLiteral("From :"), m_fromDate));
    row1->addWidget(m_fromDate);
    row1->addWidget(m_fromTime);
    row1->addWidget(label(QStringLiteral("To:"), m_toDate));
    row1->addWidget(m_toDate);
    row1->addWidget(m_toTime);
    row1->addSpacing(16);
    row1->addWidget(new QLabel(QStringLiteral("Date Range:"), this));
    row1->addWidget(m_dateRange);
    row1->addStretch(1);
    auto* row2 = new QHBoxLayout;
    row2->addWidget(label(QStringLiteral("&Channel"), m_channelCombo));
    row2->addWidget(m_channelCombo);
    row2->addWidget(label(QStringLiteral("C&ommand"), m_commandCombo));
    row2->addWidget(m_commandCombo);
    row2->addWidget(label(QStringLiteral("FC&U"), m_fcuCombo));
    row2->addWidget(m_fcuCombo);
    row2->addSpacing(16);
    row2->addWidget(new QLabel(QStringLiteral("Modbus Addr:"), this));
    row2->addWidget(m_modbusAddress);
    row2->addSpacing(16);
    row2->addWidget(m_filterButton);
    row2->addStretch(1);
    auto* bar = new QVBoxLayout(this);
    bar->addLayout(row1);
    bar->addLayout(row2);
}

void MessageFilterBar::ApplyDateTimeCheck() {
    const bool on = m_selectDateTime->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{m_fromDate, m_fromTime, m_toDate, m_toTime}) {
        w->setEnabled(on);
    }
}

FilterBarInputs MessageFilterBar::Read() const {
    FilterBarInputs inputs;
    inputs.selection.channelIndex = m_channelCombo->currentIndex();
    inputs.selection.commandIndex = m_commandCombo->currentIndex();
    inputs.selection.fcuText = m_fcuCombo->currentText().toStdString();
    inputs.selection.selectDateTime = m_selectDateTime->isChecked();
    inputs.selection.from = FromQt(m_fromDate->date(), m_fromTime->time());
    inputs.selection.to = FromQt(m_toDate->date(), m_toTime->time());
    inputs.modbusAddressText = m_modbusAddress->text().toStdString();
    return inputs;
}

void MessageFilterBar::SelectFirstEntries() {
    for (QComboBox* combo : std::initializer_list<QComboBox*>{m_channelCombo, m_commandCombo, m_fcuCombo}) {
        combo->setCurrentIndex(0);
    }
}

void MessageFilterBar::SetFcuEntries(const std::vector<std::string>& entries) {
    m_fcuCombo->clear();
    for (const auto& e : entries) m_fcuCombo->addItem(QString::fromStdString(e));
    m_fcuCombo->setCurrentIndex(0);
}

void MessageFilterBar::SetSelectDateTime(bool checked) {
    m_selectDateTime->setChecked(checked);
    ApplyDateTimeCheck();
}

void MessageFilterBar::SetDateTimes(const CivilDateTime& from, const CivilDateTime& to) {
    m_fromDate->setDate(ToQDate(from));
    m_fromTime->setTime(ToQTime(from));
    m_toDate->setDate(ToQDate(to));
    m_toTime->setTime(ToQTime(to));
}

void MessageFilterBar::SetDateRangeText(const std::string& text) {
    m_dateRange->setText(QString::fromStdString(text));
}

void MessageFilterBar::Focus(FilterField field) {
    QWidget* target = m_modbusAddress;
    switch (field) {
        case FilterField::ModbusAddress: target = m_modbusAddress; break;
        case FilterField::Fcu: target = m_fcuCombo; break;
        case FilterField::FromDate: target = m_fromDate; break;
        case FilterField::ToDate: target = m_toDate; break;
    }
    target->setFocus(Qt::OtherFocusReason);
}

FcuFilterBar::FcuFilterBar(QWidget* parent) : QGroupBox(QStringLiteral("Filter Criteria"), parent) {
    setObjectName("fcuFilterBar");
    m_channelCombo = new QComboBox(this);
    m_channelCombo->setObjectName("fcuChannelCombo");
    AddChannelEntries(m_channelCombo);
    m_filterButton = MakeFilterButton(this, "fcuFilterButton");
    auto* row = new QHBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("&Channel"), this);
    label->setBuddy(m_channelCombo);
    row->addWidget(label);
    row->addWidget(m_channelCombo);
    row->addSpacing(16);
    row->addWidget(m_filterButton);
    row->addStretch(1);
}

int FcuFilterBar::ChannelIndex() const {
    return m_channelCombo->currentIndex();
}

void FcuFilterBar::SelectFirstEntry() {
    m_channelCombo->setCurrentIndex(0);
}

}  // namespace vyx::gui
