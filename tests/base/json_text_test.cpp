// Tests of JSON string forming: what JSON cannot hold is escaped, well-formed UTF-8 passes
// as it is, and every ill-formed sequence (overlong, surrogate, beyond U+10FFFF, cut) is
// written byte by byte, so that a report always parses.
#include "base/json_text.hpp"

#include <gtest/gtest.h>

namespace adaskel {
namespace {

TEST(JsonString, EscapesAllButWellFormedText) {
    struct Row {
        std::string Text, Json;
    };
    const std::vector<Row> Rows = {
        {"", "\"\""},
        {"store-cart.ads", "\"store-cart.ads\""},
        {"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"\n\t\x01\x1f\x7f", "\"\\u000a\\u0009\\u0001\\u001f\\u007f\""},
        {"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80", "\"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\""},
        {"caf\xe9", "\"caf\\u00e9\""},                            // Latin-1, as GNAT reads it
        {"\xc0\x80", "\"\\u00c0\\u0080\""},                       // overlong NUL
        {"\xe0\x80\xaf", "\"\\u00e0\\u0080\\u00af\""},            // overlong "/"
        {"\xed\xa0\x80", "\"\\u00ed\\u00a0\\u0080\""},            // a surrogate
        {"\xf4\x90\x80\x80", "\"\\u00f4\\u0090\\u0080\\u0080\""}, // beyond U+10FFFF
        {"\xe2\x82", "\"\\u00e2\\u0082\""},                       // cut at the end
        {"\xc3"
         "a",
         "\"\\u00c3a\""}, // cut by a plain byte
    };
    for (const Row& Each : Rows) {
        EXPECT_EQ(Json_String(Each.Text), Each.Json) << Each.Text;
    }
}

} // namespace
} // namespace adaskel
