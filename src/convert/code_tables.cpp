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

constexpr unsigned kBig5FirstTrail = 0x40;
constexpr unsigned kBig5Columns = 191;              // trails 0x40..0xFE
constexpr unsigned kGBFirstTrail = 0xA1;
constexpr unsigned kGBColumns = 94;                 // trails 0xA1..0xFE
constexpr unsigned kGBRowsBeforeGap = 9;            // leads 0xA1..0xA9, then 0xB0..

// A direction's table has a row for every trail byte from its lowest one to
// 0xFF and a column for every byte value, of which only the leads 0xA1..0xFF
// are used. Each entry is the target code as a 16-bit value whose low byte is
// its lead, so that a pair read from memory as a little-endian 16-bit value
// (lead | trail << 8) is its own index, less the rows below the lowest trail,
// and the entry goes back to memory the same way: a whole table covers every
// pair the walk can meet, without range tests.
template <unsigned MinTrail>
constexpr std::size_t kFirstIndex = std::size_t{MinTrail} << 8;

template <unsigned MinTrail>
constexpr std::size_t kTableSize = 0x10000 - kFirstIndex<MinTrail>;

template <unsigned MinTrail>
std::size_t Index(unsigned lead, unsigned trail) {
    return (std::size_t{trail} << 8 | lead) - kFirstIndex<MinTrail>;
}

std::uint16_t Code(unsigned lead, unsigned trail) {
    return static_cast<std::uint16_t>(trail << 8 | lead);
}

template <unsigned MinTrail>
std::vector<std::uint16_t> PassThroughTable() {
    std::vector<std::uint16_t> table(kTableSize<MinTrail>);
    for (unsigned lead = kFirstLead; lead <= 0xFF; ++lead)
        for (unsigned trail = MinTrail; trail <= 0xFF; ++trail)
            table[Index<MinTrail>(lead, trail)] = Code(lead, trail);
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
std::size_t ScalarWalk(const std::uint16_t* table, const unsigned char* in, std::size_t i,
                       std::size_t size, unsigned char* out) {
    while (i + 1 < size) {
        const unsigned lead = in[i];
        const unsigned trail = in[i + 1];
        if (lead < kFirstLead || trail < MinTrail) {
            ++i;
            continue;
        }
        const unsigned code = table[Index<MinTrail>(lead, trail)];
        out[i] = static_cast<unsigned char>(code);
        out[i + 1] = static_cast<unsigned char>(code >> 8);
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
        const auto leadBits = static_cast<unsigned>(_mm_movemask_epi8(isLead));
        leads |= static_cast<std::uint64_t>(leadBits) << (16 * k);
        // GB2312's trail bytes start where its lead bytes do.
        if (MinTrail == kFirstLead) continue;
        const __m128i isTrail = _mm_cmpeq_epi8(_mm_max_epu8(bytes, trailBound), bytes);
        const auto trailBits = static_cast<unsigned>(_mm_movemask_epi8(isTrail));
        trails |= static_cast<std::uint64_t>(trailBits) << (16 * k);
    }
    if (MinTrail == kFirstLead) trails = leads;
#else
    leads = trails = 0;
    for (unsigned k = 0; k < 8; ++k) {
        const std::uint64_t word = Load8(p + 8 * k);
        leads |= AtLeastMask(word, kFirstLead) << (8 * k);
        trails |= AtLeastMask(word, MinTrail) << (8 * k);
    }
#endif
}

// For every byte of a mask of pair starts (no two of them adjacent, so at most
// four), the offsets of its set bits, lowest first, and kSpare for the slots
// left over. A spare slot converts a pair of the block buffers' spare bytes.
constexpr unsigned kSpare = 0x80;
struct PairOffsets {
    unsigned char at[256][4];
};
constexpr PairOffsets MakePairOffsets() {
    PairOffsets offsets{};
    for (unsigned mask = 0; mask < 256; ++mask) {
        unsigned n = 0;
        for (unsigned bit = 0; bit < 8; ++bit) {
            if ((mask >> bit & 1) != 0 && n < 4)
                offsets.at[mask][n++] = static_cast<unsigned char>(bit);
        }
        while (n < 4) offsets.at[mask][n++] = kSpare;
    }
    return offsets;
}
constexpr PairOffsets kPairOffsets = MakePairOffsets();

// Converts the pairs of whole 64-byte blocks from `in` to `out` (which may be
// `in`); returns where the byte walk has to go on (past a trail byte that a
// block's last pair took from beyond it).
//
// A block's pairs are converted eight bytes at a time, four slots for each
// eight whatever number of pairs they hold, the spare slots working on spare
// bytes. The pairs are so short that finding them one by one (lowest set bit,
// clear it, branch on the rest) was the limit: that is a chain of dependent
// steps per pair and a mispredicted loop end per block, where the fixed slots
// are independent loads and stores. The block goes through a buffer of its
// own with room for the spare slots: its original bytes (and the byte after
// it, which its last pair may take as trail) are read from one copy and the
// result is written to another, so in place or not makes no difference.
template <unsigned MinTrail>
std::size_t BlockWalk(const std::uint16_t* table, const unsigned char* in, std::size_t size,
                      unsigned char* out) {
    alignas(16) unsigned char from[kSpare + 64 + 2];
    alignas(16) unsigned char to[kSpare + 64 + 2];
    // Spare pairs read 0xFF 0xFF, a pair every table covers.
    std::memset(from + kSpare, 0xFF, sizeof from - kSpare);
    std::size_t base = 0;
    std::uint64_t carry = 0;  // 1 when byte `base` is the trail of the pair before it
    // Byte `base` as the block before left it: the converted trail of its
    // last pair, or the byte itself.
    unsigned char carried = size > 64 ? in[0] : 0;
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
        const std::uint64_t starts = (evenRuns & kEvenBits) | (oddRuns & ~kEvenBits);

        std::memcpy(from, in + base, 65);
        std::memcpy(to, from, 65);
        to[0] = carried;
        unsigned char groups[8];  // the starts of each eight bytes, in memory order
        std::memcpy(groups, &starts, 8);
        const auto eight = [&](unsigned group) {
            const unsigned char* at = kPairOffsets.at[groups[group]];
            for (unsigned slot = 0; slot < 4; ++slot) {
                const unsigned k = 8 * group + at[slot];
                std::uint16_t pair;  // lead | trail << 8
                std::memcpy(&pair, from + k, 2);
                std::memcpy(to + k, &table[pair - kFirstIndex<MinTrail>], 2);
            }
        };
        // Written out, so that each group's place is a constant.
        eight(0), eight(1), eight(2), eight(3), eight(4), eight(5), eight(6), eight(7);
        // The byte after the block goes out with the block after, so that no
        // step depends on the carry (and, in place, no block reads a byte the
        // block before has just written).
        std::memcpy(out + base, to, 64);
        carried = to[64];
        carry = starts >> 63;
        base += 64;
    }
    if (carry) out[base] = carried;
    return base + carry;
}

// Writes the conversion of `in` to `out` (which may be `in`).
template <unsigned MinTrail>
void Walk(const std::uint16_t* table, const unsigned char* in, std::size_t size,
          unsigned char* out) {
    std::size_t i = 0;
    // The block walk reads and writes pairs as little-endian 16-bit values.
    if (IsLittleEndian()) i = BlockWalk<MinTrail>(table, in, size, out);
    if (in != out && size > i) std::memcpy(out + i, in + i, size - i);
    ScalarWalk<MinTrail>(table, in, i, size, out);
}

template <unsigned MinTrail>
std::string Convert(const std::string& bytes, const std::vector<std::uint16_t>& table) {
    std::string out = bytes;
    if (!out.empty()) {
        auto* p = reinterpret_cast<unsigned char*>(&out[0]);
        Walk<MinTrail>(table.data(), p, out.size(), p);
    }
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
        big5_gb_[Index<kBig5FirstTrail>(lead, trail)] = Code(bytes[2 * k], bytes[2 * k + 1]);
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
        gb_big5_[Index<kGBFirstTrail>(lead, trail)] = Code(bytes[2 * k], bytes[2 * k + 1]);
    }
}

void CodeTables::Big5ToGB(const unsigned char* in, std::size_t size, unsigned char* out) const {
    Walk<kBig5FirstTrail>(big5_gb_.data(), in, size, out);
}

void CodeTables::GBToBig5(const unsigned char* in, std::size_t size, unsigned char* out) const {
    Walk<kGBFirstTrail>(gb_big5_.data(), in, size, out);
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

}  // namespace korvimo
