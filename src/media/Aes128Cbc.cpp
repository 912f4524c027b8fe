#include "media/Aes128Cbc.h"

#include <openssl/evp.h>

#include <limits>
#include <memory>

namespace vidtrawl::media {
namespace {

base::Fault Undecryptable(std::string why) {
  return base::Fault{base::FaultKind::Stream, "a segment could not be decrypted: " + why};
}

} // namespace

base::Outcome<std::string> DecryptAes128Cbc(std::string_view data, std::string_view key,
                                            const std::array<std::uint8_t, 16> &iv) {
  constexpr std::size_t kBlock = 16;
  if (key.size() != kBlock)
    return Undecryptable("its key is " + std::to_string(key.size()) + " bytes long, not 16");
  if (data.empty() || data.size() % kBlock != 0 ||
      data.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
    return Undecryptable("it is no whole number of AES blocks");
  const std::unique_ptr<EVP_CIPHER_CTX, void (*)(EVP_CIPHER_CTX *)> context(EVP_CIPHER_CTX_new(),
                                                                            EVP_CIPHER_CTX_free);
  std::string plain(data.size() + kBlock, '\0'); // the room EVP_DecryptUpdate asks for
  int written = 0, last = 0;
  auto *out = reinterpret_cast<unsigned char *>(plain.data());
  const bool done =
      context &&
      EVP_DecryptInit_ex(context.get(), EVP_aes_128_cbc(), nullptr,
                         reinterpret_cast<const unsigned char *>(key.data()), iv.data()) == 1 &&
      EVP_DecryptUpdate(context.get(), out, &written,
                        reinterpret_cast<const unsigned char *>(data.data()),
                        static_cast<int>(data.size())) == 1 &&
      EVP_DecryptFinal_ex(context.get(), out + written, &last) == 1;
  if (!done)
    return Undecryptable("the key does not fit it, or it is damaged");
  plain.resize(static_cast<std::size_t>(written + last));
  return plain;
}

} // namespace vidtrawl::media
