#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/base/Reporter.h"
#include "core/editors/OptionDefinition.h"
#include "core/progfile/ProgramImage.h"
#include "core/text/Language.h"

namespace kt90 {

// The OPTION editor: one row per option item, in definition order, then the package row
// when the chip has packages. Each row offers its choices and holds the current one.
class OptionEditorModel {
 public:
  struct Row {
    std::string label;                 // column 0
    std::vector<std::string> entries;  // the selector's entries
    std::vector<bool> selectable;      // per entry
    std::optional<std::size_t> selected;
  };

  // Opening: rows and current choices from `def` and the image's option words masked with
  // `blankMask`. The package row selects the package whose pin map equals the image's;
  // when none does it offers the image's pin map as an extra entry and packageWarning()
  // is set. Does not touch the image (see openOptionEditor for the pin-test word).
  OptionEditorModel(OptionEditorDefinition def, const ProgramImage& image, std::uint16_t blankMask,
                    LanguageId language);

  const std::vector<Row>& rows() const { return rows_; }
  std::size_t itemRows() const { return def_.items.size(); }
  bool hasPackageRow() const { return !packages_.empty(); }
  bool packageWarning() const { return packageWarning_; }

  // The user picks entry `entry` of row `row`: refused (false, selection unchanged) for a
  // not-selectable entry or an index the row does not have.
  bool choose(std::size_t row, std::size_t entry);

  // OK: each item with a selection writes its bits (an item without one keeps them), then
  // the rules in definition order, then the chosen package's pin map (none without
  // packages). Cancel is simply not calling this.
  void accept(ProgramImage& image) const;

 private:
  OptionEditorDefinition def_;
  std::vector<PackageChoice> packages_;  // the definition's, plus the image's own when unknown
  std::vector<Row> rows_;
  bool packageWarning_ = false;
};

// Opens the editor for the definition at `definitionPath`: nullopt, with a message, when
// the definition cannot be read (the chip is then unknown to the program) or lists more
// than can be edited. Otherwise the OpenShort pin-test word takes the definition's
// "OpenShortPINS" at once, whether the editor is then confirmed or cancelled.
std::optional<OptionEditorModel> openOptionEditor(const std::string& definitionPath, const std::string& model,
                                                  ProgramImage& image, std::uint16_t blankMask, LanguageId language,
                                                  Reporter& reporter);

}  // namespace kt90
