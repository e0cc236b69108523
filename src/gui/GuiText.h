#pragma once
#include <QString>
#include <string>

#include "core/text/Format.h"
#include "core/text/Language.h"
#include "core/text/StringTable.h"

namespace kt90::gui {

// A text of the string table as Qt wants it.
inline QString qtext(TextId id, LanguageId language) { return QString::fromUtf8(text(id, language)); }
inline QString qstr(const std::string& s) { return QString::fromStdString(s); }
inline std::string stdstr(const QString& s) { return s.toStdString(); }

}  // namespace kt90::gui
