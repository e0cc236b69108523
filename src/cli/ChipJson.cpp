#include "cli/ChipJson.h"

#include "core/progfile/Checksums.h"
#include "core/text/Format.h"

namespace kt90 {

void writeCalibration(JsonWriter& json, const ProgramImage& image) {
  json.key("calibration").beginArray();
  const int count = image.calibration.count < CaliBrate::kMaxEntries ? image.calibration.count : CaliBrate::kMaxEntries;
  for (int k = 0; k < count; ++k) {
    const CalibrateInfo& entry = image.calibrationEntries[k];
    json.beginObject();
    json.key("name").value(entry.name);
    json.key("enabled").value((image.calibration.enableBits >> k & 1) != 0);
    json.key("volts").value(std::int64_t{(image.calibration.voltageBits >> k & 1) ? 3 : 5});
    json.key("offered").value(entry.offered);
    json.endObject();
  }
  json.endArray();
}

void writeImageFields(JsonWriter& json, WorkingState& state) {
  ProgramImage& image = state.image();
  const std::uint16_t checksum = fileChecksum(image);
  const std::uint16_t signature = chipSignature(image);
  json.key("model").value(state.chipModelName());
  json.key("bitWidth").value(std::int64_t{state.chipInfo().bitWidth});
  json.key("blankWord").value(std::int64_t{state.blankWord()});
  json.key("codeWords").value(std::int64_t{image.head.codeWords()});
  json.key("flags").value(std::int64_t{image.head.flags()});
  json.key("fileVersion").value(std::int64_t{image.head.version()});
  json.key("options").beginObject();
  for (int i = 0; i < 16; ++i) json.key(formatText("0x%04X", 0x2000 + i)).value(std::int64_t{image.optionWord(i)});
  json.endObject();
  json.key("optionMask").value(std::int64_t{image.config.optionMask()});
  json.key("chipSignature").value(std::int64_t{signature});
  json.key("fileChecksum").value(std::int64_t{checksum});
  writeCalibration(json, image);
}

std::string chipJson(WorkingState& state) {
  JsonWriter json;
  json.beginObject();
  writeImageFields(json, state);
  json.endObject();
  return json.str();
}

}  // namespace kt90
