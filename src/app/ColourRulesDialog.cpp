#include "app/ColourRulesDialog.h"

#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QVBoxLayout>

#include "filter/CommandList.h"

namespace vyx::gui {
namespace {

QSettings Settings() { return QSettings(QStringLiteral("Brennmark"), QStringLiteral("Vyx_Viewer")); }

}  // namespace

std::vector<ColourRule> LoadColourRulesSetting() {
    const QSettings settings = Settings();
    if (!settings.contains(QStringLiteral("ColourRules"))) return DefaultColourRules();
    return ParseColourRules(settings.value(QStringLiteral("ColourRules")).toString().toStdString());
}

void SaveColourRulesSetting(const std::vector<ColourRule>& rules) {
    QSettings settings = Settings();
    settings.setValue(QStringLiteral("ColourRules"), QString::fromStdString(FormatColourRules(rules)));
}

ColourRulesDialog::ColourRulesDialog(QWidget* parent, std::vector<ColourRule> rules)
    : QDialog(parent), m_rules(std::move(rules)) {
    setObjectName("colourRulesDialog");
    setWindowTitle(QStringLiteral("Colour Rules"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Rows are tinted by the first rule they pass, tried from the top:"), this));
    m_table = new QTableWidget(0, 2, this);
    m_table->setObjectName("colourRulesTable");
    m_table->setHorizontalHeaderLabels({QStringLiteral("Command entry"), QStringLiteral("Colour")});
    m_table->verticalHeader()->hide();
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    connect(m_table, &QTableWidget::cellDoubleClicked, this, [this](int row, int) { ChooseColour(row); });
    layout->addWidget(m_table, 1);

    auto* add = new QHBoxLayout;
    m_entry = new QComboBox(this);
    m_entry->setObjectName("colourRuleEntry");
    m_entry->addItem(QString::fromUtf8(kCountedAlarmEntry.data(), static_cast<qsizetype>(kCountedAlarmEntry.size())));
    const auto texts = CommandListTexts();
    for (std::size_t i = 1; i < texts.size(); ++i)
        m_entry->addItem(QString::fromUtf8(texts[i].data(), static_cast<qsizetype>(texts[i].size())));
    add->addWidget(m_entry, 1);
    auto* addButton = new QPushButton(QStringLiteral("&Add..."), this);
    addButton->setObjectName("addColourRule");
    connect(addButton, &QPushButton::clicked, this, [this] {
        const QColor colour = QColorDialog::getColor(QColor(0xd0, 0xe8, 0xff), this, QStringLiteral("Rule colour"));
        if (colour.isValid()) AddRule(colour.rgb() & 0xFFFFFF);
    });
    add->addWidget(addButton);
    auto* remove = new QPushButton(QStringLiteral("&Remove"), this);
    connect(remove, &QPushButton::clicked, this, [this] {
        const int row = m_table->currentRow();
        if (row < 0 || row >= static_cast<int>(m_rules.size())) return;
        m_rules.erase(m_rules.begin() + row);
        Fill();
    });
    add->addWidget(remove);
    auto* up = new QPushButton(QStringLiteral("&Up"), this);
    connect(up, &QPushButton::clicked, this, [this] {
        const int row = m_table->currentRow();
        if (row <= 0 || row >= static_cast<int>(m_rules.size())) return;
        std::swap(m_rules[static_cast<std::size_t>(row)], m_rules[static_cast<std::size_t>(row - 1)]);
        Fill();
        m_table->selectRow(row - 1);
    });
    add->addWidget(up);
    layout->addLayout(add);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(460, 360);
    Fill();
}

void ColourRulesDialog::AddRule(std::uint32_t rgb) {
    m_rules.push_back({m_entry->currentText().toStdString(), rgb & 0xFFFFFF});
    Fill();
}

void ColourRulesDialog::ChooseColour(int row) {
    if (row < 0 || row >= static_cast<int>(m_rules.size())) return;
    ColourRule& rule = m_rules[static_cast<std::size_t>(row)];
    const QColor colour = QColorDialog::getColor(QColor::fromRgb(rule.rgb), this, QStringLiteral("Rule colour"));
    if (!colour.isValid()) return;
    rule.rgb = colour.rgb() & 0xFFFFFF;
    Fill();
}

void ColourRulesDialog::Fill() {
    m_table->setRowCount(static_cast<int>(m_rules.size()));
    for (std::size_t i = 0; i < m_rules.size(); ++i) {
        const auto row = static_cast<int>(i);
        m_table->setItem(row, 0, new QTableWidgetItem(QString::fromStdString(m_rules[i].entry)));
        auto* colour = new QTableWidgetItem(QStringLiteral("#%1").arg(m_rules[i].rgb, 6, 16, QLatin1Char('0')).toUpper());
        colour->setBackground(QColor::fromRgb(m_rules[i].rgb));
        m_table->setItem(row, 1, colour);
    }
}

}  // namespace vyx::gui
