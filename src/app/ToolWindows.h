#pragma once
// What the viewer's tool windows (the Loop window, an FCU timeline, the alarm analysis) share: where a new one
// opens, and the keys that close it.

#include <QSize>

class QKeyEvent;
class QWidget;

namespace vyx::gui {

// A new tool window's first size and place: the size wanted, cut down to the free part of the screen of the
// window it belongs to, centred on that window and kept inside that part with its frame.
void PlaceToolWindow(QWidget* window, QSize wanted);

// Escape or Ctrl+W, as the close box. A window's keyPressEvent sees them only when the widget with the focus
// left them alone: an open popup or an editor takes its own Escape first.
bool IsToolWindowCloseKey(const QKeyEvent& event);

}  // namespace vyx::gui
