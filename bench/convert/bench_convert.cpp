// Converts 50 MB of mixed text (ASCII words and Chinese characters) with the
// code tables both ways, and the same bytes with glibc iconv, and prints the
// throughputs and their ratios. iconv converts through Unicode by its own
// mappings, so it is a yardstick for speed, not for results. Besides the
// buffer call, the program's own call is timed: the conversion commands
// convert the bytes the text box hands over where they stand.
#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "convert/code_tables.h"

namespace {

constexpr std::size_t kTextBytes = 50u * 1024 * 1024;
constexpr int kRounds = 11;

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

double Seconds(const std::function<void()>& run) {
    const auto start = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double MBps(std::size_t bytes, double seconds) { return bytes / (1024.0 * 1024.0) / seconds; }

using BufferCall = void (korvimo::CodeTables::*)(const unsigned char*, std::size_t,
                                                 unsigned char*) const;

// Whether `out` is `in` converted by the plain rule, a pair at a time (two
// bytes are too short for the block walk). The unit tests check the same on
// short texts, but only in the 64-bit build; this checks every build measured.
bool FollowsPairRule(const korvimo::CodeTables& tables, BufferCall call, unsigned minTrail,
                     const std::string& in, const std::vector<unsigned char>& out) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(in.data());
    std::vector<unsigned char> expected(bytes, bytes + in.size());
    for (std::size_t i = 0; i + 1 < in.size(); ++i) {
        if (bytes[i] < 0xA1 || bytes[i + 1] < minTrail) continue;
        (tables.*call)(bytes + i, 2, &expected[i]);
        ++i;  // on past the trail
    }
    return expected == out;
}

struct Direction {
    Direction(const char* name, const char* iconvName, BufferCall call, unsigned minTrail,
              const std::string& input, iconv_t iconv)
        : name(name), iconvName(iconvName), call(call), minTrail(minTrail), input(&input), iconv(iconv) {}

    const char* name;
    const char* iconvName;
    BufferCall call;
    unsigned minTrail;
    const std::string* input;
    iconv_t iconv;
    double buffer = 1e30, inPlace = 1e30, peer = 1e30;  // best seconds
    std::vector<double> turnRatios;                    // peer / buffer, turn by turn
    std::size_t peerBytes = 0;
    bool agree = true;
};

// One turn of the three calls on the same bytes, one after the other.
void Turn(const korvimo::CodeTables& tables, Direction& d, std::vector<unsigned char>& buffer,
          std::string& textBox, std::string& peerOut) {
    const std::string& in = *d.input;
    const auto* bytes = reinterpret_cast<const unsigned char*>(in.data());
    const double buffered = Seconds([&] { (tables.*d.call)(bytes, in.size(), buffer.data()); });
    // What the text box handed over; refilling it is not part of the call.
    textBox.assign(in);
    auto* box = reinterpret_cast<unsigned char*>(&textBox[0]);
    const double inPlace = Seconds([&] { (tables.*d.call)(box, textBox.size(), box); });
    const double peer = Seconds([&] { d.peerBytes = IconvAll(d.iconv, in, peerOut); });
    d.agree = d.agree && std::memcmp(buffer.data(), textBox.data(), in.size()) == 0;
    d.buffer = std::min(d.buffer, buffered);
    d.inPlace = std::min(d.inPlace, inPlace);
    d.peer = std::min(d.peer, peer);
    d.turnRatios.push_back(peer / buffered);
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

    Direction directions[] = {
        {"Big5ToGB", "BIG5->GB2312", &korvimo::CodeTables::Big5ToGB, 0x40, big5,
         iconv_open("GB2312//IGNORE", "BIG5")},
        {"GBToBig5", "GB2312->BIG5", &korvimo::CodeTables::GBToBig5, 0xA1, gb,
         iconv_open("BIG5//IGNORE", "GB2312")},
    };
    for (const Direction& d : directions) {
        if (d.iconv == reinterpret_cast<iconv_t>(-1)) {
            std::fprintf(stderr, "iconv lacks BIG5 or GB2312\n");
            return 1;
        }
    }
    // Every call writes into memory that is already there: the buffer call and
    // iconv into buffers of their own, the program's call over the text box's
    // bytes, which is how the conversion commands call it.
    std::vector<unsigned char> buffer(big5.size());
    std::string textBox, peerOut(big5.size() * 2, '\0');
    for (int round = 0; round < kRounds; ++round)
        for (Direction& d : directions) Turn(tables, d, buffer, textBox, peerOut);

    bool ok = true;
    std::printf("input: %zu bytes of mixed ASCII and Chinese text; best of %d turns, the three "
                "calls taking turns\n", big5.size(), kRounds);
    for (Direction& d : directions) {
        iconv_close(d.iconv);
        const std::size_t size = d.input->size();
        std::sort(d.turnRatios.begin(), d.turnRatios.end());
        std::printf("%s (buffer)      %8.1f MB/s\n", d.name, MBps(size, d.buffer));
        std::printf("%s (program's call, in place on the text box's bytes) %8.1f MB/s\n", d.name,
                    MBps(size, d.inPlace));
        std::printf("iconv %s  %8.1f MB/s (wrote %zu bytes)\n", d.iconvName, MBps(size, d.peer),
                    d.peerBytes);
        std::printf("ratio %s / iconv: %.2fx (single turns: median %.2f, %.2f..%.2f)\n", d.name,
                    d.peer / d.buffer, d.turnRatios[d.turnRatios.size() / 2],
                    d.turnRatios.front(), d.turnRatios.back());
        std::printf("ratio %s program's call / buffer call: %.2f (speed, 1.0 is the same)\n", d.name,
                    d.buffer / d.inPlace);
        // Both sides convert every character of these texts: iconv's output
        // is as long as its input, or it did less work than we did.
        if (d.peerBytes != size) {
            std::fprintf(stderr, "iconv %s wrote %zu of %zu bytes\n", d.iconvName, d.peerBytes,
                         size);
            ok = false;
        }
        (tables.*d.call)(reinterpret_cast<const unsigned char*>(d.input->data()), size, buffer.data());
        if (!FollowsPairRule(tables, d.call, d.minTrail, *d.input, buffer)) {
            std::fprintf(stderr, "%s: the block walk converts other pairs than the pair rule\n", d.name);
            ok = false;
        }
        // The two kinds of call must agree, or the figures compare different work.
        if (!d.agree) {
            std::fprintf(stderr, "%s: buffer and in-place calls disagree\n", d.name);
            ok = false;
        }
    }
    return ok ? 0 : 1;
}
