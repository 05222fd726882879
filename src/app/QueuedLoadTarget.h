#pragma once
// Delivers the loading worker's notifications to the main window's thread: the worker never waits for the
// window, a notification for a window that has gone is dropped, and so is one of a load that is no longer the
// current one when it arrives.
//
// Record counts are coalesced: a fast load announces a count every 1000 records, thousands a second, and
// each one makes the list fetch its page again. While one count is on its way to the window, later counts of
// the same load only replace the number it will carry, so the window gets the newest count without a queue of
// stale ones, and keeps time to paint and to answer the user.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "app/QueuedDelivery.h"
#include "platform/LoadNotification.h"

namespace vyx::gui {

class QueuedLoadTarget : public ILoadNotificationTarget {
public:
    using Handler = std::function<void(const LoadNotification&)>;
    using IsCurrent = std::function<bool(std::uint32_t jobId)>;
    QueuedLoadTarget(QObject* receiver, IsCurrent isCurrent, Handler handler)
        : m_delivery(receiver),
          m_isCurrent(std::move(isCurrent)),
          m_handler(std::move(handler)),
          m_pending(std::make_shared<Pending>()) {}

    void Post(LoadNotification notification) override {
        if (notification.message == UM_LOAD_PROGRESS) {
            {
                std::lock_guard lock(m_pending->mutex);
                const bool queued = m_pending->queued && m_pending->latest.jobId == notification.jobId;
                m_pending->latest = notification;
                if (queued) return;
                m_pending->queued = true;
            }
            m_delivery.Post([isCurrent = m_isCurrent, handler = m_handler, pending = m_pending] {
                LoadNotification latest;
                {
                    std::lock_guard lock(pending->mutex);
                    latest = pending->latest;
                    pending->queued = false;
                }
                if (isCurrent(latest.jobId)) handler(latest);
            });
            return;
        }
        const std::uint32_t jobId = notification.jobId;
        m_delivery.PostForJob([isCurrent = m_isCurrent, jobId] { return isCurrent(jobId); },
                              [handler = m_handler, n = std::move(notification)] { handler(n); });
    }

private:
    struct Pending {
        std::mutex mutex;
        bool queued = false;
        LoadNotification latest;
    };
    QueuedDelivery m_delivery;
    IsCurrent m_isCurrent;
    Handler m_handler;
    std::shared_ptr<Pending> m_pending;
};

}  // namespace vyx::gui
