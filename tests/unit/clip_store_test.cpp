#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "store/stored_text.h"
#include "memory_clip_files.h"

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

TEST(ClipStoreTest, PicturesPastTheBudgetGoToFilesUntilADeletionFreesRoomAndAllComeBackExact) {
    testing::MemoryClipFiles files;
    const std::vector<uint8_t> dib = Dib(64, 64, 32, 0, 40, 0, 9), whole(dib.begin(), dib.end() - 9);
    ClipStore probe(files);
    const PictureRef measured = probe.Put(dib.data(), dib.size());
    const uint64_t one = probe.Use().memoryBytes;
    EXPECT_LT(one, whole.size());  // compressed
    ClipStore store(files, one);  // room for exactly one
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
    ClipStore spilling(files, 0);
    const PictureRef inMemory = probe.Put(noise.data(), noise.size());
    const PictureRef inFile = spilling.Put(noise.data(), noise.size());
    EXPECT_GT(spilling.Use().fileBytes, 2 * kStoreChunkBytes);
    EXPECT_EQ(DibOf(inMemory), noise);
    EXPECT_EQ(DibOf(inFile), noise);
}

TEST(ClipStoreTest, AFailedSpillKeepsThePictureInMemoryAndOnlyPicturesThatFitTheProcessAreTaken) {
    testing::MemoryClipFiles files;
    files.full = true;
    const std::vector<uint8_t> dib = Dib(40, 30, 24);
    ClipStore store(files, 0);
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

TEST(ClipStoreTest, TextsShareThePicturesBudgetGoToFilesPastItAndComeBackExactInBoundedPieces) {
    testing::MemoryClipFiles files;
    std::u16string big(5 * kTextPieceChars / 2, u'\0');  // NULs, a pair split between two pieces
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char16_t>(i * 7919 % 1021 * (i % 5 != 0));
    big[kTextPieceChars - 1] = 0xD83D, big[kTextPieceChars] = 0xDE00;
    ClipStore probe(files);
    const TextRef measured = probe.PutText(big);
    const uint64_t one = probe.Use().memoryBytes;
    EXPECT_LT(one, big.size());  // compressed
    ClipStore store(files, one + 10);
    const TextRef small = store.PutText(u"短文"), inMemory = store.PutText(big);
    TextRef inFile = store.PutText(big.substr(1));
    const std::vector<uint8_t> dib = Dib(8, 8, 32);
    PictureRef picture = store.Put(dib.data(), dib.size());  // the same budget: full
    EXPECT_EQ(store.Use().inMemory, 1u);
    EXPECT_EQ(files.files.size(), 2u);
    EXPECT_EQ(ReadWholeText(small), u"短文");
    EXPECT_EQ(ReadWholeText(inMemory), big);
    EXPECT_EQ(ReadWholeText(inFile), big.substr(1));
    EXPECT_EQ(DibOf(picture), dib);
    std::vector<size_t> pieces;
    EXPECT_TRUE(ReadTextPieces(inFile, [&](std::u16string_view piece) {
        pieces.push_back(piece.size());
        return pieces.size() < 2;  // stops after the second
    }));
    EXPECT_EQ(pieces, (std::vector<size_t>{kTextPieceChars, kTextPieceChars}));
    std::u16string other = big;
    other.back() ^= 1;
    EXPECT_TRUE(inMemory->Equals(big) && !inMemory->Equals(other) && !inMemory->Equals(big.substr(1)));
    inFile.reset();  // a deleted entry's file goes at once
    picture.reset();
    EXPECT_TRUE(files.files.empty());
    EXPECT_EQ(store.Use().fileBytes, 0u);
    ASSERT_TRUE(measured);
    // Files leave 1 GB of the disk free, or a tenth of a disk of less than 10 GB.
    EXPECT_TRUE(LeavesDiskFloor(3ull << 30, 100ull << 30, 2ull << 30));
    EXPECT_FALSE(LeavesDiskFloor(3ull << 30, 100ull << 30, (2ull << 30) + 1));
    EXPECT_TRUE(LeavesDiskFloor(2 << 20, 10 << 20, 1 << 20) && !LeavesDiskFloor(2 << 20, 10 << 20, (1 << 20) + 1));
}

}  // namespace
}  // namespace korvimo
