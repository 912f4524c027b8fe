#include "extractor/ExtractorQuery.h"

#include "base/ControlCharacters.h"
#include "base/Fault.h"
#include "base/FileDescriptor.h"
#include "base/TrimBlanks.h"
#include "base/WholeFile.h"

#include <cstring>
#include <filesystem>
#include <stdlib.h>
#include <unistd.h>

namespace vidtrawl::extractor {
namespace {

base::Fault Failure(std::string detail) {
  return base::Fault{base::FaultKind::Extractor, std::move(detail)};
}

bool OnOneLine(std::string_view text) {
  return text.find_first_of("\r\n") == std::string_view::npos;
}

// The cookies the program is given, in a file of the temporary folder that only this user may
// read: the user's cookies file and the cookies a browser gave the item (kept in no file of their
// own). Empty when it cannot be made.
std::string PrivateCookies(const std::string &file, const std::vector<std::string> &lines) {
  base::WholeFileText text{base::WholeFileText::State::Read, "# Netscape HTTP Cookie File\n"};
  if (!file.empty())
    text = base::ReadWholeFile(file, ExtractorSettings::kMaxAnswer);
  if (!text.text.empty() && text.text.back() != '\n')
    text.text += '\n';
  for (const std::string &line : lines)
    if (OnOneLine(line))
      text.text += line + '\n';
  std::error_code ec;
  const std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
  std::string copy = ((ec ? std::filesystem::path("/tmp") : temp) / "vidtrawl-cookies-XXXXXX");
  const base::FileDescriptor fd(::mkstemp(copy.data()));
  if (text.state != base::WholeFileText::State::Read || !fd ||
      !base::WriteAll(fd.Get(), text.text)) {
    if (fd)
      ::unlink(copy.c_str());
    return {};
  }
  return copy;
}

} // namespace

std::string ExtractorSettings::Name() const {
  const std::size_t slash = program.rfind('/');
  return slash == std::string::npos ? program : program.substr(slash + 1);
}

std::vector<std::string> QueryArguments(const ExtractorSettings &settings,
                                        const net::ClientOptions &client,
                                        const std::string &address) {
  std::vector<std::string> arguments{settings.program, "--dump-single-json", "--no-warnings"};
  if (settings.playlists == ExtractorSettings::Playlists::PageOnly)
    arguments.emplace_back("--no-playlist");
  const auto pass = [&](const char *option, const std::string &value) {
    if (!value.empty()) {
      arguments.emplace_back(option);
      arguments.push_back(value);
    }
  };
  pass("--proxy", client.proxy);
  pass("--cookies", client.cookieFile);
  pass("--user-agent", client.userAgent);
  pass("--referer", client.referer);
  for (const std::string &header : client.headers)
    if (const std::size_t colon = header.find(':'); colon != std::string::npos && OnOneLine(header))
      pass("--add-header",
           header.substr(0, colon) + ":" + std::string(base::TrimBlanks(header.substr(colon + 1))));
  arguments.emplace_back("--");
  arguments.push_back(address);
  return arguments;
}

std::string LastErrorLine(std::string_view err) {
  std::string line;
  std::size_t end = err.size();
  while (line.empty() && end > 0) {
    const std::size_t start = err.find_last_of("\r\n", end - 1);
    const std::size_t from = start == std::string_view::npos ? 0 : start + 1;
    const std::string_view raw = err.substr(from, end - from);
    line.clear();
    for (std::size_t i = 0; i < raw.size(); ++i) {
      if (raw[i] == '\x1b' && i + 1 < raw.size() && raw[i + 1] == '[') {
        // A terminal's colour or cursor sequence: ESC [ parameters final-byte.
        i += 2;
        while (i < raw.size() && (raw[i] < 0x40 || raw[i] > 0x7e))
          ++i;
        continue;
      }
      if (!base::IsControlCharacter(raw[i]))
        line += raw[i];
    }
    line = base::VisibleText(line);
    if (line.find_first_not_of(' ') == std::string::npos)
      line.clear();
    end = start == std::string_view::npos ? 0 : start;
  }
  return line;
}

ExtractorQuery::ExtractorQuery(host::EventLoop &loop, const ExtractorSettings &settings,
                               const net::ClientOptions &client, const base::ItemRequest *request,
                               const std::string &address, base::Trace trace, Done done)
    : settings_(settings), trace_(trace), done_(std::move(done)) {
  // What a browser gave the item goes with it, over the settings' own.
  net::ClientOptions given = client;
  const std::vector<std::string> none;
  const std::vector<std::string> &cookies = request != nullptr ? request->cookies : none;
  if (request != nullptr) {
    if (!request->userAgent.empty())
      given.userAgent = request->userAgent;
    if (!request->referer.empty())
      given.referer = request->referer;
    given.headers.insert(given.headers.end(), request->headers.begin(), request->headers.end());
  }
  const bool cookied = !client.cookieFile.empty() || !cookies.empty();
  trace_(base::TraceTopic::Page, settings_.Name() + " is asked for " +
                                     base::TracedAddress(address) +
                                     (cookied ? ", with cookies" : ""));
  // yt-dlp writes its cookie jar back into the file it is given: it is given a copy, or the
  // user's own file when none can be made (as the user asked).
  if (cookied) {
    cookies_ = PrivateCookies(client.cookieFile, cookies);
    if (!cookies_.empty())
      given.cookieFile = cookies_;
  }
  process_ = std::make_unique<ChildProcess>(loop, QueryArguments(settings_, given, address),
                                            ExtractorSettings::kMaxAnswer, settings_.timeLimit,
                                            [this](ProgramEnd end) { Ended(std::move(end)); });
}

ExtractorQuery::~ExtractorQuery() {
  process_.reset(); // nobody reads the copy any more
  if (!cookies_.empty())
    ::unlink(cookies_.c_str());
}

void ExtractorQuery::Ended(ProgramEnd end) {
  const std::string name = settings_.Name();
  base::Outcome<ExtractorAnswer> outcome = Failure({});
  using How = ProgramEnd::How;
  switch (end.how) {
  case How::Missing:
    outcome = Failure("the site extractor " + name +
                      " is not installed: install a current yt-dlp (pipx install yt-dlp, or the "
                      "yt-dlp package), or name its path in the setting \"Extractor\"");
    break;
  case How::Unstarted:
    outcome = Failure("the site extractor " + name +
                      " could not be started: " + std::strerror(end.error));
    break;
  case How::TooMuch:
    outcome = Failure(name + "'s answer is larger than " +
                      std::to_string(ExtractorSettings::kMaxAnswer >> 20) + " MiB");
    break;
  case How::TimedOut:
    outcome = Failure(name + " gave no answer within " +
                      std::to_string(settings_.timeLimit.count() / 1000) + " s");
    break;
  case How::Exited:
    if (end.status != 0) {
      const std::string line = LastErrorLine(end.err);
      outcome = Failure(
          name + (line.empty() ? " ended with status " + std::to_string(end.status) : ": " + line));
    } else if (std::optional<ExtractorAnswer> answer = ReadExtractorAnswer(end.out)) {
      outcome = std::move(*answer);
    } else {
      outcome = Failure(name + "'s answer is no info JSON");
    }
    break;
  }
  if (outcome.Failed())
    trace_(base::TraceTopic::Page, outcome.Failure().detail);
  Done done = std::move(done_);
  done(std::move(outcome)); // last: the owner may destroy this query
}

ExtractorVersion::ExtractorVersion(host::EventLoop &loop, const ExtractorSettings &settings,
                                   Done done)
    : done_(std::move(done)) {
  process_ = std::make_unique<ChildProcess>(
      loop, std::vector<std::string>{settings.program, "--version"}, 4096, std::chrono::seconds(10),
      [this](ProgramEnd end) {
        std::optional<std::string> version;
        if (end.how == ProgramEnd::How::Exited && end.status == 0)
          version = base::VisibleText(end.out.substr(0, end.out.find_first_of("\r\n")));
        Done done = std::move(done_);
        done(std::move(version));
      });
}

} // namespace vidtrawl::extractor
