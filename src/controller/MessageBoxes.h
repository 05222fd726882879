#pragma once
// Every message box of the program goes through this interface, so tests can capture title, text and icon.

#include <string>

#include "platform/MessageIcon.h"

namespace vyx {

enum class MessageAnswer { Ok, Yes, No, Cancel };

class IMessageBoxes {
public:
    virtual ~IMessageBoxes() = default;
    // A box with one OK button; returns when the user has closed it.
    virtual void Show(const std::string& text, MessageIcon icon) = 0;
    // A Yes/No question; returns the answer.
    virtual MessageAnswer Ask(const std::string& text, MessageIcon icon) = 0;
    // A box with OK and one more button, captioned choice; true when the user chose it. Boxes that cannot
    // offer a choice show the text alone.
    virtual bool Offer(const std::string& text, MessageIcon icon, const std::string& choice) {
        (void)choice;
        Show(text, icon);
        return false;
    }
};

// The title every box of the program carries.
constexpr const char* kApplicationName = "Vyx Viewer";

}  // namespace vyx
