#include "gui/X11ClipboardReader.h"

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace vidtrawl::gui {
namespace {

using Clock = std::chrono::steady_clock;

// An owner that has not answered by then is given up on.
constexpr std::chrono::milliseconds kAnswerTimeout{1000};

xcb_atom_t Atom(xcb_connection_t *c, const char *name) {
  xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
  const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(reply);
  return atom;
}

} // namespace

struct X11ClipboardReader::Connection {
  xcb_connection_t *c = nullptr;
  xcb_window_t window = 0;
  xcb_atom_t clipboard = 0, utf8 = 0, incr = 0, property = 0;
  uint8_t fixesEvent = 0;
  ~Connection() {
    if (c != nullptr)
      xcb_disconnect(c);
  }
};

std::unique_ptr<X11ClipboardReader> X11ClipboardReader::Open(const char *display) {
  auto x = std::make_unique<Connection>();
  int screenNumber = 0;
  x->c = xcb_connect(display, &screenNumber);
  if (xcb_connection_has_error(x->c))
    return nullptr;
  const xcb_query_extension_reply_t *fixes = xcb_get_extension_data(x->c, &xcb_xfixes_id);
  if (fixes == nullptr || !fixes->present)
    return nullptr;
  x->fixesEvent = fixes->first_event;
  std::free(xcb_xfixes_query_version_reply(
      x->c, xcb_xfixes_query_version(x->c, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
      nullptr));

  xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(x->c));
  for (int i = 0; i < screenNumber && screens.rem > 0; ++i)
    xcb_screen_next(&screens);
  if (screens.rem == 0)
    return nullptr;
  x->window = xcb_generate_id(x->c);
  const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
  xcb_create_window(x->c, XCB_COPY_FROM_PARENT, x->window, screens.data->root, 0, 0, 1, 1, 0,
                    XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
  x->clipboard = Atom(x->c, "CLIPBOARD");
  x->utf8 = Atom(x->c, "UTF8_STRING");
  x->incr = Atom(x->c, "INCR");
  x->property = Atom(x->c, "VIDTRAWL_CLIPBOARD");
  xcb_xfixes_select_selection_input(x->c, x->window, x->clipboard,
                                    XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                                        XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                                        XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
  xcb_flush(x->c);
  if (xcb_connection_has_error(x->c))
    return nullptr;
  return std::unique_ptr<X11ClipboardReader>(new X11ClipboardReader(std::move(x)));
}

X11ClipboardReader::X11ClipboardReader(std::unique_ptr<Connection> connection)
    : x_(std::move(connection)) {}

X11ClipboardReader::~X11ClipboardReader() {
  Stop();
}

void X11ClipboardReader::Start(Delivery delivery) {
  if (Running())
    return;
  if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0)
    return;
  delivery_ = std::move(delivery);
  thread_ = std::thread([this] { Run(); });
}

void X11ClipboardReader::Stop() {
  if (!Running())
    return;
  const char stop = 1;
  [[maybe_unused]] const ssize_t wrote = ::write(wake_[1], &stop, 1);
  thread_.join();
  ::close(wake_[0]);
  ::close(wake_[1]);
  wake_[0] = wake_[1] = -1;
}

std::string X11ClipboardReader::LastText() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return lastText_;
}

void X11ClipboardReader::Run() {
  const int fd = xcb_get_file_descriptor(x_->c);
  for (;;) {
    // Copies made faster than they can be read are taken together: only
    // the last one is read.
    while (xcb_generic_event_t *event = xcb_poll_for_event(x_->c)) {
      if ((event->response_type & 0x7f) == x_->fixesEvent + XCB_XFIXES_SELECTION_NOTIFY) {
        const auto *notify = reinterpret_cast<xcb_xfixes_selection_notify_event_t *>(event);
        changedAgain_ = true;
        againTimestamp_ = notify->selection_timestamp;
        againHasOwner_ = notify->owner != XCB_NONE;
      }
      std::free(event);
    }
    while (changedAgain_) {
      changedAgain_ = false;
      Deliver(againTimestamp_, againHasOwner_);
    }
    if (xcb_connection_has_error(x_->c))
      return;
    pollfd waits[2] = {{fd, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    if (::poll(waits, 2, -1) < 0 && errno != EINTR)
      return;
    if (waits[1].revents != 0)
      return;
  }
}

void X11ClipboardReader::Deliver(unsigned timestamp, bool hasOwner) {
  std::string text;
  if (hasOwner && !ReadSelection(timestamp, text))
    text.clear();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    lastText_ = text;
  }
  if (!text.empty() && delivery_)
    delivery_(text);
}

// Asks the owner for the clipboard as text and reads the answer; false when
// there is no usable text (none, not text, too long, or no answer in time).
bool X11ClipboardReader::ReadSelection(unsigned timestamp, std::string &text) {
  xcb_connection_t *c = x_->c;
  xcb_convert_selection(c, x_->window, x_->clipboard, x_->utf8, x_->property, timestamp);
  xcb_flush(c);
  const Clock::time_point deadline = Clock::now() + kAnswerTimeout;
  const int fd = xcb_get_file_descriptor(c);
  xcb_atom_t answered = XCB_ATOM_NONE;
  bool done = false;
  while (!done) {
    while (xcb_generic_event_t *event = xcb_poll_for_event(c)) {
      if ((event->response_type & 0x7f) == x_->fixesEvent + XCB_XFIXES_SELECTION_NOTIFY) {
        const auto *change = reinterpret_cast<xcb_xfixes_selection_notify_event_t *>(event);
        changedAgain_ = true;
        againTimestamp_ = change->selection_timestamp;
        againHasOwner_ = change->owner != XCB_NONE;
      } else if ((event->response_type & 0x7f) == XCB_SELECTION_NOTIFY) {
        const auto *notify = reinterpret_cast<xcb_selection_notify_event_t *>(event);
        if (notify->requestor == x_->window && notify->selection == x_->clipboard) {
          answered = notify->property;
          done = true;
        }
      }
      std::free(event);
      if (done)
        break;
    }
    if (done)
      break;
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0 || xcb_connection_has_error(c))
      return false;
    pollfd waits[2] = {{fd, POLLIN, 0}, {wake_[0], POLLIN, 0}};
    if (::poll(waits, 2, static_cast<int>(left.count())) < 0 && errno != EINTR)
      return false;
    if (waits[1].revents != 0)
      return false;
  }
  if (answered == XCB_ATOM_NONE)
    return false; // no text among what the owner offers

  // Its size first: a text longer than any address is not read at all.
  xcb_get_property_reply_t *head = xcb_get_property_reply(
      c, xcb_get_property(c, 0, x_->window, answered, XCB_GET_PROPERTY_TYPE_ANY, 0, 0), nullptr);
  const bool usable = head != nullptr && head->type != x_->incr &&
                      (head->type == x_->utf8 || head->type == XCB_ATOM_STRING) &&
                      head->format == 8 && head->bytes_after <= kMaxText;
  const uint32_t size = head != nullptr ? head->bytes_after : 0;
  std::free(head);
  if (!usable) {
    xcb_delete_property(c, x_->window, answered);
    xcb_flush(c);
    return false;
  }
  xcb_get_property_reply_t *body = xcb_get_property_reply(
      c, xcb_get_property(c, 1, x_->window, answered, XCB_GET_PROPERTY_TYPE_ANY, 0, (size + 3) / 4),
      nullptr);
  if (body == nullptr)
    return false;
  text.assign(static_cast<const char *>(xcb_get_property_value(body)),
              static_cast<std::size_t>(xcb_get_property_value_length(body)));
  std::free(body);
  return !text.empty();
}

} // namespace vidtrawl::gui
