#include "cli/DemoSite.h"

namespace vidtrawl::cli {
namespace {

constexpr std::size_t kKiB = 1024;

DemoSite MakeDemoSite() {
  DemoSite site;
  auto page = [&](std::string name, std::string address, std::string path, std::string body,
                  std::string videoAddress, std::string fileName) {
    site.pages.push_back(DemoPage{std::move(name), std::move(address), std::move(path),
                                  std::move(body), std::move(videoAddress), std::move(fileName)});
  };
  auto video = [&](std::string path, std::size_t size, bool announced, std::string filename = {}) {
    const auto seed = static_cast<unsigned>(site.videos.size() + 1);
    site.videos.push_back(DemoVideo{std::move(path), size, announced, std::move(filename), seed});
  };

  page("Google Video", "http://video.google.com/videoplay?docid=7341970225", "/videoplay",
       "<html><head><title>Trawling the deep - Google Video</title></head><body>\n"
       "<div class=\"download\"><a href=\"http://vp.video.google.com/videodownload/"
       "google-deep-trawl.flv\" class=\"ipoddownloadlink\">Download for iPod</a></div>\n"
       "</body></html>\n",
       "http://vp.video.google.com/videodownload/google-deep-trawl.flv", "google-deep-trawl.flv");
  video("/videodownload/google-deep-trawl.flv", 1536 * kKiB, true);

  page("YouTube", "http://www.youtube.com/watch?v=vidtrawl42", "/watch",
       "<html><head><title>YouTube - Harbour at dawn</title></head><body>\n"
       "<div id=\"playerDiv\"><embed src=\"/player2.swf\" flashvars=\"autoplay=1;"
       "http://www.youtube.com/v/vidtrawl42?video_id=vidtrawl42&amp;l=84\" "
       "type=\"application/x-shockwave-flash\"></embed></div>\n</body></html>\n",
       "http://www.youtube.com/get_video?video_id=vidtrawl42&t=OEgsToPDskL", "youtube-harbour.flv");
  site.redirect = {"/v/vidtrawl42",
                   "http://www.youtube.com/swf/l.swf?video_id=vidtrawl42&t=OEgsToPDskL"};
  video("/get_video", 2304 * kKiB, false, "youtube-harbour");

  page("Bolt", "http://www.bolt.com/video/vidtrawl-skate", "/video/vidtrawl-skate",
       "<html><body><p>Share this video:</p>\n"
       "<input type=\"text\" Value=\"[url=http://www.bolt.com/video/vidtrawl-skate][IMG]"
       "http://images.bolt.com/image/bolt-skate_thumb.jpg[/IMG][/url]\" />\n</body></html>\n",
       "http://images.bolt.com/movie/bolt-skate.flv", "bolt-skate.flv");
  video("/movie/bolt-skate.flv", 640 * kKiB, true);

  page("MySpace", "http://vids.myspace.com/index.cfm?fuseaction=vids.individual&videoid=2071385001",
       "/index.cfm",
       "<html><head><title>MySpaceTV Videos: Lighthouse keeper</title></head><body>\n"
       "<div id=\"tv_player\">Lighthouse keeper</div>\n</body></html>\n",
       "http://content.myspace.com/0020713/10/05/2071385001.flv", "2071385001.flv");
  video("/0020713/10/05/2071385001.flv", 1152 * kKiB, true);

  page("AngryAlien", "http://www.angryalien.com/0604/fightclubbunnies.asp",
       "/0604/fightclubbunnies.asp",
       "<html><body><center>\n<embed src=\"http://www.angryalien.com/0604/fightclub-bunnies.flv\" "
       "width=\"400\" height=\"300\" autostart=\"true\">\n</center></body></html>\n",
       "http://www.angryalien.com/0604/fightclub-bunnies.flv", "fightclub-bunnies.flv");
  video("/0604/fightclub-bunnies.flv", 384 * kKiB, true);

  page("ThatVideoSite", "http://www.thatvideosite.com/video/3107", "/video/3107",
       "<html><body><div class='player'>\n<embed src='http://www.thatvideosite.com/media/"
       "thatvideosite-3107.flv' type='application/x-shockwave-flash' width='425'>\n"
       "</div></body></html>\n",
       "http://www.thatvideosite.com/media/thatvideosite-3107.flv", "thatvideosite-3107.flv");
  video("/media/thatvideosite-3107.flv", 896 * kKiB, true);

  page("iFilm", "http://www.ifilm.com/video/2716532", "/video/2716532",
       "<html><body><script type=\"text/javascript\">\n"
       "var flashvars = {*url* : *http://download.ifilm.com/flv/ifilm-2716532.flv*, "
       "*autoplay* : *true*};\n</script></body></html>\n",
       "http://download.ifilm.com/flv/ifilm-2716532.flv", "ifilm-2716532.flv");
  video("/flv/ifilm-2716532.flv", 1792 * kKiB, true);

  page("Break", "http://www.break.com/index/trawler-in-a-storm.html",
       "/index/trawler-in-a-storm.html",
       "<html><head><script type=\"text/javascript\">\n"
       "var sGlobalFileName='break-trawler-storm';\nvar sGlobalContentFilePath='2007/11';\n"
       "</script></head><body></body></html>\n",
       "http://media1.break.com/dnet/media/2007/11/break-trawler-storm.flv",
       "break-trawler-storm.flv");
  video("/dnet/media/2007/11/break-trawler-storm.flv", 512 * kKiB, false);

  page("Blip", "http://blip.tv/file/512204", "/file/512204",
       "<html><body><label>Permalink</label>\n<input readonly=\"readonly\" type=\"text\" "
       "class=\"permalink_input\" value=\"http://blip.tv/file/get/Vidtrawl-NetMending512.flv\" "
       "/>\n</body></html>\n",
       "http://blip.tv/file/get/Vidtrawl-NetMending512.flv", "Vidtrawl-NetMending512.flv");
  video("/file/get/Vidtrawl-NetMending512.flv", 2560 * kKiB, true);

  page("DailyMotion", "http://www.dailymotion.com/video/x3seagulls", "/video/x3seagulls",
       "<html><body><script type=\"text/javascript\">\nvar so = new SWFObject();\n"
       "so.addVariable(\"url\", \"http%3A%2F%2Fwww.dailymotion.com%2Fget%2F14%2F320x240%2Fflv%2F"
       "dailymotion-seagulls\");\nso.write(\"video_player\");\n</script></body></html>\n",
       "http://www.dailymotion.com/get/14/320x240/flv/dailymotion-seagulls",
       "dailymotion-seagulls.flv");
  video("/get/14/320x240/flv/dailymotion-seagulls", 1280 * kKiB, false);

  page("PutFile", "http://media.putfile.com/Rope-Knots-21", "/Rope-Knots-21",
       "<html><body><script type=\"text/javascript\">\nvar so = new SWFObject('/flow.swf');\n"
       "so.addVariable(\"file\",\"http://x.putfile.com/flv/putfile-rope-knots.flv\");\n"
       "</script></body></html>\n",
       "http://x.putfile.com/flv/putfile-rope-knots.flv", "putfile-rope-knots.flv");
  video("/flv/putfile-rope-knots.flv", 768 * kKiB, true);

  page("ZippyVideos", "http://www.zippyvideos.com/4518/vidtrawl-nets/", "/4518/vidtrawl-nets/",
       "<html><body>\n<embed src='http://www.zippyvideos.com/flash/player.swf?storageId=4518"
       "&userName=vidtrawl&videoId=zippy-nets&autoplay=1' srvURL=http://www15.zippyvideos.com' "
       "width='450'>\n</body></html>\n",
       "http://www15.zippyvideos.com/4518/vidtrawl/zippy-nets", "zippy-nets.flv");
  video("/4518/vidtrawl/zippy-nets", 320 * kKiB, false);

  site.unsupportedAddress = "http://www.example.org/videos/trawler.html";
  return site;
}

} // namespace

const DemoSite &TheDemoSite() {
  static const DemoSite site = MakeDemoSite();
  return site;
}

std::string DemoVideoBytes(const DemoVideo &video) {
  // "FLV", version 1, audio and video, header size 9, first tag size 0.
  static const char kHeader[] = "FLV\x01\x05\x00\x00\x00\x09\x00\x00\x00\x00";
  std::string bytes(video.size, '\0');
  const std::size_t header = std::min<std::size_t>(sizeof kHeader - 1, video.size);
  bytes.replace(0, header, kHeader, header);
  std::uint32_t state = video.seed * 2654435761u + 12345u;
  for (std::size_t i = header; i < video.size; ++i) {
    state = state * 1664525u + 1013904223u;
    bytes[i] = static_cast<char>(state >> 24);
  }
  return bytes;
}

} // namespace vidtrawl::cli
