#pragma once

#include <string>

namespace vidtrawl::testing {

// What the page search makes of a page.
enum class PageResult { File, Hls, Dash, Hosted, Follow, None };

// Pages of no known site in the shapes real sites give them (written here, in
// tests/pagesearch/pages/), with what each carries.
struct PageFixture {
  const char *file;    // in tests/pagesearch/pages/
  const char *address; // where the page is
  // The video file it names; a playlist's address, the video host's address,
  // or the page to search next, as its result says.
  const char *video;
  const char *name; // the local name of the video (the server names none)
  const char
      *reason; // why it cannot be downloaded (a hosted video's address follows); "" if it can
  PageResult result = PageResult::File;
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
     "http://cams.example.tv/live/harbour/master.m3u8", "", "", PageResult::Hls},
    {"no-video.html", "http://tides.example.net/december.html", "", "",
     "no video found on this page", PageResult::None},
    // The article's video, not the advertisement's or the previews' before or beside it.
    {"ad-before-article.html", "http://heraldnews.example.com/2026/03/lifeboat-callout",
     "http://heraldnews.example.com/media/2026/03/lifeboat-callout.mp4",
     "Lifeboat crew called out twice in one night  Harbour Herald.mp4", ""},
    {"hover-previews.html", "http://knots.example.net/watch/bowline",
     "http://knots.example.net/videos/bowline/bowline.webm", "Knots for beginners the bowline.webm",
     ""},
    {"wordpress-youtube.html", "http://saltmarshrowing.example.org/2026/04/on-the-telly/",
     "https://www.youtube.com/watch?v=Qm7kR2xZp4A&_=1", "", "the video is hosted on YouTube",
     PageResult::Hosted},
    {"vimeo-iframe.html", "http://quayside.example.com/people/harbour-master",
     "https://player.vimeo.com/video/918273645?h=4c1e2d9a7b&title=0&byline=0", "",
     "the video is hosted on Vimeo", PageResult::Hosted},
    {"dailymotion-embed.html", "http://fetedeport.example.fr/2026",
     "https://www.dailymotion.com/embed/video/x8q2r7t", "", "the video is hosted on Dailymotion",
     PageResult::Hosted},
    // Players and their configurations.
    {"lazy-sources.html", "http://basin.example.org/news/dredging",
     "http://basin.example.org/clips/dredging-1080p.mp4", "Dredging the inner basin.mp4", ""},
    {"videojs-setup.html", "http://ropeschool.example.org/lessons/splicing",
     "http://media.ropeschool.example.org/lessons/splicing-540.mp4",
     "Splicing rope, step by step.mp4", ""},
    {"jwplayer-setup.html", "http://anglers.example.com/clips/night-fishing",
     "http://cdn.anglers.example.com/uploads/night-fishing.mp4",
     "Night fishing off the breakwater.mp4", ""},
    {"jwplayer-sources.html", "http://tallships.example.net/estuary",
     "http://tallships.example.net/files/tall-ships_1080.mp4", "Tall ships leave the estuary.mp4",
     ""},
    {"flowplayer-clip.html", "http://wildcoast.example.net/seals/pups",
     "http://video.wildcoast.example.net/pups/pups.mp4", "Seal pups on the sandbank.mp4", ""},
    {"player-config-json.html", "http://timelapse.example.com/5521",
     "http://vod.timelapse.example.com/5521/rendition-c.mp4?t=1",
     "Harbour wall repairs, timelapse.mp4", ""},
    {"data-video-src.html", "http://ferrylines.example.com/stories/last-crossing",
     "http://ferrylines.example.com/assets/video/last-crossing.mp4",
     "The ferry's last crossing of the year.mp4", ""},
    {"flash-embed.html", "http://oldfilms.example.org/harbour-1962.html",
     "http://oldfilms.example.org/videos/old-harbour-1962.flv", "Old harbour film, 1962.flv", ""},
    // Structured data.
    {"microdata.html", "http://regatta.example.net/highlights",
     "http://regatta.example.net/files/regatta-highlights.mp4", "Regatta highlights.mp4", ""},
    {"jsonld-sloppy.html", "http://lighthouse.example.org/films",
     "http://lighthouse.example.org/films/lamp-room.mp4", "Two films from the lighthouse.mp4", ""},
    // A page that names only its player page: the player page is searched (here, the next row),
    // and the video keeps the first page's title; a player page's own player page is not.
    {"jsonld-embed-only.html", "http://boatshed.example.org/videos/dinghy-3",
     "http://boatshed.example.org/embed/dinghy-3", "Building a clinker dinghy, part 3.mp4", "",
     PageResult::Follow},
    {"embed-player.html", "http://boatshed.example.org/embed/dinghy-3",
     "http://boatshed.example.org/media/dinghy-3/dinghy-3.mp4",
     "Building a clinker dinghy, part 3 - player.mp4", ""},
    {"og-player-page.html", "http://shorefilms.example.net/films/crab-pots",
     "http://shorefilms.example.net/player/crab-pots?autoplay=1", "Crab pots at dawn.mp4", "",
     PageResult::Follow},
    {"shore-player.html", "http://shorefilms.example.net/player/crab-pots?autoplay=1",
     "http://shorefilms.example.net/media/crab-pots/crab-pots-720.mp4", "Shore Films player.mp4",
     ""},
    {"same-site-iframe.html", "http://www.portcouncil.example.org/meetings/2026-03-12",
     "http://media.portcouncil.example.org/player/meeting-0312", "", "no video found on this page",
     PageResult::Follow},
    {"council-player.html", "http://media.portcouncil.example.org/player/meeting-0312",
     "http://media.portcouncil.example.org/player/meeting-0312/stage", "Port Council webcasts.mp4",
     "", PageResult::Follow},
    {"council-stage.html", "http://media.portcouncil.example.org/player/meeting-0312/stage",
     "http://media.portcouncil.example.org/archive/2026/meeting-0312.mp4",
     "Council meeting, 12 March - webcast.mp4", ""},
    {"dash-only.html", "http://surge.example.tv/replay",
     "http://surge.example.tv/dash/storm-surge/manifest.mpd", "", "", PageResult::Dash},
    // Decoded as a browser decodes it: its title keeps its letters.
    {"windows-1252.html", "http://regates.example.fr/saint-malo.html",
     "http://regates.example.fr/videos/regates-ete.mp4",
     "R\u00e9gates \u00e0 Saint-Malo \u2013 \u00e9t\u00e9.mp4", ""},
};

std::string PageFixtureText(const PageFixture &fixture);

} // namespace vidtrawl::testing
