// The browser's host as a browser runs it, handing items to the session's desktop program, which
// it starts (offscreen here): hostile input ends in a clear answer or a clean exit, and nothing
// reaches the list that should not.
#include "e2e/ChildProcess.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>
#include <cstdint>
#include <cstring>
#include <map>
#include <optional>
#include <set>

namespace vidtrawl::testing {
namespace {

namespace fs = std::filesystem;

// A message as browsers frame it (its length in this machine's order), `times` over.
std::string Framed(const std::string &text, int times = 1,
                   std::optional<std::uint32_t> length = std::nullopt) {
  std::string frame(4, '\0');
  const std::uint32_t said = length.value_or(static_cast<std::uint32_t>(text.size()));
  std::memcpy(frame.data(), &said, 4);
  std::string all;
  for (int i = 0; i < times; ++i)
    all += frame + text;
  return all;
}

// How many times each answer came: "+TEXT" for a sent item, "-TEXT" for a refused one.
std::map<std::string, int> Answers(const std::string &out) {
  std::map<std::string, int> answers;
  for (std::size_t at = 0; at + 4 <= out.size();) {
    std::uint32_t length = 0;
    std::memcpy(&length, out.data() + at, 4);
    const auto answer = nlohmann::json::parse(out.substr(at + 4, length));
    ++answers[(answer["ok"] == true ? "+" : "-") + answer["text"].get<std::string>()];
    at += 4 + length;
  }
  return answers;
}

TEST(GuiSession, TheBrowserHostAnswersEachMessageAndHandsOverOnlyWhatItAccepts) {
  TempDir home; // the runtime folder too: the user's alone
  auto env = CliEnvironment(home.path());
  env.insert({{"XDG_RUNTIME_DIR", home.path().string()},
              {"QT_QPA_PLATFORM", "offscreen"},
              {"DISPLAY", ":93"}});
  const std::string video = "https://media.example.org/clip.mp4", page = "http://example.org/p";
  const std::string item = R"({"address":")" + video + R"(","page":")" + page +
                           R"(","title":"Clip","userAgent":"UA","cookies":[{"name":"s",)"
                           R"("value":"1","domain":"media.example.org","expires":1.8e9}]})";
  const std::string notWeb = "-Not sent: address is not an http or https address";
  const std::string notJson = "-Not sent: the message is not JSON";
  const std::tuple<std::string, std::map<std::string, int>, int> rows[] = {
      // The first starts the desktop program.
      {Framed(item) + Framed(R"({"page":")" + page + "\"}"),
       {{"+Sent to Vidtrawl: " + video, 1}, {"+Sent to Vidtrawl: " + page, 1}},
       0},
      {Framed("", 1, 2u << 20),
       {{"-Not sent: the message is longer than 1 MiB (2097152 bytes)", 1}},
       1},
      {Framed("", 1, 10), {}, 1},
      {Framed(item).substr(0, 40), {}, 1},
      {Framed("{\"page\":") + Framed("") + Framed(std::string(1 << 20, '[')) +
           Framed(R"({"page":")" + page + "\",\"bogus\":1}") + Framed(R"({"title":"no address"})"),
       {{notJson, 3}, {"-Not sent: unknown field \"bogus\"", 1}, {"-Not sent: no address", 1}},
       0},
      {Framed(R"({"address":"file:///etc/passwd"})") +
           Framed(R"({"page":"http://example.org/","referer":"data:text/html,x"})") +
           Framed(R"({"page":"http://example.org/","userAgent":"UA\r\nX-Injected: 1"})") +
           Framed(R"({"page":"http://example.org/","cookies":[{"name":"a","value":"b;c",)"
                  R"("domain":"example.org"}]})"),
       {{notWeb, 1},
        {"-Not sent: referer is not an http or https address", 1},
        {"-Not sent: userAgent holds a control character", 1},
        {"-Not sent: cookie: a name, value or domain holds ';' (or a name or domain a blank)", 1}},
       0},
      // Floods: one item is listed once, and a connection hands over 100 at most.
      {Framed(item, 10000),
       {{"+Sent to Vidtrawl: " + video, 100},
        {"-Not sent: 100 items came already from this connection", 9900}},
       0},
      {Framed(R"x({"address":"javascript:alert(1)"})x", 10000), {{notWeb, 10000}}, 0},
  };
  for (const auto &[input, answers, status] : rows) {
    WriteFile(home / "input", input);
    const ChildProcess::Result result =
        ChildProcess(VIDTRAWL_BROWSER_HOST_BINARY, {}, env, home / "input").Wait();
    EXPECT_EQ(result.exitCode, status) << input.substr(0, 80) << result.err;
    EXPECT_EQ(Answers(result.out), answers) << input.substr(0, 80);
  }
  // The program the host started ends; its list holds the two items accepted.
  for (const auto &process : fs::directory_iterator("/proc"))
    if (ReadFile(process.path() / "comm") == "vidtrawl\n" &&
        ReadFile(process.path() / "environ")
                .find("XDG_RUNTIME_DIR=" + home.path().string() + '\0') != std::string::npos)
      ::kill(std::stoi(process.path().filename()), SIGTERM);
  const auto list = nlohmann::json::parse(ReadFile(home / ".local/share/vidtrawl/list.json"));
  std::set<std::string> listed;
  for (const auto &entry : list["items"])
    listed.insert(entry["address"].get<std::string>());
  EXPECT_EQ(listed, (std::set<std::string>{video, page}));
}

} // namespace
} // namespace vidtrawl::testing
