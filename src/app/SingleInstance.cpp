#include "app/SingleInstance.h"

#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QTimer>

#include "app/MainWindow.h"

namespace vyx::gui {

namespace {
// One line per request: "raise", or "open message|fcu FOLDER" with the folder percent-encoded, so any
// character of a path (blank, newline) survives.
constexpr const char* kRaise = "raise";
constexpr const char* kOpenMessage = "open message ";
constexpr const char* kOpenFcu = "open fcu ";
constexpr int kConnectTimeoutMs = 500;
constexpr int kModalRetryMs = 250;
// A request line longer than this is no request of ours.
constexpr qsizetype kMaxLine = 64 * 1024;

QByteArray RequestLine(const StartRequest& request) {
    if (request.folder.isEmpty()) return QByteArray(kRaise) + '\n';
    const QString absolute = AbsoluteFolder(request.folder);
    return QByteArray(request.messageMode ? kOpenMessage : kOpenFcu) + absolute.toUtf8().toPercentEncoding() + '\n';
}

void OpenWhenFree(const QPointer<MainWindow>& window, const FolderChoice& choice) {
    if (!window) return;
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->raise();
        modal->activateWindow();
        QTimer::singleShot(kModalRetryMs, window, [window, choice] { OpenWhenFree(window, choice); });
        return;
    }
    window->OpenFolderChoice(choice);
}

}  // namespace

QString AbsoluteFolder(const QString& folder) { return QDir::cleanPath(QFileInfo(folder).absoluteFilePath()); }

SingleInstance::SingleInstance(QString key, QObject* parent) : QObject(parent), m_key(std::move(key)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::DefaultKey() { return QStringLiteral("vyx-viewer-%1").arg(::getuid()); }

bool SingleInstance::Acquire(const StartRequest& request) {
    {
        QLocalSocket probe;
        probe.connectToServer(m_key);
        if (probe.waitForConnected(kConnectTimeoutMs)) {
            probe.write(RequestLine(request));
            probe.waitForBytesWritten(kConnectTimeoutMs);
            // The running viewer hangs up once it has read the line: only then is the request surely in.
            if (probe.state() == QLocalSocket::ConnectedState) probe.waitForDisconnected(kConnectTimeoutMs);
            return false;
        }
    }
    m_server = new QLocalServer(this);
    // Only this user may connect.
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_key)) {
        // Nobody answered, so the name is left over from a crashed instance: take it over.
        QLocalServer::removeServer(m_key);
        m_server->listen(m_key);
    }
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine()) {
                    if (socket->bytesAvailable() > kMaxLine) socket->disconnectFromServer();
                    return;
                }
                const QByteArray line = socket->readLine(kMaxLine).trimmed();
                socket->disconnectFromServer();
                Handle(line);
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    return true;
}

void SingleInstance::Handle(const QByteArray& line) {
    const bool message = line.startsWith(kOpenMessage);
    const bool fcu = line.startsWith(kOpenFcu);
    if (line != kRaise && !message && !fcu) return;
    emit raiseRequested();
    if (!message && !fcu) return;
    const QByteArray encoded = line.mid(qsizetype(qstrlen(message ? kOpenMessage : kOpenFcu)));
    const QString folder = QString::fromUtf8(QByteArray::fromPercentEncoding(encoded));
    // Only an absolute folder means the same here as in the start that sent it.
    if (QDir::isAbsolutePath(folder)) emit openRequested(folder, message);
}

void ServeLaterStarts(SingleInstance& instance, MainWindow& window) {
    // Queued: the folder opens from the event loop, not inside the socket's own signal.
    QObject::connect(&instance, &SingleInstance::raiseRequested, &window, &MainWindow::RaiseAndRestore,
                     Qt::QueuedConnection);
    QObject::connect(
        &instance, &SingleInstance::openRequested, &window,
        [target = QPointer<MainWindow>(&window)](const QString& folder, bool messageMode) {
            OpenWhenFree(target, FolderChoice{folder.toStdString(), messageMode});
        },
        Qt::QueuedConnection);
}

}  // namespace vyx::gui
