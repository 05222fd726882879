#include "app/FindAllPane.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "app/QueuedDelivery.h"

namespace vyx::gui {

class FindAllPane::Target : public IFindAllTarget {
public:
    explicit Target(FindAllPane* pane) : m_delivery(pane), m_pane(pane) {}
    void Post(FindAllNotification notification) override {
        FindAllPane* pane = m_pane;
        const std::uint32_t generation = notification.generation;
        m_delivery.PostForJob(
            [pane, generation] { return pane->m_searching && pane->m_search->Generation() == generation; },
            [pane, n = std::move(notification)] { pane->OnNotification(n); });
    }

private:
    QueuedDelivery m_delivery;
    FindAllPane* m_pane;
};

FindAllPane::FindAllPane(FindResultsModel::RecordReader reader, QWidget* parent)
    : QDockWidget(QStringLiteral("Find All"), parent) {
    setObjectName("findAllPane");
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    auto* body = new QWidget(this);
    m_model = new FindResultsModel(std::move(reader), this);
    m_view = new QTableView(body);
    m_view->setObjectName("findAllResults");
    m_view->setModel(m_model);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setDefaultSectionSize(m_view->fontMetrics().height() + 6);
    m_view->horizontalHeader()->setStretchLastSection(true);
    m_view->setColumnWidth(FindResultsModel::SrNo, 80);
    m_view->setColumnWidth(FindResultsModel::DateTime, 190);
    m_view->setColumnWidth(FindResultsModel::MatchColumn, 130);
    m_view->setWordWrap(false);
    m_status = new QLabel(body);
    m_status->setObjectName("findAllStatus");
    m_cancel = new QPushButton(QStringLiteral("Cancel"), body);
    m_cancel->setObjectName("findAllCancel");
    m_cancel->setEnabled(false);
    m_cancel->setAutoDefault(false);

    auto* top = new QHBoxLayout;
    top->addWidget(m_status, 1);
    top->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 2, 4, 4);
    layout->addLayout(top);
    layout->addWidget(m_view, 1);
    setWidget(body);

    m_target = std::make_unique<Target>(this);
    m_search = std::make_unique<CFindAllSearch>(*m_target);
    connect(m_cancel, &QPushButton::clicked, this, [this] { Cancel(); });
    const auto choose = [this](const QModelIndex& index) {
        const std::int64_t serial = m_model->SerialAt(index.row());
        if (serial >= 0) emit recordChosen(serial);
    };
    connect(m_view, &QTableView::clicked, this, choose);
    connect(m_view, &QTableView::activated, this, choose);
}

FindAllPane::~FindAllPane() {
    // The search thread posts to the target: it goes first.
    m_search.reset();
}

void FindAllPane::Start(const CRecordDatabase& store, CRecordMatcher matcher, std::int64_t count,
                        const std::string& what) {
    m_search->Stop();
    m_model->Clear(matcher);
    m_what = QString::fromStdString(what);
    show();
    raise();
    m_searching = true;
    m_cancel->setEnabled(true);
    ShowCount(0, count);
    m_search->Start(store, std::move(matcher), count);
}

void FindAllPane::Cancel() {
    m_search->Stop();
    if (!m_searching) return;
    m_searching = false;
    m_cancel->setEnabled(false);
    m_status->setText(QStringLiteral("Cancelled: %1 matches of %2 listed.")
                          .arg(QLocale().toString(static_cast<qlonglong>(m_model->Count())), m_what));
}

void FindAllPane::StopBeforeReset() {
    m_search->Stop();
    const bool had = m_searching || m_model->Count() > 0;
    m_searching = false;
    m_cancel->setEnabled(false);
    m_model->Clear();
    if (had) m_status->setText(QStringLiteral("The records were reloaded: find all again to list the matches."));
}

QString FindAllPane::StatusText() const {
    return m_status->text();
}

void FindAllPane::ShowCount(std::int64_t examined, std::int64_t total) {
    const int percent = total > 0 ? static_cast<int>(examined * 100 / total) : 100;
    m_status->setText(QStringLiteral("Searching for %1: %2 matches so far (%3%)...")
                          .arg(m_what, QLocale().toString(static_cast<qlonglong>(m_model->Count())))
                          .arg(percent));
}

void FindAllPane::OnNotification(const FindAllNotification& n) {
    m_model->Append(n.matches);
    if (n.kind == FindAllNotification::Kind::Batch) {
        ShowCount(n.examined, n.total);
        return;
    }
    m_searching = false;
    m_cancel->setEnabled(false);
    const QString count = QLocale().toString(static_cast<qlonglong>(m_model->Count()));
    if (!n.error.empty()) {
        m_status->setText(QStringLiteral("%1 matches of %2, then: %3").arg(count, m_what, QString::fromStdString(n.error)));
    } else if (n.truncated) {
        m_status->setText(QStringLiteral("The first %1 matches of %2 (the list holds no more).").arg(count, m_what));
    } else if (m_model->Count() == 0) {
        m_status->setText(QStringLiteral("No record holds %1.").arg(m_what));
    } else {
        m_status->setText(QStringLiteral("%1 matches of %2.").arg(count, m_what));
    }
}

}  // namespace vyx::gui
