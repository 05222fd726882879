#pragma once
// Message boxes that only record what they were asked to show; every question gets `answer` (Yes unless set).

#include <string>
#include <vector>

#include "controller/MessageBoxes.h"

namespace vyx::test {

struct ShownBox {
    std::string text;
    MessageIcon icon = MessageIcon::None;
};

class RecordingBoxes : public IMessageBoxes {
public:
    void Show(const std::string& text, MessageIcon icon) override { shown.push_back({text, icon}); }
    MessageAnswer Ask(const std::string& text, MessageIcon icon) override {
        shown.push_back({text, icon});
        return answer;
    }
    std::vector<ShownBox> shown;
    MessageAnswer answer = MessageAnswer::Yes;
};

}  // namespace vyx::test
