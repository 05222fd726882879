#include "app/QtSettingsStorage.h"

#include <QDir>
#include <QSettings>

namespace vyx::gui {

void QtSettingsStorage::Load(CViewAppMetaData& data) {
    QSettings settings("Brennmark", "Vyx_Viewer");
    const QString path = settings.value("Path").toString();
    data.m_strPath = path.isEmpty() ? QDir::homePath().toStdString() : path.toStdString();
}

void QtSettingsStorage::Save(const CViewAppMetaData& data) {
    QSettings settings("Brennmark", "Vyx_Viewer");
    settings.setValue("Path", QString::fromStdString(data.m_strPath));
}

}  // namespace vyx::gui
