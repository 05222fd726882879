#include "app/SplashWindow.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QScreen>
#include <QTimer>

#include "app/Artwork.h"

namespace vyx::gui {

SplashWindow::SplashWindow(QWidget* owner)
    : QWidget(owner, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_picture(SplashPixmap()) {
    setObjectName("splashWindow");
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(m_picture.size());
}

SplashWindow::~SplashWindow() { qApp->removeEventFilter(this); }

void SplashWindow::ShowCentred() {
    const QScreen* screen = parentWidget() ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (screen) move(screen->geometry().center() - rect().center());
    show();
    raise();
    qApp->installEventFilter(this);
    QTimer::singleShot(kShowMilliseconds, this, &QWidget::close);
}

void SplashWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, m_picture);
}

bool SplashWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress:
        // The press only hides the splash; it does not reach the window under it.
        close();
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}

}  // namespace vyx::gui
