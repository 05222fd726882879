#pragma once
// What the viewer's GUI suites share: waiting for a load to end, clicking where the user clicks (the widget
// must be the one on screen there), and answering a modal dialog that exec() would block the test on.

#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/MainWindow.h"

namespace vyx::test {

// True once the load started last has ended; false after timeoutMs. The first pause lets a load just asked for
// begin, the last one lets its final notifications be shown.
inline bool WaitForLoad(gui::MainWindow& window, int timeoutMs = 60000) {
    QTest::qWait(50);
    const bool ended = QTest::qWaitFor(
        [&] { return window.Controller().Database().JobId() != 0 && window.Controller().LoadEnded(); }, timeoutMs);
    if (ended) QTest::qWait(100);
    return ended;
}

// A click at `at` (the centre by default; a radio button's circle, since it takes clicks on its circle and
// text only), refused when another widget covers that place.
inline bool ClickOnScreen(QWidget* widget, QPoint at = QPoint(-1, -1)) {
    if (at == QPoint(-1, -1)) {
        at = qobject_cast<QRadioButton*>(widget) ? QPoint(8, widget->height() / 2) : widget->rect().center();
    }
    if (QApplication::widgetAt(widget->mapToGlobal(at)) != widget) return false;
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    return true;
}

// Chooses an item of a menu by clicks on the menu bar and the menu, as a user does; false when the menu does
// not open.
inline bool ChooseFromMenu(QMainWindow& window, const QString& menuText, const char* actionName) {
    QMenuBar* bar = window.menuBar();
    QAction* menuAction = nullptr;
    for (QAction* action : bar->actions()) {
        if (QString(action->text()).remove('&') == QString(menuText).remove('&')) menuAction = action;
    }
    if (!menuAction) return false;
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->actionGeometry(menuAction).center());
    QMenu* menu = menuAction->menu();
    if (!QTest::qWaitFor([&] { return menu->isVisible(); })) return false;
    auto* action = window.findChild<QAction*>(actionName);
    if (!action) return false;
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
    return true;
}

// Runs fn on the modal dialog of type Dialog once it is up (exec() blocks the caller until fn closes it).
template <typename Dialog>
void OnModal(std::function<void(Dialog*)> fn) {
    auto* timer = new QTimer;
    auto* elapsed = new QElapsedTimer;
    elapsed->start();
    QObject::connect(timer, &QTimer::timeout, [timer, elapsed, fn] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog && elapsed->elapsed() < 10000) return;
        timer->stop();
        timer->deleteLater();
        delete elapsed;
        if (dialog) fn(dialog);
    });
    timer->start(10);
}

}  // namespace vyx::test
