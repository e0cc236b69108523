#include "link/QtSerialTransport.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QSerialPort>
#include <QThread>

#include "wire/Protocol.h"

namespace kt90::link {

namespace {

// Whole milliseconds left until `deadline`, rounded up so a wait never ends early.
int msLeft(wire::Deadline deadline) {
  const auto left = deadline - wire::Clock::now();
  if (left <= wire::Clock::duration::zero()) return 0;
  const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
  return ms > 1000000 ? 1000000 : static_cast<int>(ms);
}

}  // namespace

QtSerialTransport::QtSerialTransport() = default;
QtSerialTransport::~QtSerialTransport() { close(); }

bool QtSerialTransport::open(const std::string& portName) {
  close();
  // The waits below need no event loop, but an open port registers notifiers with its
  // thread's event dispatcher; a plain worker thread is given one so that is quiet.
  if (QCoreApplication::instance() && !QThread::currentThread()->eventDispatcher()) QEventLoop dispatcherMaker;
  auto port = std::make_unique<QSerialPort>();
  port->setPortName(QString::fromStdString(portName));
  port->setBaudRate(wire::kBaudRate);
  port->setDataBits(QSerialPort::Data8);
  port->setParity(QSerialPort::NoParity);
  port->setStopBits(QSerialPort::OneStop);
  port->setFlowControl(QSerialPort::NoFlowControl);
  if (!port->open(QIODevice::ReadWrite)) {
    lastError_ = port->errorString().toStdString();
    return false;
  }
  port->clear(QSerialPort::Input);  // nothing left over from an earlier session counts
  port_ = std::move(port);
  lastError_.clear();
  return true;
}

void QtSerialTransport::close() {
  if (!port_) return;
  port_->close();
  port_.reset();
}

bool QtSerialTransport::isOpen() const { return port_ && port_->isOpen(); }

bool QtSerialTransport::write(ByteView bytes, wire::Deadline deadline) {
  if (!isOpen()) return false;
  const auto* data = reinterpret_cast<const char*>(bytes.data());
  if (port_->write(data, static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size())) {
    lastError_ = port_->errorString().toStdString();
    return false;
  }
  while (port_->bytesToWrite() > 0) {
    const int ms = msLeft(deadline);
    if (ms == 0 || !port_->waitForBytesWritten(ms)) {
      lastError_ = port_->errorString().toStdString();
      return false;
    }
  }
  return true;
}

long QtSerialTransport::read(std::span<std::uint8_t> into, wire::Deadline deadline) {
  if (!isOpen()) return -1;
  if (port_->bytesAvailable() == 0) {
    const int ms = msLeft(deadline);
    if (ms == 0) return 0;
    port_->clearError();
    if (!port_->waitForReadyRead(ms)) {
      if (port_->error() == QSerialPort::TimeoutError || port_->error() == QSerialPort::NoError) return 0;
      lastError_ = port_->errorString().toStdString();
      return -1;
    }
  }
  const qint64 n = port_->read(reinterpret_cast<char*>(into.data()), static_cast<qint64>(into.size()));
  if (n < 0) {
    lastError_ = port_->errorString().toStdString();
    return -1;
  }
  return static_cast<long>(n);
}

}  // namespace kt90::link
