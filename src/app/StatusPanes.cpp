#include "app/StatusPanes.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QStatusBar>

namespace vyx::gui {

StatusPanes::StatusPanes(QStatusBar* bar) : QObject(bar) {
    QWidget* owner = bar->window();
    for (int i = 0; i < 3; ++i) {
        m_panes[i] = new QLabel(QStringLiteral(" "), owner);
        m_panes[i]->setObjectName(QStringLiteral("statusPane%1").arg(i));
        m_panes[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    }
    // The load's progress steps cycle without a total: a busy bar says that truthfully, with the number of
    // records loaded so far beside it.
    m_progress = new QProgressBar(owner);
    m_progress->setObjectName("loadProgress");
    m_progress->setRange(0, 0);
    m_progress->setTextVisible(false);
    m_progress->setMaximumHeight(14);
    m_progress->hide();
    auto* pane1 = new QWidget(owner);
    auto* pane1Layout = new QHBoxLayout(pane1);
    pane1Layout->setContentsMargins(5, 0, 5, 0);
    pane1Layout->addWidget(m_progress, 1);
    // Pane 1's label lives inside it, beside the bar: a label left outside the bar would sit over the menu bar.
    m_panes[1]->setParent(pane1);
    m_panes[1]->setFrameStyle(QFrame::NoFrame);
    m_panes[1]->hide();
    pane1Layout->addWidget(m_panes[1]);
    m_selection = new QLabel(owner);
    m_selection->setObjectName("selectionPane");
    m_selection->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_selection->hide();
    bar->addWidget(m_panes[0], 1);
    bar->addWidget(m_selection);
    bar->addWidget(pane1, 1);
    bar->addWidget(m_panes[2], 2);
}

void StatusPanes::SetText(int pane, const QString& text) {
    if (pane >= 0 && pane < 3) m_panes[pane]->setText(text);
}

QString StatusPanes::Text(int pane) const { return (pane >= 0 && pane < 3) ? m_panes[pane]->text() : QString(); }

void StatusPanes::SetLoading(bool loading) {
    if (loading && !m_progress->isVisible()) m_panes[1]->setText(QStringLiteral("0 records loaded"));
    m_progress->setVisible(loading);
    m_panes[1]->setVisible(loading);
}

void StatusPanes::SetRecordsLoaded(std::int64_t count) {
    if (m_progress->isVisible()) m_panes[1]->setText(QStringLiteral("%L1 records loaded").arg(count));
}

void StatusPanes::SetSelectionText(const QString& text) {
    m_selection->setText(text);
    m_selection->setVisible(!text.isEmpty());
}

QString StatusPanes::SelectionText() const { return m_selection->text(); }

}  // namespace vyx::gui
