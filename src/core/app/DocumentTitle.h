#pragma once
#include <string>

#include "core/text/Language.h"

namespace kt90 {

// The main window's title: the program file's name, "*" while the image holds unsaved
// changes, then the program's own title ("blink.vk* - <title>"). Without a file it is
// the program's title alone, or "Untitled*" in front of it once there is something to save.
std::string documentTitle(const std::string& programTitle, const std::string& filePath, bool unsavedChanges,
                          LanguageId language);

}  // namespace kt90
