// The picture store under a long run: 10,000 full-HD pictures, half
// screenshot-like and half photo-like, put one after another with the
// default memory budget. Prints the time a picture takes against a plain
// copy of its bytes (what keeping it uncompressed would cost at least), the
// first and last thousand side by side, the compressed bytes a picture by
// kind, and what stays in memory. The spilled files are counted, not
// written: 10,000 pictures would fill tens of gigabytes of disk.
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "store/clip_store.h"
#include "pictures/picture_mix.h"

using namespace korvimo;
using Clock = std::chrono::steady_clock;

namespace {

struct CountingFiles : ClipFiles {
    uint64_t written = 0;
    bool Append(uint64_t, const uint8_t*, size_t size) override {
        written += size;
        return true;
    }
    bool Read(uint64_t, uint64_t, uint8_t*, size_t) override { return false; }
    void Remove(uint64_t) override {}
};

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    const int width = 1920, height = 1080, distinct = 8;
    // Making the pixels is not what we measure: a few of each kind, reused.
    std::vector<std::vector<uint8_t>> pool;
    for (int i = 0; i < distinct; ++i) pool.push_back(bench::MixDib(bench::KindOf(i), i, width, height));

    CountingFiles files;
    ClipStore store(files);
    std::vector<PictureRef> history;
    history.reserve(count);
    std::vector<uint8_t> copy(pool[0].size());
    const int window = count >= 2000 ? 1000 : count / 2;
    double putFirst = 0, putLast = 0, copyFirst = 0, copyLast = 0;
    uint64_t kindBytes[2] = {0, 0}, kindCount[2] = {0, 0};
    int failed = 0;
    for (int i = 0; i < count; ++i) {
        const std::vector<uint8_t>& dib = pool[i % distinct];
        Clock::time_point t0 = Clock::now();
        std::memcpy(copy.data(), dib.data(), dib.size());
        Clock::time_point t1 = Clock::now();
        StoreUse before = store.Use();
        PictureRef picture = store.Put(dib.data(), dib.size());
        Clock::time_point t2 = Clock::now();
        if (!picture) {
            ++failed;
            continue;
        }
        StoreUse after = store.Use();
        int kind = bench::KindOf(i % distinct) == bench::PictureKind::Photo;
        kindBytes[kind] += after.memoryBytes + after.fileBytes - before.memoryBytes - before.fileBytes;
        ++kindCount[kind];
        history.push_back(std::move(picture));
        if (i < window) putFirst += Ms(t2 - t1), copyFirst += Ms(t1 - t0);
        if (i >= count - window) putLast += Ms(t2 - t1), copyLast += Ms(t1 - t0);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    StoreUse use = store.Use();
    const double raw = static_cast<double>(pool[0].size());
    std::printf("pictures=%d stored=%zu failed=%d (%dx%d, 32 bits, %.1f MB each)\n", count, history.size(), failed,
                width, height, raw / 1e6);
    std::printf("put ms first %d=%.1f last %d=%.1f ratio=%.2f; against a plain copy: %.1fx\n", window,
                putFirst / window, window, putLast / window, putLast / putFirst, putFirst / copyFirst);
    for (int kind = 0; kind < 2; ++kind)
        std::printf("%s: %.2f MB a picture compressed (%.1f%% of its bytes)\n", kind ? "photo-like" : "screenshot-like",
                    kindBytes[kind] / 1e6 / kindCount[kind], 100.0 * kindBytes[kind] / kindCount[kind] / raw);
    std::printf("in memory: %zu pictures, %.0f MB; to files: %zu pictures, %.0f MB; peak RSS %.0f MB "
                "(the pool of %d source pictures %.0f MB of it)\n",
                use.inMemory, use.memoryBytes / 1e6, use.inFiles, use.fileBytes / 1e6, usage.ru_maxrss / 1024.0,
                distinct, distinct * raw / 1e6);
    return failed == 0 ? 0 : 1;
}
