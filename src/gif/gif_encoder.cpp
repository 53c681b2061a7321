#include "gif/gif_encoder.h"

#include <algorithm>
#include <vector>

#include "common/rounding.h"

namespace korvimo {
namespace {

constexpr uint32_t kClearCode = 256;
constexpr uint32_t kEndCode = 257;
constexpr uint32_t kFirstEntryCode = 258;
// Entries 258..510: the decoder then never needs more than 9 bits.
constexpr uint32_t kMaxEntries = 253;
constexpr int kCodeBits = 9;
constexpr size_t kSubBlockMax = 255;

// Collects the file in a buffer and hands it to the sink in large pieces.
class GifOutput {
public:
    explicit GifOutput(ByteSink& sink) : sink_(sink), buffer_(kBufferSize) {}

    void Raw(const uint8_t* data, size_t size) {
        while (size > 0) {
            if (pos_ == buffer_.size()) Flush();
            size_t n = std::min(size, buffer_.size() - pos_);
            std::copy_n(data, n, buffer_.data() + pos_);
            pos_ += n;
            data += n;
            size -= n;
        }
    }
    void RawByte(uint8_t byte) { Raw(&byte, 1); }
    void RawWord(int32_t value) {
        const uint8_t bytes[2] = {static_cast<uint8_t>(value & 0xFF),
                                  static_cast<uint8_t>((value >> 8) & 0xFF)};
        Raw(bytes, 2);
    }
    // One sub-block: its count byte, then 1..255 data bytes.
    void SubBlock(const uint8_t* data, size_t size) {
        if (buffer_.size() - pos_ < size + 1) Flush();
        buffer_[pos_++] = static_cast<uint8_t>(size);
        std::copy_n(data, size, buffer_.data() + pos_);
        pos_ += size;
    }

    // False once the sink refused anything.
    bool Finish() {
        Flush();
        return ok_;
    }
    bool Ok() const { return ok_; }

private:
    static constexpr size_t kBufferSize = 1 << 16;

    void Flush() {
        if (pos_ == 0) return;
        if (ok_ && !sink_.Write(buffer_.data(), pos_)) ok_ = false;
        pos_ = 0;
    }

    ByteSink& sink_;
    std::vector<uint8_t> buffer_;
    size_t pos_ = 0;
    bool ok_ = true;
};

// The LZW coder of the image data. Codes are packed least significant bit
// first into a plain byte stream, which is cut into sub-blocks of 255 bytes
// after every row; the rest waits for the next row. A data byte exists only
// once a bit has gone into it, so the last sub-block never ends in an unused
// byte. The dictionary is a child table: slot (prefix code, next pixel)
// holds the code of the longer sequence, 0 when absent. Prefixes are pixel
// values 0..255 or entry codes 258..510; clearing resets only the slots used.
class LzwCoder {
public:
    explicit LzwCoder(int32_t width)
        // A row writes at most width + width/253 + 3 codes of 9 bits.
        : packed_(kSubBlockMax + (static_cast<size_t>(width) * 2 + 16) * 9 / 8 + 16),
          codes_(static_cast<size_t>(width) * 2 + 16),
          child_(kPrefixCodes * 256, 0),
          // One spare: the branch-free step writes a slot before it counts it.
          used_(kMaxEntries + 1) {}

    void EncodeRow(const uint8_t* row, int32_t width) {
        uint16_t* const codes = codes_.data();
        size_t n = 0;
        ClearDictionary();
        codes[n++] = kClearCode;
        uint32_t pending = row[0];
        uint32_t count = 0;
        if (width > 1) {
            // At a row start the sequence matched so far is empty, so the
            // first step always misses and enters the lone pixel row[1] as
            // code 258. No later lookup (always two pixels or more) can find
            // it; it only keeps our numbering in step with the decoder's,
            // whose 258 is the pair (row[0], row[1]).
            count = 1;
            codes[n++] = static_cast<uint16_t>(pending);
            pending = row[1];
        }
        uint16_t* const child = child_.data();
        uint32_t* const used = used_.data();
        size_t usedCount = 0;
        // Hits and misses alternate without pattern on busy pictures, so the
        // common step is written without branches: the pending code is
        // always stored and only counted on a miss, and the slot is always
        // written back (with its own value on a hit).
        for (int32_t x = 2; x < width; ++x) {
            const uint32_t pixel = row[x];
            const uint32_t slot = pending * 256 + pixel;
            const uint32_t found = child[slot];
            const uint32_t miss = found == 0;
            codes[n] = static_cast<uint16_t>(pending);
            n += miss;
            if (count == kMaxEntries) {
                // Full: the next miss clears instead of adding (rare).
                if (miss) {
                    codes[n++] = kClearCode;
                    for (size_t i = 0; i < usedCount; ++i) child[used[i]] = 0;
                    usedCount = 0;
                    count = 0;
                    pending = pixel;
                } else {
                    pending = found;
                }
                continue;
            }
            child[slot] = static_cast<uint16_t>(miss ? kFirstEntryCode + count : found);
            used[usedCount] = slot;
            usedCount += miss;
            count += miss;
            pending = miss ? pixel : found;
        }
        codes[n++] = static_cast<uint16_t>(pending);
        usedCount_ = usedCount;
        Pack(codes, n);
    }

    // Ends the data with End of Information and the partly filled last byte.
    void Finish(GifOutput& output) {
        uint8_t* out = packed_.data() + packedSize_;
        bits_ |= static_cast<uint64_t>(kEndCode) << bitCount_;
        bitCount_ += kCodeBits;
        while (bitCount_ > 0) {
            *out++ = static_cast<uint8_t>(bits_);
            bits_ >>= 8;
            bitCount_ = bitCount_ > 8 ? bitCount_ - 8 : 0;
        }
        packedSize_ = static_cast<size_t>(out - packed_.data());
        WriteFullBlocks(output);
        if (packedSize_ > 0) output.SubBlock(packed_.data(), packedSize_);
        packedSize_ = 0;
    }

    // Sub-blocks that are complete are final whatever follows.
    void WriteFullBlocks(GifOutput& output) {
        size_t done = 0;
        while (packedSize_ - done >= kSubBlockMax) {
            output.SubBlock(packed_.data() + done, kSubBlockMax);
            done += kSubBlockMax;
        }
        std::copy(packed_.begin() + done, packed_.begin() + packedSize_, packed_.begin());
        packedSize_ -= done;
    }

private:
    static constexpr size_t kPrefixCodes = kFirstEntryCode + kMaxEntries;

    void ClearDictionary() {
        for (size_t i = 0; i < usedCount_; ++i) child_[used_[i]] = 0;
        usedCount_ = 0;
    }

    void Pack(const uint16_t* codes, size_t n) {
        uint8_t* out = packed_.data() + packedSize_;
        uint64_t bits = bits_;
        unsigned bitCount = bitCount_;
        for (size_t i = 0; i < n; ++i) {
            bits |= static_cast<uint64_t>(codes[i]) << bitCount;
            bitCount += kCodeBits;
            if (bitCount >= 32) {
                out[0] = static_cast<uint8_t>(bits);
                out[1] = static_cast<uint8_t>(bits >> 8);
                out[2] = static_cast<uint8_t>(bits >> 16);
                out[3] = static_cast<uint8_t>(bits >> 24);
                out += 4;
                bits >>= 32;
                bitCount -= 32;
            }
        }
        packedSize_ = static_cast<size_t>(out - packed_.data());
        bits_ = bits;
        bitCount_ = bitCount;
    }

    std::vector<uint8_t> packed_;
    size_t packedSize_ = 0;
    uint64_t bits_ = 0;
    unsigned bitCount_ = 0;
    std::vector<uint16_t> codes_;
    std::vector<uint16_t> child_;
    std::vector<uint32_t> used_;
    size_t usedCount_ = 0;
};

void WriteHeader(const GifPicture& picture, GifOutput& out) {
    static const uint8_t k87a[] = {'G', 'I', 'F', '8', '7', 'a'};
    static const uint8_t k89a[] = {'G', 'I', 'F', '8', '9', 'a'};
    out.Raw(picture.useTransparency ? k89a : k87a, 6);
    out.RawWord(picture.width);
    out.RawWord(picture.height);
    out.RawByte(0xF7);  // global table of 256 entries, 8-bit colour resolution
    out.RawByte(0);     // background index
    out.RawByte(0);     // no aspect ratio
    out.Raw(picture.colours.data(), picture.colours.size());
    if (picture.useTransparency) {
        // Disposal "restore to background", transparent flag, no delay.
        const uint8_t extension[] = {0x21, 0xF9, 0x04, 0x09, 0x00, 0x00,
                                     picture.transparentIndex, 0x00};
        out.Raw(extension, sizeof extension);
    }
    out.RawByte(0x2C);
    out.RawWord(0);
    out.RawWord(0);
    out.RawWord(picture.width);
    out.RawWord(picture.height);
    out.RawByte(0x07);  // no local table, not interlaced
    out.RawByte(8);     // LZW minimum code size
}

}  // namespace

int16_t GifProgressPercent(int32_t row, int32_t height) {
    if (height <= 0) return 0;
    return static_cast<int16_t>(RoundHalfEven(row * 100.0 / height));
}

uint8_t FindTransparentIndex(const GifColourTable& colours, uint32_t colour) {
    for (size_t i = 0; i < 256; ++i) {
        uint32_t value = colours[i * 3] + 256u * colours[i * 3 + 1] + 65536u * colours[i * 3 + 2];
        if (value == colour) return static_cast<uint8_t>(i);
    }
    return 0;
}

GifEncodeStatus EncodeGif(const GifPicture& picture, ByteSink& sink, const GifProgress& progress) {
    if (picture.width <= 0 || picture.height <= 0 || picture.width > kGifMaxSide ||
        picture.height > kGifMaxSide) {
        return GifEncodeStatus::InvalidSize;
    }
    if (picture.pixels == nullptr || picture.stride < static_cast<size_t>(picture.width)) {
        return GifEncodeStatus::InvalidPixels;
    }

    GifOutput out(sink);
    WriteHeader(picture, out);
    LzwCoder coder(picture.width);
    for (int32_t y = 1; y <= picture.height; ++y) {
        coder.EncodeRow(picture.pixels + static_cast<size_t>(y - 1) * picture.stride,
                        picture.width);
        coder.WriteFullBlocks(out);
        if (y % 10 == 0) {
            // Stop early on a dead sink: nothing more can reach the file.
            if (!out.Ok()) return GifEncodeStatus::WriteFailed;
            if (progress) progress(GifProgressPercent(y, picture.height));
        }
    }
    coder.Finish(out);
    out.RawByte(0x00);
    out.RawByte(0x3B);
    return out.Finish() ? GifEncodeStatus::Ok : GifEncodeStatus::WriteFailed;
}

}  // namespace korvimo
