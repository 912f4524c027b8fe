#pragma once

#include "engine/ItemView.h"

#include <optional>
#include <string>
#include <string_view>

namespace vidtrawl::engine {

// The one place an item becomes the texts users and scripts see: the list's columns, the table,
// the --tsv lines. Nothing reads them back.

// "Waiting", "Link is not supported", "Preparing (N%)", "Preparing...",
// "Start Downloading...", a percentage, "SIZE so far..", "Complete",
// "ERROR", "Cancelled", "Paused"; and "Retry in M:SS" while a step that
// failed for now waits to be tried again.
std::string StatusText(const ItemView &item);

// A phase's short name, for lines of progress: "Waiting", "Not supported",
// "Preparing", "Downloading", "Complete", "ERROR", "Cancelled", "Paused".
std::string_view PhaseName(Phase phase);
// The file name, "Waiting (Auto Detect)" before there is one, "ERROR" for an
// unsupported address not processed yet, "Un supported link" and "Process
// failed." for the faults that name no file.
std::string FileNameText(const ItemView &item);
// Whether FileNameText is a placeholder ("Waiting (Auto Detect)", "ERROR"):
// no name and no fault that names no file.
bool FileNamePlaceholder(const ItemView &item);
// "????", "0" (the server gives no size), "-1 Bytes" (no such file), or the
// size (FormatSize).
std::string SizeText(const ItemView &item);
// The page address, or "Video may be inappropriate and can not be
// downloaded" when its page named no video.
std::string AddressText(const ItemView &item);

// Why the item failed, in words; empty when it did not.
std::string ReasonText(const ItemView &item);

// The percentage done of a transfer that announced its length, rounded half
// to even; nothing when it announced none, or when more arrived than it
// announced. A stream's of its estimated size, below 100 while a fragment
// remains (by its fragments while its size is not estimated).
std::optional<long long> TransferPercent(const ItemView &item);

// How long the rest of a transfer will take at its present speed, in whole
// seconds rounded up; nothing while that is not known.
std::optional<double> SecondsLeft(const ItemView &item);

// The answer of a page resolution as --resolve-only prints it: the video
// address, "-1" (no supported site), "-2" (the page was not fetched) or "0"
// (the page named no video).
std::string ResolutionText(const std::optional<std::string> &address,
                           const std::optional<base::Fault> &fault);

} // namespace vidtrawl::engine
