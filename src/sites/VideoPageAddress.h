#pragma once

#include "sites/SiteTable.h"

#include <cstddef>
#include <string_view>

namespace vidtrawl::sites {

// The longest text the clipboard monitor takes for an address.
inline constexpr std::size_t kMaxCopiedAddress = 2048;

// Whether a copied text is the address of a video page of a supported site,
// as the clipboard monitor must know before it takes the text: after the
// blanks and line ends around it, one line of at most kMaxCopiedAddress
// bytes, an http or https address whose host (not its path, query or user
// part) is a site's domain or a host under it, and whose path and query have
// the shape of that site's video pages; by the AnyPage rule, also the
// address of a video file on another host (that the list takes for one).
// Every other text (a password, a mail address, a document on another host
// of a site's domain, an ordinary link) stays private.
bool IsVideoPageAddress(std::string_view text, SiteRule rule);

} // namespace vidtrawl::sites
