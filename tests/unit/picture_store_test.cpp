#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "app/picture_store.h"
#include "memory_picture_files.h"

namespace korvimo {
namespace {

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A packed DIB: header of `headerBytes`, `extra` bytes of masks and colour
// table, rows of patterned pixels, then `slack` bytes that are no part of it.
std::vector<uint8_t> Dib(int32_t width, int32_t height, uint16_t bits, uint32_t compression = 0,
                         uint32_t headerBytes = 40, size_t extra = 0, size_t slack = 0,
                         uint32_t coloursUsed = 0) {
    const size_t rowBytes = (static_cast<size_t>(width) * bits + 31) / 32 * 4;
    std::vector<uint8_t> b(headerBytes + extra + rowBytes * std::abs(height) + slack);
    for (size_t i = headerBytes; i < b.size(); ++i) b[i] = static_cast<uint8_t>(i * 37 + i / 251);
    Put32(b, 0, headerBytes);
    Put32(b, 4, static_cast<uint32_t>(width));
    Put32(b, 8, static_cast<uint32_t>(height));
    b[12] = 1;
    b[14] = static_cast<uint8_t>(bits);
    Put32(b, 16, compression);
    Put32(b, 32, coloursUsed);
    return b;
}

std::vector<uint8_t> DibOf(const PictureRef& picture) {
    return static_cast<const StoredPicture&>(*picture).Dib();
}

TEST(PictureStoreTest, PicturesPastTheBudgetGoToFilesUntilADeletionFreesRoomAndAllComeBackExact) {
    testing::MemoryPictureFiles files;
    const std::vector<uint8_t> dib = Dib(64, 64, 32, 0, 40, 0, 9), whole(dib.begin(), dib.end() - 9);
    PictureStore probe(files);
    const PictureRef measured = probe.Put(dib.data(), dib.size());
    const uint64_t one = probe.Use().memoryBytes;
    EXPECT_LT(one, whole.size());  // compressed
    PictureStore store(files, one);  // room for exactly one
    PictureRef a = store.Put(dib.data(), dib.size()), b = store.Put(dib.data(), dib.size());
    EXPECT_EQ(store.Use().inMemory, 1u);
    EXPECT_EQ(files.files.size(), 1u);
    EXPECT_EQ(DibOf(a), whole);
    EXPECT_EQ(DibOf(b), whole);
    a.reset();
    PictureRef c = store.Put(dib.data(), dib.size());
    EXPECT_EQ(store.Use().inMemory, 1u);
    EXPECT_EQ(DibOf(c), whole);
    b.reset();  // the entry was deleted: its file goes at once
    EXPECT_TRUE(files.files.empty());
    EXPECT_EQ(store.Use().fileBytes, 0u);
    c.reset();
    EXPECT_EQ(store.Use().memoryBytes, 0u);

    // Photo-like: coded another way, and into several pieces, in memory and in a file.
    std::vector<uint8_t> noise = Dib(256, 256, 32);
    std::mt19937 random(1);
    for (size_t i = 40; i < noise.size(); ++i) noise[i] = static_cast<uint8_t>(random());
    PictureStore spilling(files, 0);
    const PictureRef inMemory = probe.Put(noise.data(), noise.size());
    const PictureRef inFile = spilling.Put(noise.data(), noise.size());
    EXPECT_GT(spilling.Use().fileBytes, 2 * kPictureChunkBytes);
    EXPECT_EQ(DibOf(inMemory), noise);
    EXPECT_EQ(DibOf(inFile), noise);
}

TEST(PictureStoreTest, AFailedSpillKeepsThePictureInMemoryAndOnlyPicturesThatFitTheProcessAreTaken) {
    testing::MemoryPictureFiles files;
    files.full = true;
    const std::vector<uint8_t> dib = Dib(40, 30, 24);
    PictureStore store(files, 0);
    const PictureRef kept = store.Put(dib.data(), dib.size());
    EXPECT_TRUE(files.files.empty());  // nothing half-written stays behind
    EXPECT_EQ(store.Use().inMemory, 1u);
    EXPECT_EQ(DibOf(kept), dib);
    files.full = false;
    PictureRef spilled = store.Put(dib.data(), dib.size());
    ASSERT_TRUE(spilled);
    EXPECT_EQ(DibOf(spilled), dib);
    files.files.begin()->second.pop_back();  // damaged behind our back
    EXPECT_TRUE(DibOf(spilled).empty());
    EXPECT_FALSE(store.Put(dib.data(), dib.size() - 1));  // not a whole picture
    const std::vector<uint8_t> largest = Dib(8192, 8192, 1, 0, 40, 8), wider = Dib(8193, 8192, 1, 0, 40, 8);
    EXPECT_TRUE(store.Put(largest.data(), largest.size()));
    EXPECT_FALSE(store.Put(wider.data(), wider.size()));
}

}  // namespace
}  // namespace korvimo
