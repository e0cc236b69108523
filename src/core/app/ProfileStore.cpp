#include "core/app/ProfileStore.h"

#include "core/chip/IniDocument.h"

namespace kt90 {

std::int32_t MemoryProfile::readInt(const std::string& key, std::int32_t defaultValue) const {
  const auto it = values_.find(key);
  return it == values_.end() ? defaultValue : parseProfileInt(it->second);
}

std::string MemoryProfile::readString(const std::string& key, const std::string& defaultValue) const {
  const auto it = values_.find(key);
  return it == values_.end() ? defaultValue : it->second;
}

void MemoryProfile::writeInt(const std::string& key, std::int32_t value) { values_[key] = std::to_string(value); }

void MemoryProfile::writeString(const std::string& key, const std::string& value) { values_[key] = value; }

}  // namespace kt90
