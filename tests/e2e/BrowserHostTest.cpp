// The browser's native messaging host as the browser runs it: framed messages on its standard
// input, framed answers on its output, and items handed to the desktop program of the session,
// which it starts when none runs (offscreen here). Hostile input ends in a clear answer or a
// clean exit, and nothing reaches the list that should not.
#include "e2e/ChildProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <set>

namespace vidtrawl::testing {
namespace {

namespace fs = std::filesystem;

std::string Framed(const std::string &text, std::uint32_t length) {
  std::string frame(4, '\0');
  std::memcpy(frame.data(), &length, 4);
  return frame + text;
}
std::string Framed(const std::string &text) {
  return Framed(text, static_cast<std::uint32_t>(text.size()));
}
std::string Times(int count, const std::string &frame) {
  std::string all;
  for (int i = 0; i < count; ++i)
    all += frame;
  return all;
}

// The answers' texts, "+" before a sent one and "-" before a refused one.
std::vector<std::string> Answers(const std::string &out) {
  std::vector<std::string> answers;
  for (std::size_t at = 0; at + 4 <= out.size();) {
    std::uint32_t length = 0;
    std::memcpy(&length, out.data() + at, 4);
    const auto answer = nlohmann::json::parse(out.substr(at + 4, length));
    answers.push_back((answer["ok"] == true ? "+" : "-") + answer["text"].get<std::string>());
    at += 4 + length;
  }
  return answers;
}

// The desktop program a host started for this test's runtime folder: ended by its own id.
void EndDesktopOf(const fs::path &runtime) {
  for (const auto &entry : fs::directory_iterator("/proc")) {
    const std::string environment = ReadFile(entry.path() / "environ");
    if (ReadFile(entry.path() / "comm") == "vidtrawl\n" &&
        environment.find("XDG_RUNTIME_DIR=" + runtime.string() + '\0') != std::string::npos)
      ::kill(std::stoi(entry.path().filename()), SIGTERM);
  }
}

TEST(GuiSession, TheBrowserHostAnswersEachMessageAndHandsOverOnlyWhatItAccepts) {
  TempDir home;
  const fs::path runtime = home / "runtime";
  fs::create_directory(runtime);
  fs::permissions(runtime, fs::perms::owner_all);
  auto env = CliEnvironment(home.path());
  env.insert({{"XDG_DATA_HOME", (home / "data").string()},
              {"XDG_RUNTIME_DIR", runtime.string()},
              {"QT_QPA_PLATFORM", "offscreen"},
              {"DISPLAY", ":93"}});
  const std::string video = "https://media.example.org/clip.mp4", page = "http://example.org/p";
  const std::string item = R"({"address":")" + video + R"(","page":")" + page +
                           R"(","title":"Clip","userAgent":"UA","cookies":[{"name":"s",)"
                           R"("value":"1","domain":"media.example.org","expires":1.8e9}]})";
  const std::string refused = Framed(R"x({"address":"javascript:alert(1)"})x");
  const std::string tooMany = "-Not sent: 100 items came already from this connection";
  struct Row {
    std::string input;
    std::vector<std::string> answers; // those not listed must be the last one's
    std::size_t count;
    int status;
  };
  const Row rows[] = {
      // The first starts the desktop program; the same item again is listed once.
      {Framed(item) + Framed(R"({"page":")" + page + "\"}"),
       {"+Sent to Vidtrawl: " + video, "+Sent to Vidtrawl: " + page},
       2,
       0},
      {Framed("", 2u << 20), {"-Not sent: the message is longer than 1 MiB (2097152 bytes)"}, 1, 1},
      {Framed("", 10), {}, 0, 1},
      {Framed(item).substr(0, 40), {}, 0, 1},
      {std::string("\x10\0", 2), {}, 0, 1},
      {Framed("{\"page\":") + Framed("") + Framed(std::string(1 << 20, '[')) +
           Framed(R"({"page":")" + page + "\",\"bogus\":1}") + Framed(R"({"title":"no address"})"),
       {"-Not sent: the message is not JSON", "-Not sent: the message is not JSON",
        "-Not sent: the message is not JSON", "-Not sent: unknown field \"bogus\"",
        "-Not sent: no address"},
       5,
       0},
      {Framed(R"({"address":"file:///etc/passwd"})") +
           Framed(R"({"page":"http://example.org/","referer":"data:text/html,x"})") +
           Framed(R"({"page":"http://example.org/","userAgent":"UA\r\nX-Injected: 1"})") +
           Framed(R"({"page":"http://example.org/","cookies":[{"name":"a","value":"b;c",)"
                  R"("domain":"example.org"}]})") +
           Framed(R"({"page":"http:///nohost"})"),
       {"-Not sent: address is not an http or https address",
        "-Not sent: referer is not an http or https address",
        "-Not sent: userAgent holds a control character",
        "-Not sent: cookie: a name, value or domain holds ';' (or a name or domain a blank)",
        "-Not sent: page is not an http or https address"},
       5,
       0},
      {Times(10000, Framed(item)), {"+Sent to Vidtrawl: " + video}, 10000, 0},
      {Times(10000, refused), {"-Not sent: address is not an http or https address"}, 10000, 0},
  };
  const fs::path input = home / "input";
  for (const Row &row : rows) {
    WriteFile(input, row.input);
    ChildProcess host(VIDTRAWL_BROWSER_HOST_BINARY, {}, env, input);
    const ChildProcess::Result result = host.Wait(std::chrono::seconds(60));
    const std::vector<std::string> answers = Answers(result.out);
    EXPECT_EQ(result.exitCode, row.status) << row.input.substr(0, 80) << result.err;
    ASSERT_EQ(answers.size(), row.count) << row.input.substr(0, 80);
    for (std::size_t i = 0; i < answers.size(); ++i) {
      const bool flooded = row.count == 10000 && row.answers[0][0] == '+' && i >= 100;
      EXPECT_EQ(answers[i], flooded ? tooMany : row.answers[std::min(i, row.answers.size() - 1)]);
    }
  }
  // The desktop's list holds the two items accepted, once each.
  const fs::path listFile = home / "data/vidtrawl/list.json";
  const auto list = nlohmann::json::parse(ReadFile(listFile));
  std::set<std::string> listed;
  for (const auto &entry : list["items"])
    listed.insert(entry["address"].get<std::string>());
  EndDesktopOf(runtime);
  EXPECT_EQ(listed, (std::set<std::string>{video, page}));
}

} // namespace
} // namespace vidtrawl::testing
