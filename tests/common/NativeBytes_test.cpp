// Linux names as bytes: every byte string comes back unchanged from its wide text,
// and two different byte strings never share one wide text (so a name can never
// open its namesake).

#include <gtest/gtest.h>

#include <string>

#include "common/Text.h"

using namespace vantrel;

namespace {

#ifndef _WIN32
TEST(NativeBytes, EveryNameRoundTripsAndNoTwoNamesMeet) {
    const struct {
        std::string bytes;
        size_t escapedBytes;  // bytes kept as U+DC80-U+DCFF
    } cases[] = {
        {"plain.ctl", 0},
        {"芯片.ctl", 0},
        {"\xEF\xBF\xBD", 0},        // U+FFFD itself is well-formed
        {"\xFF", 1},                // never UTF-8
        {"\xC1\x81", 2},            // overlong 'A'
        {"\xE0\x80\xAF", 3},        // overlong '/'
        {"\xED\xB3\xBF", 3},        // the UTF-8 form of U+DCFF
        {"\xF4\x90\x80\x80", 4},    // beyond U+10FFFF
        {"\xE8\x8A", 2},            // cut short
        {"a\xE8\x8A\xAF\x80z", 1},  // a stray continuation byte
    };
    for (const auto& c : cases) {
        const std::wstring wide = FromNativeBytes(c.bytes);
        EXPECT_EQ(ToNativeBytes(wide), c.bytes);
        size_t escaped = 0;
        uint8_t byte = 0;
        for (wchar_t ch : wide) escaped += IsEscapedByte(ch, byte) ? 1 : 0;
        EXPECT_EQ(escaped, c.escapedBytes) << c.bytes;
    }
    EXPECT_NE(FromNativeBytes("\xFF"), FromNativeBytes("\xEF\xBF\xBD"));
    EXPECT_NE(FromNativeBytes("\xC1\x81"), FromNativeBytes("A"));
    EXPECT_NE(FromNativeBytes("\xED\xB3\xBF"), FromNativeBytes("\xFF"));
}
#endif

}  // namespace
