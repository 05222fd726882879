#pragma once
// The find-all results: a dock under the record list that lists every match of a find, filled in batches by
// a search off the UI thread, with the count so far and a cancel button. A click on a match selects its
// record in the list.

#include <QDockWidget>
#include <cstdint>
#include <memory>
#include <string>

#include "app/FindResultsModel.h"
#include "controller/FindAllSearch.h"

class QLabel;
class QPushButton;
class QTableView;

namespace vyx::gui {

class FindAllPane : public QDockWidget {
    Q_OBJECT
public:
    FindAllPane(FindResultsModel::RecordReader reader, QWidget* parent = nullptr);
    ~FindAllPane() override;

    // Shows the pane and lists the matches among the first count records; what: the sought item as the
    // status repeats it. The store must not be reset while it runs (see StopBeforeReset).
    void Start(const CRecordDatabase& store, CRecordMatcher matcher, std::int64_t count, const std::string& what);
    void Cancel();
    // The store is about to be reset: the search ends and its rows, whose serial numbers change, go.
    void StopBeforeReset();

    bool IsSearching() const { return m_searching; }
    QString StatusText() const;
    FindResultsModel& Model() { return *m_model; }
    QTableView* View() const { return m_view; }

signals:
    void recordChosen(std::int64_t serial);

private:
    class Target;
    void OnNotification(const FindAllNotification& notification);
    void ShowCount(std::int64_t examined, std::int64_t total);

    FindResultsModel* m_model = nullptr;
    QTableView* m_view = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_cancel = nullptr;
    std::unique_ptr<Target> m_target;
    std::unique_ptr<CFindAllSearch> m_search;
    bool m_searching = false;
    QString m_what;
};

}  // namespace vyx::gui
