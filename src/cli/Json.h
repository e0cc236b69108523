#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace kt90 {

// A small streaming JSON writer for the CLI's --json output: values are appended in
// order; commas and quoting are handled here.
class JsonWriter {
 public:
  JsonWriter& beginObject();
  JsonWriter& endObject();
  JsonWriter& beginArray();
  JsonWriter& endArray();
  JsonWriter& key(std::string_view name);
  JsonWriter& value(std::string_view text);
  JsonWriter& value(const char* text) { return value(std::string_view(text)); }
  JsonWriter& value(std::int64_t number);
  JsonWriter& value(bool flag);
  JsonWriter& null();
  const std::string& str() const { return out_; }

 private:
  void separate();
  std::string out_;
  bool needComma_ = false;
};

std::string jsonQuote(std::string_view text);

}  // namespace kt90
