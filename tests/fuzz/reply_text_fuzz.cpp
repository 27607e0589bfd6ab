// Feeds arbitrary device output, cut into arbitrary chunks, through ReplyText and checks that it
// takes exactly the markers a text that never forgets anything would take, and keeps no more
// than the start of a marker while none is whole.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/text.h"
#include "update/reply_text.h"

namespace {

constexpr std::wstring_view kMarkers[] = {L"!0", L"!10", L"!3", L"!6"};

std::optional<std::size_t> TakeFromWhole(std::wstring& text) {
    for (std::size_t i = 0; i < std::size(kMarkers); ++i) {
        if (const auto at = text.find(kMarkers[i]); at != std::wstring::npos) {
            text.erase(0, at + kMarkers[i].size());
            return i;
        }
    }
    return std::nullopt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ReplyText reply;
    std::wstring whole;
    std::size_t at = 0;
    while (at < size) {
        // Each chunk's first byte says how long it is.
        const std::size_t length = std::min<std::size_t>(data[at] % 16 + 1, size - at);
        const std::uint8_t* chunk = data + at;
        reply.Append(chunk, length);
        std::size_t text = 0;
        while (text < length && chunk[text] != 0) ++text;
        whole += tarvex::platform::WidenCp1252(
            std::string_view(reinterpret_cast<const char*>(chunk), text));
        const auto taken = reply.TakeMarker(kMarkers);
        if (taken != TakeFromWhole(whole)) std::abort();
        // With no marker in it, only what could begin one is kept.
        if (!taken && reply.Text().size() > 2) std::abort();
        at += length;
    }
    return 0;
}
