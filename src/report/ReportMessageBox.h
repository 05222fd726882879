#pragma once
// A message for the user as the report code decides it; the dialogs show it with the toolkit.

#include <string>

#include "platform/MessageIcon.h"

namespace vyx {

struct ReportMessageBox {
    std::string text;
    MessageIcon icon = MessageIcon::None;

    bool operator==(const ReportMessageBox&) const = default;
};

}  // namespace vyx
