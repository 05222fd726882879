#include "app/ToolWindows.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace vyx::gui {

void PlaceToolWindow(QWidget* window, QSize wanted) {
    const QWidget* over = window->parentWidget() ? window->parentWidget()->window() : nullptr;
    QScreen* screen = over ? over->screen() : QGuiApplication::primaryScreen();
    if (!screen) {
        window->resize(wanted);
        return;
    }
    const QRect room = screen->availableGeometry();
    // The window's frame is not known before it is shown: that of the window it belongs to is the best guess.
    QMargins frame;
    if (over && over->isVisible()) {
        const QRect outer = over->frameGeometry();
        const QRect inner = over->geometry();
        frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                         outer.bottom() - inner.bottom());
    }
    window->resize(wanted.boundedTo(room.size().shrunkBy(frame)));
    const QSize outer = window->size().grownBy(frame);
    const QPoint centre = over ? over->frameGeometry().center() : room.center();
    const int x = std::clamp(centre.x() - outer.width() / 2, room.left(),
                             std::max(room.left(), room.right() + 1 - outer.width()));
    const int y = std::clamp(centre.y() - outer.height() / 2, room.top(),
                             std::max(room.top(), room.bottom() + 1 - outer.height()));
    window->move(x, y);  // the frame's place
}

bool IsToolWindowCloseKey(const QKeyEvent& event) {
    return (event.key() == Qt::Key_Escape && event.modifiers() == Qt::NoModifier) || event.matches(QKeySequence::Close);
}

}  // namespace vyx::gui
