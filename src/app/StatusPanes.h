#pragma once
// The main window's status bar: pane 0 (the record count), pane 1 (the load's busy bar with the records
// loaded beside it) and pane 2 (the folder or day file being read).

#include <QObject>
#include <QString>
#include <cstdint>

class QLabel;
class QProgressBar;
class QStatusBar;

namespace vyx::gui {

class StatusPanes : public QObject {
    Q_OBJECT
public:
    // Builds the panes into the bar; they are children of the bar's window.
    explicit StatusPanes(QStatusBar* bar);

    void SetText(int pane, const QString& text);
    QString Text(int pane) const;
    // The load runs (busy bar shown) or has ended.
    void SetLoading(bool loading);
    void SetRecordsLoaded(std::int64_t count);
    // The selected rows' count and time span, beside the record count; empty hides it.
    void SetSelectionText(const QString& text);
    QString SelectionText() const;

private:
    QLabel* m_panes[3] = {};
    QProgressBar* m_progress = nullptr;
    QLabel* m_selection = nullptr;
};

}  // namespace vyx::gui
