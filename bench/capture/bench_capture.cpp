// 10,000 captures of distinct 1 KB texts into one history. The capture must
// compare only with the newest slot, so the last thousand cost what the first
// thousand did; the ratio of the two is printed.
#include <chrono>
#include <cstdio>
#include <string>

#include "app/capture.h"

using namespace korvimo;

namespace {

struct NullView : CaptureView, CaptureClock {
    size_t nodes = 0;
    void SetTrayPicture(int) override {}
    void AddClipNode(const std::string&, const std::string&, const std::u16string&, int) override { ++nodes; }
    void TellDropped(DropReason) override {}
    std::u16string TimeLabel() override { return u"12:00:00"; }
};

// 1 KB texts are kept as they are: no file is ever asked for.
struct NoFiles : ClipFiles {
    bool Append(uint64_t, const uint8_t*, size_t) override { return false; }
    bool Read(uint64_t, uint64_t, uint8_t*, size_t) override { return false; }
    void Remove(uint64_t) override {}
};

struct CountingClipboard : ClipboardSource {
    std::u16string base = std::u16string(1024, u'x');
    int serial = 0;
    bool Read(ClipboardSnapshot& out, const ContentWanted&) override {
        // Each text differs from the one before it in its leading digits.
        std::string digits = std::to_string(serial++);
        out.hasText = true;
        out.text.assign(base);
        for (size_t i = 0; i < digits.size(); ++i) out.text[i] = static_cast<char16_t>(digits[i]);
        return true;
    }
};

}  // namespace

int main() {
    constexpr int kCaptures = 10000, kBlock = 1000;
    NoFiles files;
    ClipStore store(files);
    ClipHistory history;
    history.Store = &store;
    CountingClipboard clipboard;
    NullView view;
    double firstBlock = 0, lastBlock = 0;
    for (int block = 0; block < kCaptures / kBlock; ++block) {
        auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kBlock; ++i) CaptureClipboard(history, clipboard, view, view);
        double micros = std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count();
        if (block == 0) firstBlock = micros;
        lastBlock = micros;
    }
    std::printf("captures recorded: %d (nodes %zu)\n", history.TextCount, view.nodes);
    std::printf("per capture, first %d: %.3f us\n", kBlock, firstBlock / kBlock);
    std::printf("per capture, last %d:  %.3f us\n", kBlock, lastBlock / kBlock);
    std::printf("ratio last/first: %.2f (flat is 1.0)\n", lastBlock / firstBlock);
    return history.TextCount == kCaptures ? 0 : 1;
}
