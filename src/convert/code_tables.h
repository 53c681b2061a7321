#pragma once
// Big5 <-> GB2312 conversion by the two code tables the program carries as
// resources. The conversion works on bytes pair by pair, never changes the
// byte count, and knows nothing of the platform: the Win32 side hands in the
// resource bytes and the text box's bytes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace korvimo {

// Sizes of the table resources: 94 x 191 and 88 x 94 entries of two bytes.
inline constexpr std::size_t kBig5GBTableBytes = 94 * 191 * 2;  // 35,908
inline constexpr std::size_t kGBBig5TableBytes = 88 * 94 * 2;   // 16,544

class CodeTables {
public:
    // Every pair passes through unchanged until tables are loaded.
    CodeTables();

    // Takes the entries of the two resources (lead byte then trail byte of
    // each target code, row after row). A null, short or odd-sized buffer is
    // read only as far as its whole entries go; pairs whose entry is missing
    // keep passing through unchanged. Bytes beyond the table size are ignored.
    void LoadBig5GB(const void* data, std::size_t size);
    void LoadGBBig5(const void* data, std::size_t size);

    // Byte-string conversions; the result is as long as the input.
    std::string Big5ToGB(const std::string& bytes) const;
    std::string GBToBig5(const std::string& bytes) const;

    // The same walks into a caller's buffer of `size` bytes; `out` may be
    // `in` itself (a conversion where the bytes stand is as fast as into
    // another buffer) but must not overlap it otherwise.
    void Big5ToGB(const unsigned char* in, std::size_t size, unsigned char* out) const;
    void GBToBig5(const unsigned char* in, std::size_t size, unsigned char* out) const;

private:
    // Entry per pair of a lead byte 0xA1..0xFF and a trail byte from the
    // direction's lowest trail (0x40 for Big5, 0xA1 for GB2312) to 0xFF.
    // Covering whole byte ranges keeps the walk free of range tests:
    // positions outside the resource tables (lead or trail 0xFF, GB leads
    // 0xAA..0xAF) hold the source pair, so such pairs come out unchanged.
    std::vector<std::uint16_t> big5_gb_;
    std::vector<std::uint16_t> gb_big5_;
};

// Builds tables from the two resource buffers (see CodeTables::LoadBig5GB).
CodeTables LoadCodeTables(const void* big5gb, std::size_t big5gbSize,
                          const void* gbbig5, std::size_t gbbig5Size);

}  // namespace korvimo
