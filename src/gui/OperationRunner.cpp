#include "gui/OperationRunner.h"

#include <QCoreApplication>
#include <QThread>

namespace kt90::gui {

struct OperationRunner::Worker {
  std::thread thread;
  std::function<void()> done;
};

OperationRunner::OperationRunner(QObject* parent) : QObject(parent) {}

OperationRunner::~OperationRunner() { waitForAll(); }

void OperationRunner::start(std::function<void()> work, std::function<void()> done) {
  auto worker = std::make_unique<Worker>();
  Worker* raw = worker.get();
  raw->done = std::move(done);
  workers_.push_back(std::move(worker));
  raw->thread = std::thread([this, raw, work = std::move(work)] {
    work();
    QMetaObject::invokeMethod(
        this, [this, raw] { finished(raw); }, Qt::QueuedConnection);
  });
}

void OperationRunner::finished(Worker* worker) {
  for (auto it = workers_.begin(); it != workers_.end(); ++it) {
    if (it->get() != worker) continue;
    std::unique_ptr<Worker> owned = std::move(*it);
    workers_.erase(it);
    owned->thread.join();
    if (owned->done) owned->done();
    if (workers_.empty()) emit idle();
    return;
  }
}

void OperationRunner::waitForAll() {
  while (!workers_.empty()) {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(5);
  }
}

}  // namespace kt90::gui
