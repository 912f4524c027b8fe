#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace vidtrawl::resolve {

// Page parsers: each takes the fetched page's text and the page address and
// returns the video file's address, or empty text when it finds none. A
// parser never reads outside the page and never throws for any page content.

// Resolves a YouTube player address to the video address (the redirect
// resolver); its result is the parser's result.
using PlayerResolver = std::function<std::string(const std::string &playerAddress)>;

// Fixed address parts of the assembled addresses.
inline constexpr char kMyspaceContentBase[] = "http://content.myspace.com/";
inline constexpr char kBreakMediaBase[] = "http://media1.break.com/dnet/media/";

std::string ParseGoogleVideo(std::string_view pageText, std::string_view pageAddress);
std::string ParseYoutube(std::string_view pageText, std::string_view pageAddress,
                         const PlayerResolver &resolvePlayer);
std::string ParseBolt(std::string_view pageText, std::string_view pageAddress);
std::string ParseMyspace(std::string_view pageText, std::string_view pageAddress);
std::string ParseAngryAlien(std::string_view pageText, std::string_view pageAddress);
std::string ParseThatVideoSite(std::string_view pageText, std::string_view pageAddress);
std::string ParseIFilm(std::string_view pageText, std::string_view pageAddress);
std::string ParseBreak(std::string_view pageText, std::string_view pageAddress);
std::string ParseBlipTV(std::string_view pageText, std::string_view pageAddress);
std::string ParseDailyMotion(std::string_view pageText, std::string_view pageAddress);
std::string ParsePutFile(std::string_view pageText, std::string_view pageAddress);
std::string ParseZippyVideos(std::string_view pageText, std::string_view pageAddress);

// Runs the parser of the site number (see SiteTable.h); empty text for a
// number that belongs to no site.
std::string ParsePage(int site, std::string_view pageText, std::string_view pageAddress,
                      const PlayerResolver &resolvePlayer);

} // namespace vidtrawl::resolve
