#include "app/RecentFolders.h"

#include <QAction>
#include <QMenu>
#include <QSettings>
#include <QVariant>

namespace vyx::gui {
namespace {

QSettings Settings() {
    return QSettings(QStringLiteral("Brennmark"), QStringLiteral("Vyx_Viewer"));
}

const QString kRecentFolders = QStringLiteral("RecentFolders");
const QString kFolder = QStringLiteral("Folder");
const QString kMode = QStringLiteral("Mode");
const QString kMessageMode = QStringLiteral("Message");
const QString kFcuMode = QStringLiteral("FCU");
const QString kGeometry = QStringLiteral("Geometry");
const QString kRecordColumns = QStringLiteral("RecordColumns");

// A width outside this range comes from a damaged or foreign setting: the defaults are better.
constexpr int kMinColumnWidth = 8;
constexpr int kMaxColumnWidth = 8000;

}  // namespace

RecentFolders::RecentFolders(QMenu* menu, QAction* before, QObject* parent)
    : QObject(parent), m_menu(menu), m_before(before) {
    m_separator = new QAction(this);
    m_separator->setSeparator(true);
    m_menu->insertAction(m_before, m_separator);

    QSettings settings = Settings();
    std::vector<RecentFolder> stored;
    const int count = settings.beginReadArray(kRecentFolders);
    for (int i = 0; i < count; ++i) {
        settings.setArrayIndex(i);
        const QString mode = settings.value(kMode).toString();
        stored.push_back({settings.value(kFolder).toString().toStdString(), mode != kFcuMode});
    }
    settings.endArray();
    m_list.Assign(stored);
    Rebuild();
}

void RecentFolders::Add(const FolderChoice& choice) {
    m_list.Add({choice.folder, choice.messageMode});
    Store();
    Rebuild();
}

void RecentFolders::OfferRemoval(const std::string& folder, IMessageBoxes& boxes) {
    if (!m_list.OfferRemoval(folder, boxes)) return;
    Store();
    Rebuild();
}

void RecentFolders::Store() {
    QSettings settings = Settings();
    settings.remove(kRecentFolders);
    settings.beginWriteArray(kRecentFolders, static_cast<int>(m_list.Entries().size()));
    for (std::size_t i = 0; i < m_list.Entries().size(); ++i) {
        settings.setArrayIndex(static_cast<int>(i));
        settings.setValue(kFolder, QString::fromStdString(m_list.Entries()[i].folder));
        settings.setValue(kMode, m_list.Entries()[i].messageMode ? kMessageMode : kFcuMode);
    }
    settings.endArray();
}

void RecentFolders::Rebuild() {
    for (QAction* action : m_actions) {
        m_menu->removeAction(action);
        action->deleteLater();
    }
    m_actions.clear();
    for (std::size_t i = 0; i < m_list.Entries().size(); ++i) {
        const RecentFolder entry = m_list.Entries()[i];
        auto* action = new QAction(QString::fromStdString(m_list.MenuText(i)), this);
        action->setObjectName(QStringLiteral("recentFolder%1").arg(i + 1));
        action->setToolTip(QString::fromStdString(entry.folder));
        connect(action, &QAction::triggered, this, [this, entry] {
            emit openRequested(FolderChoice{entry.folder, entry.messageMode});
        });
        m_menu->insertAction(m_before, action);
        m_actions << action;
    }
    m_separator->setVisible(!m_actions.isEmpty());
    emit changed();
}

RememberedLayout LoadRememberedLayout(int recordColumnCount) {
    QSettings settings = Settings();
    RememberedLayout layout;
    layout.geometry = settings.value(kGeometry).toByteArray();
    const QVariantList widths = settings.value(kRecordColumns).toList();
    if (widths.size() != recordColumnCount) return layout;
    QList<int> columns;
    for (const QVariant& value : widths) {
        bool ok = false;
        const int width = value.toInt(&ok);
        if (!ok || width < kMinColumnWidth || width > kMaxColumnWidth) return layout;
        columns << width;
    }
    layout.recordColumns = columns;
    return layout;
}

void SaveRememberedLayout(const RememberedLayout& layout) {
    QSettings settings = Settings();
    settings.setValue(kGeometry, layout.geometry);
    QVariantList widths;
    for (int width : layout.recordColumns) widths << width;
    settings.setValue(kRecordColumns, widths);
}

bool LoadRecoverySetting() { return Settings().value(QStringLiteral("Recover"), false).toBool(); }

void SaveRecoverySetting(bool recover) {
    QSettings settings = Settings();
    settings.setValue(QStringLiteral("Recover"), recover);
}

bool LoadFollowSetting() { return Settings().value(QStringLiteral("Follow"), false).toBool(); }

void SaveFollowSetting(bool follow) {
    QSettings settings = Settings();
    settings.setValue(QStringLiteral("Follow"), follow);
}

}  // namespace vyx::gui
