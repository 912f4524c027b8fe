#pragma once

#include "net/FileInfoRequest.h"
#include "sites/Site.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vidtrawl::list {

// The local file name of a video: the name its server offers, else the last
// part of its address (which wins anyway for an address ending in ".flv" or
// ".wmv"), or by a rule of `titleOrPath` the page's title with the file's
// extension, else the last part of the address's path; ".flv" added when the site's rule says so;
// cleaned (CleanFileName), then cut to the rule's length at a character boundary, keeping the
// extension.
// The longest name a file may be given: its partial name is 14 bytes longer,
// and a file system's names end at 255.
inline constexpr std::size_t kMaxFileName = 241;

// Cuts a name longer than `limit` bytes to that many at most, keeping its
// extension and never splitting a UTF-8 character: at the end of a word
// where one ends in the last quarter of what is kept (without the blanks,
// dashes and commas before the cut), else at a character.
void ShortenKeepingExtension(std::string &name, std::size_t limit);

// A name the user typed, as a file may have it: cleaned (CleanFileName) and cut to kMaxFileName;
// nothing when nothing usable is left of it.
std::optional<std::string> TypedFileName(std::string_view typed);

// What a name template's fields stand for.
struct NameFields {
  std::string title;         // the page's title, else the file's name without its extension
  std::string id;            // the page address's "v" parameter, else the last part of its path
  std::string site;          // the site's name
  std::string ext;           // the file's extension, without its dot
  std::string uploader = {}; // who put the video up, where a site extractor said
};
// The template with {title}, {id}, {site}, {ext} and {uploader} put in, "NA" for any other field
// (other text as it is), cleaned and cut as a file name is. Its slashes make folders below the
// download folder, each cleaned as a name is; none climbs out of it (an absolute path is taken as
// relative,
// ".." is left out).
std::string NameFromTemplate(std::string_view form, const NameFields &fields);
// The fields of a template that NameFromTemplate knows none of, each once.
std::vector<std::string> UnknownNameFields(std::string_view form);

std::string NameOfVideo(const net::RemoteFile &file, const std::string &videoAddress,
                        const sites::NamingRule &rule, const std::string &pageTitle = {});

// A stream's file keeps its fragments beside it under a name this much longer.
inline constexpr std::size_t kMaxStreamName = kMaxFileName - 9;
// The local file name of a stream joined into one file: the page's title, else the playlist's
// name (the last part of its address's path, its extension left out), with `extension`;
// cleaned and cut as a file name is, to kMaxStreamName.
std::string NameOfStream(const std::string &pageTitle, const std::string &playlistAddress,
                         std::string_view extension);

} // namespace vidtrawl::list
