#pragma once
// One running viewer per user: a second start asks the first to come to the front, then exits.

#include <QObject>
#include <QString>

class QLocalServer;

namespace vyx::gui {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QString key = DefaultKey(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the first instance (it then listens for later starts). False when another
    // instance answered; it has been asked to raise its window.
    bool Acquire();

    static QString DefaultKey();

signals:
    // Another start asked this instance to show itself.
    void raiseRequested();

private:
    QString m_key;
    QLocalServer* m_server = nullptr;
};

}  // namespace vyx::gui
