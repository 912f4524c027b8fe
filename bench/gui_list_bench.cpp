// The download list on screen: the list model and view over the whole engine.
//
// 1. Adds 1,000 links one by one through the engine, letting Qt handle its events (paints
//    included) after each.
// 2. Adds a 32,767-item list at once and paints it.
// 3. Scrolls that list one row at a time and one page at a time, painting the view's viewport
//    synchronously after every step.
// 4. Tells the model of an item's progress and paints its status cell, as a transfer does.
// 5. Selects all rows and removes them.
//
// Runs on Qt's offscreen platform unless QT_QPA_PLATFORM says otherwise.

#include "engine/Engine.h"
#include "gui/DownloadListModel.h"
#include "gui/DownloadListView.h"
#include "gui/ListColumns.h"
#include "gui/QtEventLoop.h"

#include <QApplication>
#include <QPixmap>
#include <QScrollBar>

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double MsSince(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// CPU time of this process, in ms: the figure that a busy machine disturbs least.
double CpuMs() {
  timespec t{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

struct Figures {
  double median = 0, mean = 0, max = 0;
};

Figures Summarise(std::vector<double> times) {
  Figures f;
  std::sort(times.begin(), times.end());
  f.median = times[times.size() / 2];
  f.max = times.back();
  for (double t : times)
    f.mean += t;
  f.mean /= static_cast<double>(times.size());
  return f;
}

std::string Url(int n) {
  return "http://www.youtube.com/watch?v=clip" + std::to_string(n) + "&feature=related";
}

// One engine over one shown list view, with its settings in a private folder.
struct GuiWindow {
  explicit GuiWindow(const fs::path &folder)
      : engine(vidtrawl::engine::Hosts{loop},
               vidtrawl::engine::Options{{}, folder / "registry.ini"}),
        model(engine), view(model) {
    view.resize(900, 400);
    view.Layout();
    view.show();
    QApplication::processEvents();
  }
  vidtrawl::gui::QtEventLoop loop;
  vidtrawl::engine::Engine engine;
  vidtrawl::gui::DownloadListModel model;
  vidtrawl::gui::DownloadListView view;
};

// Paints the viewport now and returns how long that took.
double PaintMs(vidtrawl::gui::DownloadListView &view) {
  const auto start = Clock::now();
  const QPixmap shot = view.viewport()->grab();
  const double ms = MsSince(start);
  if (shot.isNull())
    std::fprintf(stderr, "empty paint\n");
  return ms;
}

} // namespace

int main(int argc, char **argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", QByteArray("offscreen"));
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  QApplication app(argc, argv);
  const fs::path folder =
      fs::temp_directory_path() / ("vidtrawl-gui-bench-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  int failures = 0;

  // 1. Adding 1,000 links one by one.
  {
    // "add N" as the arguments: part 1 only, with N links.
    const int kLinks = argc >= 3 ? std::max(1, std::atoi(argv[2])) : 1000;
    GuiWindow w(folder / "add");
    std::vector<double> perAdd;
    perAdd.reserve(kLinks);
    const auto start = Clock::now();
    const double cpuStart = CpuMs();
    for (int i = 1; i <= kLinks; ++i) {
      const auto one = Clock::now();
      w.engine.Add({Url(i)});
      QApplication::processEvents();
      perAdd.push_back(MsSince(one));
    }
    QApplication::processEvents();
    const double total = MsSince(start);
    const double cpu = CpuMs() - cpuStart;
    const Figures f = Summarise(perAdd);
    std::printf("add %d links one by one: %.1f ms in all, %.1f ms CPU (per add: median %.3f ms, "
                "last %.3f ms, max %.3f ms)\n",
                kLinks, total, cpu, f.median, perAdd.back(), f.max);
    if (w.model.rowCount() != kLinks) {
      std::fprintf(stderr, "the view shows %d rows, expected %d\n", w.model.rowCount(), kLinks);
      ++failures;
    }
    if (total > 2000)
      std::printf("  over the 2 s budget\n");
  }

  // 2.-4. A full list of 32,767 items ("add" as the argument: part 1 only).
  if (argc < 2 || std::string(argv[1]) != "add") {
    const int kItems = static_cast<int>(vidtrawl::engine::kListCapacity);
    constexpr int kRuns = 7;
    std::vector<std::string> urls;
    for (int i = 0; i < kItems; ++i)
      urls.push_back(Url(i));
    std::vector<double> adds;
    for (int run = 0; run < kRuns; ++run) {
      GuiWindow fresh(folder / ("full" + std::to_string(run)));
      const auto start = Clock::now();
      fresh.engine.Add(urls);
      QApplication::processEvents(); // the repaint after the rows came
      adds.push_back(MsSince(start));
      if (fresh.model.rowCount() != kItems) {
        std::fprintf(stderr, "add %d failed (%d rows)\n", run + 1, fresh.model.rowCount());
        ++failures;
      }
    }
    const Figures add = Summarise(adds);
    std::printf("add %d items at once (with the repaint): median %.2f ms, max %.2f ms\n", kItems,
                add.median, add.max);
    GuiWindow w(folder / "full");
    w.engine.Add(urls);
    QApplication::processEvents();

    QScrollBar *bar = w.view.verticalScrollBar();
    const int rowsPerPage = std::max(1, bar->pageStep());
    std::vector<double> rowSteps, pageSteps, jumps;
    // One row at a time from the top, from the middle and near the end.
    for (int origin : {0, bar->maximum() / 2, bar->maximum() - 250}) {
      bar->setValue(origin);
      PaintMs(w.view);
      for (int step = 0; step < 200; ++step) {
        const auto start = Clock::now();
        bar->setValue(bar->value() + 1);
        PaintMs(w.view);
        rowSteps.push_back(MsSince(start));
      }
    }
    bar->setValue(0);
    while (bar->value() < bar->maximum() && pageSteps.size() < 400) {
      const auto start = Clock::now();
      bar->setValue(bar->value() + rowsPerPage);
      PaintMs(w.view);
      pageSteps.push_back(MsSince(start));
    }
    for (int i = 0; i < 100; ++i) {
      const auto start = Clock::now();
      bar->setValue(static_cast<int>((static_cast<long long>(i) * 7919) % (bar->maximum() + 1)));
      PaintMs(w.view);
      jumps.push_back(MsSince(start));
    }
    const Figures row = Summarise(rowSteps), page = Summarise(pageSteps), jump = Summarise(jumps);
    std::printf("scroll one row and paint: median %.3f ms, mean %.3f ms, max %.3f ms (%zu steps)\n",
                row.median, row.mean, row.max, rowSteps.size());
    std::printf("scroll one page (%d rows) and paint: median %.3f ms, mean %.3f ms, max %.3f ms "
                "(%zu steps)\n",
                rowsPerPage, page.median, page.mean, page.max, pageSteps.size());
    std::printf("jump anywhere and paint: median %.3f ms, max %.3f ms (%zu jumps)\n", jump.median,
                jump.max, jumps.size());

    // Progress of one visible item, told and painted at once.
    bar->setValue(0);
    QApplication::processEvents();
    const QRect cell = w.view.visualRect(w.view.model()->index(5, vidtrawl::gui::kColumnStatus));
    std::vector<double> writes;
    for (int percent = 0; percent <= 100; ++percent) {
      const auto start = Clock::now();
      w.model.ItemChanged(5);
      w.view.viewport()->repaint(cell);
      writes.push_back(MsSince(start));
    }
    const Figures write = Summarise(writes);
    std::printf("progress of an item told and its status cell painted: median %.3f ms, max %.3f "
                "ms\n",
                write.median, write.max);

    // Select all, then remove the selected items (the list empties).
    {
      const auto start = Clock::now();
      w.view.SelectAll();
      const double selectMs = MsSince(start);
      const auto removeStart = Clock::now();
      w.engine.Remove(w.view.SelectedItems());
      QApplication::processEvents();
      const double removeMs = MsSince(removeStart);
      std::printf("select all %d rows: %.1f ms; remove them all: %.1f ms\n", kItems, selectMs,
                  removeMs);
      if (!w.engine.Empty() || w.model.rowCount() != 0) {
        std::fprintf(stderr, "remove selected left %zu items\n", w.engine.Count());
        ++failures;
      }
    }
  }

  std::error_code ignored;
  fs::remove_all(folder, ignored);
  return failures == 0 ? 0 : 1;
}
