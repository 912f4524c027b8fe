// The X11 clipboard reader under Xvfb: owners that answer, refuse, stall, offer too much, flood.
#include "gui/X11ClipboardReader.h"
#include "support/XvfbDisplay.h"

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>
#include <tuple>
#include <vector>

namespace vidtrawl::testing {
namespace {

using namespace std::chrono_literals;

// Takes the clipboard as a program that never answers a request for it.
std::shared_ptr<xcb_connection_t> TakeClipboardSilently(const std::string &display) {
  std::shared_ptr<xcb_connection_t> c(xcb_connect(display.c_str(), nullptr), xcb_disconnect);
  const xcb_window_t window = xcb_generate_id(c.get());
  xcb_create_window(c.get(), XCB_COPY_FROM_PARENT, window,
                    xcb_setup_roots_iterator(xcb_get_setup(c.get())).data->root, 0, 0, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
  auto *atom = xcb_intern_atom_reply(c.get(), xcb_intern_atom(c.get(), 0, 9, "CLIPBOARD"), nullptr);
  xcb_set_selection_owner(c.get(), window, atom->atom, XCB_CURRENT_TIME);
  std::free(atom);
  xcb_flush(c.get());
  return c;
}

TEST(X11ClipboardReader, EachCopysTextIsDeliveredOnceAndNothingElse) {
  XvfbDisplay display;
  VIDTRAWL_NEEDS_TOOL(display.Valid() && !std::system("which xclip >/dev/null"), "Xvfb or xclip");
  std::mutex mutex;
  std::vector<std::string> texts; // delivered
  const auto got = [&] {
    std::lock_guard<std::mutex> lock(mutex);
    return texts;
  };
  const auto reader = gui::X11ClipboardReader::Open(display.Name().c_str());
  ASSERT_TRUE(reader);
  reader->Start([&](const std::string &text) {
    std::lock_guard<std::mutex> lock(mutex);
    texts.push_back(text);
  });
  reader->Start([](const std::string &) {}); // a second start changes nothing
  const std::string address = "http://www.putfile.com/video/1";
  std::vector<std::string> flood;
  for (int i = 0; i < 100; ++i)
    flood.push_back(address + "?" + std::to_string(i));
  // Copies, the type xclip offers them as (none: a silent owner), and if the last is delivered.
  const std::tuple<const char *, const char *, std::vector<std::string>, bool> cases[] = {
      {"text", "UTF8_STRING", {address}, true},
      {"not text", "image/png", {address}, false},
      {"ten megabytes", "UTF8_STRING", {std::string(10 << 20, 'a')}, false},
      {"longer than any address", "UTF8_STRING", {std::string(8193, 'a')}, false},
      {"as long as a text may be", "UTF8_STRING", {std::string(8192, 'b')}, true},
      {"an owner that never answers", nullptr, {}, false},
      {"a flood of copies, read as its last", "UTF8_STRING", flood, true},
      {"the next copy after it", "UTF8_STRING", {address + "?again"}, true},
  };
  std::vector<std::shared_ptr<xcb_connection_t>> silent;
  const std::string xclip = "xclip -selection clipboard -display " + display.Name() + " -t ";
  for (const auto &[name, type, copies, delivered] : cases) {
    SCOPED_TRACE(name);
    const std::size_t before = got().size();
    if (!type)
      silent.push_back(TakeClipboardSilently(display.Name()));
    for (const std::string &text : copies) {
      FILE *copy = ::popen((xclip + type + " >/dev/null 2>&1").c_str(), "w");
      std::fwrite(text.data(), 1, text.size(), copy);
      ::pclose(copy);
    }
    const auto end = std::chrono::steady_clock::now() + (delivered ? 5s : 300ms);
    while (std::chrono::steady_clock::now() < end &&
           !(delivered && got().size() > before && got().back() == copies.back()))
      std::this_thread::sleep_for(5ms);
    const std::vector<std::string> now = got();
    EXPECT_EQ(now.size() > before, delivered);
    if (delivered && now.size() > before) {
      EXPECT_EQ(now.back(), copies.back());
      EXPECT_LE(now.size() - before, copies.size());
      EXPECT_EQ(reader->LastText(), copies.back());
    }
  }
}

} // namespace
} // namespace vidtrawl::testing
