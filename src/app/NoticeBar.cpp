#include "app/NoticeBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QToolButton>

namespace vyx::gui {

NoticeBar::NoticeBar(QWidget* parent) : QFrame(parent) {
    setObjectName("noticeBar");
    setFrameShape(QFrame::StyledPanel);
    setStyleSheet(QStringLiteral("#noticeBar { background: #fff4ce; border: 1px solid #d6b656; }"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 4, 4, 4);
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(24, 24));
    icon->setAlignment(Qt::AlignTop);
    layout->addWidget(icon);
    m_text = new QLabel(this);
    m_text->setObjectName("noticeText");
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_text->setTextFormat(Qt::PlainText);
    layout->addWidget(m_text, 1);
    auto* close = new QToolButton(this);
    close->setObjectName("noticeClose");
    close->setAutoRaise(true);
    close->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    close->setToolTip(QStringLiteral("Close this notice"));
    close->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(close, 0, Qt::AlignTop);
    connect(close, &QToolButton::clicked, this, &QWidget::hide);
    hide();
}

void NoticeBar::Show(const QString& text) {
    m_text->setText(text);
    show();
}

void NoticeBar::Clear() {
    m_text->clear();
    hide();
}

QString NoticeBar::Text() const { return m_text->text(); }

}  // namespace vyx::gui
