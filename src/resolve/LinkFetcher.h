#pragma once

#include "net/Download.h"
#include "resolve/RedirectResolver.h"

#include <filesystem>
#include <string>

namespace vidtrawl::resolve {

// Result codes of GetDownloadLink; any other text is a video address.
inline constexpr char kResultNoSupportedSite[] = "-1";
inline constexpr char kResultPageNotFetched[] = "-2";
inline constexpr char kResultNoVideoAddress[] = "0";

// Turns a page address into the address of the video file behind it: fetches
// the page into the scratch file through the transfer component and hands it
// to the site's parser. While the page is fetched, GettingLink() tells the
// transfer's event handlers that the transfer is a page fetch.
class LinkFetcher {
public:
  LinkFetcher(net::Download &download, RedirectResolver &resolver,
              std::filesystem::path scratchFile);

  // The video address, or "-1" (no supported site, nothing fetched), "-2"
  // (the page was not fetched) or "0" (no video address in the page).
  // The address is taken by value: the caller's text may change while the page
  // is fetched (the host runs during the transfer).
  std::string GetDownloadLink(std::string sLink);

  const std::filesystem::path &ScratchFile() const { return scratchFile_; }

  // bGettingLink: the running transfer is a page fetch.
  bool GettingLink() const { return bGettingLink_; }

private:
  net::Download &download_;
  RedirectResolver &resolver_;
  std::filesystem::path scratchFile_;
  bool bGettingLink_ = false;
};

} // namespace vidtrawl::resolve
