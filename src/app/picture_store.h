#pragma once
// Where the history keeps its pictures: each one's DIB bytes, compressed in
// pieces of a fixed size, in memory up to a budget and in files of this run
// beyond it. A picture costs neither a GDI object nor its full size until it
// is shown.
#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "app/dib.h"
#include "app/picture.h"

namespace korvimo {

// The files of pictures that went past the memory budget.
class PictureFiles {
public:
    virtual ~PictureFiles() = default;
    // Adds bytes to the end of picture `id`'s file, which the first call makes.
    virtual bool Append(uint64_t id, const uint8_t* data, size_t size) = 0;
    // Reads `size` bytes of picture `id`'s file from `offset`.
    virtual bool Read(uint64_t id, uint64_t offset, uint8_t* data, size_t size) = 0;
    // The file goes, however far it was written.
    virtual void Remove(uint64_t id) = 0;
};

inline constexpr uint64_t kDefaultPictureBudget = uint64_t{256} << 20;

// Compressed bytes are kept, written and read in pieces of this size, so no
// buffer ever takes the size of the largest picture.
inline constexpr size_t kPictureChunkBytes = size_t{128} << 10;

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

// How a picture is kept.
struct PictureEntry {
    std::vector<std::vector<uint8_t>> chunks;  // empty when the picture is in a file
    size_t compressedBytes = 0;
    size_t dibBytes = 0;
    bool inFile = false;
};

class PictureStore;

// A picture of the history. Its storage goes when the last reference does.
class StoredPicture : public Picture {
public:
    StoredPicture(PictureStore& store, uint64_t id, const DibLayout& layout) : store_(store), id_(id), layout_(layout) {}
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
    friend class DibReader;
    PictureStore& store_;
    uint64_t id_;
    DibLayout layout_;
};

// Reads a picture's DIB bytes back in order, straight into the caller's
// memory (a bitmap's own pixels), with no copy of the whole DIB on the way.
class DibReader {
public:
    explicit DibReader(const StoredPicture& picture);
    ~DibReader();
    DibReader(const DibReader&) = delete;
    DibReader& operator=(const DibReader&) = delete;
    // The next `size` bytes; false when they cannot be had.
    bool Read(uint8_t* data, size_t size);
    // Whether the bytes read were all there is, and intact.
    bool AtEnd();

private:
    bool NextInput();
    PictureStore& store_;
    uint64_t id_;
    const PictureEntry* entry_ = nullptr;
    struct Inflater;
    std::unique_ptr<Inflater> inflater_;
    size_t nextChunk_ = 0;
    uint64_t fileOffset_ = 0;
    std::vector<uint8_t> fromFile_;
    bool failed_ = false;
};

struct PictureStoreUse {
    uint64_t memoryBytes = 0;  // compressed bytes held in memory
    uint64_t fileBytes = 0;    // compressed bytes in files
    size_t inMemory = 0;
    size_t inFiles = 0;
};

// One run's pictures. Must outlive every picture it made. Not thread-safe:
// the capture and the viewer both run on the window's thread.
class PictureStore {
public:
    explicit PictureStore(PictureFiles& files, uint64_t budget = kDefaultPictureBudget)
        : files_(files), budget_(budget) {}
    PictureStore(const PictureStore&) = delete;
    PictureStore& operator=(const PictureStore&) = delete;

    // Keeps a copy of the DIB in `data`; nothing (and no entry, no file) when
    // the bytes are no picture we can show, or neither memory nor the files
    // have room for them. Past the budget a picture goes to a file, or stays
    // in memory when the file cannot be written.
    PictureRef Put(const uint8_t* data, size_t size);

    PictureStoreUse Use() const { return use_; }

private:
    friend class StoredPicture;
    friend class DibReader;
    bool Keep(uint64_t id, PictureEntry& entry, const uint8_t* data, size_t size);
    bool MoveToFile(uint64_t id, PictureEntry& entry);
    void Release(uint64_t id);

    PictureFiles& files_;
    uint64_t budget_;
    uint64_t nextId_ = 0;
    std::map<uint64_t, PictureEntry> entries_;
    PictureStoreUse use_;
};

}  // namespace korvimo
