#include "store/clip_store.h"

#include <zlib.h>

#include <algorithm>
#include <new>

namespace korvimo {

namespace {

// Speed matters more than the last few percent: a capture happens while the
// user works. Screenshots, the common case, shrink to a few percent at the
// fastest level. Photographs hardly repeat themselves, so searching for
// repeats costs three times the time for some 5% of size: for them the
// Huffman coding alone is used, chosen by how well a sample compresses.
constexpr int kCompressionLevel = 1;

// zlib takes its memory where ours comes from, so that running out of it
// looks the same to both.
voidpf ZAlloc(voidpf, uInt items, uInt size) { return ::operator new(size_t{items} * size, std::nothrow); }
void ZFree(voidpf, voidpf address) { ::operator delete(address); }
constexpr size_t kSampleBytes = 64 * 1024;

int StrategyFor(const uint8_t* data, size_t size) {
    if (size < 2 * kSampleBytes) return Z_DEFAULT_STRATEGY;
    uint8_t sample[kSampleBytes + kSampleBytes / 8];
    uLongf written = sizeof sample;
    if (compress2(sample, &written, data + size / 2, kSampleBytes, kCompressionLevel) != Z_OK)
        return Z_HUFFMAN_ONLY;  // did not even fit: nothing repeats
    return written > kSampleBytes / 2 ? Z_HUFFMAN_ONLY : Z_DEFAULT_STRATEGY;
}

// Deflates `size` bytes and hands each piece of at most kStoreChunkBytes to
// `keep`. The input goes in slices, as a text may be larger than one call
// of zlib takes.
template <typename Keep>
bool Deflate(const uint8_t* data, size_t size, Keep keep) {
    z_stream stream{};
    stream.zalloc = ZAlloc;
    stream.zfree = ZFree;
    if (deflateInit2(&stream, kCompressionLevel, Z_DEFLATED, 15, 8, StrategyFor(data, size)) != Z_OK) return false;
    struct End {
        z_stream& stream;
        ~End() { deflateEnd(&stream); }
    } end{stream};
    std::unique_ptr<uint8_t[]> piece(new uint8_t[kStoreChunkBytes]);
    constexpr size_t kSlice = size_t{1} << 30;
    stream.next_in = const_cast<Bytef*>(data);
    for (int status = Z_OK; status != Z_STREAM_END;) {
        if (stream.avail_in == 0 && size > 0) {
            stream.avail_in = static_cast<uInt>(std::min(size, kSlice));
            size -= stream.avail_in;
        }
        stream.next_out = piece.get();
        stream.avail_out = static_cast<uInt>(kStoreChunkBytes);
        status = deflate(&stream, size > 0 ? Z_NO_FLUSH : Z_FINISH);
        if (status != Z_OK && status != Z_STREAM_END) return false;
        if (!keep(piece.get(), kStoreChunkBytes - stream.avail_out)) return false;
    }
    return true;
}

}  // namespace

bool LeavesDiskFloor(uint64_t freeBytes, uint64_t diskBytes, uint64_t bytes) {
    const uint64_t floor = std::min<uint64_t>(uint64_t{1} << 30, diskBytes / 10);
    return freeBytes >= bytes && freeBytes - bytes >= floor;
}

bool FitsInProcess(int32_t width, int32_t height) {
    return width > 0 && height > 0 &&
           static_cast<uint64_t>(width) * static_cast<uint64_t>(height) <= kLargestPicturePixels;
}

StoredPicture::~StoredPicture() { store_.Release(id_); }

std::vector<uint8_t> StoredPicture::Dib() const {
    try {
        std::vector<uint8_t> dib(layout_.totalBytes);
        ClipReader reader(*this);
        if (reader.Read(dib.data(), dib.size()) && reader.AtEnd()) return dib;
    } catch (const std::bad_alloc&) {
    }
    return {};
}

struct ClipReader::Inflater {
    z_stream stream{};
    bool ready = false;
    Inflater() {
        stream.zalloc = ZAlloc;
        stream.zfree = ZFree;
        ready = inflateInit(&stream) == Z_OK;
    }
    ~Inflater() {
        if (ready) inflateEnd(&stream);
    }
};

ClipReader::ClipReader(ClipStore& store, uint64_t id) : store_(store), id_(id) {
    auto found = store_.entries_.find(id_);
    try {
        inflater_ = std::make_unique<Inflater>();
        if (found != store_.entries_.end() && found->second.inFile) fromFile_.resize(kStoreChunkBytes);
    } catch (const std::bad_alloc&) {
    }
    if (found != store_.entries_.end()) entry_ = &found->second;
    failed_ = !entry_ || !inflater_ || !inflater_->ready || (entry_->inFile && fromFile_.empty());
}

ClipReader::~ClipReader() = default;

bool ClipReader::NextInput() {
    z_stream& stream = inflater_->stream;
    if (!entry_->inFile) {
        if (nextChunk_ == entry_->chunks.size()) return false;
        const std::vector<uint8_t>& chunk = entry_->chunks[nextChunk_++];
        stream.next_in = const_cast<Bytef*>(chunk.data());
        stream.avail_in = static_cast<uInt>(chunk.size());
        return true;
    }
    const size_t size =
        static_cast<size_t>(std::min<uint64_t>(fromFile_.size(), entry_->compressedBytes - fileOffset_));
    if (size == 0 || !store_.files_.Read(id_, fileOffset_, fromFile_.data(), size)) return false;
    fileOffset_ += size;
    stream.next_in = fromFile_.data();
    stream.avail_in = static_cast<uInt>(size);
    return true;
}

bool ClipReader::Read(uint8_t* data, size_t size) {
    if (failed_) return false;
    z_stream& stream = inflater_->stream;
    stream.next_out = data;
    stream.avail_out = static_cast<uInt>(size);
    while (stream.avail_out > 0) {
        if (stream.avail_in == 0 && !NextInput()) {
            failed_ = true;
            return false;
        }
        const int status = inflate(&stream, Z_NO_FLUSH);
        if (status != Z_OK && !(status == Z_STREAM_END && stream.avail_out == 0)) {
            failed_ = true;
            return false;
        }
    }
    return true;
}

bool ClipReader::AtEnd() {
    if (failed_) return false;
    // The stream must end here: one byte more is a damaged picture.
    uint8_t beyond = 0;
    z_stream& stream = inflater_->stream;
    for (;;) {
        stream.next_out = &beyond;
        stream.avail_out = 1;
        const int status = inflate(&stream, Z_NO_FLUSH);
        if (status == Z_STREAM_END) return stream.avail_out == 1;
        if (status != Z_OK && status != Z_BUF_ERROR) return false;
        if (stream.avail_out == 0 || (stream.avail_in == 0 && !NextInput())) return false;
    }
}

bool ClipStore::Keep(uint64_t id, StoreEntry& entry, const uint8_t* data, size_t size) {
    if (!entry.inFile) {
        try {
            entry.chunks.emplace_back(data, data + size);
            entry.compressedBytes += size;
            return true;
        } catch (const std::bad_alloc&) {
            // No memory left: what is done so far goes to the file, the rest follows it.
            if (!MoveToFile(id, entry)) return false;
        }
    }
    if (!files_.Append(id, data, size)) return false;
    entry.compressedBytes += size;
    return true;
}

bool ClipStore::MoveToFile(uint64_t id, StoreEntry& entry) {
    for (const std::vector<uint8_t>& chunk : entry.chunks) {
        if (!files_.Append(id, chunk.data(), chunk.size())) {
            files_.Remove(id);
            return false;
        }
    }
    entry.chunks.clear();
    entry.chunks.shrink_to_fit();
    entry.inFile = true;
    return true;
}

bool ClipStore::Store(const uint8_t* data, size_t size, uint64_t& id) {
    id = nextId_++;
    StoreEntry entry;
    entry.rawBytes = size;
    try {
        auto keep = [&](const uint8_t* piece, size_t n) { return Keep(id, entry, piece, n); };
        if (!Deflate(data, size, keep)) {
            files_.Remove(id);  // however far a spill got
            return false;
        }
        // Past the budget the clip goes to a file; when that cannot be
        // written it stays here, over the budget, rather than be lost.
        if (!entry.inFile && use_.memoryBytes + entry.compressedBytes > budget_) MoveToFile(id, entry);
        entries_.emplace(id, std::move(entry));
    } catch (const std::bad_alloc&) {
        files_.Remove(id);
        return false;
    }
    const StoreEntry& kept = entries_.at(id);
    (kept.inFile ? use_.fileBytes : use_.memoryBytes) += kept.compressedBytes;
    ++(kept.inFile ? use_.inFiles : use_.inMemory);
    return true;
}

PictureRef ClipStore::Put(const uint8_t* data, size_t size) {
    std::optional<DibLayout> layout = ReadDibLayout(data, size);
    uint64_t id = 0;
    if (!layout || !FitsInProcess(layout->width, layout->height) || !Store(data, layout->totalBytes, id))
        return nullptr;
    try {
        return std::make_shared<StoredPicture>(*this, id, *layout);
    } catch (const std::bad_alloc&) {
        Release(id);
        return nullptr;
    }
}

void ClipStore::Release(uint64_t id) {
    auto found = entries_.find(id);
    if (found == entries_.end()) return;
    const StoreEntry& entry = found->second;
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
