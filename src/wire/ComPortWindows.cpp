#include <windows.h>

#include <algorithm>
#include <cctype>

#include "core/base/WideText.h"
#include "wire/ComPort.h"
#include "wire/ComPortList.h"

namespace kt90::wire {

namespace {

// A pause between two bytes longer than this ends a read.
constexpr DWORD kInterByteGapMs = 5;

// Whole milliseconds left until `deadline`, rounded up, at most a minute per call.
DWORD msLeft(Deadline deadline) {
  const auto left = deadline - Clock::now();
  if (left <= Clock::duration::zero()) return 0;
  return static_cast<DWORD>(std::min<long long>(std::chrono::ceil<std::chrono::milliseconds>(left).count(), 60000));
}

HANDLE handleOf(void* handle) { return static_cast<HANDLE>(handle); }

}  // namespace

ComPortTransport::~ComPortTransport() { close(); }

void ComPortTransport::fail(const char* what) {
  const DWORD code = GetLastError();
  wchar_t* text = nullptr;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string reason = text ? wideToUtf8(text) : "error " + std::to_string(code);
  if (text) LocalFree(text);
  while (!reason.empty() && (reason.back() == '\n' || reason.back() == '\r' || reason.back() == ' ')) reason.pop_back();
  lastError_ = std::string(what) + ": " + reason;
}

bool ComPortTransport::open(const std::string& portName) {
  close();
  const HANDLE handle = CreateFileW(utf8ToWide(comPortPath(portName)).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    fail("cannot open the port");
    return false;
  }
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(handle, &dcb)) {
    dcb = DCB{};
    dcb.DCBlength = sizeof dcb;
  }
  dcb.BaudRate = static_cast<DWORD>(kBaudRate);
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.fBinary = TRUE;
  dcb.fParity = FALSE;
  dcb.fOutxCtsFlow = FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  dcb.fDsrSensitivity = FALSE;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  dcb.fNull = FALSE;
  dcb.fAbortOnError = FALSE;
  if (!SetCommState(handle, &dcb)) {
    fail("cannot set up the port");
    CloseHandle(handle);
    return false;
  }
  handle_ = handle;
  readTotalMs_ = writeTotalMs_ = ~0ul;
  PurgeComm(handle, PURGE_RXCLEAR | PURGE_TXCLEAR);  // nothing from an earlier session counts
  lastError_.clear();
  return true;
}

void ComPortTransport::close() {
  if (!handle_) return;
  CloseHandle(handleOf(handle_));
  handle_ = nullptr;
}

bool ComPortTransport::setTimeouts(unsigned long readTotalMs, unsigned long writeTotalMs) {
  if (readTotalMs == readTotalMs_ && writeTotalMs == writeTotalMs_) return true;
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = kInterByteGapMs;
  timeouts.ReadTotalTimeoutConstant = readTotalMs;
  timeouts.WriteTotalTimeoutConstant = writeTotalMs;
  if (!SetCommTimeouts(handleOf(handle_), &timeouts)) {
    fail("cannot set the port's timeouts");
    return false;
  }
  readTotalMs_ = readTotalMs;
  writeTotalMs_ = writeTotalMs;
  return true;
}

bool ComPortTransport::write(ByteView bytes, Deadline deadline) {
  if (!isOpen()) return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD ms = msLeft(deadline);
    if (ms == 0 || !setTimeouts(readTotalMs_ == ~0ul ? 1 : readTotalMs_, ms)) return false;
    DWORD written = 0;
    if (!WriteFile(handleOf(handle_), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &written,
                   nullptr)) {
      fail("cannot write to the port");
      close();
      return false;
    }
    done += written;
  }
  return true;
}

long ComPortTransport::read(std::span<std::uint8_t> into, Deadline deadline) {
  if (!isOpen()) return -1;
  DWORD ms = msLeft(deadline);
  if (ms == 0) {
    // The deadline has passed: only what is already there.
    DWORD errors = 0;
    COMSTAT status{};
    if (!ClearCommError(handleOf(handle_), &errors, &status) || status.cbInQue == 0) return 0;
    ms = 1;
  }
  if (!setTimeouts(ms, writeTotalMs_ == ~0ul ? 1000 : writeTotalMs_)) return -1;
  DWORD got = 0;
  if (!ReadFile(handleOf(handle_), into.data(), static_cast<DWORD>(into.size()), &got, nullptr)) {
    fail("cannot read from the port");
    close();
    return -1;
  }
  return static_cast<long>(got);
}

}  // namespace kt90::wire
