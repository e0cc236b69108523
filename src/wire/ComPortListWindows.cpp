#include <windows.h>

#include <algorithm>
#include <map>

#include "core/base/WideText.h"
#include "wire/ComPortList.h"

namespace kt90::wire {

namespace {

// An open registry key, closed when it goes.
class Key {
 public:
  Key(HKEY parent, const std::wstring& path) {
    if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ, &key_) != ERROR_SUCCESS) key_ = nullptr;
  }
  ~Key() {
    if (key_) RegCloseKey(key_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  explicit operator bool() const { return key_ != nullptr; }
  HKEY get() const { return key_; }

  std::vector<std::wstring> subkeys() const {
    std::vector<std::wstring> names;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
      DWORD size = 256;
      if (RegEnumKeyExW(key_, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      names.emplace_back(name, size);
    }
    return names;
  }

  // The string values: name -> text.
  std::vector<std::pair<std::wstring, std::wstring>> strings() const {
    std::vector<std::pair<std::wstring, std::wstring>> values;
    wchar_t name[256];
    wchar_t data[512];
    for (DWORD i = 0;; ++i) {
      DWORD nameSize = 256;
      DWORD dataSize = sizeof data;
      DWORD type = 0;
      const LONG result =
          RegEnumValueW(key_, i, name, &nameSize, nullptr, &type, reinterpret_cast<BYTE*>(data), &dataSize);
      if (result == ERROR_NO_MORE_ITEMS) break;
      if (result != ERROR_SUCCESS || type != REG_SZ) continue;
      std::wstring text(data, dataSize / sizeof(wchar_t));
      while (!text.empty() && text.back() == L'\0') text.pop_back();
      values.emplace_back(std::wstring(name, nameSize), text);
    }
    return values;
  }

  std::wstring string(const wchar_t* valueName) const {
    for (const auto& [name, text] : strings()) {
      if (_wcsicmp(name.c_str(), valueName) == 0) return text;
    }
    return {};
  }

 private:
  HKEY key_ = nullptr;
};

struct UsbPort {
  std::uint16_t vendorId;
  std::uint16_t productId;
  std::wstring friendlyName;
};

// The USB devices that name a COM port, by port name.
std::map<std::wstring, UsbPort> usbPorts() {
  std::map<std::wstring, UsbPort> ports;
  const std::wstring root = L"SYSTEM\\CurrentControlSet\\Enum\\USB";
  Key usb(HKEY_LOCAL_MACHINE, root);
  if (!usb) return ports;
  for (const std::wstring& device : usb.subkeys()) {
    const auto ids = usbIdsFromDeviceKey(wideToUtf8(device));
    if (!ids) continue;
    Key deviceKey(usb.get(), device);
    for (const std::wstring& instance : deviceKey.subkeys()) {
      Key instanceKey(deviceKey.get(), instance);
      Key parameters(instanceKey.get(), L"Device Parameters");
      if (!parameters) continue;
      const std::wstring port = parameters.string(L"PortName");
      if (!port.empty()) ports[port] = {ids->first, ids->second, instanceKey.string(L"FriendlyName")};
    }
  }
  return ports;
}

}  // namespace

std::vector<ComPortInfo> listComPorts() {
  std::vector<ComPortInfo> list;
  Key serialComm(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM");
  if (!serialComm) return list;
  const auto usb = usbPorts();
  for (const auto& [device, port] : serialComm.strings()) {
    ComPortInfo info;
    info.portName = wideToUtf8(port);
    // "\Device\USBSER000" says which driver serves it.
    const std::string deviceName = wideToUtf8(device);
    info.description = deviceName.substr(deviceName.find_last_of('\\') + 1);
    if (const auto found = usb.find(port); found != usb.end()) {
      info.vendorId = found->second.vendorId;
      info.productId = found->second.productId;
      if (!found->second.friendlyName.empty())
        info.description = withoutPortSuffix(wideToUtf8(found->second.friendlyName), info.portName);
    }
    list.push_back(std::move(info));
  }
  std::sort(list.begin(), list.end(),
            [](const ComPortInfo& a, const ComPortInfo& b) { return comPortBefore(a.portName, b.portName); });
  return list;
}

}  // namespace kt90::wire
