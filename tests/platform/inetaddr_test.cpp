#include "platform/inetaddr.h"

#include <gtest/gtest.h>

using namespace platform;

TEST(DottedQuad, ReadsWhatAUserTypes) {
    const struct {
        const char* text;
        TDottedQuad result;
        std::uint32_t address;
    } cases[] = {
        {"0.0.0.0", TDottedQuad::Valid, 0},
        {"255.255.255.255", TDottedQuad::Valid, 0xFFFFFFFF},
        {"192.168.0.1", TDottedQuad::Valid, 0xC0A80001},
        {"010.000.001.099", TDottedQuad::Valid, 0x0A000163}, // decimal, not octal
        {"192.168.0", TDottedQuad::NotDottedQuad, 0},
        {"192.168.0.1.", TDottedQuad::NotDottedQuad, 0},
        {"1.2.3.4.5", TDottedQuad::NotDottedQuad, 0},
        {"1..3.4", TDottedQuad::NotDottedQuad, 0},
        {"1.2.3.0004", TDottedQuad::NotDottedQuad, 0},
        {" 1.2.3.4", TDottedQuad::NotDottedQuad, 0},
        {"1.2.3.4 ", TDottedQuad::NotDottedQuad, 0},
        {"0x1.2.3.4", TDottedQuad::NotDottedQuad, 0},
        {"", TDottedQuad::NotDottedQuad, 0},
        {"192.168.0.256", TDottedQuad::OctetOutOfRange, 0},
        {"999.1.1.1", TDottedQuad::OctetOutOfRange, 0},
    };
    for (const auto& c : cases) {
        std::uint32_t address = 0;
        EXPECT_EQ(ReadDottedQuad(c.text, address), c.result) << c.text;
        EXPECT_EQ(address, c.address) << c.text;
    }
    // The rule-file reader keeps the C library's reading.
    EXPECT_EQ(InetAddr("010.0.0.1"), 0x08000001u);
}
