#pragma once
// The icon a message box shows; a worker that cannot show a box itself hands the icon on with the text.

namespace vyx {

enum class MessageIcon {
    None,         // plain box
    Stop,         // critical
    Exclamation,  // warning
    Information,
};

}  // namespace vyx
