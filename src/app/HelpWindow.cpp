#include "app/HelpWindow.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPdfDocument>
#include <QPdfPageNavigator>
#include <QPdfPageRenderer>
#include <QPdfSearchModel>
#include <QPdfView>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/HelpOpener.h"
#include "controller/HelpDocument.h"

namespace vyx::gui {
namespace {

HelpOpenResult ResultOf(QPdfDocument::Error error) {
    switch (error) {
        case QPdfDocument::Error::None: return HelpOpenResult::Opened;
        case QPdfDocument::Error::FileNotFound: return HelpOpenResult::FileNotFound;
        case QPdfDocument::Error::InvalidFileFormat:
        case QPdfDocument::Error::UnsupportedSecurityScheme: return HelpOpenResult::BadFormat;
        case QPdfDocument::Error::IncorrectPassword: return HelpOpenResult::AccessDenied;
        default: break;
    }
    return HelpOpenResult::Unknown;
}

}  // namespace

HelpWindow::HelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("helpWindow");
    setWindowTitle(QStringLiteral("Vyx Viewer Help"));
    m_document = new QPdfDocument(this);
    m_view = new QPdfView(this);
    m_view->setObjectName("helpPages");
    m_view->setDocument(m_document);
    m_view->setPageMode(QPdfView::PageMode::MultiPage);
    m_view->setZoomMode(QPdfView::ZoomMode::FitToWidth);
    // The view's renderer thread outlives the view (it is never deleted); the few pages of the guide render
    // quickly enough on this thread.
    for (auto* renderer : m_view->findChildren<QPdfPageRenderer*>()) {
        renderer->setRenderMode(QPdfPageRenderer::RenderMode::SingleThreaded);
    }
    m_search = new QPdfSearchModel(this);
    m_search->setDocument(m_document);

    auto* previous = new QToolButton(this);
    previous->setObjectName("helpPreviousPage");
    previous->setText(QStringLiteral("<"));
    previous->setToolTip(QStringLiteral("Previous page (Page Up)"));
    auto* next = new QToolButton(this);
    next->setObjectName("helpNextPage");
    next->setText(QStringLiteral(">"));
    next->setToolTip(QStringLiteral("Next page (Page Down)"));
    m_page = new QSpinBox(this);
    m_page->setObjectName("helpPage");
    m_page->setMinimum(1);
    m_pageCount = new QLabel(this);
    m_find = new QLineEdit(this);
    m_find->setObjectName("helpFind");
    m_find->setPlaceholderText(QStringLiteral("Find in help (Ctrl+F)"));
    m_find->setClearButtonEnabled(true);
    auto* findNext = new QPushButton(QStringLiteral("Find next"), this);
    findNext->setObjectName("helpFindNext");
    findNext->setAutoDefault(false);
    m_results = new QLabel(this);
    m_results->setObjectName("helpResults");

    auto* bar = new QHBoxLayout;
    bar->addWidget(previous);
    bar->addWidget(new QLabel(QStringLiteral("Page"), this));
    bar->addWidget(m_page);
    bar->addWidget(m_pageCount);
    bar->addWidget(next);
    bar->addSpacing(24);
    bar->addWidget(m_find, 1);
    bar->addWidget(findNext);
    bar->addWidget(m_results);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(bar);
    layout->addWidget(m_view, 1);

    QPdfPageNavigator* navigator = m_view->pageNavigator();
    connect(previous, &QToolButton::clicked, this, [this] { GoToPage(CurrentPage() - 1); });
    connect(next, &QToolButton::clicked, this, [this] { GoToPage(CurrentPage() + 1); });
    connect(m_page, &QSpinBox::valueChanged, this, [this](int page) {
        if (page - 1 != CurrentPage()) GoToPage(page - 1);
    });
    connect(navigator, &QPdfPageNavigator::currentPageChanged, this, [this](int page) {
        const QSignalBlocker block(m_page);
        m_page->setValue(page + 1);
    });
    connect(m_find, &QLineEdit::returnPressed, this, [this] { FindNext(); });
    connect(findNext, &QPushButton::clicked, this, [this] { FindNext(); });
    connect(m_search, &QPdfSearchModel::rowsInserted, this, [this] {
        if (m_jumpToFirst && ResultCount() > 0) {
            m_jumpToFirst = false;
            m_result = 0;
            ShowResult();
        }
        ShowResultCount();
    });
    connect(m_search, &QPdfSearchModel::modelReset, this, [this] { ShowResultCount(); });

    auto shortcut = [this](QKeySequence keys, auto slot) {
        connect(new QShortcut(keys, this), &QShortcut::activated, this, slot);
    };
    shortcut(QKeySequence::Find, [this] {
        m_find->setFocus(Qt::ShortcutFocusReason);
        m_find->selectAll();
    });
    shortcut(QKeySequence::FindNext, [this] { FindNext(); });
    shortcut(QKeySequence::FindPrevious, [this] { FindNext(true); });
    shortcut(QKeySequence(Qt::Key_PageDown), [this] { GoToPage(CurrentPage() + 1); });
    shortcut(QKeySequence(Qt::Key_PageUp), [this] { GoToPage(CurrentPage() - 1); });
    shortcut(QKeySequence(Qt::Key_Escape), [this] { close(); });

    const QRect screen =
        QApplication::primaryScreen() ? QApplication::primaryScreen()->availableGeometry() : QRect(0, 0, 1024, 768);
    resize(std::min(900, screen.width()), std::min(1000, screen.height() - 40));
}

std::string HelpWindow::Load(const QString& path) {
    m_result = -1;
    m_searched.clear();
    m_search->setSearchString(QString());
    const HelpOpenResult result = ResultOf(m_document->load(path));
    if (result != HelpOpenResult::Opened) return HelpFailureText(result);
    m_page->setMaximum(std::max(1, PageCount()));
    m_pageCount->setText(QStringLiteral("of %1").arg(PageCount()));
    GoToPage(0);
    return {};
}

int HelpWindow::PageCount() const {
    return m_document->pageCount();
}

int HelpWindow::CurrentPage() const {
    return m_view->pageNavigator()->currentPage();
}

void HelpWindow::GoToPage(int page) {
    if (PageCount() == 0) return;
    page = std::clamp(page, 0, PageCount() - 1);
    m_view->pageNavigator()->jump(page, QPointF(), m_view->pageNavigator()->currentZoom());
    const QSignalBlocker block(m_page);
    m_page->setValue(page + 1);
}

int HelpWindow::ResultCount() const {
    return m_search->rowCount(QModelIndex());
}

void HelpWindow::FindNext(bool backwards) {
    const QString text = m_find->text();
    if (text.isEmpty()) return;
    if (text != m_searched) {
        // The model searches page by page in the background: the first place found is shown as it comes in.
        m_searched = text;
        m_result = -1;
        m_jumpToFirst = true;
        m_search->setSearchString(text);
        if (ResultCount() > 0) {
            m_jumpToFirst = false;
            m_result = 0;
            ShowResult();
        }
        ShowResultCount();
        return;
    }
    const int count = ResultCount();
    if (count == 0) return;
    m_result = backwards ? (m_result <= 0 ? count - 1 : m_result - 1) : (m_result + 1) % count;
    ShowResult();
}

void HelpWindow::ShowResult() {
    const QPdfLink link = m_search->resultAtIndex(m_result);
    if (!link.isValid()) return;
    m_view->pageNavigator()->jump(link.page(), link.location(), m_view->pageNavigator()->currentZoom());
    const QSignalBlocker block(m_page);
    m_page->setValue(link.page() + 1);
    ShowResultCount();
}

void HelpWindow::ShowResultCount() {
    if (m_searched.isEmpty()) {
        m_results->clear();
        return;
    }
    const int count = ResultCount();
    m_results->setText(count == 0 ? QStringLiteral("not found")
                                  : QStringLiteral("%1 of %2").arg(std::max(m_result, 0) + 1).arg(count));
}

void ShowHelpWindow(QWidget* parent, IMessageBoxes& boxes) {
    HelpOpenResult result = HelpOpenResult::Unknown;
    const QString path = FindHelpDocument(result);
    if (result != HelpOpenResult::Opened) {
        boxes.Show(HelpFailureText(result), MessageIcon::Stop);
        return;
    }
    auto* window = parent->findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
    const bool made = !window;
    if (made) window = new HelpWindow(parent);
    if (const std::string failure = window->Load(path); !failure.empty()) {
        if (made) delete window;
        boxes.Show(failure, MessageIcon::Stop);
        return;
    }
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace vyx::gui
