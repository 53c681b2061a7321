// Big5 <-> GB2312 byte walks on any bytes. The block walk (64 bytes at a time
// with bit masks) must find exactly the pairs the byte-by-byte rule finds, in
// every form of the call, and never change the byte count.
//
// Input: one mode byte, then the text.
//   bits 0-1  tables: 0 and 3 the committed ones, 1 none loaded (everything
//             passes through), 2 the first bytes of the text as short tables
//   bit 2     the text starts at an odd offset into its buffer
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "committed_tables.h"
#include "convert/code_tables.h"
#include "fuzz_check.h"

namespace {

using korvimo::CodeTables;

const CodeTables& Committed() { return korvimo::test_support::CommittedTables(); }

using StringWalk = std::string (CodeTables::*)(const std::string&) const;
using BufferWalk = void (CodeTables::*)(const unsigned char*, std::size_t, unsigned char*) const;

// The rule itself, a pair at a time: a byte >= 0xA1 and a byte >= min_trail
// form a pair converted as a whole; any other byte stays and the next byte is
// looked at afresh. A pair alone is short enough for any walk to do it bytewise.
std::string PairByPair(const CodeTables& tables, StringWalk walk, unsigned min_trail,
                       const std::string& in) {
    std::string out = in;
    size_t i = 0;
    while (i + 1 < in.size()) {
        const unsigned lead = static_cast<unsigned char>(in[i]);
        const unsigned trail = static_cast<unsigned char>(in[i + 1]);
        if (lead < 0xA1 || trail < min_trail) {
            ++i;
            continue;
        }
        const std::string pair = (tables.*walk)(in.substr(i, 2));
        FUZZ_CHECK(pair.size() == 2);
        out[i] = pair[0];
        out[i + 1] = pair[1];
        i += 2;
    }
    return out;
}

void CheckDirection(const CodeTables& tables, StringWalk string_walk, BufferWalk buffer_walk,
                    unsigned min_trail, const std::string& text, bool odd_offset, bool identity) {
    const std::string converted = (tables.*string_walk)(text);
    FUZZ_CHECK(converted.size() == text.size());
    FUZZ_CHECK(converted == PairByPair(tables, string_walk, min_trail, text));
    if (identity) FUZZ_CHECK(converted == text);
    if (text.empty()) return;

    // Into a separate buffer, at an offset that breaks any alignment, with
    // guard bytes around it that must stay as they are.
    const size_t offset = odd_offset ? 1 : 0;
    std::vector<unsigned char> in(text.size() + offset);
    std::memcpy(in.data() + offset, text.data(), text.size());
    std::vector<unsigned char> out(text.size() + offset + 1, 0x5A);
    (tables.*buffer_walk)(in.data() + offset, text.size(), out.data() + offset);
    FUZZ_CHECK(std::memcmp(out.data() + offset, converted.data(), text.size()) == 0);
    if (offset) FUZZ_CHECK(out[0] == 0x5A);
    FUZZ_CHECK(out.back() == 0x5A);

    // In place.
    (tables.*buffer_walk)(in.data() + offset, text.size(), in.data() + offset);
    FUZZ_CHECK(std::memcmp(in.data() + offset, converted.data(), text.size()) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const unsigned mode = data[0];
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

    CodeTables loaded;
    const CodeTables* tables = &Committed();
    bool identity = false;
    if ((mode & 3) == 1) {
        tables = &loaded;
        identity = true;
    } else if ((mode & 3) == 2) {
        // Short, odd-sized tables: only their whole entries count.
        const size_t big5gb = std::min<size_t>(text.size(), mode * 3);
        loaded.LoadBig5GB(text.data(), big5gb);
        loaded.LoadGBBig5(text.data(), text.size() - big5gb);
        tables = &loaded;
    }
    const bool odd = (mode & 4) != 0;
    CheckDirection(*tables, &CodeTables::Big5ToGB, &CodeTables::Big5ToGB, 0x40, text, odd, identity);
    CheckDirection(*tables, &CodeTables::GBToBig5, &CodeTables::GBToBig5, 0xA1, text, odd, identity);
    return 0;
}
