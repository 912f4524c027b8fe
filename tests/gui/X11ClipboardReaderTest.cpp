// The clipboard watcher's X11 reader against a real X server and clipboard
// owners that answer, refuse, stall or offer far too much.
#include "gui/X11ClipboardReader.h"
#include "support/XvfbDisplay.h"

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace vidtrawl::testing {
namespace {

using namespace std::chrono_literals;

// Another program on the display that owns the clipboard and answers the
// requests for its text as told, whenever the test lets it.
class ClipboardOwner {
public:
  enum class Answer { Text, Refuse, Silent, Incremental };

  explicit ClipboardOwner(const std::string &display) : c_(xcb_connect(display.c_str(), nullptr)) {
    xcb_create_window(c_, XCB_COPY_FROM_PARENT, window_,
                      xcb_setup_roots_iterator(xcb_get_setup(c_)).data->root, 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
  }
  ~ClipboardOwner() { xcb_disconnect(c_); }

  // Takes the clipboard, as a copy in a program does.
  void Copy(Answer answer, std::string text) {
    answer_ = answer;
    text_ = std::move(text);
    xcb_set_selection_owner(c_, window_, clipboard_, XCB_CURRENT_TIME);
    xcb_flush(c_);
  }
  // Answers a request that has come, else waits a moment.
  void AnswerRequests() {
    xcb_generic_event_t *event = xcb_poll_for_event(c_);
    if (event == nullptr)
      std::this_thread::sleep_for(2ms);
    else if ((event->response_type & 0x7f) == XCB_SELECTION_REQUEST && answer_ != Answer::Silent)
      Reply(*reinterpret_cast<xcb_selection_request_event_t *>(event));
    std::free(event);
  }

private:
  void Reply(const xcb_selection_request_event_t &request) {
    // A refusal: no text among what the owner holds.
    const xcb_selection_notify_event_t notify{XCB_SELECTION_NOTIFY,
                                              0,
                                              0,
                                              request.time,
                                              request.requestor,
                                              request.selection,
                                              request.target,
                                              answer_ == Answer::Refuse ? xcb_atom_t{XCB_NONE}
                                                                        : request.property};
    const uint32_t pieces = 10u << 20; // ten megabytes, to be sent piece by piece
    if (answer_ == Answer::Incremental)
      xcb_change_property(c_, XCB_PROP_MODE_REPLACE, request.requestor, request.property, incr_, 32,
                          1, &pieces);
    else if (answer_ == Answer::Text)
      xcb_change_property(c_, XCB_PROP_MODE_REPLACE, request.requestor, request.property,
                          request.target, 8, static_cast<uint32_t>(text_.size()), text_.data());
    char event[32] = {}; // what an event always takes on the wire
    std::memcpy(event, &notify, sizeof notify);
    xcb_send_event(c_, 0, request.requestor, 0, event);
    xcb_flush(c_);
  }
  xcb_atom_t Atom(const char *name) {
    auto *reply = xcb_intern_atom_reply(
        c_, xcb_intern_atom(c_, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
    const xcb_atom_t atom = reply->atom;
    std::free(reply);
    return atom;
  }

  xcb_connection_t *c_;
  xcb_window_t window_ = xcb_generate_id(c_);
  xcb_atom_t clipboard_ = Atom("CLIPBOARD"), incr_ = Atom("INCR");
  Answer answer_ = Answer::Text;
  std::string text_;
};

TEST(X11ClipboardReader, EachCopysTextIsDeliveredOnceAndNothingElse) {
  XvfbDisplay display;
  if (!display.Valid())
    GTEST_SKIP() << "Xvfb is needed (scripts/setup-deps installs it)";
  std::mutex mutex;
  std::vector<std::string> delivered;
  const auto reader = gui::X11ClipboardReader::Open(display.Name().c_str());
  ASSERT_TRUE(reader);
  reader->Start([&](const std::string &text) {
    std::lock_guard<std::mutex> lock(mutex);
    delivered.push_back(text);
  });
  reader->Start([](const std::string &) {}); // a second start changes nothing
  ClipboardOwner owner(display.Name());

  using Answer = ClipboardOwner::Answer;
  const std::string address = "http://www.putfile.com/video/1";
  const struct {
    const char *name;
    Answer answer;
    std::string text;
    int copies; // made at once, the text followed by the copy's number when more than one
    bool delivered;
  } cases[] = {
      {"text", Answer::Text, address, 1, true},
      {"not text", Answer::Refuse, "", 1, false},
      {"ten megabytes", Answer::Incremental, "", 1, false},
      {"longer than any address", Answer::Text, std::string(8193, 'a'), 1, false},
      {"an owner that never answers", Answer::Silent, "", 1, false},
      {"a flood of copies, read as its last", Answer::Text, address + "?", 100, true},
      {"the next copy after it", Answer::Text, address + "?again", 1, true},
      {"nothing more", Answer::Refuse, "", 1, false},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.name);
    const std::size_t before = [&] {
      std::lock_guard<std::mutex> lock(mutex);
      return delivered.size();
    }();
    for (int i = 0; i < c.copies; ++i)
      owner.Copy(c.answer, c.copies == 1 ? c.text : c.text + std::to_string(i));
    const std::string last = c.copies == 1 ? c.text : c.text + std::to_string(c.copies - 1);
    // The owner answers until the last copy's text came, or for a while.
    std::vector<std::string> got;
    for (auto end = std::chrono::steady_clock::now() + (c.delivered ? 3000ms : 300ms);
         std::chrono::steady_clock::now() < end &&
         !(c.delivered && got.size() > before && got.back() == last);) {
      owner.AnswerRequests();
      std::lock_guard<std::mutex> lock(mutex);
      got = delivered;
    }
    if (!c.delivered) {
      EXPECT_EQ(got.size(), before);
      continue;
    }
    ASSERT_GT(got.size(), before);
    EXPECT_EQ(got.back(), last);
    EXPECT_LE(got.size() - before, static_cast<std::size_t>(c.copies));
    EXPECT_EQ(reader->LastText(), last);
  }
}

} // namespace
} // namespace vidtrawl::testing
