#pragma once
// The two modeless detail dialogs: a Parameter Block Transfer decoded row by row, and a Modbus write-multiple
// request decoded item by item. They follow the record list's selection and never take the focus from it.

#include <QDialog>
#include <functional>

#include "controller/MainWindowView.h"

class QLabel;

namespace vyx {
class CListCtrlGridLines;
}

namespace vyx::gui {

class DetailDialog : public QDialog {
    Q_OBJECT
public:
    // closed(byEscape) is called when the user closes the dialog: "Close", the close box or Escape.
    DetailDialog(QWidget* parent, const QString& title, const QStringList& columns, const QList<int>& widths,
                 QSize size, std::function<void(bool byEscape)> closed);

    void Fill(const DetailDialogContent& content);
    // Shows the dialog without activating it, so the record list keeps the keyboard focus.
    void ShowInactive();
    CListCtrlGridLines* Rows() const { return m_rows; }
    QString RecordNumberText() const;

protected:
    void reject() override;  // Escape
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Where the dialog first appears: where the user left it last time, else beside the main window.
    void PlaceFirstTime();

    QLabel* m_recordNumber;
    CListCtrlGridLines* m_rows;
    std::function<void(bool)> m_closed;
    bool m_closing = false;
    bool m_placed = false;
    QRect m_lastGeometry;  // where it was when it hid, to come back at the same place
};

class BlockTransferDialog : public DetailDialog {
    Q_OBJECT
public:
    BlockTransferDialog(QWidget* parent, std::function<void(bool)> closed);
};

class ModbusMultipleDialog : public DetailDialog {
    Q_OBJECT
public:
    ModbusMultipleDialog(QWidget* parent, std::function<void(bool)> closed);
};

}  // namespace vyx::gui
