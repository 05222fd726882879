#include "app/StartPanel.h"

#include <QAction>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/RecentFolders.h"

namespace vyx::gui {

StartPanel::StartPanel(QAction* selectFolder, RecentFolders* recent, QWidget* parent)
    : QWidget(parent), m_recent(recent) {
    setObjectName("startPanel");
    auto* card = new QFrame(this);
    card->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    auto* column = new QVBoxLayout(card);
    column->setContentsMargins(24, 20, 24, 20);
    column->setSpacing(10);

    auto* title = new QLabel(QStringLiteral("No data folder is open"), card);
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.4);
    titleFont.setBold(true);
    title->setFont(titleFont);
    column->addWidget(title);
    column->addWidget(new QLabel(
        QStringLiteral("Open a folder of the logger's day files (with its FCU information file) to see its records."),
        card));

    m_open = new QPushButton(QStringLiteral("Open folder..."), card);
    m_open->setObjectName("startOpenFolder");
    m_open->setDefault(true);
    connect(m_open, &QPushButton::clicked, selectFolder, &QAction::trigger);
    auto* openRow = new QHBoxLayout;
    openRow->addWidget(m_open);
    openRow->addStretch(1);
    column->addLayout(openRow);

    m_recentTitle = new QLabel(QStringLiteral("Recent folders:"), card);
    column->addSpacing(6);
    column->addWidget(m_recentTitle);
    m_recentLayout = new QVBoxLayout;
    m_recentLayout->setSpacing(4);
    column->addLayout(m_recentLayout);

    // The card sits in the middle of whatever room the window gives it.
    auto* outer = new QVBoxLayout(this);
    outer->addStretch(1);
    auto* middle = new QHBoxLayout;
    middle->addStretch(1);
    middle->addWidget(card);
    middle->addStretch(1);
    outer->addLayout(middle);
    outer->addStretch(2);

    connect(m_recent, &RecentFolders::changed, this, &StartPanel::RebuildRecent);
    RebuildRecent();
}

void StartPanel::RebuildRecent() {
    for (QPushButton* button : m_recentButtons) {
        m_recentLayout->removeWidget(button);
        button->deleteLater();
    }
    m_recentButtons.clear();
    const CRecentFolderList& list = m_recent->List();
    for (std::size_t i = 0; i < list.Entries().size(); ++i) {
        const RecentFolder entry = list.Entries()[i];
        // The menu's text: its number is the button's mnemonic too.
        auto* button = new QPushButton(QString::fromStdString(list.MenuText(i)), m_recentTitle->parentWidget());
        button->setObjectName(QStringLiteral("startRecent%1").arg(i + 1));
        button->setFlat(true);
        button->setStyleSheet(QStringLiteral("text-align: left; padding: 2px 6px;"));
        button->setToolTip(QString::fromStdString(entry.folder));
        connect(button, &QPushButton::clicked, m_recent, [this, entry] {
            emit m_recent->openRequested(FolderChoice{entry.folder, entry.messageMode});
        });
        m_recentLayout->addWidget(button);
        m_recentButtons << button;
    }
    m_recentTitle->setVisible(!m_recentButtons.isEmpty());
}

}  // namespace vyx::gui
