#pragma once
// Delivers a search's notifications to the main window's thread as queued calls: the search never waits for
// the window, and a notification for a window that has gone is dropped.

#include <QObject>
#include <QPointer>
#include <functional>

#include "controller/RecordSearch.h"

namespace vyx::gui {

class QueuedSearchTarget : public ISearchTarget {
public:
    using Handler = std::function<void(const SearchNotification&)>;
    QueuedSearchTarget(QObject* receiver, Handler handler) : m_receiver(receiver), m_handler(std::move(handler)) {}

    void Post(SearchNotification notification) override {
        QMetaObject::invokeMethod(
            m_receiver.data(), [handler = m_handler, n = std::move(notification)] { handler(n); },
            Qt::QueuedConnection);
    }

private:
    QPointer<QObject> m_receiver;
    Handler m_handler;
};

}  // namespace vyx::gui
