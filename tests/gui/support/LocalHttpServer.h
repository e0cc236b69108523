#pragma once
#include <QByteArray>
#include <QTcpServer>

namespace kt90::gui::test {

// A one-page HTTP server on 127.0.0.1 for the update check's tests: every request gets
// `status` and `body` (or, with `silent`, no answer at all), with its Content-Length
// unless `withLength` is off (the closed connection then ends the body).
class LocalHttpServer : public QObject {
  Q_OBJECT
 public:
  LocalHttpServer();
  quint16 port() const { return server_.serverPort(); }
  QString url(const QString& path) const;

  int status = 200;
  QByteArray body;
  bool silent = false;
  bool withLength = true;
  int requests = 0;

 private:
  void answer();
  QTcpServer server_;
};

}  // namespace kt90::gui::test
