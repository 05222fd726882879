#pragma once
// The FCU number box of the filter bar: an editable combo box whose edit field takes digits 0 to 9 only.
// Choosing a list entry such as "--ALL--" still puts that entry's text in the field; typing, pasting
// (keyboard, context menu, middle button) and input methods never bring anything but digits in.

#include <QClipboard>
#include <QComboBox>

namespace vyx {

class CNumericComboBox : public QComboBox {
    Q_OBJECT

public:
    explicit CNumericComboBox(QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void PasteDigits(QClipboard::Mode mode);
    void ShowContextMenu(const QPoint& globalPos);
};

}  // namespace vyx
