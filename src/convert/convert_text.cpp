#include "convert/convert_text.h"

#include <vector>

namespace korvimo {

namespace {

bool RoundTrips(const std::u16string& text, const AnsiCodec& codec) {
    return codec.FromAnsi(codec.ToAnsi(text)) == text;
}

}  // namespace

std::u16string ConvertHeldText(const std::u16string& text, const CodeTables& tables, const AnsiCodec& codec,
                               bool big5ToGb) {
    auto convert = [&](const std::u16string& run) {
        const std::string bytes = codec.ToAnsi(run);
        return codec.FromAnsi(big5ToGb ? tables.Big5ToGB(bytes) : tables.GBToBig5(bytes));
    };
    if (RoundTrips(text, codec)) return convert(text);
    // Each code unit is asked about once; a surrogate never round-trips
    // alone, so both halves of a pair stay together outside the conversion.
    std::vector<signed char> held(0x10000, -1);
    auto holds = [&](char16_t c) {
        if (held[c] < 0) held[c] = RoundTrips(std::u16string(1, c), codec) ? 1 : 0;
        return held[c] == 1;
    };
    std::u16string out;
    out.reserve(text.size());
    for (size_t start = 0, end = 0; start < text.size(); start = end) {
        const bool run = holds(text[start]);
        for (end = start + 1; end < text.size() && holds(text[end]) == run;) ++end;
        const std::u16string part = text.substr(start, end - start);
        out += run ? convert(part) : part;
    }
    return out;
}

}  // namespace korvimo
