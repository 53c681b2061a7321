// Big5 <-> GB2312 walks on any bytes. The block walk (a block at a time with
// bit masks) must convert just the pairs the plain rule finds, a pair at a time.
//
// Input: one mode byte, then the text. Mode bit 0: the committed tables, else
// short tables cut from the text itself; bit 1: the buffers at odd addresses.
#include <algorithm>
#include <cassert>
#include <cstdint>
#include <string>
#include <vector>

#include "committed_tables.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
    korvimo::CodeTables cut;  // short, odd-sized tables: only their whole entries count
    const size_t split = std::min<size_t>(text.size(), data[0] * 3u);
    cut.LoadBig5GB(text.data(), split);
    cut.LoadGBBig5(text.data() + split, text.size() - split);
    const korvimo::CodeTables& tables = data[0] & 1 ? korvimo::test_support::CommittedTables() : cut;
    const size_t offset = (data[0] >> 1) & 1;

    for (const bool big5 : {true, false}) {
        auto walk = [&](const std::string& s) { return big5 ? tables.Big5ToGB(s) : tables.GBToBig5(s); };
        // A lead byte >= 0xA1 and a trail byte from the direction's lowest on
        // make a pair; any other byte stays, and the next is looked at afresh.
        std::string expected = text;
        for (size_t i = 0; i + 1 < text.size(); ++i) {
            if (static_cast<unsigned char>(text[i]) < 0xA1 ||
                static_cast<unsigned char>(text[i + 1]) < (big5 ? 0x40 : 0xA1))
                continue;
            expected.replace(i, 2, walk(text.substr(i, 2)));
            ++i;
        }
        assert(walk(text) == expected);

        // Into another buffer of just the size: ASan guards its ends.
        std::vector<unsigned char> in(offset), out(offset + text.size());
        in.insert(in.end(), text.begin(), text.end());
        if (big5) tables.Big5ToGB(in.data() + offset, text.size(), out.data() + offset);
        if (!big5) tables.GBToBig5(in.data() + offset, text.size(), out.data() + offset);
        assert(std::string(out.begin() + offset, out.end()) == expected);
    }
    return 0;
}
