#include "convert/code_tables.h"

#include <cstdint>
#include <cstring>

namespace korvimo {
namespace {

constexpr unsigned kFirstLead = 0xA1;
constexpr std::size_t kRows = 0x100 - kFirstLead;  // leads 0xA1..0xFF

constexpr unsigned kBig5FirstTrail = 0x40;
constexpr unsigned kBig5Columns = 191;              // trails 0x40..0xFE
constexpr unsigned kGBFirstTrail = 0xA1;
constexpr unsigned kGBColumns = 94;                 // trails 0xA1..0xFE
constexpr unsigned kGBRowsBeforeGap = 9;            // leads 0xA1..0xA9, then 0xB0..

std::size_t Index(unsigned lead, unsigned trail) { return (lead - kFirstLead) * 256u + trail; }

std::vector<CodeTables::Entry> PassThroughTable() {
    std::vector<CodeTables::Entry> table(kRows * 256);
    for (unsigned lead = kFirstLead; lead <= 0xFF; ++lead)
        for (unsigned trail = 0; trail <= 0xFF; ++trail)
            table[Index(lead, trail)] = {static_cast<unsigned char>(lead),
                                         static_cast<unsigned char>(trail)};
    return table;
}

// Number of whole entries a resource buffer offers, at most `entries`.
std::size_t WholeEntries(const void* data, std::size_t size, std::size_t entries) {
    if (data == nullptr) return 0;
    std::size_t whole = size / 2;
    return whole < entries ? whole : entries;
}

bool NoHighBit(const unsigned char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return (word & 0x8080808080808080ull) == 0;
}

// The byte walk shared by both directions. A byte at or above 0xA1 followed
// by a byte at or above `minTrail` is a pair and is replaced by its entry;
// any other byte is copied and the next one is looked at as a lead in its own
// right. A lone last byte stays as it is.
void Walk(const CodeTables::Entry* table, unsigned minTrail, const unsigned char* in,
          std::size_t size, unsigned char* out) {
    if (out != in && size != 0) std::memcpy(out, in, size);
    std::size_t i = 0;
    while (i + 1 < size) {
        // Runs of ASCII are common and hold no lead byte: skip them a word at a time.
        while (i + 8 <= size && NoHighBit(in + i)) i += 8;
        if (i + 1 >= size) break;
        const unsigned lead = in[i];
        const unsigned trail = in[i + 1];
        if (lead < kFirstLead || trail < minTrail) {
            ++i;
            continue;
        }
        const CodeTables::Entry& entry = table[Index(lead, trail)];
        out[i] = entry[0];
        out[i + 1] = entry[1];
        i += 2;
    }
}

std::string Convert(const std::string& bytes, void (CodeTables::*walk)(const unsigned char*,
                    std::size_t, unsigned char*) const, const CodeTables& tables) {
    std::string out(bytes.size(), '\0');
    if (!bytes.empty())
        (tables.*walk)(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(),
                       reinterpret_cast<unsigned char*>(&out[0]));
    return out;
}

}  // namespace

CodeTables::CodeTables() : big5_gb_(PassThroughTable()), gb_big5_(PassThroughTable()) {}

void CodeTables::LoadBig5GB(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    const std::size_t entries = WholeEntries(data, size, kBig5GBTableBytes / 2);
    for (std::size_t k = 0; k < entries; ++k) {
        const unsigned lead = kFirstLead + static_cast<unsigned>(k / kBig5Columns);
        const unsigned trail = kBig5FirstTrail + static_cast<unsigned>(k % kBig5Columns);
        big5_gb_[Index(lead, trail)] = {bytes[2 * k], bytes[2 * k + 1]};
    }
}

void CodeTables::LoadGBBig5(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    const std::size_t entries = WholeEntries(data, size, kGBBig5TableBytes / 2);
    for (std::size_t k = 0; k < entries; ++k) {
        const unsigned row = static_cast<unsigned>(k / kGBColumns);
        // GB2312 leaves leads 0xAA..0xAF empty and the table has no rows for them.
        const unsigned lead = row < kGBRowsBeforeGap ? kFirstLead + row : 0xB0 + row - kGBRowsBeforeGap;
        const unsigned trail = kGBFirstTrail + static_cast<unsigned>(k % kGBColumns);
        gb_big5_[Index(lead, trail)] = {bytes[2 * k], bytes[2 * k + 1]};
    }
}

void CodeTables::Big5ToGB(const unsigned char* in, std::size_t size, unsigned char* out) const {
    Walk(big5_gb_.data(), kBig5FirstTrail, in, size, out);
}

void CodeTables::GBToBig5(const unsigned char* in, std::size_t size, unsigned char* out) const {
    Walk(gb_big5_.data(), kGBFirstTrail, in, size, out);
}

std::string CodeTables::Big5ToGB(const std::string& bytes) const {
    return Convert(bytes, &CodeTables::Big5ToGB, *this);
}

std::string CodeTables::GBToBig5(const std::string& bytes) const {
    return Convert(bytes, &CodeTables::GBToBig5, *this);
}

CodeTables LoadCodeTables(const void* big5gb, std::size_t big5gbSize, const void* gbbig5,
                          std::size_t gbbig5Size) {
    CodeTables tables;
    tables.LoadBig5GB(big5gb, big5gbSize);
    tables.LoadGBBig5(gbbig5, gbbig5Size);
    return tables;
}

std::string Big5ToGB(const CodeTables& tables, const std::string& bytes) {
    return tables.Big5ToGB(bytes);
}

std::string GBToBig5(const CodeTables& tables, const std::string& bytes) {
    return tables.GBToBig5(bytes);
}

std::u16string Big5ToGB(const CodeTables& tables, const AnsiCodec& codec,
                        const std::u16string& text) {
    if (text.empty()) return text;
    return codec.FromAnsi(tables.Big5ToGB(codec.ToAnsi(text)));
}

std::u16string GBToBig5(const CodeTables& tables, const AnsiCodec& codec,
                        const std::u16string& text) {
    if (text.empty()) return text;
    return codec.FromAnsi(tables.GBToBig5(codec.ToAnsi(text)));
}

}  // namespace korvimo
