#include "app/QtMessageBoxes.h"

#include <QMessageBox>

namespace vyx::gui {
namespace {

QMessageBox::Icon ToQt(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Stop: return QMessageBox::Critical;
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

void QtMessageBoxes::Show(const std::string& text, MessageIcon icon) {
    QMessageBox box(ToQt(icon), QString::fromLatin1(kApplicationName), QString::fromStdString(text), QMessageBox::Ok,
                    m_parent);
    box.exec();
}

MessageAnswer QtMessageBoxes::Ask(const std::string& text, MessageIcon icon) {
    QMessageBox box(ToQt(icon), QString::fromLatin1(kApplicationName), QString::fromStdString(text),
                    QMessageBox::Yes | QMessageBox::No, m_parent);
    return box.exec() == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

}  // namespace vyx::gui
