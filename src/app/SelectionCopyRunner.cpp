#include "app/SelectionCopyRunner.h"

#include <QApplication>
#include <QClipboard>
#include <QProgressDialog>
#include <new>

#include "app/QueuedDelivery.h"
#include "controller/MessageBoxes.h"
#include "controller/SelectionCopy.h"
#include "platform/FileError.h"

namespace vyx::gui {

SelectionCopyRunner::SelectionCopyRunner(QWidget* parent, std::function<IMessageBoxes&()> boxes)
    : QObject(parent), m_parent(parent), m_boxes(std::move(boxes)) {}

SelectionCopyRunner::~SelectionCopyRunner() { Stop(); }

void SelectionCopyRunner::Stop() {
    ++m_generation;  // whatever the worker still posts is dropped
    m_stop = true;
    if (m_worker.joinable()) m_worker.join();
    m_stop = false;
    m_done = true;
    if (m_progress) m_progress->hide();
}

void SelectionCopyRunner::Copy(const CRecordDatabase& store, const CRowSelection& selection) {
    Stop();
    const SerialNumber rows = selection.Count();
    if (rows <= 0) return;
    if (rows <= kInlineRows) {
        try {
            if (const auto text = CSelectionCopy::Build(store, selection, m_stop)) {
                QGuiApplication::clipboard()->setText(QString::fromStdString(*text));
                emit finished(true);
            }
        } catch (const CVyxError& e) {
            m_boxes().Show(e.what(), MessageIcon::Stop);
            emit finished(false);
        }
        return;
    }
    if (rows > CSelectionCopy::kProgressThreshold) {
        if (!m_progress) {
            m_progress = new QProgressDialog(m_parent);
            m_progress->setObjectName("copyProgress");
            m_progress->setWindowTitle(QStringLiteral("Copy Row"));
            m_progress->setAutoClose(false);
            m_progress->setAutoReset(false);
            m_progress->setMinimumDuration(0);
            connect(m_progress, &QProgressDialog::canceled, this, [this] {
                Stop();
                emit finished(false);
            });
        }
        // The bar counts in steps, so a range beyond int is no matter.
        m_progress->setRange(0, static_cast<int>((rows + CSelectionCopy::kProgressStep - 1) / CSelectionCopy::kProgressStep));
        m_progress->setValue(0);
        m_progress->setLabelText(QStringLiteral("Copying %L1 rows...").arg(rows));
        m_progress->show();
    }
    m_done = false;
    const std::uint64_t generation = ++m_generation;
    const QueuedDelivery delivery(this);
    auto isCurrent = [this, generation] { return generation == m_generation; };
    m_worker = std::thread([this, &store, selection, delivery, isCurrent, generation] {
        QString text;  // made here: turning 100 MB into a QString would hold up the window
        std::string error;
        bool ok = false;
        try {
            const auto built = CSelectionCopy::Build(store, selection, m_stop, [&](SerialNumber done) {
                delivery.PostForJob(isCurrent, [this, done] {
                    if (m_progress) m_progress->setValue(static_cast<int>(done / CSelectionCopy::kProgressStep));
                });
            });
            if (built) {
                text = QString::fromStdString(*built);
                ok = true;
            }
        } catch (const CVyxError& e) {
            error = e.what();
        } catch (const std::bad_alloc&) {
            // A copy of a million long rows needs gigabytes; the program goes on without it.
            error = "There is not enough memory to copy so many rows. Report > Messages writes them to a file.";
        }
        delivery.PostForJob(isCurrent, [this, generation, ok, text, error] {
            Finish(generation, ok, text, error);
        });
    });
}

void SelectionCopyRunner::Finish(std::uint64_t, bool ok, const QString& text, const std::string& error) {
    if (m_worker.joinable()) m_worker.join();
    m_done = true;
    if (m_progress) m_progress->hide();
    if (!error.empty()) m_boxes().Show(error, MessageIcon::Stop);
    if (ok) QGuiApplication::clipboard()->setText(text);
    emit finished(ok);
}

}  // namespace vyx::gui
