#include "pagesearch/BoundedMarkup.h"

#include "base/AsciiCase.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <unordered_map>
#include <vector>

namespace vidtrawl::pagesearch {
namespace {

// The bounding follows the page tag by tag with its own stack of open
// elements. It never has to agree with the parser's tree: it closes what it
// pops with explicit end tags, so the parser pops them too, and whenever it
// cannot tell what the parser does it keeps an element open, which only
// makes its own depth the larger.

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

bool IsLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

template <std::size_t N>
bool OneOf(std::string_view name, const std::array<std::string_view, N> &names) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

constexpr std::array<std::string_view, 19> kVoid{
    "area", "base",  "basefont", "bgsound", "br",   "col",   "embed",  "frame", "hr", "image",
    "img",  "input", "keygen",   "link",    "meta", "param", "source", "track", "wbr"};
// Elements whose text is no markup (outside SVG and MathML, where they are).
constexpr std::array<std::string_view, 8> kRawText{"script",  "style",    "xmp",   "iframe",
                                                   "noembed", "noframes", "title", "textarea"};
// Start tags that close an open <p>.
constexpr std::array<std::string_view, 35> kClosesParagraph{
    "address", "article", "aside", "blockquote", "center",     "details", "dialog",
    "dir",     "div",     "dl",    "fieldset",   "figcaption", "figure",  "footer",
    "header",  "hgroup",  "main",  "menu",       "nav",        "ol",      "p",
    "section", "summary", "ul",    "h1",         "h2",         "h3",      "h4",
    "h5",      "h6",      "pre",   "listing",    "form",       "table",   "hr"};
// Where a search for an element to close stops, as the parser's scopes do.
constexpr std::array<std::string_view, 13> kScopeEdges{
    "applet", "caption",  "html",   "table", "td",   "th",    "marquee",
    "object", "template", "button", "svg",   "math", "select"};
constexpr std::array<std::string_view, 6> kHeadings{"h1", "h2", "h3", "h4", "h5", "h6"};
// An implied end tag is looked for this far down the stack and no further:
// a page needs no more, and the search stays cheap at any depth.
constexpr std::size_t kSearchWindow = 64;

struct Tag {
  std::string name;
  bool end = false;
  bool selfClosing = false;
  bool complete = false; // the page ends inside it: the parser drops it
  std::size_t stop = 0;  // just after its '>'
  std::vector<std::pair<std::size_t, std::size_t>> attributes; // the first ones kept
  std::size_t attributeCount = 0;
};

// Reads the tag at html[at] ('<' then a letter, or "</" then a letter) as
// the HTML tokenizer does: quoted values may hold '>'.
Tag ReadTag(std::string_view html, std::size_t at) {
  Tag tag;
  tag.end = html[at + 1] == '/';
  std::size_t i = at + (tag.end ? 2 : 1);
  const std::size_t nameStart = i;
  while (i < html.size() && !IsSpace(html[i]) && html[i] != '/' && html[i] != '>')
    ++i;
  tag.name = base::LowerAscii(html.substr(nameStart, i - nameStart));
  while (i < html.size()) {
    const char c = html[i];
    if (IsSpace(c)) {
      ++i;
    } else if (c == '>') {
      tag.complete = true;
      tag.stop = i + 1;
      return tag;
    } else if (c == '/') {
      tag.selfClosing = i + 1 < html.size() && html[i + 1] == '>';
      ++i;
    } else { // an attribute: its name (which may begin with '='), then maybe a value
      const std::size_t start = i++;
      while (i < html.size() && !IsSpace(html[i]) && html[i] != '/' && html[i] != '>' &&
             html[i] != '=')
        ++i;
      std::size_t j = i;
      while (j < html.size() && IsSpace(html[j]))
        ++j;
      if (j < html.size() && html[j] == '=') {
        i = j + 1;
        while (i < html.size() && IsSpace(html[i]))
          ++i;
        if (i < html.size() && (html[i] == '"' || html[i] == '\'')) {
          const std::size_t close = html.find(html[i], i + 1);
          i = close == std::string_view::npos ? html.size() : close + 1;
        } else {
          while (i < html.size() && !IsSpace(html[i]) && html[i] != '>')
            ++i;
        }
      }
      if (++tag.attributeCount <= kMaxTagAttributes)
        tag.attributes.emplace_back(start, i);
    }
  }
  tag.stop = html.size();
  return tag;
}

// Where the comment or other markup declaration at html[at] ("<!" or "<?")
// ends, at the earliest place the tokenizer may end it.
std::size_t DeclarationEnd(std::string_view html, std::size_t at) {
  if (html.substr(at, 4) == "<!--") {
    for (const std::string_view shortEnd : {">", "->"})
      if (html.substr(at + 4, shortEnd.size()) == shortEnd)
        return at + 4 + shortEnd.size();
    const std::size_t end = std::min(html.find("-->", at + 4), html.find("--!>", at + 4));
    if (end == std::string_view::npos)
      return html.size();
    return end + (html[end + 2] == '!' ? 4 : 3);
  }
  const std::size_t end = html.find('>', at + 2);
  return end == std::string_view::npos ? html.size() : end + 1;
}

// Whether html[at] starts a tag of this name ("<name" or "</name", as
// prefix says) that the tokenizer takes for one: a blank, '/' or '>' after.
bool TagAt(std::string_view html, std::size_t at, std::string_view prefix, std::string_view name) {
  const std::size_t after = at + prefix.size() + name.size();
  return html.substr(at, prefix.size()) == prefix &&
         base::StartsWithIgnoringCase(html.substr(at + prefix.size()), name) &&
         after < html.size() && (IsSpace(html[after]) || html[after] == '/' || html[after] == '>');
}

// Where the text of a raw-text element that starts at html[from] ends: at
// its end tag, exactly where the tokenizer ends it, for the two must never
// disagree on what is markup. A script's text holds "<!-- <script> </script>
// -->" without ending.
std::size_t RawTextEnd(std::string_view html, std::size_t from, std::string_view name) {
  enum class State { Text, Escaped, DoubleEscaped } state = State::Text;
  const bool script = name == "script";
  for (std::size_t i = from; i < html.size(); ++i) {
    if (state != State::DoubleEscaped && TagAt(html, i, "</", name))
      return i;
    if (!script)
      continue;
    if (state == State::Text && html.substr(i, 4) == "<!--") {
      state = State::Escaped;
      i += 1; // its "--" may begin the "-->" that ends the escape
    } else if (state != State::Text && html.substr(i, 3) == "-->") {
      state = State::Text;
      i += 2;
    } else if (state == State::Escaped && TagAt(html, i, "<", name)) {
      state = State::DoubleEscaped;
      i += name.size();
    } else if (state == State::DoubleEscaped && TagAt(html, i, "</", name)) {
      state = State::Escaped;
      i += name.size() + 1;
    }
  }
  return html.size();
}

class Bounding {
public:
  explicit Bounding(std::string_view html) : html_(html) { out_.reserve(html.size() + 64); }

  std::string Run() {
    std::size_t i = 0;
    while (i < html_.size()) {
      const std::size_t lt = html_.find('<', i);
      if (lt == std::string_view::npos || lt + 1 >= html_.size()) {
        out_.append(html_.substr(i));
        break;
      }
      out_.append(html_.substr(i, lt - i));
      const char next = html_[lt + 1];
      if (next == '!' || next == '?') {
        i = DeclarationEnd(html_, lt);
        out_.append(html_.substr(lt, i - lt));
      } else if (IsLetter(next) ||
                 (next == '/' && lt + 2 < html_.size() && IsLetter(html_[lt + 2]))) {
        i = OnTag(lt);
      } else if (next == '/') { // "</>" or a bogus comment
        i = DeclarationEnd(html_, lt);
        out_.append(html_.substr(lt, i - lt));
      } else {
        out_.push_back('<');
        i = lt + 1;
      }
    }
    return std::move(out_);
  }

private:
  std::size_t OnTag(std::size_t at) {
    const Tag tag = ReadTag(html_, at);
    if (!tag.complete) { // dropped by the parser: nothing in it is markup
      out_.append(html_.substr(at));
      return html_.size();
    }
    if (tag.end)
      EndTag(tag.name);
    else
      StartTag(tag, at);
    if (tag.end || !OneOf(tag.name, kRawText) || InForeignContent())
      return tag.stop;
    const std::size_t end = RawTextEnd(html_, tag.stop, tag.name);
    out_.append(html_.substr(tag.stop, end - tag.stop));
    return end;
  }

  void StartTag(const Tag &tag, std::size_t at) {
    const std::string &name = tag.name;
    const bool pushes = !OneOf(name, kVoid) && !OneOf(name, kRawText) &&
                        !((name == "svg" || name == "math") && tag.selfClosing) &&
                        !((name == "html" || name == "head" || name == "body") && Open(name));
    if (pushes) {
      CloseImplied(name);
      if (open_.size() >= kMaxTreeDepth) // the new element becomes the deepest one's sibling
        Pop();
    }
    if (tag.attributeCount <= kMaxTagAttributes) {
      out_.append(html_.substr(at, tag.stop - at));
    } else {
      out_.append("<").append(name);
      for (const auto &[from, to] : tag.attributes)
        out_.append(" ").append(html_.substr(from, to - from));
      out_.append(tag.selfClosing ? "/>" : ">");
    }
    if (pushes) {
      open_.push_back(name);
      ++counts_[name];
    }
  }

  // An end tag closes its element and everything opened in it; one of no
  // open element goes to the parser as it is (without attributes).
  void EndTag(const std::string &name) {
    if (!Open(name)) {
      out_.append("</").append(name).append(">");
      return;
    }
    while (open_.back() != name)
      Pop();
    Pop();
  }

  // The elements a start tag closes before it opens, as the parser closes them.
  void CloseImplied(const std::string &name) {
    if (OneOf(name, kClosesParagraph) || name == "li" || name == "dd" || name == "dt")
      PopTo({"p"});
    if (name == "li")
      PopTo({"li"}, {"ul", "ol", "menu"});
    else if (name == "dd" || name == "dt")
      PopTo({"dd", "dt"}, {"dl"});
    else if (name == "a" || name == "nobr" || name == "button")
      PopTo({name});
    else if (name == "tr")
      PopTo({"tr"});
    else if (name == "td" || name == "th")
      PopTo({"td", "th"});
    else if (name == "thead" || name == "tbody" || name == "tfoot")
      PopTo({"thead", "tbody", "tfoot"});
    else if (name == "option" || name == "optgroup") {
      if (!open_.empty() && open_.back() == "option")
        Pop();
      if (name == "optgroup" && !open_.empty() && open_.back() == "optgroup")
        Pop();
    }
    if (OneOf(name, kHeadings) && !open_.empty() && OneOf(open_.back(), kHeadings))
      Pop();
  }

  // Closes the nearest open element of these names, unless a scope's edge,
  // one of the other edges or the search window comes first.
  void PopTo(std::initializer_list<std::string_view> names,
             std::initializer_list<std::string_view> edges = {}) {
    const std::size_t floor = open_.size() > kSearchWindow ? open_.size() - kSearchWindow : 0;
    for (std::size_t n = open_.size(); n > floor; --n) {
      const std::string &element = open_[n - 1];
      if (std::find(names.begin(), names.end(), element) != names.end()) {
        while (open_.size() >= n)
          Pop();
        return;
      }
      if (OneOf(element, kScopeEdges) ||
          std::find(edges.begin(), edges.end(), element) != edges.end())
        return;
    }
  }

  void Pop() {
    out_.append("</").append(open_.back()).append(">");
    --counts_[open_.back()];
    open_.pop_back();
  }

  bool Open(const std::string &name) const {
    const auto found = counts_.find(name);
    return found != counts_.end() && found->second > 0;
  }

  bool InForeignContent() const { return Open("svg") || Open("math"); }

  std::string_view html_;
  std::string out_;
  std::vector<std::string> open_;
  std::unordered_map<std::string, std::size_t> counts_;
};

} // namespace

std::string BoundMarkup(std::string_view html) {
  return Bounding(html).Run();
}

} // namespace vidtrawl::pagesearch
