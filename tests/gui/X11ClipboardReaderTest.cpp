// The clipboard watcher's X11 reader against a real X server and clipboard
// owners that answer, refuse, stall or offer far too much.
#include "gui/X11ClipboardReader.h"
#include "support/XvfbDisplay.h"

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

namespace vidtrawl::testing {
namespace {

using namespace std::chrono_literals;

// Copies as xclip does: the texts, one copy after the other, each offered
// as `type` by an xclip of its own until the next copy takes the clipboard.
void Copy(const std::string &display, const char *type, const std::vector<std::string> &texts) {
  for (const std::string &text : texts) {
    FILE *xclip = ::popen(
        ("xclip -selection clipboard -display " + display + " -t " + type + " >/dev/null 2>&1")
            .c_str(),
        "w");
    ASSERT_NE(xclip, nullptr);
    std::fwrite(text.data(), 1, text.size(), xclip);
    ::pclose(xclip);
  }
}

// A program that takes the clipboard and never answers a request for it.
struct SilentOwner {
  explicit SilentOwner(const std::string &display) : c(xcb_connect(display.c_str(), nullptr)) {
    const xcb_window_t window = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window,
                      xcb_setup_roots_iterator(xcb_get_setup(c)).data->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_intern_atom_reply_t *clipboard =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, 9, "CLIPBOARD"), nullptr);
    xcb_set_selection_owner(c, window, clipboard->atom, XCB_CURRENT_TIME);
    std::free(clipboard);
    xcb_flush(c);
  }
  ~SilentOwner() { xcb_disconnect(c); }
  xcb_connection_t *c;
};

TEST(X11ClipboardReader, EachCopysTextIsDeliveredOnceAndNothingElse) {
  XvfbDisplay display;
  if (!display.Valid() || std::system("command -v xclip >/dev/null") != 0)
    GTEST_SKIP() << "Xvfb and xclip are needed (scripts/setup-deps installs them)";
  std::mutex mutex;
  std::vector<std::string> delivered;
  const auto reader = gui::X11ClipboardReader::Open(display.Name().c_str());
  ASSERT_TRUE(reader);
  reader->Start([&](const std::string &text) {
    std::lock_guard<std::mutex> lock(mutex);
    delivered.push_back(text);
  });
  reader->Start([](const std::string &) {}); // a second start changes nothing
  const std::string address = "http://www.putfile.com/video/1";
  std::vector<std::string> flood;
  for (int i = 0; i < 100; ++i)
    flood.push_back(address + "?" + std::to_string(i));
  const struct {
    const char *name;
    const char *type; // nullptr: an owner that never answers
    std::vector<std::string> copies;
    bool delivered; // the last copy's text
  } cases[] = {
      {"text", "UTF8_STRING", {address}, true},
      {"not text", "image/png", {address}, false},
      {"ten megabytes", "UTF8_STRING", {std::string(10 << 20, 'a')}, false},
      {"longer than any address", "UTF8_STRING", {std::string(8193, 'a')}, false},
      {"an owner that never answers", nullptr, {}, false},
      {"a flood of copies, read as its last", "UTF8_STRING", flood, true},
      {"the next copy after it", "UTF8_STRING", {address + "?again"}, true},
      {"nothing more", "image/png", {address}, false},
  };
  std::vector<std::unique_ptr<SilentOwner>> silent;
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    const auto got = [&] {
      std::lock_guard<std::mutex> lock(mutex);
      return delivered;
    };
    const std::size_t before = got().size();
    if (c.type)
      Copy(display.Name(), c.type, c.copies);
    else
      silent.push_back(std::make_unique<SilentOwner>(display.Name()));
    const auto end = std::chrono::steady_clock::now() + (c.delivered ? 5s : 300ms);
    while (std::chrono::steady_clock::now() < end &&
           !(c.delivered && got().size() > before && got().back() == c.copies.back()))
      std::this_thread::sleep_for(5ms);
    if (!c.delivered) {
      EXPECT_EQ(got().size(), before);
      continue;
    }
    ASSERT_GT(got().size(), before);
    EXPECT_EQ(got().back(), c.copies.back());
    EXPECT_LE(got().size() - before, c.copies.size());
    EXPECT_EQ(reader->LastText(), c.copies.back());
  }
}

} // namespace
} // namespace vidtrawl::testing
