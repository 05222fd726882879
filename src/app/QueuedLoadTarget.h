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
          m_pending(std::make_shared<Pending>()),
          m_followPending(std::make_shared<Pending>()) {}

    void Post(LoadNotification notification) override {
        // A follow's counts have a slot of their own, so that none of them overtakes the load's end.
        if (notification.message == UM_LOAD_PROGRESS || notification.message == UM_FOLLOW_PROGRESS) {
            const std::shared_ptr<Pending>& slot =
                notification.message == UM_LOAD_PROGRESS ? m_pending : m_followPending;
            {
                std::lock_guard lock(slot->mutex);
                const bool queued = slot->queued && slot->latest.jobId == notification.jobId;
                slot->latest = notification;
                if (queued) return;
                slot->queued = true;
            }
            m_delivery.Post([isCurrent = m_isCurrent, handler = m_handler, pending = slot] {
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
    std::shared_ptr<Pending> m_followPending;
};

}  // namespace vyx::gui
