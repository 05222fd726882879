#pragma once
// The folder dialog: a directory chooser with two radio buttons, "FCU" and "Message", for the view mode.

#include <QString>
#include <optional>

#include "controller/MainWindowView.h"

class QWidget;

namespace vyx::gui {

// Runs the dialog modally, starting at initialFolder with "Message" checked.
std::optional<FolderChoice> BrowseForDataFolder(const QString& initialFolder, QWidget* parent);

}  // namespace vyx::gui
