#pragma once

#include "base/Outcome.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vidtrawl::media {

// One segment of a stream encrypted whole with AES-128 in CBC mode and PKCS#7 padding (HLS's
// METHOD=AES-128), decrypted. `key` is what the key's address gave: it must be 16 bytes. Faults
// (kind Stream): a key of another length, data that is no whole number of blocks or whose
// padding is wrong (the wrong key, or damaged data).
base::Outcome<std::string> DecryptAes128Cbc(std::string_view data, std::string_view key,
                                            const std::array<std::uint8_t, 16> &iv);

} // namespace vidtrawl::media
