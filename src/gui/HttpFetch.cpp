#include "gui/HttpFetch.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkInformation>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QTimer>
#include <memory>

namespace kt90::gui {
namespace {

// The platform's word on the network, when it has one to give.
bool knownOffline() {
  if (!QNetworkInformation::instance() &&
      !QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability)) {
    return false;
  }
  const QNetworkInformation* info = QNetworkInformation::instance();
  return info && info->reachability() == QNetworkInformation::Reachability::Disconnected;
}

}  // namespace

PageFetch fetchPage(const QString& url, int timeoutMs, const std::atomic<bool>* cancel, std::size_t maxBytes) {
  PageFetch result;
  if (knownOffline()) {
    result.connected = false;
    return result;
  }
  QNetworkProxyFactory::setUseSystemConfiguration(true);
  QNetworkAccessManager manager;
  QNetworkRequest request{QUrl(url)};
  request.setTransferTimeout(timeoutMs);
  std::unique_ptr<QNetworkReply> reply(manager.get(request));
  const auto bound = static_cast<qint64>(maxBytes);
  // Never more than the bound and one byte is held: the byte that proves the reply too large.
  reply->setReadBufferSize(bound + 1);
  QByteArray body;
  bool tooLarge = false;
  const auto giveUp = [&] {
    tooLarge = true;
    reply->abort();
  };
  const auto take = [&] {
    if (tooLarge) return;
    body += reply->read(bound + 1 - body.size());
    if (body.size() > bound) giveUp();
  };

  QEventLoop loop;
  QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
  QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, take);
  QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, &loop, [&] {
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    if (!tooLarge && length.isValid() && length.toLongLong() > bound) giveUp();
  });
  QTimer watch;
  QElapsedTimer elapsed;
  elapsed.start();
  QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
    if ((cancel && cancel->load()) || elapsed.elapsed() > timeoutMs) reply->abort();
  });
  watch.start(50);
  if (!reply->isFinished()) loop.exec();
  take();

  const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
  if (tooLarge) {
    result.tooLarge = true;
  } else if (status.isValid()) {
    result.body = body.toStdString();
  } else if (reply->error() != QNetworkReply::NoError) {
    result.errorText = reply->errorString().toStdString();
  }
  return result;
}

}  // namespace kt90::gui
