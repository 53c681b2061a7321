// kvbench: the benchmarks' second process against a running Korvimo. It sets
// the clipboard as fast as Korvimo records it and reports times and memory,
// and runs the soak's changes and acts. Results go to stdout as one line of
// name=value figures; a failure prints a reason on stderr and exits 1.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/ids.h"
#include "app/privacy.h"
#include "pictures/picture_mix.h"

using namespace korvimo;

namespace {

std::string ToUtf8(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), nullptr, 0, nullptr, nullptr);
    std::string bytes(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), bytes.data(), n, nullptr, nullptr);
    return bytes;
}

void Out(const std::wstring& text) {
    std::string bytes = ToUtf8(text);
    DWORD written;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), (DWORD)bytes.size(), &written, nullptr);
}

int Fail(const std::wstring& why) {
    fwprintf(stderr, L"kvbench: %ls\n", why.c_str());
    return 1;
}

HWND MainWindow() { return FindWindowW(kMainWindowClass, nullptr); }

HWND Control(int id) {
    HWND direct = GetDlgItem(MainWindow(), id);
    return direct ? direct : GetDlgItem(GetDlgItem(MainWindow(), IDC_PIC), id);
}

std::wstring WindowText(HWND window) {
    LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(length + 1, L'\0');
    text.resize(SendMessageW(window, WM_GETTEXT, length + 1, (LPARAM)text.data()));
    return text;
}

HGLOBAL GlobalCopy(const void* data, size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory) return nullptr;
    memcpy(GlobalLock(memory), data, size);
    GlobalUnlock(memory);
    return memory;
}

HGLOBAL GlobalText(const std::wstring& text) {
    return GlobalCopy(text.c_str(), (text.size() + 1) * sizeof(wchar_t));
}

// Sets the clipboard to the given formats; false when it stayed busy for a second.
bool SetClipboard(std::vector<std::pair<UINT, HANDLE>> formats) {
    for (int i = 0; i < 100 && !OpenClipboard(nullptr); ++i) Sleep(10);
    if (GetOpenClipboardWindow() || !EmptyClipboard()) return false;
    for (auto [format, data] : formats) SetClipboardData(format, data);
    return CloseClipboard();
}

// A picture of the mix as a device-dependent bitmap (CF_BITMAP).
HBITMAP MixBitmap(bench::PictureKind kind, int seed, int width, int height) {
    std::vector<uint8_t> dib = bench::MixDib(kind, seed, width, height);
    const auto* info = reinterpret_cast<const BITMAPINFO*>(dib.data());
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, dib.data() + sizeof(BITMAPINFOHEADER), info,
                                    DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

// Waits up to `ms` for the tree to hold at least `nodes` nodes.
bool WaitForNodes(HWND tree, LRESULT nodes, DWORD ms = 20000) {
    for (DWORD started = GetTickCount(); SendMessageW(tree, TVM_GETCOUNT, 0, 0) < nodes; Sleep(0))
        if (GetTickCount() - started > ms) return false;
    return true;
}

// A log-like text of `length` characters, another one for each seed: lines
// of a time, a level, a component and a message with numbers, as programs
// write them (it compresses as such logs do, to about a tenth).
std::wstring LogText(int seed, size_t length) {
    static const wchar_t* const levels[] = {L"INFO", L"DEBUG", L"WARN", L"ERROR"};
    static const wchar_t* const parts[] = {L"net.http", L"db.pool", L"cache", L"auth", L"scheduler", L"io.disk"};
    static const wchar_t* const words[] = {L"request served in", L"connection opened to", L"retrying after",
                                           L"entry evicted, size", L"user logged in from", L"job finished with"};
    bench::MixRandom random(static_cast<uint32_t>(seed) * 7919u + 1);
    std::wstring text;
    text.reserve(length + 160);
    wchar_t line[160];
    for (unsigned n = 0; text.size() < length; ++n) {
        const uint32_t r = random.Next();
        const int size = swprintf(line, 160, L"2026-12-09 %02u:%02u:%02u.%03u [%ls] %ls: %ls %u (#%d.%u)\r\n",
                                  n / 3600000 % 24, n / 60000 % 60, n / 1000 % 60, n % 1000, levels[r % 4],
                                  parts[(r >> 2) % 6], words[(r >> 5) % 6], (r >> 8) % 10000, seed, n);
        text.append(line, size);
    }
    text.resize(length);
    return text;
}

// Times of a run of clipboard changes: the mean over the first and over the
// last hundred (or halves of a shorter run), which a flat run keeps equal.
struct RunTimes {
    explicit RunTimes(int count) : count(count), window(count < 200 ? std::max(1, count / 2) : 100) {
        QueryPerformanceFrequency(&frequency);
    }
    void Start() { QueryPerformanceCounter(&start); }
    void Stop(int i) {
        LARGE_INTEGER end;
        QueryPerformanceCounter(&end);
        double ms = (end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
        if (i < window) first += ms;
        if (i >= count - window) last += ms;
    }
    std::wstring Figures() const {
        wchar_t line[96];
        swprintf(line, 96, L"first_ms=%.3f last_ms=%.3f ratio=%.2f", first / window, last / window, last / first);
        return line;
    }

    int count, window;
    double first = 0, last = 0;
    LARGE_INTEGER frequency{}, start{};
};

// Korvimo's memory figures.
std::wstring Memory() {
    DWORD pid = 0;
    GetWindowThreadProcessId(MainWindow(), &pid);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    HANDLE process = pid ? OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid) : nullptr;
    if (process) K32GetProcessMemoryInfo(process, (PROCESS_MEMORY_COUNTERS*)&memory, sizeof(memory));
    if (process) CloseHandle(process);
    return L"working_set_kb=" + std::to_wstring(memory.WorkingSetSize / 1024) + L" peak_working_set_kb=" +
           std::to_wstring(memory.PeakWorkingSetSize / 1024) + L" private_kb=" +
           std::to_wstring(memory.PrivateUsage / 1024) + L"\n";
}

// flood COUNT CHARACTERS: distinct texts, each once the one before is recorded.
// logs COUNT CHARACTERS: distinct log-like texts (see LogText), the same way.
// pictures COUNT WIDTH HEIGHT 32|bitmap: pictures of the benchmark mix (even:
// screenshot-like, odd: photo-like) as 32-bit DIBs or as device-dependent bitmaps.
int Run(const std::wstring& what, int count, int width, int height, bool bitmap) {
    HWND tree = Control(IDC_TREEVIEW);
    if (!tree) return Fail(L"no tree");
    RunTimes times(count);
    std::wstring text(width, L'x');
    int recorded = 0;
    for (int i = 0; i < count; ++i) {
        std::pair<UINT, HANDLE> change;
        if (what == L"flood") {
            std::wstring serial = std::to_wstring(i);
            std::copy(serial.begin(), serial.end(), text.begin());
            change = {CF_UNICODETEXT, GlobalText(text)};
        } else if (what == L"logs") {
            change = {CF_UNICODETEXT, GlobalText(LogText(i, width))};
        } else if (bitmap) {
            change = {CF_BITMAP, MixBitmap(bench::KindOf(i), i, width, height)};
        } else {
            std::vector<uint8_t> dib = bench::MixDib(bench::KindOf(i), i, width, height);
            change = {CF_DIB, GlobalCopy(dib.data(), dib.size())};
        }
        if (!change.second) return Fail(L"no memory for change " + std::to_wstring(i));
        LRESULT before = SendMessageW(tree, TVM_GETCOUNT, 0, 0);
        times.Start();
        if (!SetClipboard({change})) return Fail(L"clipboard busy");
        recorded += WaitForNodes(tree, before + 1, what == L"logs" ? 60000 : 20000);
        times.Stop(i);
    }
    Out(L"set=" + std::to_wstring(count) + L" recorded=" + std::to_wstring(recorded) + L" " + times.Figures() +
        L" " + Memory());
    return 0;
}

// The entry nodes under a root of the tree (0: texts, 1: pictures), in order.
std::vector<HTREEITEM> Entries(HWND tree, int root) {
    auto next = [&](WPARAM how, HTREEITEM item) {
        return (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, how, (LPARAM)item);
    };
    HTREEITEM parent = next(TVGN_CHILD, next(TVGN_ROOT, nullptr));
    if (root == 1) parent = next(TVGN_NEXT, parent);
    std::vector<HTREEITEM> items;
    for (HTREEITEM item = next(TVGN_CHILD, parent); item; item = next(TVGN_NEXT, item)) items.push_back(item);
    return items;
}

// Selects a node and reads the viewer until `done` says it shows what it
// should or `ms` have passed.
template <typename Done>
std::wstring SelectAndRead(HWND tree, HWND text1, HTREEITEM item, DWORD ms, Done done) {
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)item);
    DWORD_PTR result;
    SendMessageTimeoutW(MainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
    std::wstring shown = WindowText(text1);
    for (DWORD started = GetTickCount(); !done(shown) && GetTickCount() - started < ms; Sleep(1))
        shown = WindowText(text1);
    return shown;
}

bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr) && written == bytes.size();
    CloseHandle(file);
    return ok;
}

using SoakRandom = bench::MixRandom;

// The viewer shows a longer text than this only in part, read-only, after a
// line of note that says so.
constexpr size_t kShownWhole = 131072;

bool ShowsAs(const std::wstring& shown, const std::wstring& text) {
    if (text.size() <= kShownWhole) return shown == text;
    const size_t noteEnd = shown.find(L"\r\n");
    return shown.rfind(L"［此条目共", 0) == 0 && noteEnd != std::wstring::npos &&
           shown.compare(noteEnd + 2, std::wstring::npos, text, 0, kShownWhole) == 0;
}

std::wstring SoakText(SoakRandom& random, size_t length) {
    static const wchar_t kLetters[] = L"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 .,;:!?\t"
                                      L"中文剪贴板历史记录的测试繁體字測試€©";
    const size_t letters = sizeof(kLetters) / sizeof(kLetters[0]) - 1;
    std::wstring text;
    text.reserve(length);
    while (text.size() < length) {
        uint32_t r = random.Next();
        if (r % 41 == 0 && text.size() + 2 <= length)
            text += L"\r\n";
        else
            text += kLetters[(r >> 11) % letters];
    }
    return text;
}

// Mostly short texts, some of a few kilobytes, now and then up to 1 MB; the
// second change is a single character and the sixth a whole megabyte.
size_t SoakLength(SoakRandom& random, int index) {
    if (index == 1) return 1;
    if (index == 5) return 1u << 20;
    uint64_t r = random.Below(1000);
    if (r < 700) return 1 + random.Below(256);
    if (r < 990) return 257 + random.Below(16 * 1024);
    return 16 * 1024 + random.Below((1u << 20) - 16 * 1024 + 1);
}

// What the soak expects Korvimo's history to hold, kept the way Korvimo
// keeps it: a deleted text entry leaves an empty slot, an edit rewrites its
// slot, and a new text is an entry only if it differs from the newest slot.
// The live slots are the tree's entries, in the tree's order.
struct SoakModel {
    std::vector<std::wstring> textSlots;
    std::vector<int> liveTexts, livePictures;
    int pictureSlots = 0;
    LRESULT nodes = 0;  // tree nodes once every change so far is captured

    bool TextIsNew(const std::wstring& text) const {
        return !text.empty() && (textSlots.empty() || textSlots.back() != text);
    }
};

// Between changes the soak acts as a user would: selects an entry and checks
// what the viewer shows, edits a text, deletes an entry. Each act is written
// as a line "CHANGE edit KEY BYTES" or "CHANGE delete KEY 0" (CHANGE the index
// of the change it followed), BYTES bytes of UTF-8 text (as edited) and a newline.
struct SoakUser {
    HWND tree, text1;
    // Acts come at the quarters of each block of changes, a thousand in a
    // long run and the whole run in a short one, so that a short soak edits
    // and deletes too: a select at each quarter, then an edit at the first,
    // a picture deleted at the second, a text deleted at the third.
    int quarter;
    std::string acts;
    int selected = 0, edited = 0, deleted = 0;

    void Delete(SoakModel& model, std::vector<int>& live, size_t at, const char* kind, int change) {
        SendMessageW(MainWindow(), WM_COMMAND, MAKEWPARAM(IDM_DELETE, 0), 0);
        acts += std::to_string(change) + " delete " + kind + std::to_string(live[at]) + " 0\n\n";
        live.erase(live.begin() + at);
        --model.nodes;
        ++deleted;
    }

    int Act(SoakModel& model, SoakRandom& random, int change) {
        std::vector<HTREEITEM> texts = Entries(tree, 0), pictures = Entries(tree, 1);
        if (texts.size() != model.liveTexts.size() || pictures.size() != model.livePictures.size())
            return Fail(L"entries lost or doubled by change " + std::to_wstring(change));
        if (!texts.empty()) {
            size_t at = random.Below(texts.size());
            int slot = model.liveTexts[at];
            const std::wstring& expected = model.textSlots[slot];
            auto done = [&](const std::wstring& shown) { return ShowsAs(shown, expected); };
            std::wstring shown = SelectAndRead(tree, text1, texts[at], 2000, done);
            if (!ShowsAs(shown, model.textSlots[slot]))
                return Fail(L"the viewer shows another text for Txt" + std::to_wstring(slot) + L" at change " +
                            std::to_wstring(change) + L" (" + std::to_wstring(shown.size()) + L" characters for " +
                            std::to_wstring(model.textSlots[slot].size()) + L")");
            ++selected;
            if (change % (4 * quarter) == quarter && expected.size() <= kShownWhole) {
                std::wstring mark = L" ✎" + std::to_wstring(change);
                // Measured from the text: Wine answers GetWindowTextLength for
                // another process's edit box with 0.
                WPARAM end = (WPARAM)shown.size();
                SendMessageW(text1, EM_SETSEL, end, (LPARAM)end);
                SendMessageW(text1, EM_REPLACESEL, TRUE, (LPARAM)mark.c_str());
                model.textSlots[slot] += mark;
                std::string bytes = ToUtf8(model.textSlots[slot]);
                acts += std::to_string(change) + " edit Txt" + std::to_string(slot) + " " +
                        std::to_string(bytes.size()) + "\n" + bytes + "\n";
                ++edited;
            } else if (change % (4 * quarter) == 3 * quarter) {
                model.textSlots[slot].clear();
                Delete(model, model.liveTexts, at, "Txt", change);
            }
        }
        if (change % (4 * quarter) == 2 * quarter && !pictures.empty()) {
            size_t at = random.Below(pictures.size());
            SelectAndRead(tree, text1, pictures[at], 0, [](auto&) { return true; });
            Delete(model, model.livePictures, at, "Pic", change);
        }
        return 0;
    }
};

// soak SEED COUNT OUTFILE: makes COUNT clipboard changes, each once Korvimo
// has captured the one before, and acts on the entries between changes (see
// SoakUser; acts go to OUTFILE.acts). Writes every change, in order, to
// OUTFILE: a line "INDEX KIND BYTES WIDTHxHEIGHT" (KIND T text, E empty,
// P picture, B text and picture) followed by BYTES bytes of UTF-8 text and a
// newline. A change that adds nothing (an empty clipboard, the same text
// again) gives nothing to wait for; if Korvimo reads it late it sees the
// next change instead, which the model allows for.
int Soak(uint32_t seed, int count, const std::wstring& outFile) {
    HWND tree = Control(IDC_TREEVIEW), text1 = Control(IDC_TEXT1);
    if (!tree || !text1) return Fail(L"no window");
    SoakRandom random(seed), userRandom(seed + 1);
    SoakModel model;
    model.nodes = SendMessageW(tree, TVM_GETCOUNT, 0, 0);
    SoakUser user{tree, text1, std::max(2, std::min(count, 1000) / 4)};
    std::string changes;
    std::wstring lastText;
    int texts = 0, duplicates = 0, empties = 0, pictures = 0;
    DWORD slowest = 0;
    for (int i = 0; i < count; ++i) {
        uint64_t r = random.Below(100);
        char kind = 'T';
        int width = 0, height = 0;
        std::wstring text;
        if (i % 2500 == 50) {
            kind = 'P', width = 4000, height = 3000;
        } else if (i > 0 && r < 8 && !lastText.empty()) {
            text = lastText;  // the same text again
            ++duplicates;
        } else if (i > 0 && r < 12) {
            kind = 'E';
        } else if (i > 0 && r < 16) {
            kind = 'P', width = 1 + (int)random.Below(400), height = 1 + (int)random.Below(300);
        } else {
            text = SoakText(random, SoakLength(random, i));
            if (i > 0 && r < 18) kind = 'B', width = 1 + (int)random.Below(64), height = 1 + (int)random.Below(64);
        }
        std::vector<std::pair<UINT, HANDLE>> formats;
        if (!text.empty()) formats.push_back({CF_UNICODETEXT, GlobalText(text)});
        // Photo-like: the screenshot-like ones need room for their windows,
        // and the soak's pictures go down to a single pixel.
        if (width) formats.push_back({CF_BITMAP, MixBitmap(bench::PictureKind::Photo, i, width, height)});
        if (!SetClipboard(formats)) return Fail(L"clipboard busy at change " + std::to_wstring(i));
        if (model.TextIsNew(text)) {
            model.liveTexts.push_back((int)model.textSlots.size());
            model.textSlots.push_back(text), ++model.nodes;
        }
        if (width) model.livePictures.push_back(model.pictureSlots++), ++model.nodes;
        DWORD started = GetTickCount();
        if (!WaitForNodes(tree, model.nodes))
            return Fail(L"change " + std::to_wstring(i) + L" not captured within 20 s");
        slowest = std::max(slowest, GetTickCount() - started);
        if (!text.empty()) lastText = text, ++texts;
        empties += kind == 'E';
        pictures += width > 0;
        std::string bytes = ToUtf8(text);
        char head[96];
        snprintf(head, sizeof(head), "%d %c %zu %dx%d\n", i, kind, bytes.size(), width, height);
        changes += head + bytes + "\n";
        if (i % user.quarter == user.quarter - 1 || i % user.quarter == 0)
            if (int failed = user.Act(model, userRandom, i)) return failed;
    }
    if (!WriteBytes(outFile, changes) || !WriteBytes(outFile + L".acts", user.acts))
        return Fail(L"cannot write " + outFile);
    wchar_t line[320];
    swprintf(line, 320,
             L"changes=%d texts=%d duplicates=%d empties=%d pictures=%d slowest_ms=%lu selected=%d edited=%d "
             L"deleted=%d ",
             count, texts, duplicates, empties, pictures, (unsigned long)slowest, user.selected, user.edited,
             user.deleted);
    Out(line + Memory());
    return 0;
}

// texts OUTFILE: selects every text entry in turn and writes what the viewer
// shows: a line "BYTES", BYTES bytes of UTF-8 text, a newline.
int DumpTexts(const std::wstring& outFile) {
    HWND tree = Control(IDC_TREEVIEW), text1 = Control(IDC_TEXT1);
    if (!tree || !text1) return Fail(L"no window");
    std::string all;
    std::wstring previous = WindowText(text1);
    for (HTREEITEM item : Entries(tree, 0)) {
        // An entry may hold the same text as the one shown before: then wait
        // long enough for the posted display to have run.
        previous = SelectAndRead(tree, text1, item, 60, [&](auto& s) { return s != previous; });
        std::string bytes = ToUtf8(previous);
        all += std::to_string(bytes.size()) + "\n" + bytes + "\n";
    }
    return WriteBytes(outFile, all) ? 0 : Fail(L"cannot write " + outFile);
}

// huge CHARACTERS OUTFILE: one log-like text of that many characters; writes
// it to OUTFILE as the bytes a save of it must write (it is ASCII) and
// reports the seconds until it was recorded.
int Huge(size_t length, const std::wstring& outFile) {
    HWND tree = Control(IDC_TREEVIEW);
    if (!tree) return Fail(L"no tree");
    std::string bytes;
    {
        const std::wstring text = LogText(-1, length);
        bytes.assign(text.begin(), text.end());
        HGLOBAL data = GlobalText(text);
        if (!data) return Fail(L"no memory for the text");
        const LRESULT before = SendMessageW(tree, TVM_GETCOUNT, 0, 0);
        const double started = GetTickCount();
        if (!SetClipboard({{CF_UNICODETEXT, data}})) return Fail(L"clipboard busy");
        if (!WaitForNodes(tree, before + 1, 600000)) return Fail(L"not recorded within 10 minutes");
        wchar_t line[64];
        swprintf(line, 64, L"recorded_s=%.1f ", (GetTickCount() - started) / 1000.0);
        Out(line);
    }
    if (!WriteBytes(outFile, bytes)) return Fail(L"cannot write " + outFile);
    Out(Memory());
    return 0;
}

// How long Korvimo takes to handle a message sent to one of its windows.
double SentMs(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    DWORD_PTR result;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 60000, &result);
    QueryPerformanceCounter(&end);
    return (end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart;
}

// show: the time until the window answers again after the newest text entry
// is selected, and a keystroke's time in it (the mean of ten); then the same
// for a new entry of the longest text the box shows whole and edits, and the
// time to leave it after the keystrokes (its edit is stored then).
int Show() {
    HWND tree = Control(IDC_TREEVIEW), text1 = Control(IDC_TEXT1);
    if (!tree || !text1) return Fail(L"no window");
    std::wstring line;
    auto measure = [&](const wchar_t* name) {
        std::vector<HTREEITEM> texts = Entries(tree, 0);
        if (texts.empty()) return false;
        const double show = SentMs(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)texts.back());
        const int shown = (int)SendMessageW(text1, WM_GETTEXTLENGTH, 0, 0);
        double keys = 0;
        for (int i = 0; i < 10; ++i) keys += SentMs(text1, WM_CHAR, L'k', 1);
        // Leaving stores the edit, then shows the first entry.
        const double leave = SentMs(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)texts.front());
        wchar_t figures[160];
        swprintf(figures, 160, L"%ls_shown=%d show_ms=%.1f key_ms=%.2f leave_ms=%.1f ", name, shown, show,
                 keys / 10, leave);
        line += figures;
        return true;
    };
    if (!measure(L"newest")) return Fail(L"no text entry");
    const LRESULT before = SendMessageW(tree, TVM_GETCOUNT, 0, 0);
    if (!SetClipboard({{CF_UNICODETEXT, GlobalText(LogText(-2, kShownWhole))}}) || !WaitForNodes(tree, before + 1))
        return Fail(L"the longest text shown whole not recorded");
    measure(L"editable");
    Out(line + L"\n");
    return 0;
}

double NowMs();

// The dialog another window of Korvimo's owns: its find box, or a message box.
HWND OwnedDialog(HWND owner) {
    for (HWND w = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); w; w = FindWindowExW(nullptr, w, L"#32770", nullptr))
        if (GetWindow(w, GW_OWNER) == owner && IsWindowVisible(w)) return w;
    return nullptr;
}

// find: a find from the find box for a word no entry holds, so that every
// entry is read: the time until it says so, and the longest wait meanwhile
// for the main window to answer a sent message (it must keep answering).
int Find() {
    HWND main = MainWindow(), box = nullptr, said = nullptr;
    if (!main) return Fail(L"no window");
    PostMessageW(main, WM_COMMAND, IDM_FIND, 0);
    for (int i = 0; i < 500 && !(box = OwnedDialog(main)); ++i) Sleep(10);
    if (!box) return Fail(L"no find box");
    SetDlgItemTextW(box, 1152, L"kvbench-no-such-word");  // the box's text field
    const double started = NowMs();
    PostMessageW(box, WM_COMMAND, IDOK, 0);  // 查找下一个
    double longest = 0;
    while (!(said = OwnedDialog(box)) && NowMs() - started < 900000) {
        longest = std::max(longest, SentMs(main, WM_NULL, 0, 0));
        Sleep(20);
    }
    const double took = NowMs() - started;
    if (!said) return Fail(L"the find said nothing");
    PostMessageW(said, WM_COMMAND, IDOK, 0);
    PostMessageW(box, WM_COMMAND, IDCANCEL, 0);
    wchar_t text[120];
    swprintf(text, 120, L"find_ms=%.0f longest_wait_ms=%.1f\n", took, longest);
    Out(text);
    return 0;
}

// The minimal clipboard viewer the busy times are measured against: it
// makes the clipboard calls Korvimo makes (the privacy marks, the text, the
// picture formats offered, the bitmap's handle and one copy of the DIB
// bytes) and does nothing else before it closes the clipboard and signals.
constexpr wchar_t kViewerClass[] = L"KvbenchViewer";
constexpr wchar_t kViewedEvent[] = L"kvbench-viewed";
HWND g_nextViewer = nullptr;

LRESULT CALLBACK ViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    static std::wstring text;
    static std::vector<uint8_t> dib;
    static HANDLE viewed = CreateEventW(nullptr, FALSE, FALSE, kViewedEvent);
    if (message == WM_DRAWCLIPBOARD) {
        if (g_nextViewer) SendMessageW(g_nextViewer, message, wParam, lParam);
        // Korvimo's own patience: tries every 2 ms for up to 100 ms.
        DWORD started = GetTickCount();
        while (!OpenClipboard(window) && GetTickCount() - started < 100) Sleep(2);
        if (GetOpenClipboardWindow() != window) return 0;
        static const UINT marks[] = {RegisterClipboardFormatW((LPCWSTR)kExcludeFromMonitorFormat),
                                     RegisterClipboardFormatW((LPCWSTR)kViewerIgnoreFormat),
                                     RegisterClipboardFormatW((LPCWSTR)kCanIncludeInHistoryFormat)};
        for (UINT mark : marks) IsClipboardFormatAvailable(mark);
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            text.assign(static_cast<const wchar_t*>(GlobalLock(data)));
            GlobalUnlock(data);
        }
        for (UINT format : {CF_BITMAP, CF_DIB, CF_DIBV5, CF_ENHMETAFILE, CF_METAFILEPICT})
            if (IsClipboardFormatAvailable(format)) break;
        if (IsClipboardFormatAvailable(CF_BITMAP) && GetClipboardData(CF_BITMAP)) {
            if (HANDLE data = GetClipboardData(CF_DIB)) {
                const auto* bytes = static_cast<const uint8_t*>(GlobalLock(data));
                dib.assign(bytes, bytes + GlobalSize(data));
                GlobalUnlock(data);
            }
        }
        CloseClipboard();
        SetEvent(viewed);
        return 0;
    }
    if (message == WM_CHANGECBCHAIN) {
        if ((HWND)wParam == g_nextViewer) g_nextViewer = (HWND)lParam;
        else if (g_nextViewer) SendMessageW(g_nextViewer, message, wParam, lParam);
        return 0;
    }
    if (message == WM_CLOSE) {
        ChangeClipboardChain(window, g_nextViewer);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// viewer: runs the minimal viewer until its window is closed.
int Viewer() {
    WNDCLASSW type{};
    type.lpfnWndProc = ViewerProc;
    type.hInstance = GetModuleHandleW(nullptr);
    type.lpszClassName = kViewerClass;
    HWND window = RegisterClassW(&type) ? CreateWindowW(kViewerClass, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr,
                                                        nullptr, type.hInstance, nullptr)
                                        : nullptr;
    if (!window) return Fail(L"no viewer window");
    g_nextViewer = SetClipboardViewer(window);
    SetWindowTextW(window, L"ready");  // in the chain: the changes may come
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) DispatchMessageW(&message);
    return 0;
}

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart * 1000.0 / frequency.QuadPart;
}

// How long the clipboard stays closed to us, trying to open it every
// millisecond, until it has been free for `quietMs`: the time from each
// failed try to the next one that works, summed.
double BusyMs(double quietMs) {
    const double start = NowMs();
    double busy = 0, failedAt = -1, freeSince = start;
    for (;;) {
        const double at = NowMs();
        const bool opened = OpenClipboard(nullptr);
        if (opened) CloseClipboard();
        if (!opened && failedAt < 0) failedAt = at;
        if (opened && failedAt >= 0) busy += at - failedAt, failedAt = -1, freeSince = at;
        if ((opened && at - freeSince > quietMs) || at - start > 10000) return busy;
        Sleep(1);
    }
}

// busy ROUNDS: the busy time (ms) a program sees after a 1 KB text and after
// full-HD and 4K pictures, photo-like and screenshot-like (32-bit DIBs),
// while Korvimo or the minimal viewer (the one running) reads them: for the
// pictures the median of ROUNDS changes, then the least time, which other
// load on the machine can only have lengthened. A text is held for less than
// one try's interval, and a try catches it with the odds of its length: for
// it the percentage of 20 times as many changes found busy at all, which,
// unlike a mean, a rare stall of the holder cannot move much. Closes the
// minimal viewer at the end.
int Busy(int rounds) {
    HWND viewer = nullptr, tree = nullptr;
    for (DWORD started = GetTickCount(); !viewer && !tree && GetTickCount() - started < 20000; Sleep(10))
        if (!(viewer = FindWindowW(kViewerClass, L"ready"))) tree = Control(IDC_TREEVIEW);
    HANDLE viewed = CreateEventW(nullptr, FALSE, FALSE, kViewedEvent);
    if (!viewer && !tree) return Fail(L"neither Korvimo nor the minimal viewer runs");
    struct Row {
        const wchar_t* name;
        int width, height, rounds;
        bench::PictureKind kind;
    } rows[] = {{L"text_1k", 0, 0, rounds * 20, bench::PictureKind::Photo},
                {L"text_16m", -1, 0, rounds, bench::PictureKind::Photo},
                {L"fhd_photo", 1920, 1080, rounds, bench::PictureKind::Photo},
                {L"fhd_screen", 1920, 1080, rounds, bench::PictureKind::Screenshot},
                {L"uhd_photo", 3840, 2160, rounds, bench::PictureKind::Photo},
                {L"uhd_screen", 3840, 2160, rounds, bench::PictureKind::Screenshot}};
    std::wstring line;
    int change = 0;
    for (const Row& row : rows) {
        std::vector<double> times;
        for (int i = 0; i < row.rounds; ++i, ++change) {
            std::pair<UINT, HANDLE> data;
            if (row.width == 0) {
                std::wstring text = std::to_wstring(change) + std::wstring(1024, L'x');
                data = {CF_UNICODETEXT, GlobalText(text.substr(0, 1024))};
            } else if (row.width < 0) {
                data = {CF_UNICODETEXT, GlobalText(LogText(change, size_t{8} << 20))};  // 16 MB as UTF-16
            } else {
                std::vector<uint8_t> dib = bench::MixDib(row.kind, change, row.width, row.height);
                data = {CF_DIB, GlobalCopy(dib.data(), dib.size())};
            }
            LRESULT before = tree ? SendMessageW(tree, TVM_GETCOUNT, 0, 0) : 0;
            ResetEvent(viewed);
            if (!data.second || !SetClipboard({data})) return Fail(L"cannot set the clipboard");
            times.push_back(BusyMs(row.width ? 250 : 50));
            bool recorded =
                tree ? WaitForNodes(tree, before + 1) : WaitForSingleObject(viewed, 20000) == WAIT_OBJECT_0;
            if (!recorded) return Fail(std::wstring(L"not recorded: ") + row.name);
        }
        std::sort(times.begin(), times.end());
        double figure = row.width ? times[times.size() / 2] : 0;
        for (double t : times) figure += row.width || t == 0 ? 0 : 100.0 / times.size();
        wchar_t text[64];
        swprintf(text, 64, L"%ls=%.2f,%.2f ", row.name, figure, times.front());
        line += text;
    }
    if (viewer) PostMessageW(viewer, WM_CLOSE, 0, 0);
    Out(line + L"\n");
    return 0;
}

// copyback ROUNDS: a 4K screenshot-like picture recorded by Korvimo, then
// copied back ROUNDS times: the busy time another program sees while Korvimo
// puts it on the clipboard, and how long the first paste (GetClipboardData of
// the DIB) takes, which renders it; against the time this program holds the
// clipboard to set the same picture itself, its memory made beforehand.
// Medians in ms.
int CopyBack(int rounds) {
    HWND tree = Control(IDC_TREEVIEW);
    if (!tree) return Fail(L"Korvimo does not run");
    std::vector<uint8_t> dib = bench::MixDib(bench::PictureKind::Screenshot, 1, 3840, 2160);
    LRESULT before = SendMessageW(tree, TVM_GETCOUNT, 0, 0);
    if (!SetClipboard({{CF_DIB, GlobalCopy(dib.data(), dib.size())}}) || !WaitForNodes(tree, before + 1))
        return Fail(L"the picture was not recorded");
    HTREEITEM root = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    HTREEITEM texts = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)root);
    HTREEITEM pictures = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)texts);
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)pictures));
    std::vector<double> busy, firstPaste, own;
    for (int i = 0; i < rounds; ++i) {
        PostMessageW(MainWindow(), WM_COMMAND, MAKEWPARAM(IDM_COPY, 0), 0);
        busy.push_back(BusyMs(250));
        double started = NowMs();
        if (!OpenClipboard(nullptr)) return Fail(L"clipboard busy");
        HANDLE pasted = GetClipboardData(CF_DIB);
        bool exact = pasted && GlobalSize(pasted) >= dib.size() && !memcmp(GlobalLock(pasted), dib.data(), dib.size());
        firstPaste.push_back(NowMs() - started);
        if (pasted) GlobalUnlock(pasted);
        CloseClipboard();
        if (!exact) return Fail(L"the paste is not the picture captured");
        HGLOBAL memory = GlobalCopy(dib.data(), dib.size());
        const LRESULT nodes = SendMessageW(tree, TVM_GETCOUNT, 0, 0);
        started = NowMs();
        if (!memory || !SetClipboard({{CF_DIB, memory}})) return Fail(L"cannot set the clipboard");
        own.push_back(NowMs() - started);
        WaitForNodes(tree, nodes + 1);  // Korvimo records it as a new picture: let it finish
    }
    for (auto* times : {&busy, &firstPaste, &own}) std::sort(times->begin(), times->end());
    wchar_t text[160];
    swprintf(text, 160, L"busy=%.2f first_paste=%.2f set_by_hand=%.2f\n", busy[rounds / 2], firstPaste[rounds / 2],
             own[rounds / 2]);
    Out(text);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> args(argv + 1, argv + argc);
    auto number = [&](size_t i) { return i < args.size() ? (int)wcstol(args[i].c_str(), nullptr, 10) : 0; };
    std::wstring command = args.empty() ? L"" : args[0];
    if ((command == L"flood" || command == L"logs") && args.size() == 3)
        return Run(command, number(1), number(2), 0, false);
    if (command == L"huge" && args.size() == 3) return Huge((size_t)number(1), args[2]);
    if (command == L"show" && args.size() == 1) return Show();
    if (command == L"find" && args.size() == 1) return Find();
    if (command == L"pictures" && args.size() == 5)
        return Run(command, number(1), number(2), number(3), args[4] == L"bitmap");
    if (command == L"soak" && args.size() == 4) return Soak((uint32_t)number(1), number(2), args[3]);
    if (command == L"texts" && args.size() == 2) return DumpTexts(args[1]);
    if (command == L"viewer" && args.size() == 1) return Viewer();
    if (command == L"busy" && args.size() == 2) return Busy(number(1));
    if (command == L"copyback" && args.size() == 2 && number(1) > 0) return CopyBack(number(1));
    return Fail(L"unknown command or wrong arguments; the commands are described in kvbench.cpp");
}
