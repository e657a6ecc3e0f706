// SPDX-License-Identifier: MIT
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "util/Cp932.h"

namespace trelmark::util {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

struct Decoded {
    std::string text;
    std::int32_t count;
};

Decoded decode(std::vector<std::uint8_t> bytes, std::int32_t lastIndex) {
    Decoded result{"stale", -1};
    result.count = AnsiBytesToString(result.text, bytes, lastIndex);
    return result;
}

// A zero-filled name field of 261 bytes, as the find record hands it over.
std::vector<std::uint8_t> field(std::initializer_list<std::uint8_t> name) {
    std::vector<std::uint8_t> bytes(261, 0);
    std::copy(name.begin(), name.end(), bytes.begin());
    return bytes;
}

TEST(AnsiBytesToString, DecodesUpToTheTerminatingZero) {
    const Decoded ascii = decode(field({'a', 'b', '.', 't', 'x', 't'}), 260);
    EXPECT_EQ(ascii.text, "ab.txt");
    EXPECT_EQ(ascii.count, 6);

    const Decoded empty = decode(field({}), 260);
    EXPECT_EQ(empty.text, "");
    EXPECT_EQ(empty.count, 0);

    const Decoded stopsAtZero = decode(field({'a', 0, 'b'}), 260);
    EXPECT_EQ(stopsAtZero.text, "a");
    EXPECT_EQ(stopsAtZero.count, 1);
}

TEST(AnsiBytesToString, DoubleByteCharacterCountsOnce) {
    const Decoded one = decode(field({0x93, 0xFA}), 260);
    EXPECT_EQ(one.text, "日");
    EXPECT_EQ(one.count, 1);

    const Decoded word = decode(field({0x93, 0xFA, 0x96, 0x7B, 0x8C, 0xEA, '.', 't', 'x', 't'}), 260);
    EXPECT_EQ(word.text, "日本語.txt");
    EXPECT_EQ(word.count, 7);

    // 0xE0..0xFF lead too, and a trail byte may be any value, "\" included.
    const Decoded high = decode(field({0xE0, 0x40, 0x83, 0x5C}), 260);
    EXPECT_EQ(high.text, "漾ソ");
    EXPECT_EQ(high.count, 2);
}

TEST(AnsiBytesToString, SingleBytesOutsideTheLeadRanges) {
    const Decoded kana = decode(field({0xB1, 0xB2, 0xDF}), 260);
    EXPECT_EQ(kana.text, "ｱｲﾟ");
    EXPECT_EQ(kana.count, 3);

    const Decoded ascii = decode(field({'\\', '~', 0x7F}), 260);
    EXPECT_EQ(ascii.text, "\\~\x7F");

    const Decoded unmapped = decode(field({0xA0, 'x'}), 260);
    EXPECT_EQ(unmapped.text, std::string(kReplacement) + "x");
    EXPECT_EQ(unmapped.count, 2);
}

TEST(AnsiBytesToString, UnmappedDoubleByteCodesBecomeReplacementCharacters) {
    // 0x80 and 0xFD..0xFF lead by the fixed ranges although the code page maps nothing there.
    const Decoded fixedLeads = decode(field({0x80, 'A', 0xFD, 'B', 0x85, 0x40, 'z'}), 260);
    EXPECT_EQ(fixedLeads.text,
              std::string(kReplacement) + std::string(kReplacement) + std::string(kReplacement) + "z");
    EXPECT_EQ(fixedLeads.count, 4);

    // The trail is taken without a test, even when it is the terminating 0.
    const Decoded leadBeforeZero = decode(field({'a', 0x82, 0, 'b'}), 260);
    EXPECT_EQ(leadBeforeZero.text, "a" + std::string(kReplacement) + "b");
    EXPECT_EQ(leadBeforeZero.count, 3);
}

TEST(AnsiBytesToString, DecodesThroughTheLastIndexWithoutZero) {
    std::vector<std::uint8_t> full(261, 'n');
    const Decoded all = decode(full, 260);
    EXPECT_EQ(all.text, std::string(261, 'n'));
    EXPECT_EQ(all.count, 261);

    const Decoded part = decode({'a', 'b', 'c', 'd'}, 1);
    EXPECT_EQ(part.text, "ab");
    EXPECT_EQ(part.count, 2);

    const Decoded none = decode({'a'}, -1);
    EXPECT_EQ(none.text, "");
    EXPECT_EQ(none.count, 0);
}

TEST(AnsiBytesToString, LeadByteAtTheLastIndexReadsNothingBeyond) {
    // The byte after the last index is a valid trail; it must not be used.
    const Decoded withinLarger = decode({'a', 0x93, 0xFA}, 1);
    EXPECT_EQ(withinLarger.text, "a" + std::string(kReplacement));
    EXPECT_EQ(withinLarger.count, 2);

    std::vector<std::uint8_t> full(261, 'n');
    full[260] = 0x93;
    const Decoded atEnd = decode(full, 260);
    EXPECT_EQ(atEnd.text, std::string(260, 'n') + std::string(kReplacement));
    EXPECT_EQ(atEnd.count, 261);

    // A last index past the array is held to the array.
    const Decoded beyond = decode({'a', 0x93}, 260);
    EXPECT_EQ(beyond.text, "a" + std::string(kReplacement));
    EXPECT_EQ(beyond.count, 2);
}

TEST(Cp932, EncodesWithQuestionMarksForWhatItCannotHold) {
    const Cp932Text japanese = toCp932("日本語ｱ.txt");
    EXPECT_EQ(japanese.bytes, "\x93\xFA\x96\x7B\x8C\xEA\xB1.txt");
    EXPECT_EQ(japanese.unmapped, 0u);

    const Cp932Text foreign = toCp932("café😀");
    EXPECT_EQ(foreign.bytes, "caf??");
    EXPECT_EQ(foreign.unmapped, 2u);

    const Cp932Text broken = toCp932(
        "a\xFF\xE6\x97"
        "b");
    EXPECT_EQ(broken.bytes, "a???b");
    EXPECT_EQ(broken.unmapped, 3u);

    // Best fit, as the system this mimics does it.
    EXPECT_EQ(toCp932("¥").bytes, "\\");
    EXPECT_EQ(toCp932("¥").unmapped, 0u);
}

TEST(Cp932, RoundTripsJapaneseNames) {
    const std::string name = "ファイル一覧・表（２０２４）";
    const Cp932Text encoded = toCp932(name);
    ASSERT_EQ(encoded.unmapped, 0u);
    std::string decoded;
    const std::vector<std::uint8_t> bytes(encoded.bytes.begin(), encoded.bytes.end());
    EXPECT_EQ(AnsiBytesToString(decoded, bytes, static_cast<std::int32_t>(bytes.size()) - 1), 14);
    EXPECT_EQ(decoded, name);
}

}  // namespace
}  // namespace trelmark::util
