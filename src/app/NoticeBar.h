#pragma once
// A notice inside the main window, above the record list: it says what the user must know about the data
// (damaged day files, entries left out of the folder) without a window of its own that would hold up the
// list or take the keyboard away from it.

#include <QFrame>

class QLabel;

namespace vyx::gui {

class NoticeBar : public QFrame {
    Q_OBJECT
public:
    explicit NoticeBar(QWidget* parent);

    // Shows the text; a newer notice replaces the one shown.
    void Show(const QString& text);
    void Clear();
    QString Text() const;

private:
    QLabel* m_text;
};

}  // namespace vyx::gui
