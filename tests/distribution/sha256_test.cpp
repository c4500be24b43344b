#include "distribution/sha256.h"

#include <gtest/gtest.h>

namespace {

// FIPS 180-4 examples, fed in pieces of every awkward size, by the portable
// code and by the processor's SHA instructions where it has them.
TEST(Sha256, KnownDigestsInAnyPieces) {
  const struct {
    std::string input;
    const char* hex;
  } cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
  };
  for (bool extensions : {false, true}) {
    if (UseSha256Extensions(extensions) != extensions) continue;  // a processor without them
    for (const auto& c : cases) {
      for (size_t piece : {size_t(1), size_t(63), size_t(64), size_t(65), size_t(100000)}) {
        Sha256 hash;
        for (size_t at = 0; at < c.input.size(); at += piece)
          hash.Update(c.input.data() + at, std::min(piece, c.input.size() - at));
        EXPECT_EQ(Sha256Hex(hash.Final()), c.hex)
            << c.input.size() << " bytes in pieces of " << piece << (extensions ? ", SHA instructions" : "");
      }
    }
  }
  UseSha256Extensions(true);
}

TEST(Sha256, HexRoundTripAndRefusals) {
  const Sha256Digest digest = Sha256Of("abc", 3);
  Sha256Digest back{};
  std::string upper = Sha256Hex(digest);
  for (char& c : upper) c = static_cast<char>(toupper(c));
  EXPECT_TRUE(ParseSha256Hex(upper, back));
  EXPECT_EQ(back, digest);
  for (const std::string& bad :
       {upper.substr(1), upper + "0", "g" + upper.substr(1), " " + upper.substr(1)})
    EXPECT_FALSE(ParseSha256Hex(bad, back)) << bad;
}

}  // namespace
