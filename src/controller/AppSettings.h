#pragma once
// The one persistent setting: the last data folder.

#include <string>

namespace vyx {

class CViewAppMetaData {
public:
    virtual ~CViewAppMetaData() = default;
    std::string m_strPath;
};

class IMetaDataStorage {
public:
    virtual ~IMetaDataStorage() = default;
    // Always succeeds: an unreadable setting gives the default folder.
    virtual void Load(CViewAppMetaData& data) = 0;
    // Failures are not reported: the setting is a convenience.
    virtual void Save(const CViewAppMetaData& data) = 0;
};

}  // namespace vyx
