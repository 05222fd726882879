#pragma once
// View > Colour Rules...: the rules "command entry -> colour" that tint the record list, in the order they
// are tried, and where they are kept (the user's settings, key "ColourRules"; the default rule when unset).

#include <QDialog>
#include <vector>

#include "controller/RowColourRules.h"

class QComboBox;
class QTableWidget;

namespace vyx::gui {

std::vector<ColourRule> LoadColourRulesSetting();
void SaveColourRulesSetting(const std::vector<ColourRule>& rules);

class ColourRulesDialog : public QDialog {
    Q_OBJECT
public:
    ColourRulesDialog(QWidget* parent, std::vector<ColourRule> rules);
    const std::vector<ColourRule>& Rules() const { return m_rules; }

    QComboBox* EntryBox() const { return m_entry; }
    QTableWidget* Table() const { return m_table; }
    // Adds a rule for the entry chosen in the box with this colour (the Add button asks for the colour).
    void AddRule(std::uint32_t rgb);

private:
    void Fill();
    void ChooseColour(int row);

    std::vector<ColourRule> m_rules;
    QComboBox* m_entry = nullptr;
    QTableWidget* m_table = nullptr;
};

}  // namespace vyx::gui
