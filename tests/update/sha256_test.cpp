#include "update/sha256.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using tarvex::update::Sha256Hex;

namespace {

std::string Hash(const std::string& text) {
    return Sha256Hex(std::vector<std::uint8_t>(text.begin(), text.end()));
}

TEST(Sha256, KnownDigestsAcrossBlockBoundaries) {
    EXPECT_EQ(Hash(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Hash("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Hash("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1")
        << "56 bytes: the length needs a second block";
    EXPECT_EQ(Hash(std::string(1000000, 'a')),
              "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

}  // namespace
