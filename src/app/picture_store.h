#pragma once
// Where the history keeps its pictures: each one's DIB bytes, compressed,
// in memory up to a budget and in files of this run's own folder beyond it.
// A picture costs neither a GDI object nor its full size until it is shown.
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
    // Writes the whole file of picture `id`, or leaves none behind.
    virtual bool Write(uint64_t id, const uint8_t* data, size_t size) = 0;
    // Reads the whole file of picture `id`, which holds exactly `size` bytes.
    virtual bool Read(uint64_t id, uint8_t* data, size_t size) = 0;
    virtual void Remove(uint64_t id) = 0;
};

inline constexpr uint64_t kDefaultPictureBudget = uint64_t{256} << 20;

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
    // (no memory, or the file is gone or damaged).
    std::vector<uint8_t> Dib() const;

private:
    PictureStore& store_;
    uint64_t id_;
    DibLayout layout_;
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
    // the bytes are no picture we can show or there is no room for them.
    PictureRef Put(const uint8_t* data, size_t size);

    PictureStoreUse Use() const { return use_; }

private:
    friend class StoredPicture;
    struct Entry {
        std::vector<uint8_t> compressed;  // empty when the picture is in a file
        size_t compressedBytes = 0;
        size_t dibBytes = 0;
        bool inFile = false;
    };
    std::vector<uint8_t> Load(uint64_t id) const;
    void Release(uint64_t id);

    PictureFiles& files_;
    uint64_t budget_;
    uint64_t nextId_ = 0;
    std::map<uint64_t, Entry> entries_;
    PictureStoreUse use_;
    std::vector<uint8_t> scratch_;  // reused for every compression
};

}  // namespace korvimo
