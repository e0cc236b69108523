#include "gui/support/LocalHttpServer.h"

#include <QTcpSocket>

namespace kt90::gui::test {

LocalHttpServer::LocalHttpServer() {
  server_.listen(QHostAddress::LocalHost, 0);
  connect(&server_, &QTcpServer::newConnection, this, &LocalHttpServer::answer);
}

QString LocalHttpServer::url(const QString& path) const {
  return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
}

void LocalHttpServer::answer() {
  while (QTcpSocket* socket = server_.nextPendingConnection()) {
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QTcpSocket::readyRead, this, [this, socket] {
      if (!socket->readAll().contains("\r\n\r\n")) return;  // the whole request head
      ++requests;
      if (silent) return;
      QByteArray reply = "HTTP/1.1 " + QByteArray::number(status) + " X\r\nContent-Type: text/html; charset=utf-8\r\n";
      if (withLength) reply += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
      reply += "Connection: close\r\n\r\n" + body;
      socket->write(reply);
      socket->disconnectFromHost();
    });
  }
}

}  // namespace kt90::gui::test
