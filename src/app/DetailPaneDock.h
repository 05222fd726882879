#pragma once
// The detail pane: the decoding of the current record in a dock under the list instead of the two detail
// dialogs. The record's message bytes in hex on the left (the bytes of the detail row selected on the right
// highlighted), the decoded rows on the right.

#include <QDockWidget>

#include "controller/MainWindowView.h"

class QLabel;
class QPlainTextEdit;
class QTableWidget;

namespace vyx::gui {

class DetailPaneDock : public QDockWidget {
    Q_OBJECT
public:
    explicit DetailPaneDock(QWidget* parent);

    void Fill(const DetailPaneContent& content);
    QPlainTextEdit* Hex() const { return m_hex; }
    QTableWidget* Rows() const { return m_rows; }
    // The bytes highlighted now (offset, length into the message bytes); length 0 when none.
    DetailRows::ByteRange Highlighted() const { return m_highlighted; }

private:
    void Highlight(int row);

    DetailPaneContent m_content;
    DetailRows::ByteRange m_highlighted;
    QLabel* m_title = nullptr;
    QPlainTextEdit* m_hex = nullptr;
    QTableWidget* m_rows = nullptr;
};

}  // namespace vyx::gui
