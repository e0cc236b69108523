#include "core/app/UpdateCheck.h"

#include "core/text/Format.h"
#include "core/text/StringTable.h"

namespace kt90 {
namespace {

constexpr std::string_view kDownloadMarker = "软件下载";
constexpr std::size_t kErrorUnits = 1023;

}  // namespace

std::string updateSearchKey(const std::string& windowText) { return windowText + " V"; }

std::string publishedVersion(std::string_view page, std::string_view searchKey, int versionLength) {
  const std::size_t marker = page.find(kDownloadMarker);
  if (marker == std::string_view::npos) return {};
  const std::size_t open = page.find("<td", marker);
  if (open == std::string_view::npos) return {};
  const std::size_t close = page.find("</td>", open);
  if (close == std::string_view::npos) return {};
  const std::string_view cell = page.substr(open, close - open);

  const std::size_t key = cell.find(searchKey);
  if (key == std::string_view::npos || versionLength <= 0) return {};
  const std::string rest(cell.substr(key + searchKey.size()));
  return cutToUtf16Units(rest, static_cast<std::size_t>(versionLength));
}

bool offersUpdate(const std::string& published, const std::string& current) {
  return !published.empty() && published != current;
}

std::string updateQuestion(const std::string& current, const std::string& published) {
  return formatText(text(TextId::UpdateQuestion, kChinese), current.c_str(), published.c_str());
}

std::string lastTimeText(const std::tm& day) {
  return formatText("%04d/%02d/%02d", day.tm_year + 1900, day.tm_mon + 1, day.tm_mday);
}

UpdateCheckResult runUpdateCheck(const Settings& settings, ProfileStore& profile, UpdateCheckIo& io,
                                 const std::tm& today) {
  if (settings.checkVersion == 0) return UpdateCheckResult::Disabled;

  const PageFetch page = io.fetch(settings.checkUrl);
  const auto language = static_cast<LanguageId>(profile.readInt(profile::kLanguage, profile::kDefaultLanguage));
  const std::string error =
      page.tooLarge ? formatText(text(TextId::UpdatePageTooLarge, language), static_cast<unsigned>(kUpdatePageMaxBytes))
                    : page.errorText;
  std::string published;
  if (!error.empty()) {
    io.messageBox(cutToUtf16Units(error, kErrorUnits), MessageButtons::Ok);
  } else if (page.connected) {
    published = publishedVersion(page.body, updateSearchKey(settings.windowText), settings.versionLength);
  }
  profile.writeString(profile::kLastTime, lastTimeText(today));

  if (!error.empty()) return UpdateCheckResult::Failed;
  if (!offersUpdate(published, settings.version)) return UpdateCheckResult::NothingNew;
  if (io.messageBox(updateQuestion(settings.version, published), MessageButtons::YesNo) != MessageAnswer::Yes) {
    return UpdateCheckResult::Declined;
  }
  io.openUrl(settings.downloadUrl);
  return UpdateCheckResult::Opened;
}

}  // namespace kt90
