#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vidtrawl::pagesearch {

// A video file or playlist address written in a script or a player's
// configuration, as written there (maybe relative), with the picture height
// written next to it (0 for none).
struct ScriptVideo {
  std::string address;
  long quality = 0;
};

// Script text as its strings mean it: "\/", "\u002F" and the other escapes
// of ASCII characters but quotes and backslashes, and the entities of
// "&", "/", quotes and angle brackets, replaced by their characters.
std::string UnescapeScript(std::string_view text);

// The addresses a script, a JSON block or a player's data attribute names
// that end in a video file's or a playlist's extension (JW Player's
// setup({file: ...}), sources lists, Flowplayer clips, a configuration
// listing progressive files by quality), in the order written. Their
// quality is read from the object around them ("height", "quality",
// "label", "res"...), else from their key ("720p": ...), else from their
// file name.
std::vector<ScriptVideo> FindScriptVideos(std::string_view script);

// The first address on a video host that the text names; empty for none.
std::string FindHostedAddress(std::string_view text);

} // namespace vidtrawl::pagesearch
