#include "app/QtMessageBoxes.h"

#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

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

// Runs the box and gives the keyboard back to the widget that had it (usually the list), which the toolkit
// leaves to the window otherwise.
int RunKeepingFocus(QMessageBox& box) {
    const QPointer<QWidget> focused = QApplication::focusWidget();
    const int answer = box.exec();
    if (focused && focused->isVisible()) {
        focused->activateWindow();
        focused->setFocus(Qt::OtherFocusReason);
    }
    return answer;
}

}  // namespace

void QtMessageBoxes::Show(const std::string& text, MessageIcon icon) {
    QMessageBox box(ToQt(icon), QString::fromLatin1(kApplicationName), QString::fromStdString(text), QMessageBox::Ok,
                    m_parent);
    RunKeepingFocus(box);
}

MessageAnswer QtMessageBoxes::Ask(const std::string& text, MessageIcon icon) {
    QMessageBox box(ToQt(icon), QString::fromLatin1(kApplicationName), QString::fromStdString(text),
                    QMessageBox::Yes | QMessageBox::No, m_parent);
    return RunKeepingFocus(box) == QMessageBox::Yes ? MessageAnswer::Yes : MessageAnswer::No;
}

bool QtMessageBoxes::Offer(const std::string& text, MessageIcon icon, const std::string& choice) {
    QMessageBox box(ToQt(icon), QString::fromLatin1(kApplicationName), QString::fromStdString(text), QMessageBox::Ok,
                    m_parent);
    QPushButton* chosen = box.addButton(QString::fromStdString(choice), QMessageBox::AcceptRole);
    chosen->setObjectName("offeredChoice");
    box.setDefaultButton(chosen);
    RunKeepingFocus(box);
    return box.clickedButton() == chosen;
}

}  // namespace vyx::gui
