#pragma once
// The last data folder, kept in the user's Qt settings (organisation "Brennmark", application "Vyx_Viewer").

#include "controller/AppSettings.h"

namespace vyx::gui {

class QtSettingsStorage : public IMetaDataStorage {
public:
    void Load(CViewAppMetaData& data) override;
    void Save(const CViewAppMetaData& data) override;
};

}  // namespace vyx::gui
