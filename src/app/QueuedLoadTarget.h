#pragma once
// Delivers the loading worker's notifications to the main window's thread as queued calls: the worker never
// waits for the window, and a notification for a window that has gone is dropped.

#include <QObject>
#include <QPointer>
#include <functional>

#include "platform/LoadNotification.h"

namespace vyx::gui {

class QueuedLoadTarget : public ILoadNotificationTarget {
public:
    using Handler = std::function<void(const LoadNotification&)>;
    QueuedLoadTarget(QObject* receiver, Handler handler) : m_receiver(receiver), m_handler(std::move(handler)) {}

    void Post(LoadNotification notification) override {
        QMetaObject::invokeMethod(
            m_receiver.data(), [handler = m_handler, n = std::move(notification)] { handler(n); },
            Qt::QueuedConnection);
    }

private:
    QPointer<QObject> m_receiver;
    Handler m_handler;
};

}  // namespace vyx::gui
