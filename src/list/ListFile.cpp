#include "list/ListFile.h"

#include "list/CleanFileName.h"
#include "settings/PlatformPaths.h"

#include <nlohmann/json.hpp>

#include <array>
#include <charconv>
#include <utility>

namespace vidtrawl::list {
namespace {

using Json = nlohmann::json;
using base::FaultKind;

constexpr int kFormat = 1;

// The names things have in the file: stable, whatever the enums become (a phase's are the
// record's own, PhaseKey).
constexpr std::array<std::pair<SizeKnown, const char *>, 4> kSizes{{
    {SizeKnown::Unknown, "unknown"},
    {SizeKnown::NotReported, "not reported"},
    {SizeKnown::Missing, "missing"},
    {SizeKnown::Bytes, "bytes"},
}};
// A kind is written under its first name; the later ones are what older lists called it.
constexpr std::array<std::pair<FaultKind, const char *>, 20> kFaults{{
    {FaultKind::UnsupportedSite, "unsupported site"},
    {FaultKind::BadAddress, "bad address"},
    {FaultKind::Network, "network"},
    {FaultKind::HttpStatus, "http status"},
    {FaultKind::BadHeader, "bad header"},
    {FaultKind::PageTooLarge, "page too large"},
    {FaultKind::SitePageNamesNoVideo, "site page names no video"},
    {FaultKind::NoVideoFoundOnPage, "no video found on page"},
    {FaultKind::StreamingPlaylist, "streaming playlist"},
    {FaultKind::HostedVideo, "hosted video"},
    {FaultKind::PlayerLookup, "player lookup"},
    {FaultKind::FileMissing, "file missing"},
    {FaultKind::ShortBody, "short body"},
    {FaultKind::WebPage, "web page"},
    {FaultKind::LocalFile, "local file"},
    {FaultKind::Stream, "stream"},
    {FaultKind::Remux, "remux"},
    {FaultKind::Extractor, "extractor"},
    {FaultKind::SitePageNamesNoVideo, "no video in page"},
    {FaultKind::NoVideoFoundOnPage, "no video on page"},
}};

template <typename Value, std::size_t N>
const char *NameOf(const std::array<std::pair<Value, const char *>, N> &names, Value value) {
  for (const auto &[known, name] : names)
    if (known == value)
      return name;
  return names.front().second;
}

template <typename Value, std::size_t N>
std::optional<Value> ValueOf(const std::array<std::pair<Value, const char *>, N> &names,
                             const Json &text) {
  if (!text.is_string())
    return std::nullopt;
  for (const auto &[value, name] : names)
    if (text.get_ref<const std::string &>() == name)
      return value;
  return std::nullopt;
}

// A member of the wanted type, or nothing.
template <typename T> std::optional<T> Member(const Json &object, const char *key) {
  const auto found = object.find(key);
  if (found == object.end())
    return std::nullopt;
  if constexpr (std::is_same_v<T, std::string>) {
    if (found->is_string())
      return found->get<std::string>();
  } else if constexpr (std::is_same_v<T, bool>) {
    if (found->is_boolean())
      return found->get<bool>();
  } else {
    if (found->is_number_unsigned())
      return found->get<T>();
  }
  return std::nullopt;
}

// JSON holds UTF-8 only. A name that is none (a server's in Latin-1, say)
// is kept byte for byte beside its readable form, as hexadecimal under the
// key with " bytes" added; a reader that knows no such key reads the
// readable form.
bool IsUtf8(const std::string &text) {
  const auto as = [&](Json::error_handler_t handler) {
    return Json(text).dump(-1, ' ', false, handler);
  };
  return as(Json::error_handler_t::replace) == as(Json::error_handler_t::ignore);
}

void PutText(Json &entry, const std::string &key, const std::string &text) {
  entry[key] = text;
  if (IsUtf8(text))
    return;
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (const unsigned char c : text)
    hex += {kDigits[c >> 4], kDigits[c & 15]};
  entry[key + " bytes"] = hex;
}

std::optional<std::string> TextMember(const Json &entry, const std::string &key) {
  if (const std::optional<std::string> hex = Member<std::string>(entry, (key + " bytes").c_str());
      hex && hex->size() % 2 == 0) {
    std::string bytes;
    for (std::size_t i = 0; i < hex->size(); i += 2) {
      unsigned byte = 0;
      const char *pair = hex->data() + i;
      if (std::from_chars(pair, pair + 2, byte, 16).ptr != pair + 2)
        break;
      bytes += static_cast<char>(byte);
    }
    if (bytes.size() * 2 == hex->size())
      return bytes;
  }
  return Member<std::string>(entry, key.c_str());
}

// A name of the folder, as a rename cleans one: never a path, nor hidden.
std::optional<std::string> CleanName(std::optional<std::string> name) {
  if (name && !name->empty())
    name = CleanFileName(*name);
  return name;
}

std::optional<std::pair<Item, Phase>> ItemOf(const Json &entry, sites::SiteRule rule) {
  if (!entry.is_object())
    return std::nullopt;
  const std::optional<std::string> address = Member<std::string>(entry, "address");
  const Json phaseKey = entry.value("phase", Json());
  std::optional<Phase> phase =
      phaseKey.is_string() ? PhaseOfKey(phaseKey.get_ref<const std::string &>()) : std::nullopt;
  if (!address || !phase)
    return std::nullopt;
  Item item;
  item.address = *address;
  item.site = sites::SiteOfAddress(item.address, rule);
  // The pass that worked on it ended with the program, not by the user's stop: it waits again,
  // its bytes kept for a range request.
  if (base::IsActive(*phase))
    phase = Phase::Waiting;
  // By the rule in force now, an address may be supported or not.
  if (item.site == nullptr && !base::IsFinished(*phase))
    phase = Phase::Unsupported;
  else if (item.site != nullptr && phase == Phase::Unsupported)
    phase = Phase::Waiting;
  // Names are the folder's, cleaned as a rename cleans them: an edited list
  // writes nowhere else.
  item.fileName = CleanName(TextMember(entry, "file name"));
  item.nameTyped = Member<bool>(entry, "name typed").value_or(false) && item.fileName;
  item.folder = TextMember(entry, "folder").value_or("");
  item.handedOver = Member<bool>(entry, "handed over").value_or(false);
  item.partName = CleanName(TextMember(entry, "partial name")).value_or("");
  item.videoAddress = Member<std::string>(entry, "video").value_or("");
  item.sizeKnown = ValueOf(kSizes, entry.value("size known", Json())).value_or(SizeKnown::Unknown);
  item.size = Member<std::uint64_t>(entry, "size").value_or(0);
  item.received = Member<std::uint64_t>(entry, "received").value_or(0);
  item.total = Member<std::uint64_t>(entry, "total").value_or(0);
  item.fragments = Member<std::size_t>(entry, "fragments").value_or(0);
  item.fragmentsStored =
      std::min(item.fragments, Member<std::size_t>(entry, "fragments stored").value_or(0));
  if (const auto fault = entry.find("fault"); fault != entry.end() && fault->is_object()) {
    const std::optional<FaultKind> kind = ValueOf(kFaults, fault->value("kind", Json()));
    if (kind) {
      item.fault =
          base::Fault{*kind, Member<std::string>(*fault, "detail").value_or(""),
                      static_cast<int>(Member<unsigned>(*fault, "http status").value_or(0)),
                      static_cast<int>(Member<unsigned>(*fault, "errno").value_or(0))};
      item.fault->ofPage = Member<bool>(*fault, "of page").value_or(false);
    }
  }
  if (phase == Phase::Failed && !item.fault)
    item.fault = base::Fault{FaultKind::Network, "unknown"};
  if (phase != Phase::Failed)
    item.fault.reset();
  return std::pair{std::move(item), *phase};
}

} // namespace

std::string ListText(const std::vector<Item> &items) {
  Json list = Json::array();
  for (const Item &item : items) {
    Json entry = {{"address", item.address},
                  {"phase", PhaseKey(item.phase)},
                  {"size known", NameOf(kSizes, item.sizeKnown)},
                  {"size", item.size},
                  {"received", item.received},
                  {"total", item.total}};
    if (item.fragments > 0) {
      entry["fragments"] = item.fragments;
      entry["fragments stored"] = item.fragmentsStored;
    }
    if (item.fileName) {
      PutText(entry, "file name", *item.fileName);
      entry["name typed"] = item.nameTyped;
    }
    if (!item.folder.empty())
      PutText(entry, "folder", item.folder);
    if (item.handedOver)
      entry["handed over"] = true;
    if (!item.partName.empty())
      PutText(entry, "partial name", item.partName);
    if (!item.videoAddress.empty())
      entry["video"] = item.videoAddress;
    if (item.fault)
      entry["fault"] = {{"kind", NameOf(kFaults, item.fault->kind)},
                        {"detail", item.fault->detail},
                        {"http status", static_cast<unsigned>(std::max(0, item.fault->httpStatus))},
                        {"errno", static_cast<unsigned>(std::max(0, item.fault->systemError))},
                        {"of page", item.fault->ofPage}};
    list.push_back(std::move(entry));
  }
  // Bytes that are no UTF-8 are written as U+FFFD (names keep theirs beside).
  return Json{{"vidtrawl list", kFormat}, {"items", std::move(list)}}.dump(
             1, '\t', false, Json::error_handler_t::replace) +
         "\n";
}

ReadList ReadListText(std::string_view text, sites::SiteRule rule) {
  ReadList read;
  const Json list = Json::parse(text, nullptr, false);
  if (list.is_discarded() || !list.is_object())
    return {{}, ReadList::Problem::NotAList};
  if (list.value("vidtrawl list", 0) != kFormat)
    return {{}, ReadList::Problem::OtherVersion};
  const auto items = list.find("items");
  if (items == list.end() || !items->is_array())
    return {{}, ReadList::Problem::NoItems};
  for (std::size_t i = 0; i < items->size(); ++i) {
    std::optional<std::pair<Item, Phase>> item = ItemOf((*items)[i], rule);
    if (!item)
      return {{}, ReadList::Problem::DamagedItem, i + 1};
    read.items.push_back(std::move(*item));
  }
  return read;
}

std::filesystem::path DefaultListFile() {
  const std::filesystem::path data = settings::DataFolder();
  return data.empty() ? std::filesystem::path() : data / "vidtrawl" / "list.json";
}

} // namespace vidtrawl::list
