#pragma once

#include "resolve/RedirectResolver.h"
#include "scheduler/WindowState.h"
#include "transfer/Download.h"

#include <filesystem>
#include <string>

namespace vidtrawl::resolve {

// Result codes of GetDownloadLink; any other text is a video address.
inline constexpr char kResultNoSupportedSite[] = "-1";
inline constexpr char kResultPageNotFetched[] = "-2";
inline constexpr char kResultNoVideoAddress[] = "0";

// Turns a page address into the address of the video file behind it: fetches
// the page into the scratch file through the transfer component and hands it
// to the site's parser. The transfer's events must reach handlers that set
// the window state's sDownloadResult ("1" on completion, the error text on
// an error).
class LinkFetcher {
public:
  LinkFetcher(transfer::Download &download, RedirectResolver &resolver,
              scheduler::WindowState &state, std::filesystem::path scratchFile);

  // The video address, or "-1" (no supported site, nothing fetched), "-2"
  // (the page was not fetched) or "0" (no video address in the page).
  // The address is taken by value: the caller's text may change while the page
  // is fetched (the host runs during the transfer).
  std::string GetDownloadLink(std::string sLink);

  const std::filesystem::path &ScratchFile() const { return scratchFile_; }

private:
  transfer::Download &download_;
  RedirectResolver &resolver_;
  scheduler::WindowState &state_;
  std::filesystem::path scratchFile_;
};

} // namespace vidtrawl::resolve
