#include "app/SingleInstance.h"

#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>

namespace vyx::gui {

namespace {
constexpr const char* kRaiseCommand = "raise\n";
constexpr int kConnectTimeoutMs = 500;
}  // namespace

SingleInstance::SingleInstance(QString key, QObject* parent) : QObject(parent), m_key(std::move(key)) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::DefaultKey() { return QStringLiteral("vyx-viewer-%1").arg(::getuid()); }

bool SingleInstance::Acquire() {
    {
        QLocalSocket probe;
        probe.connectToServer(m_key);
        if (probe.waitForConnected(kConnectTimeoutMs)) {
            probe.write(kRaiseCommand);
            probe.waitForBytesWritten(kConnectTimeoutMs);
            probe.disconnectFromServer();
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
                if (socket->readAll().contains("raise")) emit raiseRequested();
                socket->disconnectFromServer();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    return true;
}

}  // namespace vyx::gui
