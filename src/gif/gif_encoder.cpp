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

// Collects the file in a buffer and hands it to the sink in large pieces;
// packs codes least significant bit first into sub-blocks of 255 data bytes.
// A data byte (and with it a sub-block) is opened only when a bit is about to
// go into it, so the last sub-block never ends in an unused byte.
class GifOutput {
public:
    explicit GifOutput(ByteSink& sink) : sink_(sink), buffer_(kBufferSize) {}

    void Raw(const uint8_t* data, size_t size) {
        for (size_t i = 0; i < size; ++i) RawByte(data[i]);
    }
    void RawByte(uint8_t byte) {
        if (pos_ == buffer_.size()) Flush();
        buffer_[pos_++] = byte;
    }
    void RawWord(int32_t value) {
        RawByte(static_cast<uint8_t>(value & 0xFF));
        RawByte(static_cast<uint8_t>((value >> 8) & 0xFF));
    }

    void Code(uint32_t code) {
        bits_ |= static_cast<uint64_t>(code) << bitCount_;
        bitCount_ += kCodeBits;
        while (bitCount_ >= 8) {
            DataByte(static_cast<uint8_t>(bits_));
            bits_ >>= 8;
            bitCount_ -= 8;
        }
    }

    // Writes the partly filled last byte and closes the last sub-block.
    void EndData() {
        if (bitCount_ > 0) DataByte(static_cast<uint8_t>(bits_));
        bits_ = 0;
        bitCount_ = 0;
        if (blockOpen_) buffer_[blockStart_] = static_cast<uint8_t>(blockCount_);
        blockOpen_ = false;
    }

    // False once the sink refused anything.
    bool Finish() {
        Flush();
        return ok_;
    }
    bool Ok() const { return ok_; }

private:
    static constexpr size_t kBufferSize = 1 << 16;

    void DataByte(uint8_t byte) {
        if (!blockOpen_ || blockCount_ == kSubBlockMax) OpenBlock();
        buffer_[pos_++] = byte;
        ++blockCount_;
    }

    void OpenBlock() {
        // A block that is left behind is complete, so its count byte is final.
        if (blockOpen_) buffer_[blockStart_] = static_cast<uint8_t>(kSubBlockMax);
        if (buffer_.size() - pos_ < kSubBlockMax + 1) Flush();
        blockStart_ = pos_;
        buffer_[pos_++] = 0;
        blockCount_ = 0;
        blockOpen_ = true;
    }

    // Only called when no sub-block is open or the open one starts a fresh
    // buffer, so no count byte still to be filled in leaves the buffer.
    void Flush() {
        if (pos_ == 0) return;
        if (ok_ && !sink_.Write(buffer_.data(), pos_)) ok_ = false;
        pos_ = 0;
    }

    ByteSink& sink_;
    std::vector<uint8_t> buffer_;
    size_t pos_ = 0;
    uint64_t bits_ = 0;
    int bitCount_ = 0;
    bool blockOpen_ = false;
    size_t blockStart_ = 0;
    size_t blockCount_ = 0;
    bool ok_ = true;
};

// The LZW dictionary as a child table: entry (prefix code, next pixel) holds
// the code of the longer sequence, 0 when absent. Prefixes are pixel values
// 0..255 or entry codes 258..510. Clearing resets only the slots in use.
class LzwDictionary {
public:
    LzwDictionary() : child_(kPrefixCodes * 256, 0) { used_.reserve(kMaxEntries); }

    uint16_t Find(uint32_t prefix, uint8_t pixel) const { return child_[prefix * 256 + pixel]; }

    bool Full() const { return count_ >= kMaxEntries; }

    void Add(uint32_t prefix, uint8_t pixel) {
        size_t slot = prefix * 256 + pixel;
        child_[slot] = static_cast<uint16_t>(kFirstEntryCode + count_);
        used_.push_back(static_cast<uint32_t>(slot));
        ++count_;
    }

    // Takes code 258 without a findable slot: see EncodeRow.
    void ReserveFirstCode() { ++count_; }

    void Clear() {
        for (uint32_t slot : used_) child_[slot] = 0;
        used_.clear();
        count_ = 0;
    }

private:
    static constexpr size_t kPrefixCodes = kFirstEntryCode + kMaxEntries;
    std::vector<uint16_t> child_;
    std::vector<uint32_t> used_;
    uint32_t count_ = 0;
};

void EncodeRow(const uint8_t* row, int32_t width, LzwDictionary& dict, GifOutput& out) {
    dict.Clear();
    out.Code(kClearCode);
    uint32_t pending = row[0];
    if (width > 1) {
        // At a row start the sequence matched so far is empty, so the first
        // step always misses and enters the lone pixel row[1] as code 258.
        // No later lookup (always two pixels or more) can find it; it only
        // keeps our numbering in step with the decoder's, whose 258 is the
        // pair (row[0], row[1]).
        dict.ReserveFirstCode();
        out.Code(pending);
        pending = row[1];
    }
    for (int32_t x = 2; x < width; ++x) {
        uint8_t pixel = row[x];
        uint16_t found = dict.Find(pending, pixel);
        if (found != 0) {
            pending = found;
            continue;
        }
        out.Code(pending);
        if (!dict.Full()) {
            dict.Add(pending, pixel);
        } else {
            out.Code(kClearCode);
            dict.Clear();
        }
        pending = pixel;
    }
    out.Code(pending);
}

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
    LzwDictionary dict;
    for (int32_t y = 1; y <= picture.height; ++y) {
        EncodeRow(picture.pixels + static_cast<size_t>(y - 1) * picture.stride, picture.width,
                  dict, out);
        if (y % 10 == 0) {
            // Stop early on a dead sink: nothing more can reach the file.
            if (!out.Ok()) return GifEncodeStatus::WriteFailed;
            if (progress) progress(GifProgressPercent(y, picture.height));
        }
    }
    out.Code(kEndCode);
    out.EndData();
    out.RawByte(0x00);
    out.RawByte(0x3B);
    return out.Finish() ? GifEncodeStatus::Ok : GifEncodeStatus::WriteFailed;
}

}  // namespace korvimo
