#include "ui/support/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>

namespace zelk::ui {
namespace {

constexpr int kWaitMs = 3000;

// One server name per program folder, short enough for a socket path.
QString serverName(const QString& folder) {
    const QByteArray hash =
        QCryptographicHash::hash(QDir(folder).absolutePath().toUtf8(), QCryptographicHash::Sha1);
    return QStringLiteral("zelk-") + QString::fromLatin1(hash.toHex().left(16));
}

} // namespace

SingleInstance::SingleInstance(const QString& programFolder) : folder_(programFolder) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::acquire() {
    lock_ = std::make_unique<QLockFile>(QDir(folder_).filePath(QStringLiteral("zelk.lock")));
    lock_->setStaleLockTime(0); // stale only when its process is gone
    if (!lock_->tryLock(100)) {
        lock_.reset();
        return false;
    }
    server_ = new QLocalServer(this);
    QLocalServer::removeServer(serverName(folder_)); // left by a crashed run
    server_->listen(serverName(folder_));
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = server_->nextPendingConnection()) {
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            connect(s, &QLocalSocket::readyRead, this, [this, s] {
                if (!s->canReadLine())
                    return;
                QByteArray line = s->readLine();
                line.chop(1);
                s->write("ok\n");
                s->flush();
                emit handedOver(QByteArray::fromHex(line).toStdString());
            });
        }
    });
    return true;
}

bool SingleInstance::handOver(const std::string& path) {
    QLocalSocket socket;
    socket.connectToServer(serverName(folder_));
    if (!socket.waitForConnected(kWaitMs))
        return false;
    // Hex keeps any bytes of the path (a line break, say) on one line.
    socket.write(QByteArray::fromStdString(path).toHex() + "\n");
    if (!socket.waitForBytesWritten(kWaitMs))
        return false;
    return socket.waitForReadyRead(kWaitMs) && socket.readLine().startsWith("ok");
}

} // namespace zelk::ui
