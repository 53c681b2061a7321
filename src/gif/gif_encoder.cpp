#include "gif/gif_encoder.h"

#include <algorithm>
#include <cstring>
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
// byte.
//
// The dictionary is a child table: slot (next pixel, prefix code) holds the
// code of the longer sequence. Prefixes are pixel values 0..255 or entry
// codes 258..510. An absent slot holds its own pixel value, which is exactly
// the code the walk goes on with after a miss. So each pixel costs one load
// whose result is the next prefix whether it hits or not, and, with the
// pixel choosing the column ahead of time, that result is the next load's
// index as it is: the chain of those loads, one per pixel, is what bounds the
// speed on busy pictures. Clearing resets only the slots used.
//
// Runs of one colour take a shortcut. Inside a run of pixel c the sequence
// grows along c, cc, ccc, ..., so once the walk stands on the lone pixel c
// (right after a miss) the codes of c^1..c^K known so far tell at once how
// far the run can go before it misses again: one step per code written
// instead of one lookup per pixel.
class LzwCoder {
public:
    explicit LzwCoder(int32_t width)
        // A row writes at most width + width/253 + 3 codes of 9 bits.
        : packed_(kSubBlockMax + (static_cast<size_t>(width) * 2 + 16) * 9 / 8 + 16),
          codes_(static_cast<size_t>(width) * 2 + 16),
          child_(256 * kColumn),
          used_(kMaxEntries),
          chains_(256 * (kMaxEntries + 2)) {
        for (size_t slot = 0; slot < child_.size(); ++slot)
            child_[slot] = static_cast<uint16_t>(PixelOf(slot));
        runs_.reserve(static_cast<size_t>(width) / kRunGroup + 2);
    }

    void EncodeRow(const uint8_t* row, int32_t width) {
        ClearDictionary();
        n_ = 0;
        codes_[n_++] = kClearCode;
        pending_ = row[0];
        if (width > 1) {
            // At a row start the sequence matched so far is empty, so the
            // first step always misses and enters the lone pixel row[1] as
            // code 258. No later lookup (always two pixels or more) can find
            // it; it only keeps our numbering in step with the decoder's,
            // whose 258 is the pair (row[0], row[1]). Its place in the list
            // of used slots names slot 0, whose reset changes nothing.
            used_[count_++] = child_.data();
            codes_[n_++] = static_cast<uint16_t>(pending_);
            pending_ = row[1];
        }
        size_t x = 2;
        FindRuns(row, static_cast<size_t>(width));
        for (const Run& run : runs_) {
            // The run's first pixel still extends whatever came before it.
            const size_t runStart = std::min(run.end, std::max(x, run.start + 1));
            Walk(row, x, runStart);
            x = runStart;
            while (x < run.end && pending_ != run.colour) Step(row[x++]);
            if (x < run.end) {
                WalkRun(run.colour, run.end - x);
                x = run.end;
            }
        }
        codes_[n_++] = static_cast<uint16_t>(pending_);
        Pack(codes_.data(), n_);
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
    // A column of the child table per pixel value, a slot in it per prefix
    // code (0..510, rounded up).
    static constexpr size_t kColumn = 512;
    static uint32_t Slot(uint32_t pixel, uint32_t prefix) { return pixel * kColumn + prefix; }
    static uint32_t PixelOf(uint32_t slot) { return slot / kColumn; }
    // A run must cover one whole aligned group of this many pixels to be
    // found; shorter ones go pixel by pixel.
    static constexpr size_t kRunGroup = 8;

    struct Run {
        size_t start;
        size_t end;
        uint32_t colour;
    };

    // Entry 258 + i was made in slot used_[i]; putting those slots back to
    // their own pixel empties the dictionary.
    void ClearDictionary() {
        for (size_t i = 0; i < count_; ++i) {
            const auto slot = static_cast<uint32_t>(used_[i] - child_.data());
            *used_[i] = static_cast<uint16_t>(PixelOf(slot));
        }
        count_ = 0;
        ++generation_;  // every cached run chain is stale
    }

    // One pixel, the plain way.
    void Step(uint32_t pixel) {
        const uint32_t slot = Slot(pixel, pending_);
        const uint32_t found = child_[slot];
        if (found < 256) {
            codes_[n_++] = static_cast<uint16_t>(pending_);
            if (count_ == kMaxEntries) {
                // Full: the miss clears instead of adding.
                codes_[n_++] = kClearCode;
                ClearDictionary();
            } else {
                child_[slot] = static_cast<uint16_t>(kFirstEntryCode + count_);
                used_[count_++] = &child_[slot];
            }
        }
        pending_ = found;
    }

    // One lookup per pixel of row[from..to).
    void Walk(const uint8_t* row, size_t from, size_t to) {
        while (from < to) {
            if (count_ == kMaxEntries) {
                Step(row[from++]);
                continue;
            }
            // Each step adds at most one entry, so none of these can find the
            // dictionary full.
            const size_t stop = std::min(to, from + (kMaxEntries - count_));
            WalkNotFull(row + from, row + stop);
            from = stop;
        }
    }

    // Hits and misses alternate without pattern on busy pictures, so this
    // step has no branch on them: the pending code is always stored but only
    // counted on a miss; the slot is always written, with its own value on a
    // hit; the used list is always written, one place past its end on a hit.
    void WalkNotFull(const uint8_t* pixel, const uint8_t* end) {
        // Few variables, so that a 32-bit build keeps them all in registers:
        // the next code's place stands for the count of codes, and the miss,
        // -1 or 0, moves it and the entry count as it is.
        uint16_t* code = codes_.data() + n_;
        uint16_t* const child = child_.data();
        uint16_t** const used = used_.data();
        uint32_t pending = pending_;
        uint32_t count = count_;
        for (; pixel < end; ++pixel) {
            // The column is known before the load ahead of this one returns.
            uint16_t* const column = child + Slot(*pixel, 0);
            const uint32_t found = column[pending];
            // -1 on a miss (found < 256), else 0.
            const int32_t miss = static_cast<int32_t>(found - 256) >> 31;
            const auto missBits = static_cast<uint32_t>(miss);
            *code = static_cast<uint16_t>(pending);
            code -= miss;
            column[pending] = static_cast<uint16_t>(found ^ ((found ^ (kFirstEntryCode + count)) & missBits));
            used[count] = column + pending;
            count -= missBits;
            pending = found;
        }
        n_ = static_cast<size_t>(code - codes_.data());
        pending_ = pending;
        count_ = count;
    }

    // `length` more pixels of colour c, the walk standing on the lone pixel c.
    void WalkRun(uint32_t c, size_t length) {
        uint16_t* const chain = &chains_[c * (kMaxEntries + 2)];  // chain[k]: code of c^k
        if (chainGeneration_[c] != generation_) {
            chainGeneration_[c] = generation_;
            chainLength_[c] = 1;
            chain[1] = static_cast<uint16_t>(c);
        }
        uint32_t known = chainLength_[c];
        for (;;) {
            // Pick up entries the pixel walk added to the chain meanwhile.
            for (uint32_t next; (next = child_[Slot(c, chain[known])]) >= 256;)
                chain[++known] = static_cast<uint16_t>(next);
            if (1 + length <= known) {
                pending_ = chain[1 + length];
                break;
            }
            // Matches up to c^known, then the next pixel misses.
            length -= known;
            codes_[n_++] = chain[known];
            if (count_ == kMaxEntries) {
                codes_[n_++] = kClearCode;
                ClearDictionary();
                chainGeneration_[c] = generation_;
                known = 1;
            } else {
                const uint32_t slot = Slot(c, chain[known]);
                const uint32_t entry = kFirstEntryCode + count_;
                child_[slot] = static_cast<uint16_t>(entry);
                used_[count_++] = &child_[slot];
                chain[++known] = static_cast<uint16_t>(entry);
            }
        }
        chainLength_[c] = known;
    }

    // The runs of one colour in the row that cover a whole aligned group of
    // kRunGroup pixels, found a group at a time.
    void FindRuns(const uint8_t* row, size_t width) {
        runs_.clear();
        size_t group = 0;
        size_t previousEnd = 0;
        while (group + kRunGroup <= width) {
            uint64_t pixels;
            std::memcpy(&pixels, row + group, sizeof pixels);
            if (pixels != (pixels & 0xFF) * 0x0101010101010101ull) {
                group += kRunGroup;
                continue;
            }
            const uint8_t colour = row[group];
            size_t start = group;
            while (start > previousEnd && row[start - 1] == colour) --start;
            size_t end = group + kRunGroup;
            while (end < width && row[end] == colour) ++end;
            runs_.push_back({start, end, colour});
            previousEnd = end;
            group = (end + kRunGroup - 1) / kRunGroup * kRunGroup;
        }
        // The walk after the last run ends here.
        runs_.push_back({width, width, 256});
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
    size_t n_ = 0;            // codes of the row so far
    uint32_t pending_ = 0;    // code of the sequence matched so far
    uint32_t count_ = 0;      // dictionary entries: 258 + count_ is the next code
    std::vector<uint16_t> child_;
    std::vector<uint16_t*> used_;
    // Dictionary generation, counted at every clear; a colour's chain of run
    // codes is valid only in the generation it was built in.
    uint32_t generation_ = 1;
    std::vector<uint16_t> chains_;
    std::array<uint32_t, 256> chainLength_{};
    std::array<uint32_t, 256> chainGeneration_{};
    std::vector<Run> runs_;
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
