#include "app/FindBar.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

namespace vyx::gui {
namespace {

constexpr int kProgressSteps = 1000;

}  // namespace

FindBar::FindBar(QWidget* parent) : QWidget(parent) {
    setObjectName("findBar");
    auto* label = new QLabel(QStringLiteral("Find:"), this);
    m_text = new QLineEdit(this);
    m_text->setObjectName("findText");
    m_text->setClearButtonEnabled(true);
    m_text->setMinimumWidth(220);
    m_text->installEventFilter(this);
    label->setBuddy(m_text);

    m_mode = new QComboBox(this);
    m_mode->setObjectName("findMode");
    m_mode->addItems({QStringLiteral("Text"), QStringLiteral("Hex bytes")});
    m_matchCase = new QCheckBox(QStringLiteral("Match case"), this);
    m_matchCase->setObjectName("findMatchCase");
    m_decoded = new QCheckBox(QStringLiteral("Decoded detail"), this);
    m_decoded->setObjectName("findDecoded");
    m_decoded->setToolTip(
        QStringLiteral("Also look in the rows the detail dialogs show (Parameter Block Transfer, Modbus multiple)"));

    m_previous = new QPushButton(QStringLiteral("Previous"), this);
    m_previous->setObjectName("findPrevious");
    m_previous->setToolTip(QStringLiteral("Find the previous match (Shift+F3)"));
    m_next = new QPushButton(QStringLiteral("Next"), this);
    m_next->setObjectName("findNext");
    m_next->setToolTip(QStringLiteral("Find the next match (F3)"));
    m_findAll = new QPushButton(QStringLiteral("Find All"), this);
    m_findAll->setObjectName("findAll");
    m_findAll->setToolTip(QStringLiteral("List every match in the results pane (Ctrl+Shift+F)"));
    for (QPushButton* button : {m_previous, m_next, m_findAll}) {
        button->setAutoDefault(false);
        button->setFocusPolicy(Qt::TabFocus);
    }

    m_progress = new QProgressBar(this);
    m_progress->setObjectName("findProgress");
    m_progress->setRange(0, kProgressSteps);
    m_progress->setTextVisible(false);
    m_progress->setMaximumHeight(14);
    m_progress->setFixedWidth(140);
    // Its place is kept while it is hidden, so the buttons beside it never move when a search starts.
    QSizePolicy policy = m_progress->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    m_progress->setSizePolicy(policy);
    m_progress->hide();
    m_status = new QLabel(this);
    m_status->setObjectName("findStatus");
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // A long outcome takes the room there is and never widens the window past the screen (with the panes
    // beside the list, it once did); the whole text is its tooltip.
    m_status->setSizePolicy(QSizePolicy::Ignored, m_status->sizePolicy().verticalPolicy());

    m_close = new QToolButton(this);
    m_close->setObjectName("findClose");
    m_close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    m_close->setToolTip(QStringLiteral("Close the find bar (Escape)"));
    m_close->setAutoRaise(true);

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 2, 0, 2);
    layout->addWidget(label);
    layout->addWidget(m_text, 2);
    layout->addWidget(m_mode);
    layout->addWidget(m_matchCase);
    layout->addWidget(m_decoded);
    layout->addWidget(m_previous);
    layout->addWidget(m_next);
    layout->addWidget(m_findAll);
    layout->addSpacing(8);
    layout->addWidget(m_progress);
    layout->addWidget(m_status, 3);
    layout->addWidget(m_close);

    connect(m_next, &QPushButton::clicked, this, [this] { emit findRequested(SearchDirection::Forward); });
    connect(m_findAll, &QPushButton::clicked, this, [this] { emit findAllRequested(); });
    connect(m_previous, &QPushButton::clicked, this, [this] { emit findRequested(SearchDirection::Backward); });
    connect(m_close, &QToolButton::clicked, this, [this] {
        if (m_searching) emit cancelRequested();
        CloseBar();
    });
    connect(m_mode, &QComboBox::currentIndexChanged, this, [this] { UpdatePlaceholder(); });
    UpdatePlaceholder();
    hide();
}

void FindBar::OpenAndFocus() {
    // Opened anew for a find, it does not repeat what the last find or go to said.
    if (!isVisible() && !m_searching) SetFinished(QString());
    show();
    m_text->setFocus(Qt::ShortcutFocusReason);
    m_text->selectAll();
}

QString FindBar::Text() const {
    return m_text->text();
}

FindBar::Mode FindBar::GetMode() const {
    return m_mode->currentIndex() == 1 ? Mode::HexBytes : Mode::Text;
}

bool FindBar::MatchCase() const {
    return m_matchCase->isChecked();
}

bool FindBar::Decoded() const {
    return m_decoded->isChecked() && GetMode() == Mode::Text;
}

void FindBar::SetSearching(const QString& describing) {
    m_searching = true;
    m_progress->setValue(0);
    m_progress->show();
    m_status->setText(describing);
    m_status->setToolTip(describing);
}

void FindBar::SetProgress(std::int64_t examined, std::int64_t total) {
    if (!m_searching || total <= 0) return;
    m_progress->setValue(static_cast<int>(std::min<std::int64_t>(examined, total) * kProgressSteps / total));
}

void FindBar::SetFinished(const QString& status) {
    m_searching = false;
    m_progress->hide();
    m_status->setText(status);
    m_status->setToolTip(status);
}

QString FindBar::StatusText() const {
    return m_status->text();
}

void FindBar::keyPressEvent(QKeyEvent* event) {
    // Escape here belongs to the find, not to the window (which would close).
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        if (m_searching) {
            emit cancelRequested();
        } else {
            CloseBar();
        }
        return;
    }
    QWidget::keyPressEvent(event);
}

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_text && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            emit findRequested((key->modifiers() & Qt::ShiftModifier) ? SearchDirection::Backward
                                                                      : SearchDirection::Forward);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FindBar::UpdatePlaceholder() {
    const bool text = GetMode() == Mode::Text;
    m_text->setPlaceholderText(text ? QStringLiteral("Text in any column")
                                    : QStringLiteral("Bytes in MessageContent, e.g. 01 A0"));
    m_matchCase->setEnabled(text);
    m_decoded->setEnabled(text);
}

void FindBar::CloseBar() {
    hide();
    emit closed();
}

}  // namespace vyx::gui
