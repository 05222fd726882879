#pragma once
// Hands a search's notifications to the main window's thread; those of a search that was stopped or
// replaced are dropped on arrival.

#include <functional>

#include "app/QueuedDelivery.h"
#include "controller/RecordSearch.h"

namespace vyx::gui {

class QueuedSearchTarget : public ISearchTarget {
public:
    using Handler = std::function<void(const SearchNotification&)>;
    using IsCurrent = std::function<bool(const SearchNotification&)>;
    QueuedSearchTarget(QObject* receiver, IsCurrent isCurrent, Handler handler)
        : m_delivery(receiver), m_isCurrent(std::move(isCurrent)), m_handler(std::move(handler)) {}

    void Post(SearchNotification notification) override {
        m_delivery.PostForJob([isCurrent = m_isCurrent, n = notification] { return isCurrent(n); },
                              [handler = m_handler, n = std::move(notification)] { handler(n); });
    }

private:
    QueuedDelivery m_delivery;
    IsCurrent m_isCurrent;
    Handler m_handler;
};

}  // namespace vyx::gui
