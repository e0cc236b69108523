#pragma once
// What the operation tests share: a recording host, a driver wrapper that tracks the
// session and can stand in for replies, and a program directory of the test's own.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/base/AtomicWrite.h"
#include "core/app/Host.h"
#include "core/base/FileIo.h"
#include "core/programmer/CKT90Driver.h"
#include "core/programmer/Commands.h"
#include "sim/FirmwareBody.h"

namespace kt90::testing {

// Records what a user interface would show. The log keeps the entries since the last
// "CLEAR", as the log view does.
class RecordingHost : public Host {
 public:
  void appendLog(const std::string& text, bool withTime) override {
    std::lock_guard lock(mutex_);
    if (text == "CLEAR") {
      log.clear();
      return;
    }
    log.push_back(text);
    untimed.push_back(!withTime);
  }
  void showCode(const std::string& dump) override { code = dump; }
  void showSummary(const std::string& text) override { summary = text; }
  void setOperationState(OperationState state, const std::string&) override {
    std::lock_guard lock(mutex_);
    states.push_back(state);
  }
  void setProgress(int percent) override { progress.push_back(percent); }
  // A question takes the next of `answers` (none left: Ok, which is no Yes).
  MessageAnswer messageBox(const std::string& text, MessageButtons buttons) override {
    boxes.push_back(text);
    if (buttons == MessageButtons::Ok || answers.empty()) return MessageAnswer::Ok;
    const MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  bool editText(const EntryRequest&, std::string&) override { return false; }

  bool logHas(const std::string& entry) const {
    std::lock_guard lock(mutex_);
    return std::find(log.begin(), log.end(), entry) != log.end();
  }
  bool logContains(const std::string& part) const {
    std::lock_guard lock(mutex_);
    return std::any_of(log.begin(), log.end(), [&](const std::string& e) { return e.find(part) != std::string::npos; });
  }
  std::size_t logIndex(const std::string& entry) const {
    return static_cast<std::size_t>(std::find(log.begin(), log.end(), entry) - log.begin());
  }

  std::vector<std::string> log;
  std::vector<bool> untimed;
  std::vector<OperationState> states;
  std::vector<int> progress;
  std::vector<std::string> boxes;
  std::deque<MessageAnswer> answers;
  std::string code, summary;

 private:
  mutable std::mutex mutex_;
};

// Forwards every call to a real driver, keeps track of the session and lets a test stand in
// for a WaitData reply (`onWaitData` returns the call's result to take it over).
class TrackingDriver : public CKT90Driver {
 public:
  explicit TrackingDriver(CKT90Driver& inner) : inner_(inner) {}

  bool open = false;
  int opens = 0, closes = 0, powerOffs = 0;
  std::uint64_t writes = 0;
  std::optional<std::uint8_t> lastCommand;
  std::function<std::optional<bool>(std::uint8_t*, std::uint32_t)> onWaitData;
  std::function<void()> onOpen;
  std::function<void()> onWrite;  // before every WriteData

  bool OpenDevice(const std::string& port) override {
    ++opens;
    open = true;
    if (onOpen) onOpen();
    return inner_.OpenDevice(port);
  }
  void CloseDevice() override {
    ++closes;
    open = false;
    inner_.CloseDevice();
  }
  int SendCmd(std::uint8_t command) override {
    lastCommand = command;
    return inner_.SendCmd(command);
  }
  std::uint32_t SendCmd(const std::uint8_t* packet, std::uint32_t length) override {
    lastCommand = packet[0];
    return inner_.SendCmd(packet, length);
  }
  int SendCmd(const std::uint8_t* feature) override { return inner_.SendCmd(feature); }
  bool WaitData(std::uint8_t* buffer, std::uint32_t length, std::uint32_t timeout) override {
    if (const std::optional<bool> taken = onWaitData ? onWaitData(buffer, length) : std::nullopt) return *taken;
    return inner_.WaitData(buffer, length, timeout);
  }
  std::uint32_t WriteData(const std::uint8_t* b, std::uint32_t a, std::uint32_t l) override {
    if (onWrite) onWrite();
    ++writes;
    return inner_.WriteData(b, a, l);
  }
  std::uint32_t ReadData(std::uint8_t* b, std::uint32_t a, std::uint32_t l) override {
    return inner_.ReadData(b, a, l);
  }
  std::uint32_t WriteEEPROM(const std::uint8_t* b, std::uint32_t a, std::uint32_t l) override {
    ++writes;
    return inner_.WriteEEPROM(b, a, l);
  }
  std::uint32_t ReadEEPROM(std::uint8_t* b, std::uint32_t a, std::uint32_t l) override {
    return inner_.ReadEEPROM(b, a, l);
  }
  std::uint32_t ReadMcu(std::uint8_t* b, std::uint32_t a, std::uint32_t l) override { return inner_.ReadMcu(b, a, l); }
  bool ProPowerOn(const std::uint8_t* keys) override { return inner_.ProPowerOn(keys); }
  bool ProPowerOff() override {
    ++powerOffs;
    return inner_.ProPowerOff();
  }
  int GetStatus() override { return inner_.GetStatus(); }
  std::uint32_t HardwareModify(std::uint32_t mask) override { return inner_.HardwareModify(mask); }

  // Closed now, and closed as often as it was opened.
  bool closedEveryTime() const { return !open && closes >= opens; }

 private:
  CKT90Driver& inner_;
};

// A copy of the shipped program directory for one test, with firmware images, removed
// afterwards.
class ProgramDirCopy {
 public:
  ProgramDirCopy() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    std::replace(name.begin(), name.end(), '/', '_');
    root_ = std::filesystem::temp_directory_path() / ("kt90_ops_" + std::to_string(::getpid()) + "_" + name);
    std::filesystem::remove_all(root_);
    std::filesystem::copy(KT90_TEST_DATA_DIR, root_, std::filesystem::copy_options::recursive);
    writeFirmware("KT90_5_0.bin", "KT90 V5.2", 4000);
    writeFirmware("KT90_4_0.bin", "KT90 V4.1", 3000);
    writeFirmware("DBG4V0_APP.bin", "KT90DB V5.2", 2000);
  }
  ~ProgramDirCopy() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  ProgramDirCopy(const ProgramDirCopy&) = delete;
  ProgramDirCopy& operator=(const ProgramDirCopy&) = delete;

  std::string dir() const { return pathToUtf8(root_); }
  std::filesystem::path path(const std::string& relative) const { return root_ / pathFromUtf8(relative); }
  void write(const std::string& relative, ByteView bytes) const {
    std::filesystem::create_directories(path(relative).parent_path());
    ASSERT_TRUE(writeFileAtomically(path(relative), bytes).ok());
  }
  void writeFirmware(const std::string& name, const std::string& version, std::size_t bodySize) const {
    write("Firmware/" + name, encodeFirmwareImage({version, sim::makeFirmwareBody(version, bodySize)}));
  }

 private:
  std::filesystem::path root_;
};

}  // namespace kt90::testing
