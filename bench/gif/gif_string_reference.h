#pragma once
// The GIF writer in its original, string-keyed form, kept word for word as
// the yardstick the fast encoder's speed is measured against: pixel sequences
// are keyed by three decimal digits per pixel in a std::map, codes are written
// bit by bit into a 256-byte block buffer. Slow on purpose.
#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace korvimo_reference {

class StringKeyedGif {
public:
    // pixels: width*height indices, row 0 = top row; colours: 768 bytes RGB.
    std::vector<uint8_t> Encode(int32_t width, int32_t height, const std::vector<uint8_t>& pixels,
                                const std::array<uint8_t, 768>& colours, bool useTransparency,
                                uint8_t transparentIndex,
                                const std::function<void(int16_t)>& progress = nullptr) {
        file_.clear();
        for (int i = 0; i < 32; ++i) powers_[i] = static_cast<int64_t>(1) << i;
        const char* signature = useTransparency ? "GIF89a" : "GIF87a";
        for (int i = 0; i < 6; ++i) Put(static_cast<uint8_t>(signature[i]));
        PutWord(width);
        PutWord(height);
        Put(0xF7);
        Put(0);
        Put(0);
        for (uint8_t b : colours) Put(b);
        if (useTransparency) {
            Put(0x21);
            Put(0xF9);
            Put(0x04);
            Put(0x09);
            Put(0x00);
            Put(0x00);
            Put(transparentIndex);
            Put(0x00);
        }
        Put(0x2C);
        PutWord(0);
        PutWord(0);
        PutWord(width);
        PutWord(height);
        Put(0x07);
        Put(8);

        blockCount_ = 0;
        bitPos_ = 8;
        for (int32_t y = 1; y <= height; ++y) {
            const uint8_t* row = &pixels[static_cast<size_t>(y - 1) * width];
            std::map<std::string, int> dict;
            WriteCode(256, 9);
            std::string current;
            int pending = row[0];
            for (int32_t x = 1; x <= width - 1; ++x) {
                std::string k = Key(row[x]);
                std::string key = current + k;
                auto it = dict.find(key);
                if (it != dict.end()) {
                    pending = it->second;
                    current = key;
                } else if (dict.size() < 253) {
                    int code = 258 + static_cast<int>(dict.size());
                    dict[key] = code;
                    WriteCode(pending, 9);
                    current = k;
                    pending = row[x];
                } else {
                    WriteCode(pending, 9);
                    WriteCode(256, 9);
                    dict.clear();
                    current = k;
                    pending = row[x];
                }
            }
            WriteCode(pending, 9);
            if (y % 10 == 0 && progress) {
                double exact = y * 100.0 / height;
                progress(static_cast<int16_t>(RoundHalfEvenLocal(exact)));
            }
        }
        WriteCode(257, 9);
        Put(block_[0]);
        for (int i = 1; i <= block_[0]; ++i) Put(block_[i]);
        Put(0x00);
        Put(0x3B);
        return file_;
    }

private:
    static std::string Key(uint8_t pixel) {
        char text[4];
        std::snprintf(text, sizeof text, "%03d", pixel);
        return text;
    }

    static double RoundHalfEvenLocal(double x) {
        double f = static_cast<double>(static_cast<int64_t>(x));
        double diff = x - f;
        if (diff > 0.5) return f + 1;
        if (diff < 0.5) return f;
        return (static_cast<int64_t>(f) % 2 == 0) ? f : f + 1;
    }

    void WriteCode(int code, int bits) {
        for (int i = 0; i < bits; ++i) {
            if (bitPos_ == 8) {
                if (blockCount_ == 255) {
                    for (int j = 0; j < 256; ++j) Put(block_[j]);
                    blockCount_ = 1;
                } else {
                    ++blockCount_;
                }
                block_[0] = static_cast<uint8_t>(blockCount_);
                block_[blockCount_] = 0;
                bitPos_ = 0;
            }
            if (code & powers_[i]) block_[blockCount_] |= static_cast<uint8_t>(powers_[bitPos_]);
            ++bitPos_;
        }
    }

    void Put(uint8_t b) { file_.push_back(b); }
    void PutWord(int32_t v) {
        Put(static_cast<uint8_t>(v & 0xFF));
        Put(static_cast<uint8_t>((v >> 8) & 0xFF));
    }

    std::vector<uint8_t> file_;
    std::array<uint8_t, 256> block_{};
    int blockCount_ = 0;
    int bitPos_ = 8;
    int64_t powers_[32] = {};
};

}  // namespace korvimo_reference
