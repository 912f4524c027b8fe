#pragma once

#include <string>

namespace vidtrawl::testing {

// Pages of no known site in the shapes real sites give them (written here, in
// tests/resolve/pages/), with what each carries.
struct PageFixture {
  const char *file;    // in tests/resolve/pages/
  const char *address; // where the page is
  const char *video;   // the video file it names; a playlist's address for "playlist"
  const char *name;    // the local name of the video (the server names none)
  const char *reason;  // why it cannot be downloaded; "" when it can
};

inline constexpr PageFixture kPageFixtures[] = {
    {"blog-video-block.html", "http://quaynotes.example.net/2026/05/launch-day/",
     "http://quaynotes.example.net/wp-content/uploads/2026/05/launch-day.mp4",
     "Launch day at the slipway \u2013 Notes from the Quay.mp4", ""},
    {"archive-details.html", "http://archive.example.org/details/harbour-film-1958",
     "http://archive.example.org/download/harbour-film-1958/harbour-film-1958.mp4",
     "Harbour Film 1958.mp4", ""},
    {"media-library-file.html", "http://media.example.org/wiki/File:Grey_seals_hauled_out.webm",
     "http://upload.media.example.org/transcoded/a/a3/Grey_seals.webm/"
     "Grey_seals.webm.1080p.vp9.webm",
     "FileGrey seals hauled out.webm - Shared Media Library.webm", ""},
    {"news-article.html", "http://gazette.example.com/news/2026/11/ferry-storm",
     "http://gazette.example.com/media/2026/11/pier-waves-720.mp4",
     "Storm closes the ferry route for a third day.mp4", ""},
    {"relative-entities.html", "http://films.example.net/watch/sea-and-sky",
     "http://films.example.net/files/Sea%20%26%20Sky.webm?dl=1&from=page",
     "Sea  Sky \u2014 a short film.webm", ""},
    {"structured-data.html", "http://craft.example.com/watch/net-mending",
     "http://craft.example.com/v/2026/net-mending.mp4",
     "Net mending, start to finish - Craft Videos.mp4", ""},
    {"player-card.html", "http://clips.example.io/gulls", "http://clips.example.io/raw/gulls.mp4",
     "Gulls at the fish market.mp4", ""},
    {"hls-only.html", "http://cams.example.tv/harbour",
     "http://cams.example.tv/live/harbour/master.m3u8", "",
     "streaming playlists are not supported"},
    {"no-video.html", "http://tides.example.net/december.html", "", "",
     "no video found on this page"},
};

std::string PageFixtureText(const PageFixture &fixture);

} // namespace vidtrawl::testing
