#pragma once

#include <string>

namespace vidtrawl::scheduler {

// What the running program knows of its download pass and of the page the
// movie shows; shared by the pass, the start/stop control and the commands.
struct RunState {
  bool bDownloading = false;   // a download pass is running
  bool bStopRequested = false; // the user asked to stop the pass
  std::string sActivePage;     // the movie page on show: "Download", "About" or empty
};

} // namespace vidtrawl::scheduler
