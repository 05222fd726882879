#pragma once
// The one way a worker's notification reaches the UI thread: a queued call onto a guarded receiver. The
// worker never waits for the window; a call for a receiver that has gone is dropped, and so is a job's
// notification that arrives after its job stopped being the current one (another load or search began, or it
// was stopped).

#include <QObject>
#include <QPointer>
#include <functional>
#include <utility>

namespace vyx::gui {

class QueuedDelivery {
public:
    explicit QueuedDelivery(QObject* receiver) : m_receiver(receiver) {}

    // Runs call on the receiver's thread, unless the receiver has gone by then. False when it could not be
    // queued.
    bool Post(std::function<void()> call) const {
        const QPointer<QObject> receiver = m_receiver;
        return QMetaObject::invokeMethod(
            m_receiver.data(),
            [receiver, call = std::move(call)] {
                if (receiver) call();
            },
            Qt::QueuedConnection);
    }

    // The same for a job's notification: on arrival, call runs only while isCurrent() still holds.
    bool PostForJob(std::function<bool()> isCurrent, std::function<void()> call) const {
        return Post([isCurrent = std::move(isCurrent), call = std::move(call)] {
            if (isCurrent()) call();
        });
    }

private:
    QPointer<QObject> m_receiver;
};

}  // namespace vyx::gui
