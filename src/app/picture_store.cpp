#include "app/picture_store.h"

#include <zlib.h>

#include <new>

namespace korvimo {

namespace {

// Speed matters more than the last few percent: a capture happens while the
// user works. Screenshots, the common case, shrink to a few percent at the
// fastest level. Photographs hardly repeat themselves, so searching for
// repeats costs three times the time for some 5% of size: for them the
// Huffman coding alone is used, chosen by how well a sample compresses.
constexpr int kCompressionLevel = 1;
constexpr size_t kSampleBytes = 64 * 1024;

int StrategyFor(const uint8_t* data, size_t size) {
    if (size < 2 * kSampleBytes) return Z_DEFAULT_STRATEGY;
    uint8_t sample[kSampleBytes + kSampleBytes / 8];
    uLongf written = sizeof sample;
    if (compress2(sample, &written, data + size / 2, kSampleBytes, kCompressionLevel) != Z_OK)
        return Z_HUFFMAN_ONLY;  // did not even fit: nothing repeats
    return written > kSampleBytes / 2 ? Z_HUFFMAN_ONLY : Z_DEFAULT_STRATEGY;
}

// `size` is at most kMaxDibBytes, well within what one deflate call takes.
bool Compress(const uint8_t* data, size_t size, std::vector<uint8_t>& scratch, size_t& compressedBytes) {
    uLongf bound = compressBound(static_cast<uLong>(size));
    if (scratch.size() < bound) {
        scratch.clear();
        scratch.shrink_to_fit();
        scratch.resize(bound);
    }
    z_stream stream{};
    if (deflateInit2(&stream, kCompressionLevel, Z_DEFLATED, 15, 8, StrategyFor(data, size)) != Z_OK) return false;
    stream.next_in = const_cast<Bytef*>(data);
    stream.avail_in = static_cast<uInt>(size);
    stream.next_out = scratch.data();
    stream.avail_out = static_cast<uInt>(bound);
    const bool done = deflate(&stream, Z_FINISH) == Z_STREAM_END;
    compressedBytes = stream.total_out;
    deflateEnd(&stream);
    return done;
}

}  // namespace

StoredPicture::~StoredPicture() { store_.Release(id_); }

std::vector<uint8_t> StoredPicture::Dib() const { return store_.Load(id_); }

PictureRef PictureStore::Put(const uint8_t* data, size_t size) {
    std::optional<DibLayout> layout = ReadDibLayout(data, size);
    if (!layout) return nullptr;
    Entry entry;
    entry.dibBytes = layout->totalBytes;
    try {
        if (!Compress(data, entry.dibBytes, scratch_, entry.compressedBytes)) return nullptr;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    const uint64_t id = nextId_++;
    entry.inFile = use_.memoryBytes + entry.compressedBytes > budget_;
    if (entry.inFile && !files_.Write(id, scratch_.data(), entry.compressedBytes)) {
        files_.Remove(id);  // nothing half-written stays behind
        return nullptr;
    }
    try {
        if (!entry.inFile) entry.compressed.assign(scratch_.data(), scratch_.data() + entry.compressedBytes);
        entries_.emplace(id, std::move(entry));
    } catch (const std::bad_alloc&) {
        if (entry.inFile) files_.Remove(id);
        return nullptr;
    }
    const Entry& kept = entries_.at(id);
    (kept.inFile ? use_.fileBytes : use_.memoryBytes) += kept.compressedBytes;
    ++(kept.inFile ? use_.inFiles : use_.inMemory);
    try {
        return std::make_shared<StoredPicture>(*this, id, *layout);
    } catch (const std::bad_alloc&) {
        Release(id);
        return nullptr;
    }
}

std::vector<uint8_t> PictureStore::Load(uint64_t id) const {
    auto found = entries_.find(id);
    if (found == entries_.end()) return {};
    const Entry& entry = found->second;
    try {
        std::vector<uint8_t> fromFile;
        const uint8_t* compressed = entry.compressed.data();
        if (entry.inFile) {
            fromFile.resize(entry.compressedBytes);
            if (!files_.Read(id, fromFile.data(), fromFile.size())) return {};
            compressed = fromFile.data();
        }
        std::vector<uint8_t> dib(entry.dibBytes);
        uLongf length = static_cast<uLongf>(dib.size());
        if (uncompress(dib.data(), &length, compressed, static_cast<uLong>(entry.compressedBytes)) != Z_OK ||
            length != dib.size())
            return {};
        return dib;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

void PictureStore::Release(uint64_t id) {
    auto found = entries_.find(id);
    if (found == entries_.end()) return;
    const Entry& entry = found->second;
    if (entry.inFile) {
        files_.Remove(id);
        use_.fileBytes -= entry.compressedBytes;
        --use_.inFiles;
    } else {
        use_.memoryBytes -= entry.compressedBytes;
        --use_.inMemory;
    }
    entries_.erase(found);
}

}  // namespace korvimo
