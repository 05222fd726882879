#pragma once
// The table that draws the one page of the large-data record list. It never scrolls vertically and never
// changes its own selection: keys, clicks and the wheel are handed to the list control, which runs them
// through its paging logic and then tells this view what to show.

#include <QTableView>

namespace vyx {

class CListPageView final : public QTableView {
    Q_OBJECT

public:
    explicit CListPageView(QWidget* parent = nullptr);

    // Keeps the view where it is: the page, not the view, follows the selection.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    // Typing a letter does not jump to a row.
    void keyboardSearch(const QString& search) override;
    // The modifiers held with the key or press reported last (Shift extends, Ctrl toggles the selection).
    Qt::KeyboardModifiers LastModifiers() const { return m_modifiers; }

signals:
    void listKeyPressed(int keyCode);  // a ListKey code
    void rowPressed(int pageRow);      // left button; -1 below the rows
    void rowDoubleClicked(int pageRow);
    void wheelTurned(int delta);  // vertical, in eighths of a degree
    void viewportResized();
    void selectAllPressed();  // Ctrl+A

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    Qt::KeyboardModifiers m_modifiers;
};

}  // namespace vyx
