#pragma once
#include <atomic>
#include <functional>
#include <string>
#include <thread>

#include "core/app/Host.h"
#include "core/app/ProfileStore.h"

namespace kt90::gui {

class UiHost;

// The update check on a thread of its own: it reads the settings file, asks the web
// page, writes "LastTime" and asks its questions through the UI host. It never touches
// the working state. Ending the program cancels a request still under way and waits for
// the thread, so nothing outlives the objects it uses.
class UpdateChecker {
 public:
  using UrlOpener = std::function<void(const std::string&)>;  // runs on the UI thread

  UpdateChecker(std::string programDir, ProfileStore& profile, UiHost& host, UrlOpener openUrl);
  ~UpdateChecker();

  void start();
  bool finished() const { return finished_.load(); }
  // Cancels a request under way and waits for the thread (on the UI thread).
  void stop();

 private:
  void run();

  std::string programDir_;
  ProfileStore& profile_;
  UiHost& host_;
  UrlOpener openUrl_;
  std::atomic<bool> cancel_{false};
  std::atomic<bool> finished_{false};
  std::thread thread_;
};

}  // namespace kt90::gui
