#pragma once
// Where the history keeps its clips, texts and pictures alike: their bytes
// compressed in pieces of a fixed size, in memory up to one budget for all
// of them and in files of this run beyond it. A picture costs neither a GDI
// object nor its full size until it is shown, a big text not its full size
// until it is read.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string_view>
#include <vector>

#include "store/dib.h"
#include "store/picture.h"

namespace korvimo {

// The files of clips that went past the memory budget.
class ClipFiles {
public:
    virtual ~ClipFiles() = default;
    // Adds bytes to the end of clip `id`'s file, which the first call makes.
    virtual bool Append(uint64_t id, const uint8_t* data, size_t size) = 0;
    // Reads `size` bytes of clip `id`'s file from `offset`.
    virtual bool Read(uint64_t id, uint64_t offset, uint8_t* data, size_t size) = 0;
    // The file goes, however far it was written.
    virtual void Remove(uint64_t id) = 0;
};

inline constexpr uint64_t kDefaultStoreBudget = uint64_t{256} << 20;

// Whether writing `bytes` more leaves the disk its floor free: 1 GB, or a
// tenth of a smaller disk. Past it a clip stays in memory; the user's disk
// is not ours to fill.
bool LeavesDiskFloor(uint64_t freeBytes, uint64_t diskBytes, uint64_t bytes);

// Compressed bytes are kept, written and read in pieces of this size, so no
// buffer ever takes the size of the largest clip.
inline constexpr size_t kStoreChunkBytes = size_t{128} << 10;

// The largest picture we take: 8192 x 8192 pixels, 256 MB at 32 bits. A
// 32-bit process has 2 GB of address space (4 GB only when large-address-
// aware on a 64-bit system, which we cannot count on), and while such a
// picture is captured, shown and saved it is there several times at once:
// the clipboard's copy and ours, its compressed pieces, the bitmap shown
// and the 24-bit rows of a save, beside the budget of the pictures kept.
// Five times 256 MB leaves room for the program and for a fragmented
// address space; twice the size would not fit.
inline constexpr uint64_t kLargestPicturePixels = uint64_t{8192} * 8192;
bool FitsInProcess(int32_t width, int32_t height);

// How a clip's bytes are kept.
struct StoreEntry {
    std::vector<std::vector<uint8_t>> chunks;  // empty when the clip is in a file
    size_t compressedBytes = 0;
    size_t rawBytes = 0;
    bool inFile = false;
};

class ClipStore;
class StoredText;
// A text of the history. Its storage goes when the last reference does.
using TextRef = std::shared_ptr<const StoredText>;

// A picture of the history. Its storage goes when the last reference does.
class StoredPicture : public Picture {
public:
    StoredPicture(ClipStore& store, uint64_t id, const DibLayout& layout) : store_(store), id_(id), layout_(layout) {}
    ~StoredPicture() override;
    StoredPicture(const StoredPicture&) = delete;
    StoredPicture& operator=(const StoredPicture&) = delete;
    int32_t Width() const override { return layout_.width; }
    int32_t Height() const override { return layout_.height; }
    const DibLayout& Layout() const { return layout_; }
    // The DIB bytes exactly as captured; empty when they cannot be read back
    // (no memory, or the file is damaged).
    std::vector<uint8_t> Dib() const;

private:
    friend class ClipReader;
    ClipStore& store_;
    uint64_t id_;
    DibLayout layout_;
};

// Reads a clip's bytes back in order, straight into the caller's memory (a
// bitmap's own pixels, a piece of text), with no copy of the whole clip on
// the way.
class ClipReader {
public:
    explicit ClipReader(const StoredPicture& picture) : ClipReader(picture.store_, picture.id_) {}
    ClipReader(ClipStore& store, uint64_t id);
    ~ClipReader();
    ClipReader(const ClipReader&) = delete;
    ClipReader& operator=(const ClipReader&) = delete;
    // The next `size` bytes; false when they cannot be had.
    bool Read(uint8_t* data, size_t size);
    // Whether the bytes read were all there is, and intact.
    bool AtEnd();

private:
    bool NextInput();
    ClipStore& store_;
    uint64_t id_;
    const StoreEntry* entry_ = nullptr;
    struct Inflater;
    std::unique_ptr<Inflater> inflater_;
    size_t nextChunk_ = 0;
    uint64_t fileOffset_ = 0;
    std::vector<uint8_t> fromFile_;
    bool failed_ = false;
};

struct StoreUse {
    uint64_t memoryBytes = 0;  // compressed bytes and small texts held in memory
    uint64_t fileBytes = 0;    // compressed bytes in files
    size_t inMemory = 0;
    size_t inFiles = 0;
};

// One run's clips. Must outlive every clip it made. Not thread-safe: the
// capture and the viewer both run on the window's thread. Nothing it does
// throws: a clip that finds no room is simply not kept.
class ClipStore {
public:
    explicit ClipStore(ClipFiles& files, uint64_t budget = kDefaultStoreBudget)
        : files_(files), budget_(budget) {}
    ClipStore(const ClipStore&) = delete;
    ClipStore& operator=(const ClipStore&) = delete;

    // Keeps a copy of the DIB in `data`; nothing (and no entry, no file) when
    // the bytes are no picture we can show, or neither memory nor the files
    // have room for them. Past the budget a picture goes to a file, or stays
    // in memory when the file cannot be written.
    PictureRef Put(const uint8_t* data, size_t size);

    // Keeps a copy of the text, as it is (small ones) or like a picture's
    // bytes; nothing when neither memory nor the files have room for it.
    TextRef PutText(std::u16string_view text);

    StoreUse Use() const { return use_; }

private:
    friend class StoredPicture;
    friend class StoredText;
    friend class ClipReader;
    // The entry's id, or nothing when it could not be kept.
    bool Store(const uint8_t* data, size_t size, uint64_t& id);
    bool Keep(uint64_t id, StoreEntry& entry, const uint8_t* data, size_t size);
    bool MoveToFile(uint64_t id, StoreEntry& entry);
    void Release(uint64_t id);

    ClipFiles& files_;
    uint64_t budget_;
    uint64_t nextId_ = 0;
    std::map<uint64_t, StoreEntry> entries_;
    StoreUse use_;
};

}  // namespace korvimo
