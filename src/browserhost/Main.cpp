// vidtrawl-browser-host: the browser extension's native messaging host. It
// reads the extension's items from standard input, hands each to the desktop
// program of this user session (starting it when none runs) and answers
// each with a result the extension shows.
#include "browserhost/DesktopLink.h"
#include "browserhost/NativeMessages.h"
#include "channel/HandedItem.h"

#include <nlohmann/json.hpp>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

using vidtrawl::browserhost::Frame;

// A browser asks once a click: more from one connection is no user's doing.
constexpr int kMaxItems = 100;

bool Answer(bool ok, const std::string &text) {
  const nlohmann::json answer = {{"ok", ok}, {"text", text}};
  return vidtrawl::browserhost::WriteFrame(
      STDOUT_FILENO, answer.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

} // namespace

int main(int argc, char **argv) {
  if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "--version") == 0)) {
    std::printf("vidtrawl-browser-host %s: started by a web browser for the Vidtrawl extension "
                "(native messaging); it is no program to run by hand.\n",
                VIDTRAWL_VERSION);
    return 0;
  }
  // An answer to a browser that has gone is no reason to end by a signal, and a
  // started desktop program is nobody's to wait for.
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGCHLD, SIG_IGN);
  vidtrawl::browserhost::DesktopLink desktop;
  for (int taken = 0;;) {
    const Frame frame = vidtrawl::browserhost::ReadFrame(STDIN_FILENO);
    switch (frame.end) {
    case Frame::End::Closed:
      return 0;
    case Frame::End::Cut:
      std::fputs("vidtrawl-browser-host: the input ended inside a message\n", stderr);
      return 1;
    case Frame::End::TooLarge:
      Answer(false, "Not sent: the message is longer than 1 MiB (" + std::to_string(frame.length) +
                        " bytes)");
      return 1;
    case Frame::End::Message:
      break;
    }
    const vidtrawl::channel::ItemReading reading = vidtrawl::channel::ReadItem(frame.text);
    bool answered = false;
    if (!reading.item) {
      answered = Answer(false, "Not sent: " + reading.problem);
    } else if (taken == kMaxItems) {
      answered = Answer(false, "Not sent: " + std::to_string(kMaxItems) +
                                   " items came already from this connection");
    } else if (const std::string problem = desktop.HandOver(*reading.item); !problem.empty()) {
      answered = Answer(false, "Not sent: " + problem);
    } else {
      ++taken;
      answered = Answer(true, "Sent to Vidtrawl: " + reading.item->ListedAddress());
    }
    if (!answered)
      return 1;
  }
}
