// Converts 50 MB of mixed text (ASCII words and Chinese characters) with the
// code tables both ways, and the same bytes with glibc iconv, and prints the
// throughputs and their ratios. iconv does a character-set conversion only
// (it drops the traditional characters GB2312 lacks instead of simplifying
// them), so it is a yardstick for speed, not for results.
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "convert/code_tables.h"

namespace {

constexpr std::size_t kTextBytes = 50u * 1024 * 1024;
constexpr int kRounds = 5;

const char kTraditional[] =
    "中華人民共和國國務院這是一個關於電腦軟體的說明書請仔細閱讀學習語言需要時間與耐心"
    "歡迎來到臺灣與香港開關門窗買賣東西飛機場經濟發展對環境會產生影響剪貼簿歷史記錄"
    "我們你他她它的了在是有和不這個上們來到時大地為子中說生國年著就那要下以會可也"
    "後然過能對裡麼還都發當沒成只如事把學現樣看種開麵體認長問給將實頭兩點從應動"
    "，。、：；！？「」（）";

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Converts all of `in` with iconv, stepping over what it cannot convert.
std::size_t IconvAll(iconv_t cd, const std::string& in, std::string& out) {
    char* inp = const_cast<char*>(in.data());
    std::size_t inLeft = in.size();
    char* outp = &out[0];
    std::size_t outLeft = out.size();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    while (inLeft > 0) {
        if (iconv(cd, &inp, &inLeft, &outp, &outLeft) != static_cast<std::size_t>(-1)) break;
        if (errno == E2BIG) break;
        // EILSEQ or EINVAL: step over one pair (or the last lone byte).
        const std::size_t skip = std::min<std::size_t>(inLeft, 2);
        inp += skip;
        inLeft -= skip;
    }
    return out.size() - outLeft;
}

std::string EncodeBig5(const std::string& utf8) {
    iconv_t cd = iconv_open("BIG5", "UTF-8");
    std::string out(utf8.size() * 2, '\0');
    out.resize(IconvAll(cd, utf8, out));
    iconv_close(cd);
    return out;
}

std::string MixedText(const std::string& big5Chars) {
    std::mt19937 rng(42);
    const std::size_t chars = big5Chars.size() / 2;
    std::string text;
    text.reserve(kTextBytes + 64);
    while (text.size() < kTextBytes) {
        if (rng() % 10 < 3) {
            for (int k = 3 + rng() % 6; k > 0; --k) text.push_back(static_cast<char>('a' + rng() % 26));
            text.push_back(rng() % 8 ? ' ' : '\n');
        } else {
            for (int k = 1 + rng() % 10; k > 0; --k) text.append(big5Chars, 2 * (rng() % chars), 2);
        }
    }
    text.resize(kTextBytes);
    return text;
}

template <typename F>
double BestMBps(std::size_t bytes, F&& run) {
    double best = 0;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        run();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::max(best, bytes / (1024.0 * 1024.0) / took.count());
    }
    return best;
}

}  // namespace

int main() {
    const std::string root = KORVIMO_SOURCE_DIR;
    const std::string big5gb = ReadFile(root + "/resources/big5gb.tbl");
    const std::string gbbig5 = ReadFile(root + "/resources/gbbig5.tbl");
    const korvimo::CodeTables tables =
        korvimo::LoadCodeTables(big5gb.data(), big5gb.size(), gbbig5.data(), gbbig5.size());

    const std::string big5 = MixedText(EncodeBig5(kTraditional));
    const std::string gb = tables.Big5ToGB(big5);

    // Like iconv below, the buffer calls write into memory that is already
    // there; the string calls also allocate and fill a new 50 MB string.
    std::string sink;
    const double big5ToGBString = BestMBps(big5.size(), [&] { sink = tables.Big5ToGB(big5); });
    const double gbToBig5String = BestMBps(gb.size(), [&] { sink = tables.GBToBig5(gb); });
    std::vector<unsigned char> buffer(big5.size());
    const auto* big5Bytes = reinterpret_cast<const unsigned char*>(big5.data());
    const auto* gbBytes = reinterpret_cast<const unsigned char*>(gb.data());
    const double big5ToGB =
        BestMBps(big5.size(), [&] { tables.Big5ToGB(big5Bytes, big5.size(), buffer.data()); });
    const bool sameBig5 = std::memcmp(buffer.data(), gb.data(), gb.size()) == 0;
    const double gbToBig5 =
        BestMBps(gb.size(), [&] { tables.GBToBig5(gbBytes, gb.size(), buffer.data()); });
    const bool sameGB = std::memcmp(buffer.data(), sink.data(), sink.size()) == 0;

    std::string iconvOut(big5.size() * 2, '\0');
    std::size_t iconvBytes = 0;
    iconv_t toGB = iconv_open("GB2312//IGNORE", "BIG5");
    iconv_t toBig5 = iconv_open("BIG5//IGNORE", "GB2312");
    if (toGB == reinterpret_cast<iconv_t>(-1) || toBig5 == reinterpret_cast<iconv_t>(-1)) {
        std::fprintf(stderr, "iconv lacks BIG5 or GB2312\n");
        return 1;
    }
    const double iconvToGB = BestMBps(big5.size(), [&] { iconvBytes = IconvAll(toGB, big5, iconvOut); });
    const std::size_t iconvToGBBytes = iconvBytes;
    const double iconvToBig5 = BestMBps(gb.size(), [&] { iconvBytes = IconvAll(toBig5, gb, iconvOut); });
    iconv_close(toGB);
    iconv_close(toBig5);

    std::printf("input: %zu bytes of mixed ASCII and Chinese text\n", big5.size());
    std::printf("Big5ToGB (buffer)   %8.1f MB/s   (std::string call %.1f MB/s)\n", big5ToGB,
                big5ToGBString);
    std::printf("iconv BIG5->GB2312  %8.1f MB/s (wrote %zu bytes)\n", iconvToGB, iconvToGBBytes);
    std::printf("ratio Big5ToGB / iconv: %.1fx\n", big5ToGB / iconvToGB);
    std::printf("GBToBig5 (buffer)   %8.1f MB/s   (std::string call %.1f MB/s)\n", gbToBig5,
                gbToBig5String);
    std::printf("iconv GB2312->BIG5  %8.1f MB/s (wrote %zu bytes)\n", iconvToBig5, iconvBytes);
    std::printf("ratio GBToBig5 / iconv: %.1fx\n", gbToBig5 / iconvToBig5);
    // The two kinds of call must agree, or the figures compare different work.
    if (!sameBig5 || !sameGB || sink.size() != big5.size()) {
        std::fprintf(stderr, "buffer and string calls disagree\n");
        return 1;
    }
    return 0;
}
