#include "views/ListLargeDataCtrl.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>

#include "views/ListPageModel.h"
#include "views/ReadableColumns.h"
#include "views/ListPageView.h"

namespace vyx {
namespace {

class FillingScope {
public:
    explicit FillingScope(bool& flag) : m_flag(flag) { m_flag = true; }
    ~FillingScope() { m_flag = false; }
    FillingScope(const FillingScope&) = delete;
    FillingScope& operator=(const FillingScope&) = delete;

private:
    bool& m_flag;
};

}  // namespace

CListLargeDataCtrl::CListLargeDataCtrl(QWidget* parent) : QWidget(parent) {
    m_model = new CListPageModel(this);
    m_view = new CListPageView(this);
    m_view->setModel(m_model);
    MakeColumnsReadable(m_view);
    m_scrollBar = new QScrollBar(Qt::Vertical, this);
    m_scrollBar->setFocusPolicy(Qt::NoFocus);
    m_scrollBar->setSingleStep(1);
    m_scrollBar->installEventFilter(this);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_view, 1);
    layout->addWidget(m_scrollBar);
    setFocusProxy(m_view);

    connect(m_view, &CListPageView::listKeyPressed, this, &CListLargeDataCtrl::OnListKey);
    connect(m_view, &CListPageView::rowPressed, this, &CListLargeDataCtrl::OnRowPressed);
    connect(m_view, &CListPageView::rowDoubleClicked, this, &CListLargeDataCtrl::OnRowDoubleClicked);
    connect(m_view, &CListPageView::selectAllPressed, this, &CListLargeDataCtrl::SelectAll);
    connect(m_view, &CListPageView::wheelTurned, this, &CListLargeDataCtrl::OnWheel);
    connect(m_view, &CListPageView::viewportResized, this, &CListLargeDataCtrl::OnViewportResized);
    connect(m_view->horizontalHeader(), &QHeaderView::sectionResized, this, &CListLargeDataCtrl::OnSectionResized);
    connect(m_view->horizontalHeader(), &QHeaderView::sectionClicked, this, &CListLargeDataCtrl::OnHeaderClicked);
    connect(m_scrollBar, &QScrollBar::actionTriggered, this, &CListLargeDataCtrl::OnScrollAction);
    m_view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_view, &QWidget::customContextMenuRequested, this, &CListLargeDataCtrl::OnContextMenu);

    UpdateRowHeight();
    m_paging.Resize(ComputeRowsPerPage());
    SyncView();
}

CListLargeDataCtrl::~CListLargeDataCtrl() = default;

QTableView* CListLargeDataCtrl::PageView() const {
    return m_view;
}

int CListLargeDataCtrl::RowHeight() const {
    return m_view->verticalHeader()->defaultSectionSize();
}

// ---- owner's side ----------------------------------------------------------------------------------------

void CListLargeDataCtrl::SetColumns(const QStringList& labels, const QList<int>& widths) {
    m_model->SetHeaders(labels);
    SetColumnWidths(widths);
    m_filledKey = {};  // the reset dropped the page's rows
    SyncView();
}

void CListLargeDataCtrl::SetColumnWidths(const QList<int>& widths) {
    QHeaderView* header = m_view->horizontalHeader();
    for (int column = 0; column < std::min<int>(static_cast<int>(widths.size()), header->count()); ++column) {
        header->resizeSection(column, widths.at(column));
    }
}

QList<int> CListLargeDataCtrl::ColumnWidths() const {
    QList<int> widths;
    const QHeaderView* header = m_view->horizontalHeader();
    for (int column = 0; column < header->count(); ++column) widths << header->sectionSize(column);
    return widths;
}

void CListLargeDataCtrl::SetTextProvider(IListPageTextProvider* provider) {
    m_pProvider = provider;
    m_model->SetTextProvider(provider);
    Redraw();
}

void CListLargeDataCtrl::ResetList() {
    m_paging.Reset();
    m_selection.Clear();
    SyncView();
    emit selectionChanged();
}

void CListLargeDataCtrl::SetTotal(std::int64_t total) {
    m_paging.SetTotal(total);
    m_selection.Limit(m_paging.Total());
    // The first record the list selects by itself once records arrive is the selection too.
    const bool seeded = m_selection.Empty() && m_paging.SelectedSerial() >= 0;
    if (seeded) m_selection.SelectOnly(m_paging.SelectedSerial());
    SyncView();
    if (seeded) emit selectionChanged();
}

void CListLargeDataCtrl::SelectAll() {
    if (!m_paging.HasData() || m_paging.Total() <= 0) return;
    m_selection.SelectAll(m_paging.Total());
    SyncView();
    emit selectionChanged();
}

void CListLargeDataCtrl::UpdateSelection(std::int64_t serial, std::int64_t previous, Qt::KeyboardModifiers modifiers) {
    if (serial < 0) return;
    if (modifiers & Qt::ShiftModifier) {
        if (!m_selection.Anchor() && previous >= 0) m_selection.SelectOnly(previous);
        m_selection.ExtendTo(serial);
    } else if (modifiers & Qt::ControlModifier) {
        m_selection.Toggle(serial);
    } else {
        m_selection.SelectOnly(serial);
    }
}

void CListLargeDataCtrl::Redraw() {
    ++m_generation;
    SyncView();
    m_view->viewport()->update();
}

void CListLargeDataCtrl::SetBusy(bool busy) {
    if (busy) {
        setCursor(Qt::BusyCursor);
    } else {
        unsetCursor();
    }
}

bool CListLargeDataCtrl::SelectSerial(std::int64_t serial) {
    if (!m_paging.SelectSerial(serial)) return false;
    m_selection.SelectOnly(serial);
    SyncView();
    emit selectionChanged();
    return true;
}

// ---- user input, each run through the paging logic -----------------------------------------------------

void CListLargeDataCtrl::OnListKey(int keyCode) {
    const std::int64_t previous = m_paging.HasData() ? m_paging.Current() : -1;
    m_paging.KeyDown(keyCode);
    if (keyCode != kListKeyEnter && m_paging.HasData() && m_paging.Current() < m_paging.Total()) {
        UpdateSelection(m_paging.Current(), previous, m_view->LastModifiers() & Qt::ShiftModifier);
    }
    SyncView();
    emit selectionChanged();
}

void CListLargeDataCtrl::OnRowPressed(int pageRow) {
    if (pageRow < 0 || !m_paging.MousePress(pageRow)) return;
    const std::int64_t previous = m_paging.HasData() ? m_paging.Current() : -1;
    m_paging.Click(pageRow);
    UpdateSelection(m_paging.SelectedSerial(), previous, m_view->LastModifiers());
    SyncView();
    emit selectionChanged();
}

void CListLargeDataCtrl::OnRowDoubleClicked(int pageRow) {
    if (pageRow < 0 || !m_paging.MousePress(pageRow)) return;
    m_paging.Click(pageRow);  // the second press of a double click selects like the first
    m_selection.SelectOnly(m_paging.SelectedSerial());
    m_paging.DoubleClick(pageRow);
    SyncView();
    emit selectionChanged();
}

void CListLargeDataCtrl::OnWheel(int delta) {
    m_paging.Wheel(delta);
    SyncView();
}

void CListLargeDataCtrl::OnViewportResized() {
    m_paging.Resize(ComputeRowsPerPage());
    SyncView();
}

void CListLargeDataCtrl::OnSectionResized() {
    // A drag reports every pixel; the page is measured again once the events of this round are through.
    if (m_bColumnCheckQueued) return;
    m_bColumnCheckQueued = true;
    QTimer::singleShot(0, this, [this] {
        m_bColumnCheckQueued = false;
        m_paging.ColumnWidthChanged(ComputeRowsPerPage());
        SyncView();
    });
}

void CListLargeDataCtrl::OnScrollAction(int action) {
    switch (action) {
        case QAbstractSlider::SliderSingleStepAdd: m_paging.LineDown(); break;
        case QAbstractSlider::SliderSingleStepSub: m_paging.LineUp(); break;
        case QAbstractSlider::SliderPageStepAdd: m_paging.PageDown(); break;
        case QAbstractSlider::SliderPageStepSub: m_paging.PageUp(); break;
        case QAbstractSlider::SliderToMinimum: m_paging.ScrollToTop(); break;
        case QAbstractSlider::SliderToMaximum: m_paging.ScrollToBottom(); break;
        case QAbstractSlider::SliderMove: m_paging.ThumbTrack(m_scrollBar->sliderPosition()); break;
        default: break;
    }
    // The slider has already taken its own step; SyncView puts the thumb where the paging logic says.
    SyncView();
}

void CListLargeDataCtrl::OnHeaderClicked(int section) {
    m_paging.HeaderClick(section);
    SyncView();
}

void CListLargeDataCtrl::OnContextMenu(const QPoint& viewportPos) {
    // A right click acts on the row under it, as a left click would select it.
    const int pageRow = m_view->rowAt(viewportPos.y());
    if (pageRow >= 0 && m_paging.MousePress(pageRow)) {
        m_paging.Click(pageRow);
        // A right click inside the selection keeps it: the menu acts on all of it.
        if (!m_selection.Contains(m_paging.SelectedSerial())) m_selection.SelectOnly(m_paging.SelectedSerial());
        SyncView();
        emit selectionChanged();
    }
    emit contextMenuRequested(m_paging.SelectedSerial(), m_view->viewport()->mapToGlobal(viewportPos));
}

bool CListLargeDataCtrl::eventFilter(QObject* watched, QEvent* event) {
    // The wheel over the scroll bar moves lines like the wheel over the rows.
    if (watched == m_scrollBar && event->type() == QEvent::Wheel) {
        const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
        if (delta != 0) OnWheel(delta);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CListLargeDataCtrl::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        UpdateRowHeight();
        OnViewportResized();
    }
}

// ---- mirroring the paging state ----------------------------------------------------------------------------

int CListLargeDataCtrl::ComputeRowsPerPage() const {
    // At least one row: a page of none would let the first row run past the last record.
    return std::max(1, m_view->viewport()->height() / std::max(1, RowHeight()));
}

void CListLargeDataCtrl::UpdateRowHeight() {
    const int height = m_view->fontMetrics().height() + 6;
    m_view->verticalHeader()->setMinimumSectionSize(height);
    m_view->verticalHeader()->setDefaultSectionSize(height);
}

void CListLargeDataCtrl::SyncView() {
    m_model->SetPageRows(m_paging.RowsPerPage() + 1);
    {
        const QSignalBlocker blocker(m_scrollBar);
        m_scrollBar->setRange(0, m_paging.MaxTopIndex());
        m_scrollBar->setPageStep(std::max(1, m_paging.RowsPerPage()));
        m_scrollBar->setValue(m_paging.TopIndex());
        m_scrollBar->setEnabled(m_paging.MaxTopIndex() > 0);
    }
    RefillPage();
    ApplySelection();
    ApplySortMark();
    m_view->verticalScrollBar()->setValue(0);
}

void CListLargeDataCtrl::RefillPage() {
    // The owner may reset the list from inside its fill (a read failed); that fill's result is stale then.
    if (m_bFilling) {
        m_bRefillPending = true;
        return;
    }
    bool again = false;
    do {
        const PageKey key{m_generation, m_paging.HasData(), m_paging.First(), m_paging.Total(), m_paging.RowsPerPage()};
        if (!again && key == m_filledKey) return;
        m_filledKey = key;
        m_bRefillPending = false;
        const int count = m_paging.PageRecordCount();
        int filled = 0;
        if (m_pProvider != nullptr && count > 0 && m_paging.RefillAllowed()) {
            const FillingScope scope(m_bFilling);
            filled = m_pProvider->FillPage(m_paging.First(), count);
        }
        m_model->SetFilledRows(std::min(filled, count));
        again = m_bRefillPending;
    } while (again);
}

void CListLargeDataCtrl::ApplySelection() {
    QItemSelectionModel* selection = m_view->selectionModel();
    const int columns = m_model->columnCount();
    const int row = m_paging.SelectedPageRow();
    // The page's rows that lie in the selected ranges, one selection block per run of them.
    QItemSelection shown;
    const int rows = m_paging.HasData() ? m_paging.PageRecordCount() : 0;
    int runStart = -1;
    for (int r = 0; r <= rows && columns > 0; ++r) {
        const bool in = r < rows && r < m_model->rowCount() && m_selection.Contains(m_paging.SerialOfRow(r));
        if (in && runStart < 0) runStart = r;
        if (!in && runStart >= 0) {
            shown.select(m_model->index(runStart, 0), m_model->index(r - 1, columns - 1));
            runStart = -1;
        }
    }
    selection->select(shown, QItemSelectionModel::ClearAndSelect);
    if (row >= 0 && row < m_model->rowCount() && columns > 0) {
        selection->setCurrentIndex(m_model->index(row, 0), QItemSelectionModel::NoUpdate);
    } else {
        selection->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
}

void CListLargeDataCtrl::SetSortState(LoadOrder state) {
    m_paging.SetSortState(state);
    ApplySortMark();
}

void CListLargeDataCtrl::ApplySortMark() {
    QHeaderView* header = m_view->horizontalHeader();
    const LoadOrder state = m_paging.SortState();
    header->setSortIndicatorShown(state != LoadOrder::Stored);
    // QHeaderView draws its up mark for Qt::DescendingOrder: ascending time shows the up mark.
    header->setSortIndicator(state == LoadOrder::Stored ? -1 : 1,
                             state == LoadOrder::Ascending ? Qt::DescendingOrder : Qt::AscendingOrder);
}

}  // namespace vyx
