#pragma once
// One running viewer per user: a second start hands its folder (if any) to the first, which comes to the
// front and opens it, then the second exits.

#include <QByteArray>
#include <QObject>
#include <QString>

class QLocalServer;

namespace vyx::gui {

class MainWindow;

// What a later start asks of the running viewer: to come forward, and to open folder (when not empty).
struct StartRequest {
    QString folder;
    bool messageMode = true;
};

class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(QString key = DefaultKey(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when this process is the first instance (it then listens for later starts). False when another
    // instance answered; it has been handed the request, its folder made absolute here, since the running
    // viewer may work in another folder.
    bool Acquire(const StartRequest& request = {});

    static QString DefaultKey();

signals:
    // Another start asked this instance to show itself.
    void raiseRequested();
    // ... and to open this folder (absolute) in this mode; comes after raiseRequested.
    void openRequested(const QString& folder, bool messageMode);

private:
    void Handle(const QByteArray& line);

    QString m_key;
    QLocalServer* m_server = nullptr;
};

// folder made absolute against the working folder, without "." and ".." steps.
QString AbsoluteFolder(const QString& folder);

// Later starts bring window forward and open their folder in it, through the same checks as the folder
// dialog; while a modal box or dialog is up, the folder waits until it has gone.
void ServeLaterStarts(SingleInstance& instance, MainWindow& window);

}  // namespace vyx::gui
