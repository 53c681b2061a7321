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

// Where the pairs start among the 64 bytes at `block`, given whether its
// first byte is the trail of the last pair of the block before. Reads the
// byte after the block too: the block's last byte may lead a pair with it.
template <unsigned MinTrail>
std::uint64_t PairStarts(const unsigned char* block, std::uint64_t carry) {
    std::uint64_t leads, trails;
    BlockMasks<MinTrail>(block, leads, trails);
    const std::uint64_t nextTrail = block[64] >= MinTrail ? 1 : 0;
    // Bytes that lead a pair unless the byte before them led one.
    std::uint64_t candidates = leads & ((trails >> 1) | (nextTrail << 63));
    candidates &= ~carry;
    // In a run of candidates the pairs start at the run's first byte and at
    // every second byte after it. Adding a run's first bit to the run carries
    // through it and clears it, so the sum keeps only the runs that begin on
    // an even byte.
    const std::uint64_t runStarts = candidates & ~(candidates << 1);
    const std::uint64_t evenRuns = (candidates + (runStarts & ~kEvenBits)) & candidates;
    const std::uint64_t oddRuns = candidates & ~evenRuns;
    return (evenRuns & kEvenBits) | (oddRuns & ~kEvenBits);
}

// A block on its way: its bytes and the byte after it as they came in
// (`from`) and with its pairs converted (`to`), both with room for the spare
// slots, and where its pairs start.
struct BlockBuffers {
    alignas(16) unsigned char from[kSpare + 64 + 2];
    alignas(16) unsigned char to[kSpare + 64 + 2];
    std::uint64_t starts;
};

// Converts a block's pairs eight bytes at a time: four slots for each eight
// bytes whatever number of pairs they hold, the spare slots working on the
// spare bytes. The pairs are so short that finding them one by one (lowest
// set bit, clear it, branch on the rest) was the limit: a chain of dependent
// steps per pair and a mispredicted loop end per block, where the fixed
// slots are independent loads and stores.
template <unsigned MinTrail>
void ConvertPairs(const std::uint16_t* table, BlockBuffers& block) {
    const auto eight = [&](unsigned group) {
        const unsigned char* at = kPairOffsets.at[(block.starts >> (8 * group)) & 0xFF];
        for (unsigned slot = 0; slot < 4; ++slot) {
            const unsigned k = 8 * group + at[slot];
            std::uint16_t pair;  // lead | trail << 8
            std::memcpy(&pair, block.from + k, 2);
            std::memcpy(block.to + k, &table[pair - kFirstIndex<MinTrail>], 2);
        }
    };
    // Written out, so that each group's place is a constant.
    eight(0), eight(1), eight(2), eight(3), eight(4), eight(5), eight(6), eight(7);
}

// Converts the whole 64-byte blocks of `in` that have a byte after them into
// `out` (which may be `in`); returns where the byte walk has to go on (past a
// trail byte that the last block's last pair took from beyond it).
//
// The blocks take turns in two buffers, a block apart: while one block's
// pairs are converted, the next is read in and the one before is written
// out. A buffer read right after it was written in pieces of other sizes
// (whole copies against two-byte pairs) makes the loads wait until the stores
// are done; a block later they long are. The trail that a block's last pair
// takes from the next block goes out with that block, so that no step
// depends on the carry, and in place no block is read after it was written.
template <unsigned MinTrail>
std::size_t BlockWalk(const std::uint16_t* table, const unsigned char* in, std::size_t size,
                      unsigned char* out) {
    if (size <= 64) return 0;
    const std::size_t blocks = (size - 1) / 64;
    BlockBuffers buffers[2];
    // Spare pairs read 0xFF 0xFF, a pair every table covers.
    for (BlockBuffers& b : buffers) std::memset(b.from + kSpare, 0xFF, sizeof b.from - kSpare);
    const auto readIn = [&](std::size_t k, std::uint64_t carry) {
        BlockBuffers& b = buffers[k % 2];
        const unsigned char* block = in + 64 * k;
        b.starts = PairStarts<MinTrail>(block, carry);
        std::memcpy(b.from, block, 65);
        std::memcpy(b.to, block, 65);
        return b.starts >> 63;  // whether the next block starts with a trail
    };
    std::uint64_t carry = readIn(0, 0);  // out of the last block read in
    // Byte 64k as block k - 1 left it: its last pair's converted trail, or
    // the byte itself.
    unsigned char carried = in[0];
    for (std::size_t k = 0; k < blocks; ++k) {
        BlockBuffers& now = buffers[k % 2];
        BlockBuffers& before = buffers[(k + 1) % 2];
        if (k > 0) std::memcpy(out + 64 * (k - 1), before.to, 64);
        if (k + 1 < blocks) carry = readIn(k + 1, carry);  // into `before`, now written out
        now.to[0] = carried;
        ConvertPairs<MinTrail>(table, now);
        carried = now.to[64];
    }
    std::memcpy(out + 64 * (blocks - 1), buffers[(blocks - 1) % 2].to, 64);
    const std::size_t end = 64 * blocks;
    if (carry) out[end] = carried;
    return end + carry;
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

}  // namespace korvimo
