#pragma once
// Message boxes shown with QMessageBox, always on the UI thread.

#include <QPointer>
#include <QWidget>

#include "controller/MessageBoxes.h"

namespace vyx::gui {

class QtMessageBoxes : public IMessageBoxes {
public:
    explicit QtMessageBoxes(QWidget* parent) : m_parent(parent) {}
    void Show(const std::string& text, MessageIcon icon) override;
    MessageAnswer Ask(const std::string& text, MessageIcon icon) override;
    bool Offer(const std::string& text, MessageIcon icon, const std::string& choice) override;

private:
    QPointer<QWidget> m_parent;
};

}  // namespace vyx::gui
