// The download list's own cost: adding 10,000 items at once and one by one, 100,000 record changes
// of one item, and removing them all. Each measure runs several
// times on a fresh list; the medians are printed last.

#include "list/DownloadList.h"
#include "list/ListObserver.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// An observer that does what a cheap one does: notes the change.
struct Counting final : vidtrawl::list::ListObserver {
  void ItemChanged(std::size_t) override { ++told; }
  void ItemsAdded(std::size_t, std::size_t) override { ++told; }
  void ItemsAboutToBeRemoved(std::size_t, std::size_t) override { ++told; }
  void ItemsRemoved(std::size_t, std::size_t) override { ++told; }
  void ItemsSwapped(std::size_t) override { ++told; }
  void ListAboutToReset() override { ++told; }
  void ListReset() override { ++told; }
  long told = 0;
};

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

double Ms(const std::function<void()> &work) {
  const auto start = Clock::now();
  work();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

} // namespace

int main() {
  constexpr int kItems = 10000;
  constexpr int kRuns = 9;
  std::vector<std::string> urls;
  for (int i = 0; i < kItems; ++i)
    urls.push_back("http://www.youtube.com/watch?v=clip" + std::to_string(i) +
                   "&feature=related&list=abcdef");
  std::vector<double> addAll, addOne, changes, removeAll;
  for (int run = 0; run < kRuns; ++run) {
    vidtrawl::list::DownloadList list;
    Counting observer;
    list.Subscribe(&observer);
    addAll.push_back(Ms([&] { list.Add(urls); }));
    vidtrawl::list::DownloadList single;
    addOne.push_back(Ms([&] {
      for (const std::string &url : urls)
        single.Add({url});
    }));
    changes.push_back(Ms([&] {
      for (std::uint64_t bytes = 0; bytes < 100000; ++bytes)
        list.Update(kItems / 2, [bytes](vidtrawl::list::Item &item) { item.received = bytes; });
    }));
    std::vector<vidtrawl::list::Serial> all;
    for (const auto &item : list.Items())
      all.push_back(item.serial);
    removeAll.push_back(Ms([&] { list.Remove(all); }));
    if (!list.Empty() || single.Count() != kItems || observer.told < 100000) {
      std::fprintf(stderr, "run %d went wrong\n", run + 1);
      return 1;
    }
  }
  std::printf("add %d items at once: %.3f ms\n", kItems, Median(addAll));
  std::printf("add %d items one by one: %.3f ms\n", kItems, Median(addOne));
  std::printf("100000 changes of one item: %.3f ms\n", Median(changes));
  std::printf("remove %d items at once: %.3f ms\n", kItems, Median(removeAll));
  return 0;
}
