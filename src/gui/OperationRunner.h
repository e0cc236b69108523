#pragma once
#include <QObject>
#include <functional>
#include <list>
#include <memory>
#include <thread>

namespace kt90::gui {

// Runs device operations on worker threads. Each job gets its own thread; when it ends,
// its `done` runs on the UI thread and the thread is joined there. A job that meets a
// running one is refused by the operation guard inside it, quickly, on its own thread.
class OperationRunner : public QObject {
  Q_OBJECT
 public:
  explicit OperationRunner(QObject* parent = nullptr);
  // Waits for every worker (see waitForAll).
  ~OperationRunner() override;

  void start(std::function<void()> work, std::function<void()> done);
  // A worker has not finished yet.
  bool busy() const { return !workers_.empty(); }
  // Waits for every worker while keeping the UI thread's events flowing, so the workers'
  // blocking calls into the window can complete.
  void waitForAll();

 signals:
  // The last running worker has ended (after its `done`).
  void idle();

 private:
  struct Worker;
  void finished(Worker* worker);

  std::list<std::unique_ptr<Worker>> workers_;
};

}  // namespace kt90::gui
