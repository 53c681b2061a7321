#include "convert/code_tables.h"

#include <cstdint>
#include <cstring>
#include <utility>

// SSE2 finds the pair bytes of a block in a few instructions; elsewhere plain
// word arithmetic does the same. Every x86 processor that runs a current
// Windows has SSE2 and our 32-bit builds assume it (cmake/i686-flags.cmake),
// so an x86 build without it has lost its flags: it stops here rather than
// ship the slower walk. (Microsoft's compiler names SSE2 differently.)
#if (defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)) && \
    !defined(KORVIMO_CONVERT_NO_SSE2)
#define KORVIMO_CONVERT_SSE2 1
#include <emmintrin.h>
#elif (defined(__i386__) || defined(__x86_64__) || defined(_M_IX86)) && !defined(KORVIMO_CONVERT_NO_SSE2)
#error "an x86 build without SSE2: see cmake/i686-flags.cmake (or define KORVIMO_CONVERT_NO_SSE2)"
#else
#define KORVIMO_CONVERT_SSE2 0
#endif

#if defined(__GNUC__)
#define KORVIMO_ALWAYS_INLINE inline __attribute__((always_inline))
#elif defined(_MSC_VER)
#define KORVIMO_ALWAYS_INLINE __forceinline
#else
#define KORVIMO_ALWAYS_INLINE inline
#endif

namespace korvimo {
namespace {

constexpr unsigned kFirstLead = 0xA1;

constexpr unsigned kBig5FirstTrail = 0x40;
constexpr unsigned kBig5Columns = 191;              // trails 0x40..0xFE
constexpr unsigned kGBFirstTrail = 0xA1;
constexpr unsigned kGBColumns = 94;                 // trails 0xA1..0xFE
constexpr unsigned kGBRowsBeforeGap = 9;            // leads 0xA1..0xA9, then 0xB0..

// A direction's table has an entry for every pair of byte values. Each entry
// is the target code as a 16-bit value whose low byte is its lead, so that a
// pair read from memory as a little-endian 16-bit value (lead | trail << 8) is
// its own index and the entry goes back to memory the same way. Every entry
// that is no pair of the direction holds the pair itself, so the block walk
// may send bytes that are no pair through the table too, without range tests.
constexpr std::size_t kTableSize = 0x10000;

std::size_t Index(unsigned lead, unsigned trail) { return std::size_t{trail} << 8 | lead; }

std::uint16_t Code(unsigned lead, unsigned trail) {
    return static_cast<std::uint16_t>(trail << 8 | lead);
}

std::vector<std::uint16_t> PassThroughTable() {
    std::vector<std::uint16_t> table(kTableSize);
    for (unsigned lead = 0; lead <= 0xFF; ++lead)
        for (unsigned trail = 0; trail <= 0xFF; ++trail) table[Index(lead, trail)] = Code(lead, trail);
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
// by byte. BlockWalk finds the same pairs a block at a time with bit masks,
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
        const unsigned code = table[Index(lead, trail)];
        out[i] = static_cast<unsigned char>(code);
        out[i + 1] = static_cast<unsigned char>(code >> 8);
        i += 2;
    }
    return i;
}

bool IsLittleEndian() {
    const std::uint16_t probe = 1;
    unsigned char first;
    std::memcpy(&first, &probe, 1);
    return first == 1;
}

// The block walk takes as many bytes at a time as a machine word has bits
// (64, or 32 in a 32-bit build), so that a block's masks are one register.
using Mask = std::size_t;
constexpr unsigned kBlock = 8 * sizeof(Mask);
constexpr Mask kEvenBits = static_cast<Mask>(0x5555555555555555ull);

#if !KORVIMO_CONVERT_SSE2
Mask LoadWord(const unsigned char* p) {
    Mask word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

constexpr Mask kHighBits = static_cast<Mask>(0x8080808080808080ull);
constexpr Mask kLowBits = static_cast<Mask>(0x7F7F7F7F7F7F7F7Full);
constexpr Mask kOnes = static_cast<Mask>(0x0101010101010101ull);

// One bit per byte of `word` (bit k for the k-th byte in memory, which needs
// a little-endian load), set where the byte is at least `bound` (0x01..0xFF).
// The high bit of each byte of the sum tells whether (byte & 0x7F) reaches
// (bound & 0x7F); the sums stay within their bytes, so no carry crosses into
// a neighbour.
Mask AtLeastMask(Mask word, unsigned bound) {
    Mask flags = ((word & kLowBits) + (0x80u - (bound & 0x7Fu)) * kOnes) & kHighBits;
    if (bound & 0x80u) flags &= word;  // needs the high bit as well
    else flags |= word & kHighBits;    // the high bit alone is enough
    // Gather the flags (bits 7, 15, ...) into the top byte, or for four
    // bytes into bits 21..24: the multiplier's terms meet in no other bit.
    if constexpr (sizeof(Mask) == 8) return ((flags >> 7) * 0x0102040810204080ull) >> 56;
    else return ((flags >> 7) * 0x00204081u) >> 21 & 0xF;
}

#endif

// Masks of the block at `p`: bit k set where byte k is at least 0xA1
// (`leads`) and where it is at least `MinTrail` (`trails`).
template <unsigned MinTrail>
void BlockMasks(const unsigned char* p, Mask& leads, Mask& trails) {
    leads = trails = 0;
#if KORVIMO_CONVERT_SSE2
    const __m128i leadBound = _mm_set1_epi8(static_cast<char>(kFirstLead));
    const __m128i trailBound = _mm_set1_epi8(static_cast<char>(MinTrail));
    for (unsigned k = 0; k < kBlock / 16; ++k) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
        // Unsigned x >= bound is max(x, bound) == x.
        const __m128i isLead = _mm_cmpeq_epi8(_mm_max_epu8(bytes, leadBound), bytes);
        leads |= static_cast<Mask>(static_cast<unsigned>(_mm_movemask_epi8(isLead))) << (16 * k);
        // GB2312's trail bytes start where its lead bytes do.
        if (MinTrail == kFirstLead) continue;
        const __m128i isTrail = _mm_cmpeq_epi8(_mm_max_epu8(bytes, trailBound), bytes);
        trails |= static_cast<Mask>(static_cast<unsigned>(_mm_movemask_epi8(isTrail))) << (16 * k);
    }
#else
    for (unsigned k = 0; k < kBlock / sizeof(Mask); ++k) {
        const Mask word = LoadWord(p + sizeof(Mask) * k);
        leads |= AtLeastMask(word, kFirstLead) << (sizeof(Mask) * k);
        if (MinTrail != kFirstLead) trails |= AtLeastMask(word, MinTrail) << (sizeof(Mask) * k);
    }
#endif
    if (MinTrail == kFirstLead) trails = leads;
}

// The pairs are converted a few bytes at a time, as many as a word has (so
// at most half of them start a pair), by a fixed number of slots: for every
// mask of pair starts of those bytes (no two of them adjacent), the offsets of
// its set bits, lowest first. The slots left over repeat the first pair: every
// slot reads its pair before any slot writes, so converting that pair again
// from the same bytes writes the same bytes. Bytes without a pair send their
// slots to their second and third bytes, which no pair touches (only the first
// can be the trail of a pair before), and which the table gives back as they
// are.
constexpr unsigned kUnit = sizeof(Mask);
constexpr unsigned kSlots = kUnit / 2;
struct PairOffsets {
    unsigned char at[1u << kUnit][kSlots];
};
constexpr PairOffsets MakePairOffsets() {
    PairOffsets offsets{};
    for (unsigned slot = 0; slot < kSlots; ++slot) offsets.at[0][slot] = 1;
    for (unsigned mask = 1; mask < (1u << kUnit); ++mask) {
        unsigned n = 0;
        for (unsigned bit = 0; bit < kUnit; ++bit) {
            if ((mask >> bit & 1) != 0 && n < kSlots)
                offsets.at[mask][n++] = static_cast<unsigned char>(bit);
        }
        for (unsigned slot = n; slot < kSlots; ++slot) offsets.at[mask][slot] = offsets.at[mask][0];
    }
    return offsets;
}
constexpr PairOffsets kPairOffsets = MakePairOffsets();

// Where the pairs start in the block at `block`, given whether its first byte
// is the trail of the last pair of the block before (then that byte's value
// does not matter). Reads the byte after the block too: the block's last byte
// may lead a pair with it.
template <unsigned MinTrail>
KORVIMO_ALWAYS_INLINE Mask PairStarts(const unsigned char* block, Mask carry) {
    Mask leads, trails;
    BlockMasks<MinTrail>(block, leads, trails);
    const Mask nextTrail = block[kBlock] >= MinTrail ? 1 : 0;
    // Bytes that lead a pair unless the byte before them led one.
    Mask candidates = leads & ((trails >> 1) | (nextTrail << (kBlock - 1)));
    candidates &= ~carry;
    // In a run of candidates the pairs start at the run's first byte and at
    // every second byte after it. Adding a run's first bit to the run carries
    // through it and clears it, so the sum keeps only the runs that begin on
    // an even byte.
    const Mask runStarts = candidates & ~(candidates << 1);
    const Mask evenRuns = (candidates + (runStarts & ~kEvenBits)) & candidates;
    const Mask oddRuns = candidates & ~evenRuns;
    return (evenRuns & kEvenBits) | (oddRuns & ~kEvenBits);
}

std::uint16_t Load2(const unsigned char* p) {
    std::uint16_t pair;  // lead | trail << 8
    std::memcpy(&pair, p, 2);
    return pair;
}

// Converts the pairs of one block unit by unit, a fixed number of slots for
// each unit whatever number of pairs it holds, so that nothing branches on the
// text. The pairs are so short that finding them one by one (lowest set bit,
// clear it, branch on the rest) was the limit, with a mispredicted loop end
// per block; the fixed slots are independent loads and stores.
template <unsigned Unit>
void ConvertUnit(const std::uint16_t* table, const unsigned char* in, unsigned char* out, Mask starts) {
    const unsigned char* at =
        kPairOffsets.at[static_cast<unsigned>(starts >> (kUnit * Unit)) & ((1u << kUnit) - 1)];
    const unsigned char* from = in + kUnit * Unit;
    unsigned char* to = out + kUnit * Unit;
    // Read once: the writes below might alias them as far as the compiler knows.
    unsigned offsets[kSlots];
    std::uint16_t codes[kSlots];
    for (unsigned slot = 0; slot < kSlots; ++slot) offsets[slot] = at[slot];
    for (unsigned slot = 0; slot < kSlots; ++slot) codes[slot] = table[Load2(from + offsets[slot])];
    for (unsigned slot = 0; slot < kSlots; ++slot) std::memcpy(to + offsets[slot], &codes[slot], 2);
}

// Written out unit by unit, so that each unit's place is a constant, and
// inside the block loop, which keeps the table and the masks in registers.
template <unsigned... Units>
KORVIMO_ALWAYS_INLINE void ConvertPairs(const std::uint16_t* table, const unsigned char* in, unsigned char* out, Mask starts,
                  std::integer_sequence<unsigned, Units...>) {
    (ConvertUnit<Units>(table, in, out, starts), ...);
}

// Copies a block's worth of bytes.
void CopyBlock(const unsigned char* from, unsigned char* to) {
#if KORVIMO_CONVERT_SSE2
    for (unsigned k = 0; k < kBlock; k += 16)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + k),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + k)));
#else
    for (unsigned k = 0; k < kBlock; k += sizeof(Mask)) {
        const Mask word = LoadWord(from + k);
        std::memcpy(to + k, &word, sizeof word);
    }
#endif
}

// Converts the whole blocks of `in` that have a byte after them into `out`
// (which may be `in`); returns where the byte walk has to go on (past a trail
// byte that the last block's last pair took from beyond it).
//
// A block's pairs are found before the block before it is written: in place,
// that block's last pair may write the first byte of this one, and a wide load
// right after a narrow store to the same bytes waits until the store is done.
// Into another buffer, each block is copied from its second byte to the first
// byte of the next, so that the copy never undoes the trail the last pair of
// the block before wrote.
template <unsigned MinTrail, bool Copy>
std::size_t BlockWalk(const std::uint16_t* table, const unsigned char* in, std::size_t size,
                      unsigned char* out) {
    if (size <= kBlock) return 0;
    const std::size_t blocks = (size - 1) / kBlock;
    if (Copy) out[0] = in[0];
    Mask starts = PairStarts<MinTrail>(in, 0);
    for (std::size_t k = 0;; ++k) {
        const unsigned char* from = in + kBlock * k;
        unsigned char* to = out + kBlock * k;
        const bool last = k + 1 == blocks;
        const Mask next = last ? 0 : PairStarts<MinTrail>(from + kBlock, starts >> (kBlock - 1));
        if (Copy) CopyBlock(from + 1, to + 1);
        ConvertPairs(table, from, to, starts, std::make_integer_sequence<unsigned, kBlock / kUnit>());
        if (last) break;
        starts = next;
    }
    return kBlock * blocks + (starts >> (kBlock - 1));
}

// Writes the conversion of `in` to `out` (which may be `in`).
template <unsigned MinTrail>
void Walk(const std::uint16_t* table, const unsigned char* in, std::size_t size,
          unsigned char* out) {
    std::size_t i = 0;
    // The block walk reads and writes pairs as little-endian 16-bit values.
    if (IsLittleEndian()) {
        i = in == out ? BlockWalk<MinTrail, false>(table, in, size, out)
                      : BlockWalk<MinTrail, true>(table, in, size, out);
    }
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
    : big5_gb_(PassThroughTable()), gb_big5_(PassThroughTable()) {}

void CodeTables::LoadBig5GB(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    const std::size_t entries = WholeEntries(data, size, kBig5GBTableBytes / 2);
    for (std::size_t k = 0; k < entries; ++k) {
        const unsigned lead = kFirstLead + static_cast<unsigned>(k / kBig5Columns);
        const unsigned trail = kBig5FirstTrail + static_cast<unsigned>(k % kBig5Columns);
        big5_gb_[Index(lead, trail)] = Code(bytes[2 * k], bytes[2 * k + 1]);
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
        gb_big5_[Index(lead, trail)] = Code(bytes[2 * k], bytes[2 * k + 1]);
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

}  // namespace korvimo
