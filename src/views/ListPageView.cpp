#include "views/ListPageView.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include "controller/ListPagingListener.h"

namespace vyx {

CListPageView::CListPageView(QWidget* parent) : QTableView(parent) {
    // The list control owns the vertical scroll bar; this view always shows the page from its top.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollMode(ScrollPerPixel);
    setSelectionBehavior(SelectRows);
    setSelectionMode(ExtendedSelection);  // drawn from the list control's ranges
    setEditTriggers(NoEditTriggers);
    setAutoScroll(false);
    setTabKeyNavigation(false);
    setShowGrid(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setFocusPolicy(Qt::StrongFocus);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    QHeaderView* header = horizontalHeader();
    header->setHighlightSections(false);
    header->setSectionsClickable(true);
    header->setSectionsMovable(false);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void CListPageView::scrollTo(const QModelIndex&, ScrollHint) {}

void CListPageView::keyboardSearch(const QString&) {}

void CListPageView::keyPressEvent(QKeyEvent* event) {
    m_modifiers = event->modifiers();
    if (event->matches(QKeySequence::SelectAll)) {
        event->accept();
        emit selectAllPressed();
        return;
    }
    int code = 0;
    switch (event->key()) {
        case Qt::Key_Home: code = kListKeyHome; break;
        case Qt::Key_End: code = kListKeyEnd; break;
        case Qt::Key_Up: code = kListKeyUp; break;
        case Qt::Key_Down: code = kListKeyDown; break;
        case Qt::Key_PageUp: code = kListKeyPageUp; break;
        case Qt::Key_PageDown: code = kListKeyPageDown; break;
        case Qt::Key_Return:
        case Qt::Key_Enter: code = kListKeyEnter; break;
        case Qt::Key_Left:
            horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
            event->accept();
            return;
        case Qt::Key_Right:
            horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            event->accept();
            return;
        default:
            // Not the list's: let the window's shortcuts and default buttons have it.
            event->ignore();
            return;
    }
    event->accept();
    emit listKeyPressed(code);
}

void CListPageView::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    m_modifiers = event->modifiers();
    event->accept();
    if (event->button() == Qt::LeftButton) emit rowPressed(rowAt(event->position().toPoint().y()));
}

void CListPageView::mouseMoveEvent(QMouseEvent* event) {
    event->accept();
}

void CListPageView::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
}

void CListPageView::mouseDoubleClickEvent(QMouseEvent* event) {
    m_modifiers = event->modifiers();
    event->accept();
    if (event->button() == Qt::LeftButton) emit rowDoubleClicked(rowAt(event->position().toPoint().y()));
}

void CListPageView::wheelEvent(QWheelEvent* event) {
    const QPoint delta = event->angleDelta();
    if (delta.y() != 0) {
        emit wheelTurned(delta.y());
    } else if (delta.x() != 0) {
        QCoreApplication::sendEvent(horizontalScrollBar(), event);
    }
    event->accept();
}

bool CListPageView::viewportEvent(QEvent* event) {
    const bool handled = QTableView::viewportEvent(event);
    if (event->type() == QEvent::Resize) emit viewportResized();
    return handled;
}

}  // namespace vyx
