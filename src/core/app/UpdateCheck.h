#pragma once
#include <cstddef>
#include <ctime>
#include <string>
#include <string_view>

#include "core/app/Host.h"
#include "core/app/ProfileStore.h"
#include "core/app/Settings.h"

namespace kt90 {

// The rules of the update check: the published version is read from the first table
// cell after "软件下载" on the page at CK_URL, as the VersionLength characters that follow
// WndTxt + " V" in that cell.

// WndTxt + " V".
std::string updateSearchKey(const std::string& windowText);
// The published version on `page`, empty when a marker or the key is missing.
// `versionLength` counts UTF-16 units, as the version text was counted; never more
// than the cell holds after the key.
std::string publishedVersion(std::string_view page, std::string_view searchKey, int versionLength);
// Whether the user is asked: a published version that differs from ours.
bool offersUpdate(const std::string& published, const std::string& current);
// The question, in Chinese in both languages.
std::string updateQuestion(const std::string& current, const std::string& published);
// "%Y/%m/%d", the form of the profile's "LastTime".
std::string lastTimeText(const std::tm& day);

// The most of a page the check reads: a version page is small, and a reply that is not
// must not fill the memory.
inline constexpr std::size_t kUpdatePageMaxBytes = 64 * 1024;

// What a page request gave.
struct PageFetch {
  bool connected = true;  // false: no network at all, nothing to say
  std::string errorText;  // a request error, shown in a message box
  std::string body;       // the page's body (UTF-8), whatever the status
  bool tooLarge = false;  // the reply ran past kUpdatePageMaxBytes and was given up: a failed check
};

// The platform half of the check: the request, the message boxes and opening a page.
class UpdateCheckIo {
 public:
  virtual ~UpdateCheckIo() = default;
  virtual PageFetch fetch(const std::string& url) = 0;
  virtual MessageAnswer messageBox(const std::string& text, MessageButtons buttons) = 0;
  virtual void openUrl(const std::string& url) = 0;
};

enum class UpdateCheckResult { Disabled, NothingNew, Declined, Opened, Failed };

// The check as it runs on its own thread: nothing when CheckVersion is 0; otherwise
// fetch, record today in "LastTime" whatever came of it, and offer DL_URL when the
// published version differs from ours.
UpdateCheckResult runUpdateCheck(const Settings& settings, ProfileStore& profile, UpdateCheckIo& io,
                                 const std::tm& today);

}  // namespace kt90
