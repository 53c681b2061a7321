#include "convert/code_tables.h"

#include <cstdint>
#include <cstring>

// SSE2 finds the pair bytes of a block in a few instructions; elsewhere (the
// i686 build does not assume SSE2) plain 64-bit arithmetic does the same.
#if defined(__SSE2__) && !defined(KORVIMO_CONVERT_NO_SSE2)
#define KORVIMO_CONVERT_SSE2 1
#include <emmintrin.h>
#else
#define KORVIMO_CONVERT_SSE2 0
#endif

namespace korvimo {
namespace {

constexpr unsigned kFirstLead = 0xA1;
constexpr std::size_t kRows = 0x100 - kFirstLead;  // leads 0xA1..0xFF

constexpr unsigned kBig5FirstTrail = 0x40;
constexpr unsigned kBig5Columns = 191;              // trails 0x40..0xFE
constexpr unsigned kGBFirstTrail = 0xA1;
constexpr unsigned kGBColumns = 94;                 // trails 0xA1..0xFE
constexpr unsigned kGBRowsBeforeGap = 9;            // leads 0xA1..0xA9, then 0xB0..

// A direction's table has a row for every lead 0xA1..0xFF and a column for
// every trail from its lowest one to 0xFF: narrow enough to stay in the
// first-level cache, whole enough that the walk needs no range tests.
template <unsigned MinTrail>
constexpr std::size_t kColumns = 0x100 - MinTrail;

template <unsigned MinTrail>
std::size_t Index(unsigned lead, unsigned trail) {
    return (lead - kFirstLead) * kColumns<MinTrail> + (trail - MinTrail);
}

template <unsigned MinTrail>
std::vector<CodeTables::Entry> PassThroughTable() {
    std::vector<CodeTables::Entry> table(kRows * kColumns<MinTrail>);
    for (unsigned lead = kFirstLead; lead <= 0xFF; ++lead)
        for (unsigned trail = MinTrail; trail <= 0xFF; ++trail)
            table[Index<MinTrail>(lead, trail)] = {static_cast<unsigned char>(lead),
                                                   static_cast<unsigned char>(trail)};
    return table;
}

// Number of whole entries a resource buffer offers, at most `entries`.
std::size_t WholeEntries(const void* data, std::size_t size, std::size_t entries) {
    if (data == nullptr) return 0;
    std::size_t whole = size / 2;
    return whole < entries ? whole : entries;
}

// The walk takes a byte at or above 0xA1 followed by a byte at or above the
// direction's lowest trail byte as a pair and replaces it by its entry; any
// other byte is copied and the next one is looked at as a lead in its own
// right; a lone last byte stays as it is. ScalarWalk does exactly that, byte
// by byte. BlockWalk finds the same pairs 64 bytes at a time with bit masks,
// because the byte-by-byte walk is bound by its chain of data-dependent
// branches and runs at a fraction of the speed.

template <unsigned MinTrail>
std::size_t ScalarWalk(const CodeTables::Entry* table, const unsigned char* in, std::size_t i,
                       std::size_t size, unsigned char* out) {
    while (i + 1 < size) {
        const unsigned lead = in[i];
        const unsigned trail = in[i + 1];
        if (lead < kFirstLead || trail < MinTrail) {
            ++i;
            continue;
        }
        const CodeTables::Entry& entry = table[Index<MinTrail>(lead, trail)];
        out[i] = entry[0];
        out[i + 1] = entry[1];
        i += 2;
    }
    return i;
}

constexpr std::uint64_t kEvenBits = 0x5555555555555555ull;

bool IsLittleEndian() {
    const std::uint16_t probe = 1;
    unsigned char first;
    std::memcpy(&first, &probe, 1);
    return first == 1;
}

int LowestBit(std::uint64_t bits) { return __builtin_ctzll(bits); }

#if !KORVIMO_CONVERT_SSE2
constexpr std::uint64_t kHighBits = 0x8080808080808080ull;
constexpr std::uint64_t kLowBits = 0x7F7F7F7F7F7F7F7Full;

std::uint64_t Load8(const unsigned char* p) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

// One bit per byte of `word` (bit k for the k-th byte in memory, which needs
// a little-endian load), set where the byte is at least `bound` (0x01..0xFF).
// The high bit of each byte of the sum tells whether (byte & 0x7F) reaches
// (bound & 0x7F); the sums stay within their bytes, so no carry crosses into
// a neighbour.
std::uint64_t AtLeastMask(std::uint64_t word, unsigned bound) {
    const std::uint64_t add = (0x80u - (bound & 0x7Fu)) * 0x0101010101010101ull;
    std::uint64_t flags = ((word & kLowBits) + add) & kHighBits;
    if (bound & 0x80u) flags &= word;  // needs the high bit as well
    else flags |= word & kHighBits;    // the high bit alone is enough
    // Gather the eight flags (bits 7, 15, ..., 63) into the top byte.
    return ((flags >> 7) * 0x0102040810204080ull) >> 56;
}

#endif

// Masks of the 64 bytes at `p`: bit k set where byte k is at least 0xA1
// (`leads`) and where it is at least `MinTrail` (`trails`).
template <unsigned MinTrail>
void BlockMasks(const unsigned char* p, std::uint64_t& leads, std::uint64_t& trails) {
#if KORVIMO_CONVERT_SSE2
    const __m128i leadBound = _mm_set1_epi8(static_cast<char>(kFirstLead));
    const __m128i trailBound = _mm_set1_epi8(static_cast<char>(MinTrail));
    leads = trails = 0;
    for (unsigned k = 0; k < 4; ++k) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        // Unsigned x >= bound is max(x, bound) == x.
        const __m128i isLead = _mm_cmpeq_epi8(_mm_max_epu8(bytes, leadBound), bytes);
        const __m128i isTrail = _mm_cmpeq_epi8(_mm_max_epu8(bytes, trailBound), bytes);
        const auto leadBits = static_cast<unsigned>(_mm_movemask_epi8(isLead));
        const auto trailBits = static_cast<unsigned>(_mm_movemask_epi8(isTrail));
        leads |= static_cast<std::uint64_t>(leadBits) << (16 * k);
        trails |= static_cast<std::uint64_t>(trailBits) << (16 * k);
    }
#else
    leads = trails = 0;
    for (unsigned k = 0; k < 8; ++k) {
        const std::uint64_t word = Load8(p + 8 * k);
        leads |= AtLeastMask(word, kFirstLead) << (8 * k);
        trails |= AtLeastMask(word, MinTrail) << (8 * k);
    }
#endif
}

// Converts the pairs of whole 64-byte blocks into `out`, copying each block
// first unless `out` already holds a copy of `in`; returns where the byte
// walk has to go on (past a trail byte that a block's last pair took from
// beyond it). Copying block by block keeps the output in cache for the pairs.
template <unsigned MinTrail>
std::size_t BlockWalk(const CodeTables::Entry* table, const unsigned char* in,
                      std::size_t size, unsigned char* out, bool copy) {
    std::size_t base = 0;
    std::uint64_t carry = 0;  // 1 when byte `base` is the trail of the pair before it
    // A block needs the byte after it to know whether its last byte leads a pair.
    while (base + 64 < size) {
        std::uint64_t leads, trails;
        BlockMasks<MinTrail>(in + base, leads, trails);
        const std::uint64_t nextTrail = in[base + 64] >= MinTrail ? 1 : 0;
        // Bytes that lead a pair unless the byte before them led one.
        std::uint64_t candidates = leads & ((trails >> 1) | (nextTrail << 63));
        candidates &= ~carry;
        // In a run of candidates the pairs start at the run's first byte and
        // at every second byte after it. Adding a run's first bit to the run
        // carries through it and clears it, so the sum keeps only the runs
        // that begin on an even byte.
        const std::uint64_t runStarts = candidates & ~(candidates << 1);
        const std::uint64_t evenRuns = (candidates + (runStarts & ~kEvenBits)) & candidates;
        const std::uint64_t oddRuns = candidates & ~evenRuns;
        std::uint64_t starts = (evenRuns & kEvenBits) | (oddRuns & ~kEvenBits);

        if (copy) {
            // A carried-in trail was written by the block before: keep it.
            const unsigned char first = out[base];
            std::memcpy(out + base, in + base, 64);
            if (carry) out[base] = first;
        }
        carry = starts >> 63;
        while (starts != 0) {
            const std::size_t i = base + static_cast<unsigned>(LowestBit(starts));
            std::memcpy(out + i, table[Index<MinTrail>(in[i], in[i + 1])].data(), 2);
            starts &= starts - 1;
        }
        base += 64;
    }
    return base + carry;
}

// Writes the conversion of `in` to `out`. With `copied`, `out` already holds
// a copy of `in` and only the converted pairs are written.
template <unsigned MinTrail>
void Walk(const CodeTables::Entry* table, const unsigned char* in, std::size_t size,
          unsigned char* out, bool copied) {
    std::size_t i = 0;
    if (in == out) {
        // In place, converted trails would feed the next block's masks.
    } else if (IsLittleEndian()) {
        i = BlockWalk<MinTrail>(table, in, size, out, !copied);
    }
    if (!copied && in != out && size > i) std::memcpy(out + i, in + i, size - i);
    ScalarWalk<MinTrail>(table, in, i, size, out);
}

// The copy is the output's only allocation and fill; the walk then writes
// just the converted pairs.
template <unsigned MinTrail>
std::string Convert(const std::string& bytes, const std::vector<CodeTables::Entry>& table) {
    std::string out = bytes;
    if (!out.empty())
        Walk<MinTrail>(table.data(), reinterpret_cast<const unsigned char*>(bytes.data()),
                       bytes.size(), reinterpret_cast<unsigned char*>(&out[0]), true);
    return out;
}

}  // namespace

CodeTables::CodeTables()
    : big5_gb_(PassThroughTable<kBig5FirstTrail>()), gb_big5_(PassThroughTable<kGBFirstTrail>()) {}

void CodeTables::LoadBig5GB(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    const std::size_t entries = WholeEntries(data, size, kBig5GBTableBytes / 2);
    for (std::size_t k = 0; k < entries; ++k) {
        const unsigned lead = kFirstLead + static_cast<unsigned>(k / kBig5Columns);
        const unsigned trail = kBig5FirstTrail + static_cast<unsigned>(k % kBig5Columns);
        big5_gb_[Index<kBig5FirstTrail>(lead, trail)] = {bytes[2 * k], bytes[2 * k + 1]};
    }
}

void CodeTables::LoadGBBig5(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    const std::size_t entries = WholeEntries(data, size, kGBBig5TableBytes / 2);
    for (std::size_t k = 0; k < entries; ++k) {
        const unsigned row = static_cast<unsigned>(k / kGBColumns);
        // GB2312 leaves leads 0xAA..0xAF empty and the table has no rows for them.
        const unsigned lead =
            row < kGBRowsBeforeGap ? kFirstLead + row : 0xB0 + row - kGBRowsBeforeGap;
        const unsigned trail = kGBFirstTrail + static_cast<unsigned>(k % kGBColumns);
        gb_big5_[Index<kGBFirstTrail>(lead, trail)] = {bytes[2 * k], bytes[2 * k + 1]};
    }
}

void CodeTables::Big5ToGB(const unsigned char* in, std::size_t size, unsigned char* out) const {
    Walk<kBig5FirstTrail>(big5_gb_.data(), in, size, out, false);
}

void CodeTables::GBToBig5(const unsigned char* in, std::size_t size, unsigned char* out) const {
    Walk<kGBFirstTrail>(gb_big5_.data(), in, size, out, false);
}

std::string CodeTables::Big5ToGB(const std::string& bytes) const {
    return Convert<kBig5FirstTrail>(bytes, big5_gb_);
}

std::string CodeTables::GBToBig5(const std::string& bytes) const {
    return Convert<kGBFirstTrail>(bytes, gb_big5_);
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
