#include "foundation/md5digest.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

namespace {

struct DigestCase {
    std::string text;
    const char* digest;
};

class MD5Cases : public ::testing::TestWithParam<DigestCase> {};

TEST_P(MD5Cases, GivesLowerCaseHex) {
    EXPECT_EQ(TMD5Digest::Digest(GetParam().text), GetParam().digest);
}

// The test suite of RFC 1321, the APOP example of RFC 1939 (time stamp and
// the shared secret "tanstaaf", with the digest printed there) and a text
// with NUL bytes, which count like any other byte.
INSTANTIATE_TEST_SUITE_P(
    Digest, MD5Cases,
    ::testing::Values(DigestCase{"", "d41d8cd98f00b204e9800998ecf8427e"},
                      DigestCase{"a", "0cc175b9c0f1b6a831c399e269772661"},
                      DigestCase{"abc", "900150983cd24fb0d6963f7d28e17f72"},
                      DigestCase{"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
                      DigestCase{"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
                      DigestCase{"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
                                 "d174ab98d277d9f5a5611c2c9f419d9f"},
                      DigestCase{"1234567890123456789012345678901234567890"
                                 "1234567890123456789012345678901234567890",
                                 "57edf4a22be3c955ac49da2e2107b67a"},
                      DigestCase{"<1896.697170952@dbc.mtview.ca.us>tanstaaf",
                                 "c4c9334bac560ecc979e58001b3e22fb"},
                      DigestCase{"\0"s, "93b885adfe0da089cdf634904fd59f71"}));

} // namespace
