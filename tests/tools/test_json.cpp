// JSON Lines output of marrowby-tool.
#include <gtest/gtest.h>

#include "tools/json.h"

namespace {

TEST(Json, QuoteEscapesWhatJsonRequires) {
    struct Case {
        std::string In, Out;
    } cases[] = {
        {"plain", "\"plain\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"\r\n\t\b\f", "\"\\r\\n\\t\\b\\f\""},
        {std::string("\x01\x1f\x7f\0", 4), "\"\\u0001\\u001f\\u007f\\u0000\""},
        {"\xe6\x97\xa5\xe6\x9c\xac", "\"\xe6\x97\xa5\xe6\x9c\xac\""},
        {"", "\"\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(JsonQuote(c.In), c.Out);
}

TEST(Json, ObjectsAndArrays) {
    TJsonArray items;
    EXPECT_EQ(items.Str(), "[]");
    items.Append(TJsonObject().Add("n", std::int64_t{-3}).Str());
    items.Append(TJsonObject().Str());
    EXPECT_EQ(TJsonObject().Add("a", "x").AddRaw("list", items.Str()).Str(),
              "{\"a\":\"x\",\"list\":[{\"n\":-3},{}]}");
}

} // namespace
