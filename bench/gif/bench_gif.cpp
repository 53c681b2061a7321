// Pixels per second of our GIF encoder, the string-keyed original it must
// match byte for byte, and giflib's encoder (whose LZW output differs: only
// its speed is compared). Ours and giflib take turns on the same pixels, so
// that both see the same load on a shared machine; the ratio is that of the
// best times, with the range of the ratios of single turns beside it. Both
// write into memory. Exit status 1 when our output differs or giflib fails.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "gif/gif_encoder.h"
#include "gif_string_reference.h"

#if KORVIMO_HAVE_GIFLIB
#include <gif_lib.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

struct Picture {
    std::string name;
    int32_t width;
    int32_t height;
    std::vector<uint8_t> pixels;  // row 0 = top
};

korvimo::GifColourTable CubeColours() {
    static const uint8_t levels[5] = {0, 64, 128, 192, 255};
    korvimo::GifColourTable c{};
    for (int i = 0; i < 125; ++i) {
        c[i * 3] = levels[i % 5];
        c[i * 3 + 1] = levels[(i / 5) % 5];
        c[i * 3 + 2] = levels[i / 25];
    }
    return c;
}

// Desktop-like: flat backgrounds, windows with title bars and borders, and
// lines of small glyphs with sharp edges in a few colours.
Picture Screenshot(int32_t w, int32_t h) {
    Picture p{"screenshot 1920x1080", w, h, std::vector<uint8_t>(size_t(w) * h, 62)};
    std::mt19937 rng(1);
    auto fill = [&](int x0, int y0, int x1, int y1, uint8_t c) {
        for (int y = std::max(0, y0); y < std::min(h, y1); ++y)
            std::fill(&p.pixels[size_t(y) * w + std::max(0, x0)], &p.pixels[size_t(y) * w + std::min(w, x1)], c);
    };
    fill(0, h - 40, w, h, 31);  // taskbar
    for (int win = 0; win < 6; ++win) {
        int x0 = rng() % (w - 400), y0 = rng() % (h - 300);
        int x1 = x0 + 300 + rng() % 700, y1 = y0 + 200 + rng() % 500;
        fill(x0, y0, x1, y1, 124);              // white client
        fill(x0, y0, x1, y0 + 24, 26 + win);    // title bar
        fill(x0, y0, x0 + 1, y1, 0);            // border
        fill(x1 - 1, y0, x1, y1, 0);
        fill(x0, y1 - 1, x1, y1, 0);
        for (int ty = y0 + 34; ty + 12 < y1; ty += 16) {  // text lines
            int tx = x0 + 8;
            while (tx + 8 < x1 - 8) {
                int wordLen = 2 + rng() % 8;
                for (int g = 0; g < wordLen && tx + 7 < x1 - 8; ++g, tx += 7) {
                    uint32_t glyph = rng();
                    for (int gy = 0; gy < 11; ++gy)
                        for (int gx = 0; gx < 6; ++gx)
                            if ((glyph >> ((gy * 6 + gx) % 32)) & (gy % 3 == 0 ? 1 : 2) && ty + gy < h)
                                p.pixels[size_t(ty + gy) * w + tx + gx] = (gx + gy) % 5 ? 0 : 31;
                }
                tx += 5;
            }
        }
    }
    return p;
}

// Photo-like: smooth colour gradients with sensor noise, reduced to the cube.
Picture NoisyGradient(int32_t w, int32_t h) {
    Picture p{"photo 4000x3000", w, h, std::vector<uint8_t>(size_t(w) * h)};
    std::mt19937 rng(2);
    std::normal_distribution<float> noise(0.0f, 18.0f);
    auto level = [](float v) {
        int l = int((std::clamp(v, 0.0f, 255.0f) + 32.0f) / 64.0f);
        return std::min(l, 4);
    };
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            float r = 255.0f * x / w + noise(rng), g = 255.0f * y / h + noise(rng);
            float b = 128.0f + 100.0f * std::sin(x * 0.003f + y * 0.002f) + noise(rng);
            p.pixels[size_t(y) * w + x] = uint8_t(level(r) + 5 * level(g) + 25 * level(b));
        }
    return p;
}

Picture Crop(const Picture& p, int32_t rows) {
    Picture c{p.name + " (first " + std::to_string(rows) + " rows)", p.width, rows, {}};
    c.pixels.assign(p.pixels.begin(), p.pixels.begin() + size_t(p.width) * rows);
    return c;
}

double Seconds(const std::function<void()>& f) {
    auto t0 = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - t0).count();
}

double BestSeconds(int runs, const std::function<void()>& f) {
    double best = 1e30;
    for (int i = 0; i < runs; ++i) best = std::min(best, Seconds(f));
    return best;
}

std::vector<uint8_t> EncodeOurs(const Picture& p) {
    korvimo::GifPicture g;
    g.width = p.width;
    g.height = p.height;
    g.pixels = p.pixels.data();
    g.stride = size_t(p.width);
    g.colours = CubeColours();
    korvimo::VectorSink sink;
    sink.bytes.reserve(p.pixels.size() * 2 + 1024);
    korvimo::EncodeGif(g, sink);
    return std::move(sink.bytes);
}

std::vector<uint8_t> EncodeReference(const Picture& p) {
    korvimo_reference::StringKeyedGif reference;
    return reference.Encode(p.width, p.height, p.pixels, CubeColours(), false, 0);
}

#if KORVIMO_HAVE_GIFLIB
int WriteToVector(GifFileType* gif, const GifByteType* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + size);
    return size;
}

// The size of giflib's file, 0 when any step failed or the file is cut short.
size_t EncodeGiflib(const Picture& p) {
    std::vector<uint8_t> out;
    out.reserve(p.pixels.size() + 1024);
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteToVector, &error);
    if (gif == nullptr) return 0;
    auto colours = CubeColours();
    GifColorType entries[256];
    for (int i = 0; i < 256; ++i) entries[i] = {colours[i * 3], colours[i * 3 + 1], colours[i * 3 + 2]};
    ColorMapObject* map = GifMakeMapObject(256, entries);
    bool ok = EGifPutScreenDesc(gif, p.width, p.height, 8, 0, map) == GIF_OK &&
              EGifPutImageDesc(gif, 0, 0, p.width, p.height, false, nullptr) == GIF_OK;
    for (int32_t y = 0; ok && y < p.height; ++y)
        ok = EGifPutLine(gif, const_cast<GifPixelType*>(&p.pixels[size_t(y) * p.width]),
                         p.width) == GIF_OK;
    ok = EGifCloseFile(gif, &error) == GIF_OK && ok;
    GifFreeMapObject(map);
    return ok && out.size() > 13 + 768 && out.back() == 0x3B ? out.size() : 0;
}
#endif

double Mpix(const Picture& p, double seconds) { return p.pixels.size() / seconds / 1e6; }

}  // namespace

int main() {
    constexpr int kTurns = 9;
    bool ok = true;
    std::vector<Picture> pictures;
    pictures.push_back(Screenshot(1920, 1080));
    pictures.push_back(NoisyGradient(4000, 3000));
    // The original is slow: it runs on the first rows of each picture only
    // (whole rows, so its per-row work is the same) and is compared per pixel.
    const int32_t referenceRows[] = {1080, 300};

    std::printf("%-24s %12s %12s %12s %10s %10s  %s\n", "picture", "ours Mpx/s", "orig Mpx/s",
                "giflib Mpx/s", "vs orig", "vs giflib", "(single turns)");
    for (size_t i = 0; i < pictures.size(); ++i) {
        const Picture& full = pictures[i];
        Picture crop = Crop(full, referenceRows[i]);

        std::vector<uint8_t> ours;
        double oursSeconds = 1e30, giflibSeconds = 1e30;
        std::vector<double> turnRatios;
        size_t giflibBytes = 0;
        for (int turn = 0; turn < kTurns; ++turn) {
            const double oursTurn = Seconds([&] { ours = EncodeOurs(full); });
            oursSeconds = std::min(oursSeconds, oursTurn);
#if KORVIMO_HAVE_GIFLIB
            const double giflibTurn = Seconds([&] { giflibBytes = EncodeGiflib(full); });
            giflibSeconds = std::min(giflibSeconds, giflibTurn);
            turnRatios.push_back(giflibTurn / oursTurn);
#endif
        }
        std::vector<uint8_t> reference;
        double referenceSeconds = BestSeconds(3, [&] { reference = EncodeReference(crop); });
        std::vector<uint8_t> oursCrop = EncodeOurs(crop);
        bool same = oursCrop == reference;
        ok = ok && same;

        double oursRate = Mpix(full, oursSeconds);
        double referenceRate = Mpix(crop, referenceSeconds);
        std::printf("%-24s %12.1f %12.2f", full.name.c_str(), oursRate, referenceRate);
#if KORVIMO_HAVE_GIFLIB
        std::sort(turnRatios.begin(), turnRatios.end());
        std::printf(" %12.1f %9.0fx %9.2fx  (median %.2f, %.2f..%.2f)\n", Mpix(full, giflibSeconds),
                    oursRate / referenceRate, giflibSeconds / oursSeconds,
                    turnRatios[turnRatios.size() / 2], turnRatios.front(), turnRatios.back());
#else
        std::printf(" %12s %9.0fx\n", "-", oursRate / referenceRate);
#endif
        std::printf("  ours %zu bytes; original on %d rows %s (%zu bytes)", ours.size(),
                    referenceRows[i], same ? "byte-identical" : "DIFFERS", reference.size());
#if KORVIMO_HAVE_GIFLIB
        if (giflibBytes == 0) ok = false;
        if (giflibBytes > 0) std::printf("; giflib %zu bytes", giflibBytes);
        else std::printf("; giflib FAILED");
#endif
        std::printf("\n");
#if KORVIMO_HAVE_GIFLIB
        std::printf("ratio %s ours / giflib: %.2fx (single turns: median %.2f, %.2f..%.2f)%s\n",
                    full.name.c_str(), giflibSeconds / oursSeconds, turnRatios[turnRatios.size() / 2],
                    turnRatios.front(), turnRatios.back(), same ? "" : ", output DIFFERS");
#endif
    }
    return ok ? 0 : 1;
}
