#include "store/stored_text.h"

#include <zlib.h>

#include <algorithm>
#include <memory>
#include <new>

namespace korvimo {

namespace {

const uint8_t* BytesOf(std::u16string_view text) { return reinterpret_cast<const uint8_t*>(text.data()); }

}  // namespace

uint32_t TextChecksum(std::u16string_view text) {
    uLong crc = crc32(0, nullptr, 0);
    const uint8_t* bytes = BytesOf(text);
    // zlib takes a length of 32 bits at a time.
    for (size_t left = text.size() * sizeof(char16_t); left > 0;) {
        const uInt n = static_cast<uInt>(std::min<size_t>(left, 1u << 30));
        crc = crc32(crc, bytes, n);
        bytes += n;
        left -= n;
    }
    return static_cast<uint32_t>(crc);
}

TextRef ClipStore::PutText(std::u16string_view text) {
    const uint32_t crc = TextChecksum(text);
    try {
        if (text.size() <= kSmallTextChars) {
            auto kept = std::make_shared<StoredText>(*this, std::u16string(text), text.size(), crc, std::nullopt);
            use_.memoryBytes += text.size() * sizeof(char16_t);
            return kept;
        }
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    uint64_t id = 0;
    if (!Store(BytesOf(text), text.size() * sizeof(char16_t), id)) return nullptr;
    try {
        return std::make_shared<StoredText>(*this, std::u16string(), text.size(), crc, id);
    } catch (const std::bad_alloc&) {
        Release(id);
        return nullptr;
    }
}

StoredText::~StoredText() {
    if (id_)
        store_.Release(*id_);
    else
        store_.use_.memoryBytes -= length_ * sizeof(char16_t);
}

bool StoredText::ReadPieces(const std::function<bool(std::u16string_view)>& sink) const {
    if (!id_) return small_.empty() || sink(small_);
    std::unique_ptr<char16_t[]> piece(new (std::nothrow) char16_t[kTextPieceChars]);
    if (!piece) return false;
    ClipReader reader(store_, *id_);
    for (size_t left = length_; left > 0;) {
        const size_t n = std::min(left, kTextPieceChars);
        if (!reader.Read(reinterpret_cast<uint8_t*>(piece.get()), n * sizeof(char16_t))) return false;
        left -= n;
        if (!sink(std::u16string_view(piece.get(), n))) return true;
    }
    return reader.AtEnd();
}

bool StoredText::Equals(std::u16string_view text) const {
    if (text.size() != length_ || TextChecksum(text) != crc_) return false;
    bool same = true;
    size_t at = 0;
    const bool read = ReadPieces([&](std::u16string_view piece) {
        same = text.compare(at, piece.size(), piece) == 0;
        at += piece.size();
        return same;
    });
    return read && same;
}

std::optional<std::u16string> ReadWholeText(const TextRef& text) {
    if (!text) return std::u16string();
    try {
        std::u16string whole;
        whole.reserve(text->Length());
        if (text->ReadPieces([&](std::u16string_view piece) {
                whole.append(piece);
                return true;
            }))
            return whole;
    } catch (const std::bad_alloc&) {
    }
    return std::nullopt;
}

bool ReadTextPieces(const TextRef& text, const std::function<bool(std::u16string_view)>& sink) {
    return !text || text->ReadPieces(sink);
}

}  // namespace korvimo
