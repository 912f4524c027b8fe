// Rebuilds a 10,000-item download list into a headless grid several times
// and prints each run's time; the last line is the median.

#include "host/HeadlessGrid.h"
#include "host/MessageBox.h"
#include "host/Pump.h"
#include "list/DownloadList.h"
#include "list/ListBinder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

class SilentMessageBox final : public vidtrawl::host::MessageBox {
public:
  Answer ShowMessage(const Message &message) override {
    std::fprintf(stderr, "message: %s\n", message.text.c_str());
    return Answer::Ok;
  }
};

} // namespace

int main() {
  constexpr int kItems = 10000;
  constexpr int kRuns = 15;

  vidtrawl::list::DownloadList items;
  for (int i = 0; i < kItems; ++i) {
    const std::string n = std::to_string(i);
    items.AddItem("http://www.youtube.com/watch?v=clip" + n + "&feature=related&list=abcdef",
                  "A video with a fairly long title number " + n + ".flv",
                  i % 3 == 0 ? "Complete" : "Waiting", i % 3 == 0 ? "12.3 MB" : "????");
  }

  vidtrawl::host::HeadlessGrid grid;
  vidtrawl::host::NoopPump pump;
  SilentMessageBox messages;
  vidtrawl::list::ListBinder binder(items, grid, pump, messages);

  std::vector<double> times;
  for (int run = 0; run < kRuns; ++run) {
    const auto start = std::chrono::steady_clock::now();
    const bool ok = binder.BindList();
    const auto stop = std::chrono::steady_clock::now();
    const double ms = std::chrono::duration<double, std::milli>(stop - start).count();
    if (!ok || grid.RowCount() != kItems) {
      std::fprintf(stderr, "rebuild %d failed (%d rows)\n", run + 1, grid.RowCount());
      return 1;
    }
    times.push_back(ms);
    std::printf("run %2d: %.3f ms\n", run + 1, ms);
  }
  std::sort(times.begin(), times.end());
  std::printf("rebind %d items: %.3f ms\n", kItems, times[times.size() / 2]);
  return 0;
}
