#pragma once
// Edit > Copy Row over a selection of rows. A small selection is copied at once; a large one on a worker, with
// a progress dialog beyond CSelectionCopy::kProgressThreshold rows that can cancel it, so the window keeps
// answering. The store must stay as it is while the worker reads it: Stop() before it is reset.

#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

#include "controller/RowSelection.h"


namespace vyx {
class CRecordDatabase;
class IMessageBoxes;
}  // namespace vyx

namespace vyx::gui {

class SelectionCopyRunner : public QObject {
    Q_OBJECT
public:
    // Copies up to this many rows on the user-interface thread.
    static constexpr SerialNumber kInlineRows = 10'000;

    // boxes: the window's message boxes now (tests replace them).
    SelectionCopyRunner(QWidget* parent, std::function<IMessageBoxes&()> boxes);
    ~SelectionCopyRunner() override;

    // Puts the rows on the clipboard (when done). A copy still running is stopped first.
    void Copy(const CRecordDatabase& store, const CRowSelection& selection);
    // Stops a running copy and waits for its worker; nothing reaches the clipboard.
    void Stop();
    bool Running() const { return m_worker.joinable() && !m_done; }
    QProgressDialog* Progress() const { return m_progress; }

signals:
    void finished(bool copied);

private:
    void Finish(std::uint64_t generation, bool ok, const QString& text, const std::string& error);

    QWidget* m_parent;
    std::function<IMessageBoxes&()> m_boxes;
    QPointer<QProgressDialog> m_progress;
    std::atomic<bool> m_stop{false};
    bool m_done = true;
    std::uint64_t m_generation = 0;
    std::thread m_worker;
};

}  // namespace vyx::gui
