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

PageFetch fetchPage(const QString& url, int timeoutMs, const std::atomic<bool>* cancel) {
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

  QEventLoop loop;
  QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
  QTimer watch;
  QElapsedTimer elapsed;
  elapsed.start();
  QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
    if ((cancel && cancel->load()) || elapsed.elapsed() > timeoutMs) reply->abort();
  });
  watch.start(50);
  if (!reply->isFinished()) loop.exec();

  const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
  if (status.isValid()) {
    result.body = reply->readAll().toStdString();
  } else if (reply->error() != QNetworkReply::NoError) {
    result.errorText = reply->errorString().toStdString();
  }
  return result;
}

}  // namespace kt90::gui
