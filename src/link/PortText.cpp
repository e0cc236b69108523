#include "link/PortText.h"

#include <cctype>

namespace kt90::link {

const std::vector<std::string>& acceptedPortTexts() {
  static const std::vector<std::string> texts = {"STMicroelectronics Virtual COM Port", "KT90", "USB 串行设备"};
  return texts;
}

bool isAcceptedPortText(std::string_view friendlyName) {
  for (const std::string& text : acceptedPortTexts()) {
    if (friendlyName.find(text) != std::string_view::npos) return true;
  }
  return false;
}

std::string friendlyPortName(std::string_view description, std::string_view portName) {
  std::string text(description);
  text += " (";
  text += portName;
  text += ")";
  return text;
}

PortChoice portFromEntryText(std::string_view text) {
  PortChoice choice;
  const std::size_t open = text.rfind('(');
  const std::size_t close = text.rfind(')');
  if (open != std::string_view::npos && close != std::string_view::npos && close > open + 1) {
    choice.portName = std::string(text.substr(open + 1, close - open - 1));
  }

  const std::size_t com = text.find("(COM");
  if (com == std::string_view::npos) return choice;
  // The number: the digits that follow "(COM", with every ")" taken out.
  std::string rest;
  for (char c : text.substr(com + 4)) {
    if (c != ')') rest += c;
  }
  std::size_t digits = 0;
  while (digits < rest.size() && std::isdigit(static_cast<unsigned char>(rest[digits]))) ++digits;
  if (digits == 0 || digits > 3) return choice;
  const unsigned number = static_cast<unsigned>(std::stoul(rest.substr(0, digits)));
  if (number > 255) return choice;
  choice.number = number;
  choice.portName = "COM" + rest.substr(0, digits);
  return choice;
}

}  // namespace kt90::link
