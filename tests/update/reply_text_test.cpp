#include "update/reply_text.h"

#include <gtest/gtest.h>

#include <array>
#include <random>
#include <string>

namespace {

constexpr std::array<std::wstring_view, 2> kSign = {L"!0", L"!10"};
constexpr std::array<std::wstring_view, 3> kConsole = {L"!0", L"!3", L"!6"};

void Append(ReplyText& reply, const std::string& bytes) {
    reply.Append(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

TEST(ReplyText, MarkersSplitOverChunksAreFound) {
    ReplyText reply;
    Append(reply, "!1");
    EXPECT_EQ(reply.TakeMarker(kSign), std::nullopt);
    Append(reply, "0");
    EXPECT_EQ(reply.TakeMarker(kSign), 1u) << "!1 then 0 forms the stop marker";
}

TEST(ReplyText, PriorityWinsOverPositionAndTheRestStays) {
    ReplyText higherFirst;
    Append(higherFirst, "xx!0yy!3zz");
    EXPECT_EQ(higherFirst.TakeMarker(kConsole), 0u);
    EXPECT_EQ(higherFirst.Text(), L"yy!3zz") << "the other marker waits for the next chunk";
    EXPECT_EQ(higherFirst.TakeMarker(kConsole), 1u);

    ReplyText lowerFirst;
    Append(lowerFirst, "!10!0");
    EXPECT_EQ(lowerFirst.TakeMarker(kSign), 0u);
    EXPECT_EQ(lowerFirst.Text(), L"") << "the stop before the taken marker is dropped with it";
}

TEST(ReplyText, BytesAfterAZeroInAChunkAreDropped) {
    ReplyText reply;
    Append(reply, std::string("ab\0!0", 5));
    EXPECT_EQ(reply.TakeMarker(kConsole), std::nullopt);
    Append(reply, std::string("!", 1));
    Append(reply, std::string("6\0zz", 4));
    EXPECT_EQ(reply.TakeMarker(kConsole), 2u) << "later chunks are appended normally";
    Append(reply, "\xE9\x80!0");
    EXPECT_EQ(reply.TakeMarker(kConsole), 0u);
}

// The bounded text must take exactly the markers an unbounded one takes.
TEST(ReplyText, KeepingOnlyTheTailChangesNoOutcome) {
    std::mt19937 random(2026);
    const std::string alphabet = "!0136x";
    for (const auto* markers : {&kSign[0], &kConsole[0]}) {
        const std::span<const std::wstring_view> table(markers, markers == &kSign[0] ? 2 : 3);
        ReplyText bounded;
        std::wstring unbounded;
        for (int round = 0; round < 20000; ++round) {
            std::string chunk(1 + random() % 4, ' ');
            for (char& c : chunk) c = alphabet[random() % alphabet.size()];
            Append(bounded, chunk);
            unbounded += std::wstring(chunk.begin(), chunk.end());
            std::optional<std::size_t> expected;
            for (std::size_t i = 0; i < table.size() && !expected; ++i) {
                if (auto at = unbounded.find(table[i]); at != std::wstring::npos) {
                    unbounded.erase(0, at + table[i].size());
                    expected = i;
                }
            }
            ASSERT_EQ(bounded.TakeMarker(table), expected) << "round " << round;
        }
    }
}

TEST(ReplyText, EndlessNoiseKeepsTheTextShort) {
    ReplyText reply;
    const std::string noise(1000, 'x');
    std::size_t longest = 0;
    for (int chunk = 0; chunk < 100'000; ++chunk) {  // 100 MB of a device that never stops
        Append(reply, noise);
        EXPECT_FALSE(reply.TakeMarker(kSign).has_value());
        longest = std::max(longest, reply.Text().size());
    }
    EXPECT_LE(reply.Text().size(), 2u);
    EXPECT_LE(longest, 1000u + 2u);
}

}  // namespace
