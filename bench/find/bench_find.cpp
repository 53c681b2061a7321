// A find over 10,000 text entries of 1 KB each (mixed Latin and Chinese) for
// a word only the first entry holds, starting from that one, so that every
// other entry is read whole before it, as the find box does it: case folded,
// through the piece reader, one piece an entry and 128-byte pieces. The reference is std::u16string_view::find of the same word in the
// same texts, exact case, in the same run. Goal: at most 20 ms for the find.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "find/text_find.h"

namespace {

constexpr int kEntries = 10000, kRounds = 15;
constexpr size_t kEntryChars = 512;  // 1 KB of UTF-16

template <typename Run>
double MedianMs(Run run) {
    std::vector<double> times;
    for (int i = 0; i < kRounds; ++i) {
        auto start = std::chrono::steady_clock::now();
        run();
        times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

}  // namespace

int main() {
    const std::u16string words[] = {u"Clipboard ", u"history ", u"剪贴板", u"历史 ", u"entry ", u"Korvimo ", u"文本"};
    std::mt19937 random(7);
    std::vector<std::u16string> texts(kEntries);
    for (auto& text : texts) {
        while (text.size() < kEntryChars) text += words[random() % 7];
        text.resize(kEntryChars);
    }
    texts[0].replace(kEntryChars - 8, 6, u"Zebras");
    const std::u16string needle = u"ZEBRAS";

    volatile size_t sink = 0;
    for (size_t piece : {kEntryChars, size_t{64}}) {
        const korvimo::TextPieces pieces = [&](int32_t slot, const korvimo::TextSink& out) {
            const std::u16string_view text = texts[slot];
            for (size_t at = 0; at < text.size(); at += piece)
                if (!out(text.substr(at, piece))) break;
            return true;
        };
        double find = MedianMs([&] {
            auto found = korvimo::NextMatch(texts.size(), size_t{0}, true, [&](size_t i) {
                return korvimo::PiecesContain(pieces, static_cast<int32_t>(i), needle);
            });
            sink = sink + found.value_or(99);
        });
        double plain = MedianMs([&] {
            for (const auto& text : texts) sink = sink + std::u16string_view(text).find(u"Zebras");
        });
        std::printf("find over %d entries of 1 KB, %zu-byte pieces: %.2f ms (goal 20 ms); plain search %.2f ms\n",
                    kEntries, piece * 2, find, plain);
        std::printf("ratio find %zu-byte pieces / plain search: %.2fx\n", piece * 2,
                    find / plain);
    }
    return sink == 0 ? 1 : 0;
}
