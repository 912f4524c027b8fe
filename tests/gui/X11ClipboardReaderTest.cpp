// The clipboard watcher's X11 reader against a real X server and clipboard
// owners that answer, refuse, stall or offer far too much.
#include "gui/X11ClipboardReader.h"
#include "support/XvfbDisplay.h"

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace vidtrawl::testing {
namespace {

using namespace std::chrono_literals;

// Another program on the display that owns the clipboard and answers as told.
class ClipboardOwner {
public:
  enum class Answer { Text, Refuse, Silent, Incremental };

  explicit ClipboardOwner(const std::string &display) {
    c_ = xcb_connect(display.c_str(), nullptr);
    const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(c_)).data;
    window_ = xcb_generate_id(c_);
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, window_, screen->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    clipboard_ = Atom("CLIPBOARD");
    incr_ = Atom("INCR");
    thread_ = std::thread([this] { Serve(); });
  }
  ~ClipboardOwner() {
    stop_ = true;
    thread_.join();
    xcb_disconnect(c_);
  }

  // Takes the clipboard, as a copy in a program does.
  void Copy(Answer answer, std::string text = {}) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      answer_ = answer;
      text_ = std::move(text);
    }
    xcb_set_selection_owner(c_, window_, clipboard_, XCB_CURRENT_TIME);
    xcb_flush(c_);
  }

private:
  xcb_atom_t Atom(const char *name) {
    auto *reply = xcb_intern_atom_reply(
        c_, xcb_intern_atom(c_, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
  }
  void Serve() {
    while (!stop_) {
      xcb_generic_event_t *event = xcb_poll_for_event(c_);
      if (event == nullptr) {
        std::this_thread::sleep_for(2ms);
        continue;
      }
      if ((event->response_type & 0x7f) == XCB_SELECTION_REQUEST)
        Reply(*reinterpret_cast<xcb_selection_request_event_t *>(event));
      std::free(event);
    }
  }
  void Reply(const xcb_selection_request_event_t &request) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (answer_ == Answer::Silent)
      return; // never answers
    xcb_selection_notify_event_t notify{};
    notify.response_type = XCB_SELECTION_NOTIFY;
    notify.time = request.time;
    notify.requestor = request.requestor;
    notify.selection = request.selection;
    notify.target = request.target;
    notify.property = request.property;
    if (answer_ == Answer::Refuse) {
      notify.property = XCB_NONE; // no text among what it holds
    } else if (answer_ == Answer::Incremental) {
      const uint32_t size = 10u << 20;
      xcb_change_property(c_, XCB_PROP_MODE_REPLACE, request.requestor, request.property, incr_, 32,
                          1, &size);
    } else {
      xcb_change_property(c_, XCB_PROP_MODE_REPLACE, request.requestor, request.property,
                          request.target, 8, static_cast<uint32_t>(text_.size()), text_.data());
    }
    xcb_send_event(c_, 0, request.requestor, 0, reinterpret_cast<const char *>(&notify));
    xcb_flush(c_);
  }

  xcb_connection_t *c_;
  xcb_window_t window_;
  xcb_atom_t clipboard_, incr_;
  std::mutex mutex_;
  Answer answer_ = Answer::Text;
  std::string text_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

class X11ClipboardReaderTest : public ::testing::Test {
protected:
  void SetUp() override {
    if (!display.Valid())
      GTEST_SKIP() << "Xvfb is needed (scripts/setup-deps installs it)";
    reader = gui::X11ClipboardReader::Open(display.Name().c_str());
    ASSERT_TRUE(reader);
    reader->Start([this](const std::string &text) {
      std::lock_guard<std::mutex> lock(mutex);
      delivered.push_back(text);
      arrived.notify_all();
    });
    owner = std::make_unique<ClipboardOwner>(display.Name());
  }
  // Waits for the delivery count to reach n; the deliveries then.
  std::vector<std::string> Await(std::size_t n, std::chrono::milliseconds limit = 3000ms) {
    std::unique_lock<std::mutex> lock(mutex);
    arrived.wait_for(lock, limit, [&] { return delivered.size() >= n; });
    return delivered;
  }

  XvfbDisplay display;
  std::unique_ptr<gui::X11ClipboardReader> reader;
  std::unique_ptr<ClipboardOwner> owner;
  std::mutex mutex;
  std::condition_variable arrived;
  std::vector<std::string> delivered;
};

TEST_F(X11ClipboardReaderTest, EachCopyOfTextIsDeliveredAndNothingElse) {
  using Answer = ClipboardOwner::Answer;
  const std::string address = "http://www.putfile.com/video/1";
  const struct {
    const char *name;
    Answer answer;
    std::string text;
    bool delivered;
  } copies[] = {
      {"text", Answer::Text, address, true},
      {"not text", Answer::Refuse, "", false},
      {"ten megabytes", Answer::Incremental, "", false},
      {"longer than any address", Answer::Text, std::string(8193, 'a'), false},
      {"an owner that never answers", Answer::Silent, "", false},
      {"the next copy after it", Answer::Text, address + "?again", true},
  };
  std::size_t expected = 0;
  for (const auto &copy : copies) {
    SCOPED_TRACE(copy.name);
    owner->Copy(copy.answer, copy.text);
    if (copy.delivered) {
      const auto got = Await(++expected);
      ASSERT_EQ(got.size(), expected);
      EXPECT_EQ(got.back(), copy.text);
      EXPECT_EQ(reader->LastText(), copy.text);
    } else {
      EXPECT_EQ(Await(expected + 1, 300ms).size(), expected);
    }
  }
}

TEST_F(X11ClipboardReaderTest, AFloodOfCopiesEndsOnTheLastAndASecondStartAddsNothing) {
  for (int i = 0; i < 100; ++i)
    owner->Copy(ClipboardOwner::Answer::Text, "http://blip.tv/file/" + std::to_string(i));
  reader->Start([](const std::string &) {}); // a second start changes nothing
  std::this_thread::sleep_for(1000ms);
  const auto flood = Await(1);
  ASSERT_FALSE(flood.empty());
  EXPECT_LE(flood.size(), 100u);
  EXPECT_EQ(flood.back(), "http://blip.tv/file/99");
  owner->Copy(ClipboardOwner::Answer::Text, "http://blip.tv/file/last");
  const auto after = Await(flood.size() + 1);
  EXPECT_EQ(after.size(), flood.size() + 1);
  EXPECT_EQ(after.back(), "http://blip.tv/file/last");
  EXPECT_EQ(Await(flood.size() + 2, 300ms).size(), flood.size() + 1); // once only
}

} // namespace
} // namespace vidtrawl::testing
