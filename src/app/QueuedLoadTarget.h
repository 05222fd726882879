#pragma once
// Delivers the loading worker's notifications to the main window's thread as queued calls: the worker never
// waits for the window, and a notification for a window that has gone is dropped.
//
// Record counts are coalesced: a fast load announces a count every 1000 records, thousands a second, and
// each one makes the list fetch its page again. While one count is on its way to the window, later counts of
// the same load only replace the number it will carry, so the window gets the newest count without a queue of
// stale ones, and keeps time to paint and to answer the user.

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/LoadNotification.h"

namespace vyx::gui {

class QueuedLoadTarget : public ILoadNotificationTarget {
public:
    using Handler = std::function<void(const LoadNotification&)>;
    QueuedLoadTarget(QObject* receiver, Handler handler)
        : m_receiver(receiver), m_handler(std::move(handler)), m_pending(std::make_shared<Pending>()) {}

    void Post(LoadNotification notification) override {
        if (notification.message == UM_LOAD_PROGRESS) {
            {
                std::lock_guard lock(m_pending->mutex);
                const bool queued = m_pending->queued && m_pending->latest.jobId == notification.jobId;
                m_pending->latest = notification;
                if (queued) return;
                m_pending->queued = true;
            }
            QMetaObject::invokeMethod(
                m_receiver.data(),
                [handler = m_handler, pending = m_pending] {
                    LoadNotification latest;
                    {
                        std::lock_guard lock(pending->mutex);
                        latest = pending->latest;
                        pending->queued = false;
                    }
                    handler(latest);
                },
                Qt::QueuedConnection);
            return;
        }
        QMetaObject::invokeMethod(
            m_receiver.data(), [handler = m_handler, n = std::move(notification)] { handler(n); },
            Qt::QueuedConnection);
    }

private:
    struct Pending {
        std::mutex mutex;
        bool queued = false;
        LoadNotification latest;
    };
    QPointer<QObject> m_receiver;
    Handler m_handler;
    std::shared_ptr<Pending> m_pending;
};

}  // namespace vyx::gui
