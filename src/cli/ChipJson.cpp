#include "cli/ChipJson.h"

#include "core/progfile/Checksums.h"
#include "core/text/Format.h"

namespace kt90 {
namespace {

Json calibrationJson(const ProgramImage& image) {
  Json entries = Json::array();
  const int count = image.calibration.count < CaliBrate::kMaxEntries ? image.calibration.count : CaliBrate::kMaxEntries;
  for (int k = 0; k < count; ++k) {
    const CalibrateInfo& entry = image.calibrationEntries[k];
    Json item;
    item["name"] = entry.name;
    item["enabled"] = (image.calibration.enableBits >> k & 1) != 0;
    item["volts"] = (image.calibration.voltageBits >> k & 1) ? 3 : 5;
    item["offered"] = entry.offered;
    entries.push_back(std::move(item));
  }
  return entries;
}

}  // namespace

void addImageFields(Json& json, WorkingState& state) {
  ProgramImage& image = state.image();
  json["model"] = state.chipModelName();
  json["bitWidth"] = state.chipInfo().bitWidth;
  json["blankWord"] = state.blankWord();
  json["codeWords"] = image.head.codeWords();
  json["flags"] = image.head.flags();
  json["fileVersion"] = image.head.version();
  Json options = Json::object();
  for (int i = 0; i < 16; ++i) options[formatText("0x%04X", 0x2000 + i)] = image.optionWord(i);
  json["options"] = std::move(options);
  json["optionMask"] = image.config.optionMask();
  json["chipSignature"] = chipSignature(image);
  json["fileChecksum"] = fileChecksum(image);
  json["calibration"] = calibrationJson(image);
}

Json chipJson(WorkingState& state) {
  Json json = Json::object();
  json["ok"] = true;
  addImageFields(json, state);
  return json;
}

}  // namespace kt90
