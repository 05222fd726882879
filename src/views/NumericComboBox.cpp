#include "views/NumericComboBox.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <memory>

namespace vyx {
namespace {

bool IsAsciiDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

QString DigitsOf(const QString& text) {
    QString digits;
    for (QChar c : text) {
        if (IsAsciiDigit(c)) digits.append(c);
    }
    return digits;
}

// A key that would type a character other than a digit. Control characters and keys held with Ctrl, Alt or
// Meta are not typed text: backspace, Delete, Enter and the shortcuts keep working.
bool TypesNonDigit(const QKeyEvent& event) {
    if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) return false;
    for (QChar c : event.text()) {
        if (IsAsciiDigit(c) || c.unicode() < 0x20 || c.unicode() == 0x7F) continue;
        return true;
    }
    return false;
}

}  // namespace

CNumericComboBox::CNumericComboBox(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    setInsertPolicy(NoInsert);  // Enter must not add the typed number to the list
    setCompleter(nullptr);      // nor complete "1" to a longer entry
    lineEdit()->setAcceptDrops(false);
    lineEdit()->installEventFilter(this);
    installEventFilter(this);  // keys sent to the box itself are passed on to the edit field
}

bool CNumericComboBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched != this && watched != lineEdit()) return QComboBox::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::KeyPress: {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->matches(QKeySequence::Paste)) {
                PasteDigits(QClipboard::Clipboard);
                return true;
            }
            return TypesNonDigit(*key);
        }
        case QEvent::InputMethod: {
            auto* input = static_cast<QInputMethodEvent*>(event);
            if (DigitsOf(input->commitString()) != input->commitString()) {
                input->setCommitString(DigitsOf(input->commitString()), input->replacementStart(),
                                       input->replacementLength());
            }
            return false;
        }
        case QEvent::MouseButtonRelease:
            if (watched == lineEdit() && static_cast<QMouseEvent*>(event)->button() == Qt::MiddleButton) {
                PasteDigits(QClipboard::Selection);
                return true;
            }
            return false;
        case QEvent::ContextMenu:
            if (watched == lineEdit()) {
                ShowContextMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
                return true;
            }
            return false;
        default: return false;
    }
}

void CNumericComboBox::PasteDigits(QClipboard::Mode mode) {
    const QClipboard* clipboard = QGuiApplication::clipboard();
    if (mode == QClipboard::Selection && !clipboard->supportsSelection()) return;
    const QString digits = DigitsOf(clipboard->text(mode));
    if (!digits.isEmpty()) lineEdit()->insert(digits);
}

void CNumericComboBox::ShowContextMenu(const QPoint& globalPos) {
    const std::unique_ptr<QMenu> menu(lineEdit()->createStandardContextMenu());
    for (QAction* action : menu->actions()) {
        if (action->objectName() == QLatin1String("edit-paste")) {
            QObject::disconnect(action, &QAction::triggered, lineEdit(), nullptr);  // the edit's own paste
            connect(action, &QAction::triggered, this, [this] { PasteDigits(QClipboard::Clipboard); });
        }
    }
    menu->exec(globalPos);
}

}  // namespace vyx
