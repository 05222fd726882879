#pragma once
// The find bar over the record list: a text (in any column) or hex bytes (in MessageContent), forward and
// backward, with the progress of the running search and what it found. It only collects the query and shows
// the state; the main window runs the search.

#include <QWidget>
#include <cstdint>

#include "controller/RecordSearch.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QToolButton;

namespace vyx::gui {

class FindBar : public QWidget {
    Q_OBJECT
public:
    enum class Mode { Text = 0, HexBytes = 1 };

    explicit FindBar(QWidget* parent = nullptr);

    // Shows the bar with its text selected, ready to type over.
    void OpenAndFocus();

    QString Text() const;
    Mode GetMode() const;
    bool MatchCase() const;
    // "Decoded detail": a text is also looked for in the detail rows (hex bytes never are).
    bool Decoded() const;

    // A search (or a go to time) runs: the progress bar appears; describing says what is being done.
    void SetSearching(const QString& describing);
    void SetProgress(std::int64_t examined, std::int64_t total);
    // It ended (found, not found, cancelled, refused): the progress bar goes, the status stays.
    void SetFinished(const QString& status);
    bool IsSearching() const { return m_searching; }
    QString StatusText() const;

signals:
    void findRequested(vyx::SearchDirection direction);
    // "Find All": list every match in the results pane.
    void findAllRequested();
    // Escape while a search runs.
    void cancelRequested();
    // Escape or the close button while no search runs; the bar has hidden itself.
    void closed();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public:
    // Hides the bar and gives the keyboard back to the list, as its close button does.
    void CloseBar();

private:
    void UpdatePlaceholder();

    QLineEdit* m_text = nullptr;
    QComboBox* m_mode = nullptr;
    QCheckBox* m_matchCase = nullptr;
    QCheckBox* m_decoded = nullptr;
    QPushButton* m_findAll = nullptr;
    QPushButton* m_previous = nullptr;
    QPushButton* m_next = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
    QToolButton* m_close = nullptr;
    bool m_searching = false;
};

}  // namespace vyx::gui
