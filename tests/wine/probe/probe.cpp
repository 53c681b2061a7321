// kvprobe: acts on a running Korvimo from another process, for the black-box
// tests. Every command prints its result as UTF-8 on stdout and exits 0, or
// prints a reason on stderr and exits 1.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/ids.h"
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
    fwprintf(stderr, L"kvprobe: %ls\n", why.c_str());
    return 1;
}

std::string ReadFileBytes(const std::wstring& path) {
    std::string bytes;
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char buffer[65536];
    DWORD got;
    while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

bool WriteFileBytes(const std::wstring& path, const void* data, size_t size) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, data, (DWORD)size, &written, nullptr);
    CloseHandle(file);
    return ok && written == size;
}

std::wstring FromUtf8(const std::string& bytes) {
    int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), (int)bytes.size(), nullptr, 0);
    std::wstring text(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), (int)bytes.size(), text.data(), n);
    return text;
}

HWND MainWindow() { return FindWindowW(kMainWindowClass, nullptr); }

HWND Control(int id) {
    HWND main = MainWindow();
    if (!main) return nullptr;
    HWND direct = GetDlgItem(main, id);
    if (direct) return direct;
    return GetDlgItem(GetDlgItem(main, IDC_PIC), id);  // controls inside the viewer
}

bool OpenClipboardPatiently() {
    for (int i = 0; i < 100; ++i) {
        if (OpenClipboard(nullptr)) return true;
        Sleep(10);
    }
    return false;
}

HGLOBAL GlobalCopy(const void* data, size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory) return nullptr;
    memcpy(GlobalLock(memory), data, size);
    GlobalUnlock(memory);
    return memory;
}

// A deterministic picture: each seed gives other pixels. The clipboard
// takes a device-dependent bitmap.
HBITMAP MakeBitmap(int width, int height, int seed) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 32, BI_RGB};
    std::vector<uint32_t> pixels((size_t)width * height);
    for (int y = 0; y < height; ++y)  // bottom-up rows
        for (int x = 0; x < width; ++x)
            pixels[(size_t)(height - 1 - y) * width + x] = ((x * 7 + seed * 31) & 0xFF) << 16 |
                                                           ((y * 5 + seed * 17) & 0xFF) << 8 |
                                                           (((x ^ y) + seed * 13) & 0xFF);
    HDC screen = GetDC(nullptr);
    HBITMAP ddb = CreateDIBitmap(screen, &info.bmiHeader, CBM_INIT, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return ddb;
}

// set-clipboard [--text FILE] [--bitmap WxH:SEED] [--mark NAME[=VALUE]]... [--hold MS]
int SetClipboard(const std::vector<std::wstring>& args) {
    if (!OpenClipboardPatiently()) return Fail(L"clipboard busy");
    EmptyClipboard();
    DWORD hold = 0;
    for (size_t i = 0; i + 1 < args.size(); i += 2) {
        const std::wstring& flag = args[i];
        const std::wstring& value = args[i + 1];
        if (flag == L"--text") {
            std::wstring text = FromUtf8(ReadFileBytes(value));
            SetClipboardData(CF_UNICODETEXT, GlobalCopy(text.c_str(), (text.size() + 1) * sizeof(wchar_t)));
        } else if (flag == L"--bitmap") {
            int w = 0, h = 0, seed = 0;
            swscanf(value.c_str(), L"%dx%d:%d", &w, &h, &seed);
            SetClipboardData(CF_BITMAP, MakeBitmap(w, h, seed));
        } else if (flag == L"--mark") {
            size_t eq = value.find(L'=');
            std::wstring name = value.substr(0, eq);
            DWORD number = eq == std::wstring::npos ? 0 : (DWORD)wcstoul(value.c_str() + eq + 1, nullptr, 10);
            SetClipboardData(RegisterClipboardFormatW(name.c_str()), GlobalCopy(&number, sizeof(number)));
        } else if (flag == L"--hold") {
            hold = (DWORD)wcstoul(value.c_str(), nullptr, 10);
        }
    }
    if (hold) Sleep(hold);
    CloseClipboard();
    return 0;
}

// Remote memory in Korvimo's process, for the tree's pointer-carrying messages.
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, size_t size) : size_(size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_) address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteBuffer() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    bool Ok() const { return address_ != nullptr; }
    void* Address() const { return address_; }
    bool Write(const void* data, size_t size, size_t offset = 0) {
        return WriteProcessMemory(process_, (char*)address_ + offset, data, size, nullptr);
    }
    bool Read(void* data, size_t size, size_t offset = 0) {
        return ReadProcessMemory(process_, (char*)address_ + offset, data, size, nullptr);
    }

private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    size_t size_;
};

struct TreeNode {
    HTREEITEM item;
    int depth;
    std::wstring key, label;
    bool selected;
};

std::wstring KeyOfParam(LPARAM param) {
    int32_t p = (int32_t)param;
    if (p == -1) return L"M";
    if (p == -2) return L"T";
    if (p == -3) return L"P";
    if ((p & 0xFF000000) == 0x10000000) return L"Txt" + std::to_wstring(p & 0xFFFFFF);
    if ((p & 0xFF000000) == 0x20000000) return L"Pic" + std::to_wstring(p & 0xFFFFFF);
    return L"?";
}

bool ReadTree(std::vector<TreeNode>& nodes) {
    HWND tree = Control(IDC_TREEVIEW);
    if (!tree) return false;
    RemoteBuffer remote(tree, sizeof(TVITEMW) + 1024 * sizeof(wchar_t));
    if (!remote.Ok()) return false;
    HTREEITEM selection = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    std::vector<std::pair<HTREEITEM, int>> stack;
    HTREEITEM root = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0);
    for (HTREEITEM item = root; item; item = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)item))
        stack.push_back({item, 0});
    std::vector<std::pair<HTREEITEM, int>> order(stack.rbegin(), stack.rend());
    while (!order.empty()) {
        auto [item, depth] = order.back();
        order.pop_back();
        TVITEMW query{};
        query.mask = TVIF_TEXT | TVIF_PARAM | TVIF_HANDLE;
        query.hItem = item;
        query.pszText = (wchar_t*)((char*)remote.Address() + sizeof(TVITEMW));
        query.cchTextMax = 1023;
        remote.Write(&query, sizeof(query));
        SendMessageW(tree, TVM_GETITEMW, 0, (LPARAM)remote.Address());
        TVITEMW answer{};
        wchar_t text[1024] = L"";
        remote.Read(&answer, sizeof(answer));
        remote.Read(text, sizeof(text) - sizeof(wchar_t), sizeof(TVITEMW));
        nodes.push_back({item, depth, KeyOfParam(answer.lParam), text, item == selection});
        std::vector<std::pair<HTREEITEM, int>> children;
        for (HTREEITEM child = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, (LPARAM)item); child;
             child = (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, (LPARAM)child))
            children.push_back({child, depth + 1});
        for (auto it = children.rbegin(); it != children.rend(); ++it) order.push_back(*it);
    }
    return true;
}

int PrintTree() {
    std::vector<TreeNode> nodes;
    if (!ReadTree(nodes)) return Fail(L"no tree");
    std::wstring out;
    for (const TreeNode& n : nodes)
        out += std::to_wstring(n.depth) + L"\t" + n.key + L"\t" + n.label + L"\t" + (n.selected ? L"1" : L"0") + L"\n";
    Out(out);
    return 0;
}

HTREEITEM FindNode(const std::wstring& key) {
    std::vector<TreeNode> nodes;
    if (!ReadTree(nodes)) return nullptr;
    for (const TreeNode& n : nodes)
        if (n.key == key) return n.item;
    return nullptr;
}

int SelectNode(const std::wstring& key) {
    HTREEITEM item = FindNode(key);
    if (!item) return Fail(L"no node " + key);
    SendMessageW(Control(IDC_TREEVIEW), TVM_SELECTITEM, TVGN_CARET, (LPARAM)item);
    return 0;
}

std::wstring WindowText(HWND window) {
    LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(length + 1, L'\0');
    LRESULT got = SendMessageW(window, WM_GETTEXT, length + 1, (LPARAM)text.data());
    text.resize(got);
    return text;
}

// Everything a test checks about the viewer and the commands, as key=value lines.
int PrintState() {
    HWND main = MainWindow();
    if (!main) return Fail(L"no window");
    HWND toolbar = Control(IDC_TOOLBAR);
    std::wstring out;
    auto line = [&](const std::wstring& name, const std::wstring& value) { out += name + L"=" + value + L"\n"; };
    auto visible = [&](int id) { return IsWindowVisible(Control(id)) ? L"1" : L"0"; };
    line(L"main.visible", IsWindowVisible(main) ? L"1" : L"0");
    line(L"main.iconic", IsIconic(main) ? L"1" : L"0");
    line(L"main.zoomed", IsZoomed(main) ? L"1" : L"0");
    line(L"text1.visible", visible(IDC_TEXT1));
    line(L"image1.visible", visible(IDC_IMAGE1));
    line(L"imageu.visible", visible(IDC_IMAGEU));
    line(L"imaged.visible", visible(IDC_IMAGED));
    line(L"imagel.visible", visible(IDC_IMAGEL));
    line(L"imager.visible", visible(IDC_IMAGER));
    for (int id : {IDB_TOOL_OPEN, IDB_TOOL_SAVE, IDB_TOOL_DELETE, IDB_TOOL_CONVERT, IDB_TOOL_SETTINGS, IDB_TOOL_HELP})
        line(L"button." + std::to_wstring(id), SendMessageW(toolbar, TB_ISBUTTONENABLED, id, 0) ? L"1" : L"0");
    line(L"tray.icon", std::to_wstring(GetWindowLongPtrW(Control(IDC_TRAYPICBOX), GWLP_USERDATA)));
    Out(out);
    return 0;
}

int PrintRect(int id) {
    HWND control = Control(id);
    if (!control) return Fail(L"no control");
    RECT r;
    GetWindowRect(control, &r);
    HWND parent = GetParent(control);
    MapWindowPoints(nullptr, parent, (POINT*)&r, 2);
    Out(std::to_wstring(r.left) + L" " + std::to_wstring(r.top) + L" " + std::to_wstring(r.right - r.left) + L" " +
        std::to_wstring(r.bottom - r.top) + L"\n");
    return 0;
}

// Runs a clipboard viewer of our own and counts the notices it receives,
// writing the count to a file after each one.
std::wstring g_countFile;
HWND g_next = nullptr;
int g_notices = 0;

LRESULT CALLBACK ViewerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_DRAWCLIPBOARD: {
            ++g_notices;
            std::string count = std::to_string(g_notices);
            WriteFileBytes(g_countFile, count.data(), count.size());
            if (g_next) SendMessageW(g_next, message, wParam, lParam);
            return 0;
        }
        case WM_CHANGECBCHAIN:
            if ((HWND)wParam == g_next)
                g_next = (HWND)lParam;
            else if (g_next)
                SendMessageW(g_next, message, wParam, lParam);
            return 0;
        default:
            return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

int RunViewer(const std::wstring& countFile, DWORD seconds) {
    g_countFile = countFile;
    WNDCLASSW wc{};
    wc.lpfnWndProc = ViewerProc;
    wc.lpszClassName = L"KvprobeViewer";
    RegisterClassW(&wc);
    HWND window = CreateWindowW(L"KvprobeViewer", L"kvprobe viewer", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    g_next = SetClipboardViewer(window);
    WriteFileBytes(g_countFile, "0", 1);
    SetTimer(window, 1, seconds * 1000, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER) break;
        DispatchMessageW(&message);
    }
    ChangeClipboardChain(window, g_next);
    return 0;
}

struct FoundWindow {
    const wchar_t* cls;
    const wchar_t* title;
    DWORD pid;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    auto* s = (FoundWindow*)param;
    wchar_t cls[256] = L"", title[256] = L"";
    GetClassNameW(window, cls, 256);
    GetWindowTextW(window, title, 256);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (s->pid && pid != s->pid) return TRUE;
    if (s->cls && wcscmp(cls, s->cls) != 0) return TRUE;
    if (s->title && wcscmp(title, s->title) != 0) return TRUE;
    if (!IsWindowVisible(window)) return TRUE;
    s->found = window;
    return FALSE;
}

// A visible top-level window with the given class and caption; by default
// only Korvimo's own, with anyProcess also a second instance's.
HWND FindProcessWindow(const wchar_t* cls, const wchar_t* title, bool anyProcess = false) {
    DWORD pid = 0;
    HWND main = MainWindow();
    if (main && !anyProcess) GetWindowThreadProcessId(main, &pid);
    FoundWindow search{cls, title, pid, nullptr};
    EnumWindows(MatchWindow, (LPARAM)&search);
    return search.found;
}

// Asks `found` every 50 ms for up to `ms` milliseconds until it answers something.
template <typename Found>
auto Poll(DWORD ms, Found found) -> decltype(found()) {
    for (DWORD waited = 0;; waited += 50, Sleep(50))
        if (auto answer = found(); answer || waited >= ms) return answer;
}

HWND WaitFor(const wchar_t* cls, const wchar_t* title, DWORD ms, bool anyProcess = false) {
    return Poll(ms, [&] { return FindProcessWindow(cls, title, anyProcess); });
}

// The text of a message box titled Korvimo (its static control) and its buttons.
int ReadMessageBox(DWORD ms) {
    HWND box = WaitFor(L"#32770", L"Korvimo", ms, true);
    if (!box) return Fail(L"no message box");
    std::wstring out;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t cls[64] = L"";
        GetClassNameW(child, cls, 64);
        int id = GetDlgCtrlID(child);
        if (_wcsicmp(cls, L"Static") == 0 && id == 0xFFFF) out = L"text=" + WindowText(child) + L"\n" + out;
        if (_wcsicmp(cls, L"Button") == 0) out += L"button=" + std::to_wstring(id) + L"\n";
        if (_wcsicmp(cls, L"Static") == 0 && id != 0xFFFF && SendMessageW(child, STM_GETICON, 0, 0))
            out += L"icon=1\n";
    }
    Out(out);
    return 0;
}

int AnswerMessageBox(int button, DWORD ms) {
    HWND box = WaitFor(L"#32770", L"Korvimo", ms, true);
    if (!box) return Fail(L"no message box");
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), (LPARAM)GetDlgItem(box, button));
    return 0;
}

// Fills in a common open or save dialog of Korvimo's and confirms it (or
// cancels it with an empty path).
int AnswerFileDialog(const std::wstring& path, int filterIndex, DWORD ms) {
    HWND dialog = WaitFor(L"#32770", nullptr, ms);
    if (!dialog) return Fail(L"no file dialog");
    Sleep(200);
    if (path.empty()) {
        PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        return 0;
    }
    if (filterIndex > 0) {
        HWND types = GetDlgItem(dialog, 0x470);  // cmb1, the file types
        if (!types) return Fail(L"no file type list");
        SendMessageW(types, CB_SETCURSEL, filterIndex - 1, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(0x470, CBN_SELCHANGE), (LPARAM)types);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(0x470, CBN_SELENDOK), (LPARAM)types);
    }
    HWND name = GetDlgItem(dialog, 0x47C);  // cmb13, the name box of the explorer dialog
    if (!name) name = GetDlgItem(dialog, 0x480);  // edt1
    if (!name) return Fail(L"no file name box");
    SendMessageW(name, WM_SETTEXT, 0, (LPARAM)path.c_str());
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(dialog, IDOK));
    return 0;
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
    double First() const { return first / window; }
    double Last() const { return last / window; }

    int count, window;
    double first = 0, last = 0;
    LARGE_INTEGER frequency{}, start{};
};

// The memory figures of the process that owns `window` (cb 0: none to be had).
PROCESS_MEMORY_COUNTERS_EX MemoryOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    HANDLE process = pid ? OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid) : nullptr;
    if (process && K32GetProcessMemoryInfo(process, (PROCESS_MEMORY_COUNTERS*)&memory, sizeof(memory)))
        memory.cb = sizeof(memory);
    if (process) CloseHandle(process);
    return memory;
}

// Sets `format` to `data` on the clipboard and waits up to 20 s for the
// tree to grow; whether it did.
bool CopyAndWait(HWND tree, UINT format, HANDLE data) {
    LRESULT before = SendMessageW(tree, TVM_GETCOUNT, 0, 0);
    if (!OpenClipboardPatiently()) return false;
    EmptyClipboard();
    SetClipboardData(format, data);
    CloseClipboard();
    DWORD started = GetTickCount();
    while (SendMessageW(tree, TVM_GETCOUNT, 0, 0) == before && GetTickCount() - started < 20000) Sleep(0);
    return SendMessageW(tree, TVM_GETCOUNT, 0, 0) != before;
}

// Copies `count` distinct texts of `bytes` characters, one at a time, each
// time waiting until the tree has grown by one; prints the mean time per
// capture over the first and the last hundred, and Korvimo's working set.
int Flood(int count, int bytes) {
    HWND tree = Control(IDC_TREEVIEW);
    if (!tree) return Fail(L"no tree");
    RunTimes times(count);
    std::wstring text(bytes, L'x');
    for (int i = 0; i < count; ++i) {
        std::wstring serial = std::to_wstring(i);
        std::copy(serial.begin(), serial.end(), text.begin());
        times.Start();
        if (!CopyAndWait(tree, CF_UNICODETEXT, GlobalCopy(text.c_str(), (text.size() + 1) * sizeof(wchar_t))))
            return Fail(L"change " + serial + L" was not captured");
        times.Stop(i);
    }
    PROCESS_MEMORY_COUNTERS_EX memory = MemoryOf(tree);
    wchar_t line[256];
    swprintf(line, 256, L"first=%.3f last=%.3f ratio=%.2f working_set_kb=%llu\n", times.First(), times.Last(),
             times.Last() / times.First(), (unsigned long long)(memory.WorkingSetSize / 1024));
    Out(line);
    return 0;
}

// Korvimo's memory figures, for the soak's bound on what it holds.
int PrintWorkingSet() {
    PROCESS_MEMORY_COUNTERS_EX memory = MemoryOf(MainWindow());
    if (!memory.cb) return Fail(L"no memory figures");
    wchar_t line[256];
    swprintf(line, 256, L"working_set_kb=%llu peak_working_set_kb=%llu private_kb=%llu\n",
             (unsigned long long)(memory.WorkingSetSize / 1024), (unsigned long long)(memory.PeakWorkingSetSize / 1024),
             (unsigned long long)(memory.PrivateUsage / 1024));
    Out(line);
    return 0;
}

// The soak's changes come from a seeded generator, so a run can be repeated.
using SoakRandom = bench::MixRandom;

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
struct SoakModel {
    std::vector<std::wstring> textSlots;
    int pictureSlots = 0;
    LRESULT nodes = 0;  // tree nodes once every change so far is captured

    bool TextIsNew(const std::wstring& text) const {
        return !text.empty() && (textSlots.empty() || textSlots.back() != text);
    }
};

std::wstring WaitForText1(HWND text1, const std::wstring& expected) {
    std::wstring shown;
    for (int i = 0; i < 100; ++i) {
        shown = WindowText(text1);
        if (shown == expected) break;
        Sleep(20);
    }
    return shown;
}

bool SelectAndSettle(HWND tree, HTREEITEM item) {
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)item);
    DWORD_PTR result;
    return SendMessageTimeoutW(MainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result) != 0;
}

// Between changes the soak acts as a user would: selects an entry and checks
// what the viewer shows, edits a text, deletes an entry. Each act is written
// to ACTS as a line "CHANGE edit KEY BYTES" or "CHANGE delete KEY 0" (CHANGE
// the index of the change it followed), BYTES bytes of UTF-8 text (the text
// as edited) and a newline.
struct SoakUser {
    HWND tree, text1;
    std::string acts;
    int selected = 0, edited = 0, deleted = 0;

    int Act(SoakModel& model, SoakRandom& random, int change) {
        std::vector<TreeNode> nodes;
        if (!ReadTree(nodes)) return Fail(L"cannot read the tree");
        std::vector<const TreeNode*> texts, pictures;
        for (const TreeNode& n : nodes) {
            if (n.key.rfind(L"Txt", 0) == 0) texts.push_back(&n);
            if (n.key.rfind(L"Pic", 0) == 0) pictures.push_back(&n);
        }
        if (!texts.empty()) {
            const TreeNode& n = *texts[random.Below(texts.size())];
            int slot = std::stoi(n.key.substr(3));
            if (!SelectAndSettle(tree, n.item)) return Fail(L"no answer after a selection");
            std::wstring shown = WaitForText1(text1, model.textSlots[slot]);
            if (shown != model.textSlots[slot])
                return Fail(L"the viewer shows another text for " + n.key + L" at change " + std::to_wstring(change) +
                            L" (" + std::to_wstring(shown.size()) + L" characters for " +
                            std::to_wstring(model.textSlots[slot].size()) + L"; " + std::to_wstring(texts.size()) +
                            L" text entries for " + std::to_wstring(model.textSlots.size()) + L" slots)");
            ++selected;
            if (change % 1000 == 250) {
                std::wstring mark = L" ✎" + std::to_wstring(change);
                // Measured from the text: Wine answers GetWindowTextLength for
                // another process's edit box with 0.
                WPARAM end = (WPARAM)WindowText(text1).size();
                SendMessageW(text1, EM_SETSEL, end, (LPARAM)end);
                SendMessageW(text1, EM_REPLACESEL, TRUE, (LPARAM)mark.c_str());
                model.textSlots[slot] += mark;
                std::string bytes = ToUtf8(model.textSlots[slot]);
                acts += std::to_string(change) + " edit " + ToUtf8(n.key) + " " + std::to_string(bytes.size()) + "\n" + bytes + "\n";
                ++edited;
            } else if (change % 1000 == 750) {
                SendMessageW(MainWindow(), WM_COMMAND, MAKEWPARAM(IDM_DELETE, 0), 0);
                model.textSlots[slot].clear();
                --model.nodes;
                acts += std::to_string(change) + " delete " + ToUtf8(n.key) + " 0\n\n";
                ++deleted;
            }
        }
        if (change % 2000 == 1500 && !pictures.empty()) {
            const TreeNode& n = *pictures[random.Below(pictures.size())];
            if (!SelectAndSettle(tree, n.item)) return Fail(L"no answer after a selection");
            SendMessageW(MainWindow(), WM_COMMAND, MAKEWPARAM(IDM_DELETE, 0), 0);
            --model.nodes;
            acts += std::to_string(change) + " delete " + ToUtf8(n.key) + " 0\n\n";
            ++deleted;
        }
        return 0;
    }
};

// Waits until the tree holds as many nodes as the model says, that is until
// Korvimo has captured the change. A change that adds nothing (an empty
// clipboard, the same text again) gives nothing to wait for; if Korvimo
// reads it late it sees the next change instead, which the model allows for,
// since the same content twice is still one entry.
bool WaitForCapture(HWND tree, const SoakModel& model) {
    DWORD started = GetTickCount();
    while (SendMessageW(tree, TVM_GETCOUNT, 0, 0) < model.nodes) {
        if (GetTickCount() - started > 20000) return false;
        Sleep(0);
    }
    return true;
}

// soak SEED COUNT OUTFILE: makes COUNT clipboard changes, each once Korvimo
// has captured the one before, and acts on the entries between changes (see
// SoakUser; acts go to OUTFILE.acts). Writes every change, in order, to
// OUTFILE: a line "INDEX KIND BYTES WIDTHxHEIGHT" (KIND T text, E empty,
// P picture, B text and picture) followed by BYTES bytes of UTF-8 text and a
// newline.
int Soak(uint64_t seed, int count, const std::wstring& outFile) {
    HWND main = MainWindow(), tree = Control(IDC_TREEVIEW), text1 = Control(IDC_TEXT1);
    if (!main || !tree || !text1) return Fail(L"no window");
    HANDLE out = CreateFileW(outFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out == INVALID_HANDLE_VALUE) return Fail(L"cannot write " + outFile);
    SoakRandom random(seed), userRandom(seed + 1);
    SoakModel model;
    model.nodes = SendMessageW(tree, TVM_GETCOUNT, 0, 0);
    SoakUser user{tree, text1};
    std::wstring lastText;
    int texts = 0, duplicates = 0, empties = 0, pictures = 0, big = 0;
    DWORD slowest = 0;
    for (int i = 0; i < count; ++i) {
        uint64_t r = random.Below(100);
        wchar_t kind = L'T';
        int width = 0, height = 0;
        std::wstring text;
        if (i % 2500 == 50) {
            kind = L'P', width = 4000, height = 3000;
        } else if (i > 0 && r < 8 && !lastText.empty()) {
            text = lastText;  // the same text again
            ++duplicates;
        } else if (i > 0 && r < 12) {
            kind = L'E';
        } else if (i > 0 && r < 16) {
            kind = L'P', width = 1 + (int)random.Below(400), height = 1 + (int)random.Below(300);
        } else {
            text = SoakText(random, SoakLength(random, i));
            if (i > 0 && r < 18) kind = L'B', width = 1 + (int)random.Below(64), height = 1 + (int)random.Below(64);
        }
        HBITMAP bitmap = width ? MakeBitmap(width, height, i) : nullptr;
        if (width && !bitmap) return Fail(L"cannot make a picture");
        if (!OpenClipboardPatiently()) return Fail(L"clipboard busy at change " + std::to_wstring(i));
        EmptyClipboard();
        if (!text.empty())
            SetClipboardData(CF_UNICODETEXT, GlobalCopy(text.c_str(), (text.size() + 1) * sizeof(wchar_t)));
        if (bitmap) SetClipboardData(CF_BITMAP, bitmap);
        CloseClipboard();
        if (model.TextIsNew(text)) model.textSlots.push_back(text), ++model.nodes;
        if (bitmap) ++model.pictureSlots, ++model.nodes;
        DWORD started = GetTickCount();
        if (!WaitForCapture(tree, model)) return Fail(L"change " + std::to_wstring(i) + L" not captured within 20 s");
        slowest = std::max(slowest, GetTickCount() - started);
        if (!text.empty()) lastText = text, ++texts;
        if (kind == L'E') ++empties;
        if (width) ++pictures, big += width == 4000;
        std::string bytes = ToUtf8(text);
        char head[96];
        snprintf(head, sizeof(head), "%d %c %zu %dx%d\n", i, (char)kind, bytes.size(), width, height);
        bytes = head + bytes + "\n";
        DWORD written;
        if (!WriteFile(out, bytes.data(), (DWORD)bytes.size(), &written, nullptr)) return Fail(L"cannot write");
        if (i % 250 == 249 || i % 1000 == 250 || i % 1000 == 750 || i % 2000 == 1500)
            if (int failed = user.Act(model, userRandom, i)) return failed;
    }
    CloseHandle(out);
    if (!WriteFileBytes(outFile + L".acts", user.acts.data(), user.acts.size())) return Fail(L"cannot write acts");
    wchar_t line[320];
    swprintf(line, 320,
             L"changes=%d texts=%d duplicates=%d empties=%d pictures=%d big_pictures=%d slowest_ms=%lu "
             L"selected=%d edited=%d deleted=%d\n",
             count, texts, duplicates, empties, pictures, big, (unsigned long)slowest, user.selected, user.edited,
             user.deleted);
    Out(line);
    return 0;
}

// texts OUTFILE: selects every text entry in turn and writes what Text1
// shows: a line "KEY BYTES", BYTES bytes of UTF-8 text, a newline.
int DumpTexts(const std::wstring& outFile) {
    std::vector<TreeNode> nodes;
    if (!ReadTree(nodes)) return Fail(L"no tree");
    HWND tree = Control(IDC_TREEVIEW), text1 = Control(IDC_TEXT1);
    if (!text1) return Fail(L"no text box");
    std::string all;
    std::wstring previous = WindowText(text1);
    for (const TreeNode& n : nodes) {
        if (n.key.rfind(L"Txt", 0) != 0) continue;
        SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)n.item);
        // The display follows the selection through a posted message: wait
        // for the box to change, or long enough for the message to have run
        // when the entry holds the same text as the one shown before.
        std::wstring shown = WindowText(text1);
        for (DWORD started = GetTickCount(); shown == previous && GetTickCount() - started < 60; Sleep(1))
            shown = WindowText(text1);
        previous = shown;
        std::string bytes = ToUtf8(shown);
        all += ToUtf8(n.key) + " " + std::to_string(bytes.size()) + "\n" + bytes + "\n";
    }
    return WriteFileBytes(outFile, all.data(), all.size()) ? 0 : Fail(L"cannot write");
}

// hold-on-change MS COUNT READYFILE: another program that opens the
// clipboard as soon as it changes and keeps it for MS milliseconds, on every
// second change it sees (the first, third, ...), COUNT times, then ends.
// Writes READYFILE once it listens. Ends by itself after two minutes.
int HoldOnChange(DWORD ms, int count, const std::wstring& readyFile) {
    HWND window = CreateWindowW(L"STATIC", L"kvprobe holder", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!window || !AddClipboardFormatListener(window)) return Fail(L"cannot listen to the clipboard");
    WriteFileBytes(readyFile, "ready", 5);
    SetTimer(window, 1, 120000, nullptr);
    int seen = 0, holds = 0;
    MSG message;
    while (holds < count && GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.message == WM_TIMER) break;
        if (message.message == WM_CLIPBOARDUPDATE) {
            if (++seen % 2 == 1 && OpenClipboardPatiently()) {
                Sleep(ms);
                CloseClipboard();
                ++holds;
            }
            continue;
        }
        DispatchMessageW(&message);
    }
    RemoveClipboardFormatListener(window);
    Out(L"seen=" + std::to_wstring(seen) + L" holds=" + std::to_wstring(holds) + L"\n");
    return holds == count ? 0 : Fail(L"fewer changes than holds");
}

// The toolbar's buttons in order: "ID\tENABLED\tTEXT" (a separator "0\t0\t-").
int PrintToolbar() {
    HWND toolbar = Control(IDC_TOOLBAR);
    if (!toolbar) return Fail(L"no toolbar");
    RemoteBuffer remote(toolbar, sizeof(TBBUTTON) + 256 * sizeof(wchar_t));
    if (!remote.Ok()) return Fail(L"no remote memory");
    std::wstring out;
    LRESULT count = SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        TBBUTTON button{};
        SendMessageW(toolbar, TB_GETBUTTON, i, (LPARAM)remote.Address());
        remote.Read(&button, sizeof(button));
        if (button.fsStyle & BTNS_SEP) {
            out += L"0\t0\t-\n";
            continue;
        }
        wchar_t text[256] = L"";
        void* textAddress = (char*)remote.Address() + sizeof(TBBUTTON);
        LRESULT length = SendMessageW(toolbar, TB_GETBUTTONTEXTW, button.idCommand, (LPARAM)textAddress);
        if (length > 0 && length < 255) remote.Read(text, (length + 1) * sizeof(wchar_t), sizeof(TBBUTTON));
        out += std::to_wstring(button.idCommand) + L"\t" +
               (SendMessageW(toolbar, TB_ISBUTTONENABLED, button.idCommand, 0) ? L"1" : L"0") + L"\t" + text + L"\n";
    }
    Out(out);
    return 0;
}

BOOL CALLBACK ListWindow(HWND window, LPARAM param) {
    auto* out = (std::wstring*)param;
    if (!IsWindowVisible(window)) return TRUE;
    wchar_t cls[256] = L"", title[256] = L"";
    GetClassNameW(window, cls, 256);
    GetWindowTextW(window, title, 256);
    DWORD pid = 0, ours = 0;
    GetWindowThreadProcessId(window, &pid);
    GetWindowThreadProcessId(MainWindow(), &ours);
    *out += std::wstring(cls) + L"\t" + title + L"\t" + (pid == ours ? L"1" : L"0") + L"\n";
    return TRUE;
}

// A user's click on a toolbar button: pressed and released at its centre,
// posted, so that a command that opens a menu or a dialog does not hold us.
int ClickToolButton(int id) {
    HWND toolbar = Control(IDC_TOOLBAR);
    if (!toolbar) return Fail(L"no toolbar");
    RemoteBuffer remote(toolbar, sizeof(RECT));
    if (!remote.Ok()) return Fail(L"no remote memory");
    RECT r{};
    if (!SendMessageW(toolbar, TB_GETRECT, id, (LPARAM)remote.Address())) return Fail(L"no such button");
    remote.Read(&r, sizeof(r));
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageW(toolbar, WM_MOUSEMOVE, 0, at);
    PostMessageW(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(toolbar, WM_LBUTTONUP, 0, at);
    return 0;
}

// How many pixels of the topmost open popup menu are drawn in near-black:
// enabled items' text is, grayed items' text is not. The frame is left out.
int PopupInk(DWORD ms) {
    HWND popup = WaitFor(L"#32768", nullptr, ms);
    if (!popup) return Fail(L"no popup menu");
    Sleep(300);  // drawn
    RECT r;
    GetWindowRect(popup, &r);
    const int inset = 4, width = r.right - r.left - 2 * inset, height = r.bottom - r.top - 2 * inset;
    if (width <= 0 || height <= 0) return Fail(L"empty popup menu");
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP shot = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, shot);
    BitBlt(memory, 0, 0, width, height, screen, r.left + inset, r.top + inset, SRCCOPY);
    GdiFlush();
    long dark = 0;
    auto* pixels = static_cast<const uint32_t*>(bits);
    for (long i = 0; i < (long)width * height; ++i) {
        uint32_t p = pixels[i];
        if ((p & 0xFF) < 0x40 && ((p >> 8) & 0xFF) < 0x40 && ((p >> 16) & 0xFF) < 0x40) ++dark;
    }
    SelectObject(memory, old);
    DeleteObject(shot);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    Out(std::to_wstring(dark) + L"\n");
    return 0;
}

// The button a posted press holds down, as the real press would report it.
WPARAM PressedButton(UINT message) {
    return message == WM_LBUTTONDOWN ? MK_LBUTTON : message == WM_RBUTTONDOWN ? MK_RBUTTON : 0;
}

// node-point KEY label|button|below: a screen point on a node's label, on
// its expand button, or in the empty space below the tree's rows.
int PrintNodePoint(const std::wstring& key, const std::wstring& part) {
    HWND tree = Control(IDC_TREEVIEW);
    HTREEITEM item = FindNode(key);
    RemoteBuffer remote(tree, sizeof(TVHITTESTINFO));
    if (!item || !remote.Ok()) return Fail(L"no node " + key);
    RECT r{};
    remote.Write(&item, sizeof(item));
    SendMessageW(tree, TVM_GETITEMRECT, TRUE, (LPARAM)remote.Address());
    remote.Read(&r, sizeof(r));
    POINT at{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    if (part == L"below") {
        RECT client;
        GetClientRect(tree, &client);
        at.y = client.bottom - 4;
    }
    auto onButton = [&] {
        TVHITTESTINFO hit{at, 0, nullptr};
        remote.Write(&hit, sizeof(hit));
        SendMessageW(tree, TVM_HITTEST, 0, (LPARAM)remote.Address());
        remote.Read(&hit, sizeof(hit));
        return (hit.flags & TVHT_ONITEMBUTTON) != 0;
    };
    if (part == L"button") at.x = r.left;
    while (part == L"button" && !onButton())
        if (--at.x < 0) return Fail(L"no expand button");
    ClientToScreen(tree, &at);
    Out(std::to_wstring(at.x) + L" " + std::to_wstring(at.y) + L"\n");
    return 0;
}

// A packed DIB of a picture of the benchmark mix, in one of four layouts
// (`layout` 0: 32 bits bottom-up, 1: 24 bits top-down, 2: 8 bits with a
// colour table, 3: 16 bits 5-6-5 with colour masks), as screenshot tools and
// image editors put them on the clipboard.
std::vector<uint8_t> MixDib(int index, int width, int height, int layout) {
    std::vector<uint32_t> pixels((size_t)width * height);
    bench::FillPicture(bench::KindOf(index), width, height, index, pixels.data());
    static const int kBits[] = {32, 24, 8, 16};
    int bits = kBits[layout];
    size_t extra = layout == 2 ? 256 * 4 : layout == 3 ? 12 : 0;
    size_t rowBytes = ((size_t)width * bits + 31) / 32 * 4;
    std::vector<uint8_t> dib(sizeof(BITMAPINFOHEADER) + extra + rowBytes * height, 0);
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(dib.data());
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = width;
    header->biHeight = layout == 1 ? -height : height;
    header->biPlanes = 1;
    header->biBitCount = (WORD)bits;
    header->biCompression = layout == 3 ? BI_BITFIELDS : BI_RGB;
    uint8_t* table = dib.data() + sizeof(BITMAPINFOHEADER);
    if (layout == 2) {
        for (int i = 0; i < 216; ++i)  // a 6 x 6 x 6 colour cube, the rest black
            table[i * 4] = (uint8_t)(i % 6 * 51), table[i * 4 + 1] = (uint8_t)(i / 6 % 6 * 51),
            table[i * 4 + 2] = (uint8_t)(i / 36 * 51);
    }
    if (layout == 3) {
        const DWORD masks[] = {0xF800, 0x07E0, 0x001F};
        memcpy(table, masks, sizeof(masks));
    }
    uint8_t* rows = table + extra;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = rows + rowBytes * (layout == 1 ? y : height - 1 - y);
        for (int x = 0; x < width; ++x) {
            uint32_t p = pixels[(size_t)y * width + x];
            uint8_t r = (uint8_t)(p >> 16), g = (uint8_t)(p >> 8), b = (uint8_t)p;
            if (layout == 0) memcpy(row + x * 4, &p, 4);
            if (layout == 1) row[x * 3] = b, row[x * 3 + 1] = g, row[x * 3 + 2] = r;
            if (layout == 2) row[x] = (uint8_t)((b + 25) / 51 + (g + 25) / 51 * 6 + (r + 25) / 51 * 36);
            if (layout == 3) {
                uint16_t v = (uint16_t)((r >> 3) << 11 | (g >> 2) << 5 | b >> 3);
                memcpy(row + x * 2, &v, 2);
            }
        }
    }
    return dib;
}

// pictures COUNT WIDTH HEIGHT LAYOUTS DUMPDIR EVERY: sets COUNT pictures of
// the benchmark mix (even: screenshot-like, odd: photo-like) on the clipboard
// as CF_DIB, each once Korvimo has recorded the one before or 20 s have
// passed. LAYOUTS "32" sets every one as 32 bits, "mixed" cycles through the
// four layouts of MixDib, "bitmap" sets device-dependent bitmaps (CF_BITMAP)
// made from the 32-bit ones instead. Picture i goes to DUMPDIR\pic<i>.dib too when i is
// a multiple of EVERY (DUMPDIR "-": none). Prints how many were recorded,
// the capture time per picture of the first and last hundred, and
// Korvimo's peak working set.
int Pictures(int count, int width, int height, const std::wstring& layouts, const std::wstring& dumpDir, int every) {
    HWND tree = Control(IDC_TREEVIEW);
    if (!tree) return Fail(L"no tree");
    RunTimes times(count);
    int recorded = 0;
    for (int i = 0; i < count; ++i) {
        std::vector<uint8_t> dib = MixDib(i, width, height, layouts == L"mixed" ? i % 4 : 0);
        if (dumpDir != L"-" && every > 0 && i % every == 0 &&
            !WriteFileBytes(dumpDir + L"\\pic" + std::to_wstring(i) + L".dib", dib.data(), dib.size()))
            return Fail(L"cannot write to " + dumpDir);
        const auto* info = reinterpret_cast<const BITMAPINFO*>(dib.data());
        HANDLE data = nullptr;
        if (layouts == L"bitmap") {
            HDC screen = GetDC(nullptr);
            data = CreateDIBitmap(screen, &info->bmiHeader, CBM_INIT, dib.data() + sizeof(BITMAPINFOHEADER), info,
                                  DIB_RGB_COLORS);
            ReleaseDC(nullptr, screen);
        } else {
            data = GlobalCopy(dib.data(), dib.size());
        }
        if (!data) return Fail(L"no memory for picture " + std::to_wstring(i));
        times.Start();
        recorded += CopyAndWait(tree, layouts == L"bitmap" ? CF_BITMAP : CF_DIB, data);
        times.Stop(i);
    }
    PROCESS_MEMORY_COUNTERS_EX memory = MemoryOf(tree);
    wchar_t line[320];
    swprintf(line, 320, L"set=%d recorded=%d first_ms=%.1f last_ms=%.1f ratio=%.2f peak_working_set_kb=%llu "
             L"working_set_kb=%llu\n", count, recorded, times.First(), times.Last(), times.Last() / times.First(),
             (unsigned long long)(memory.PeakWorkingSetSize / 1024), (unsigned long long)(memory.WorkingSetSize / 1024));
    Out(line);
    return 0;
}

int Usage() { return Fail(L"unknown command or wrong arguments; the commands are described in probe.cpp"); }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return Usage();
    std::wstring command = argv[1];
    std::vector<std::wstring> args(argv + 2, argv + argc);
    auto number = [&](size_t i) { return i < args.size() ? (long)wcstol(args[i].c_str(), nullptr, 0) : 0L; };

    if (command == L"wait-window") {
        bool up = Poll(number(0), [] { return MainWindow() && IsWindowVisible(MainWindow()) && Control(IDC_TREEVIEW); });
        return up ? (Out(L"ok\n"), 0) : Fail(L"no window");
    }
    if (command == L"wait-gone") return Poll(number(0), [] { return !MainWindow(); }) ? 0 : Fail(L"still there");
    if (command == L"set-clipboard") return SetClipboard(args);
    if (command == L"sync") {
        // Gives what was posted a moment to run, then waits for the window to answer.
        Sleep((DWORD)(args.empty() ? 150 : number(0)));
        DWORD_PTR result;
        SendMessageTimeoutW(MainWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
        return 0;
    }
    if (command == L"empty-clipboard") {
        if (!OpenClipboardPatiently()) return Fail(L"clipboard busy");
        EmptyClipboard();
        CloseClipboard();
        return 0;
    }
    if (command == L"clipboard-text") {
        if (!OpenClipboardPatiently()) return Fail(L"clipboard busy");
        HANDLE data = GetClipboardData(CF_UNICODETEXT);
        std::wstring text = data ? (const wchar_t*)GlobalLock(data) : L"";
        if (data) GlobalUnlock(data);
        CloseClipboard();
        Out(text);
        return 0;
    }
    if (command == L"tree") return PrintTree();
    if (command == L"select" && args.size() == 1) return SelectNode(args[0]);
    if (command == L"state") return PrintState();
    if (command == L"text" && args.size() == 1) {
        HWND text1 = Control(IDC_TEXT1);
        if (!text1) return Fail(L"no text box");
        std::string bytes = ToUtf8(WindowText(text1));
        return WriteFileBytes(args[0], bytes.data(), bytes.size()) ? 0 : Fail(L"cannot write");
    }
    if (command == L"set-text1" && args.size() == 1) {
        HWND text1 = Control(IDC_TEXT1);
        if (!text1) return Fail(L"no text box");
        std::wstring text = FromUtf8(ReadFileBytes(args[0]));
        // As typing does: replace everything, so the box reports the change.
        SendMessageW(text1, EM_SETSEL, 0, -1);
        SendMessageW(text1, EM_REPLACESEL, TRUE, (LPARAM)text.c_str());
        return 0;
    }
    if (command == L"minimize") {
        ShowWindow(MainWindow(), SW_MINIMIZE);
        return 0;
    }
    if (command == L"close") {
        PostMessageW(MainWindow(), WM_CLOSE, 0, 0);
        return 0;
    }
    if (command == L"rect") return PrintRect((int)number(0));
    if (command == L"flood" && args.size() == 2) return Flood((int)number(0), (int)number(1));
    if (command == L"pictures" && args.size() == 6)
        return Pictures((int)number(0), (int)number(1), (int)number(2), args[3], args[4], (int)number(5));
    if (command == L"file-dialog" && args.size() == 3)
        return AnswerFileDialog(args[0], (int)number(1), (DWORD)number(2));
    if (command == L"viewer" && args.size() == 2) return RunViewer(args[0], (DWORD)number(1));
    if (command == L"messagebox") return ReadMessageBox((DWORD)number(0));
    if (command == L"answer") return AnswerMessageBox((int)number(0), (DWORD)number(1));
    if (command == L"wait-class" && args.size() == 2) {
        HWND window = WaitFor(args[0].c_str(), nullptr, (DWORD)number(1));
        if (!window) return Fail(L"no such window");
        Out(WindowText(window) + L"\n");
        return 0;
    }
    if (command == L"edit-label" && args.size() == 1) {
        // Types into the tree's open label editor and confirms it.
        HWND tree = Control(IDC_TREEVIEW);
        HWND editor = nullptr;
        for (int i = 0; i < 100 && !editor; ++i, Sleep(50))
            editor = (HWND)SendMessageW(tree, TVM_GETEDITCONTROL, 0, 0);
        if (!editor) return Fail(L"no label editor");
        std::wstring text = FromUtf8(ReadFileBytes(args[0]));
        SendMessageW(editor, WM_SETTEXT, 0, (LPARAM)text.c_str());
        SendMessageW(tree, TVM_ENDEDITLABELNOW, FALSE, 0);
        return 0;
    }
    // click, checked, window-text CLASS ID: a control of a window of
    // Korvimo's (click waits up to 10 s for the window).
    if ((command == L"click" || command == L"checked" || command == L"window-text") && args.size() == 2) {
        HWND window = WaitFor(args[0].c_str(), nullptr, command == L"click" ? 10000 : 0);
        HWND child = window ? GetDlgItem(window, (int)number(1)) : nullptr;
        if (!child) return Fail(L"no such control");
        if (command == L"click") SendMessageW(child, BM_CLICK, 0, 0);
        if (command == L"checked") Out(std::to_wstring(SendMessageW(child, BM_GETCHECK, 0, 0)) + L"\n");
        if (command == L"window-text") Out(WindowText(child) + L"\n");
        return 0;
    }
    if (command == L"count-class" && (args.size() == 1 || args.size() == 2)) {
        // count-class CLASS [any]: the visible windows of that class of
        // Korvimo's, or with "any" all of them, shown or not, of any program.
        bool any = args.size() == 2;
        DWORD pid = 0;
        GetWindowThreadProcessId(MainWindow(), &pid);
        int count = 0;
        for (HWND w = FindWindowExW(nullptr, nullptr, args[0].c_str(), nullptr); w;
             w = FindWindowExW(nullptr, w, args[0].c_str(), nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            count += any || (owner == pid && IsWindowVisible(w));
        }
        Out(std::to_wstring(count) + L"\n");
        return 0;
    }
    if (command == L"mouse" && (args.size() == 4 || args.size() == 5)) {
        // mouse CONTROL-ID MESSAGE X Y [post]: a mouse message at a point of a
        // control, sent while the left button is held (a drag, a right press
        // during one), or posted with only the button it presses, for a press
        // that opens a popup menu, which would hold a sent message.
        HWND control = Control((int)number(0));
        if (!control) return Fail(L"no control");
        UINT message = (UINT)number(1);
        LPARAM at = MAKELPARAM((short)number(2), (short)number(3));
        if (args.size() == 5) return PostMessageW(control, message, PressedButton(message), at), 0;
        WPARAM keys = message == WM_LBUTTONDOWN || message == WM_MOUSEMOVE ? MK_LBUTTON : 0;
        if (message == WM_RBUTTONDOWN) keys = MK_LBUTTON | MK_RBUTTON;
        SendMessageW(control, message, keys, at);
        return 0;
    }
    if (command == L"menu-key" && args.size() == 1) {
        // menu-key LETTER: opens the menu-bar menu of that access key, as Alt+LETTER does.
        PostMessageW(MainWindow(), WM_SYSCOMMAND, SC_KEYMENU, (LPARAM)towlower(args[0][0]));
        return 0;
    }
    if (command == L"key" && (args.size() == 1 || args.size() == 2)) {
        // key VK [post]: a key press that reaches whatever has the focus, a
        // popup menu included, or one posted to Korvimo's window, where an
        // open menu reads it too, whichever window has the keyboard focus.
        UINT vk = (UINT)number(0);
        if (args.size() == 1) {
            keybd_event((BYTE)vk, 0, 0, 0);
            keybd_event((BYTE)vk, 0, KEYEVENTF_KEYUP, 0);
            return 0;
        }
        LPARAM scan = (LPARAM)MapVirtualKeyW(vk, MAPVK_VK_TO_VSC) << 16;
        PostMessageW(MainWindow(), WM_KEYDOWN, vk, 1 | scan);
        PostMessageW(MainWindow(), WM_KEYUP, vk, 1 | scan | 0xC0000000);
        return 0;
    }
    if (command == L"working-set") return PrintWorkingSet();
    if (command == L"soak" && args.size() == 3)
        return Soak((uint64_t)wcstoull(args[0].c_str(), nullptr, 10), (int)number(1), args[2]);
    if (command == L"texts" && args.size() == 1) return DumpTexts(args[0]);
    if (command == L"hold-on-change" && args.size() == 3)
        return HoldOnChange((DWORD)number(0), (int)number(1), args[2]);
    if (command == L"click-window" && (args.size() == 3 || args.size() == 4)) {
        // click-window CLASS X Y [MESSAGE]: a left click on a window of
        // Korvimo's, or only the one mouse message given.
        HWND window = FindProcessWindow(args[0].c_str(), nullptr);
        if (!window) return Fail(L"no such window");
        LPARAM at = MAKELPARAM((short)number(1), (short)number(2));
        std::vector<UINT> messages{WM_LBUTTONDOWN, WM_LBUTTONUP};
        if (args.size() == 4) messages = {(UINT)number(3)};
        for (UINT message : messages) PostMessageW(window, message, PressedButton(message), at);
        return 0;
    }
    if (command == L"close-window" && args.size() == 1) {
        // close-window CLASS: asks a window of any program to close, such as
        // one that Korvimo had the shell start.
        HWND window = FindProcessWindow(args[0].c_str(), nullptr, true);
        if (!window) return Fail(L"no such window");
        PostMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    }
    if (command == L"x-window" && args.size() == 1) {
        // x-window CLASS: the X11 window behind a window of Korvimo's, as
        // Wine's X11 driver notes it, for screenshots of that window alone.
        HWND window = FindProcessWindow(args[0].c_str(), nullptr);
        HANDLE x = window ? GetPropW(window, L"__wine_x11_whole_window") : nullptr;
        if (!x) return Fail(L"no X11 window");
        wchar_t id[32];
        swprintf(id, 32, L"0x%llx\n", (unsigned long long)(uintptr_t)x);
        Out(id);
        return 0;
    }
    if (command == L"toolbar") return PrintToolbar();
    if (command == L"click-tool" && args.size() == 1) return ClickToolButton((int)number(0));
    if (command == L"popup-ink") return PopupInk((DWORD)number(0));
    if (command == L"windows") {
        // windows: every visible top-level window, "CLASS\tTITLE\tOURS".
        std::wstring out;
        EnumWindows(ListWindow, (LPARAM)&out);
        Out(out);
        return 0;
    }
    if (command == L"node-point" && args.size() == 2) return PrintNodePoint(args[0], args[1]);
    if (command == L"tray-icons") {
        // tray-icons: the screen centre of each icon in Wine's own tray window.
        std::wstring out;
        HWND tray = FindWindowW(L"__winex11_standalone_tray", nullptr);
        for (HWND icon = tray ? GetWindow(tray, GW_CHILD) : nullptr; icon; icon = GetWindow(icon, GW_HWNDNEXT)) {
            RECT r;
            if (IsWindowVisible(icon) && GetWindowRect(icon, &r))
                out += std::to_wstring((r.left + r.right) / 2) + L" " + std::to_wstring((r.top + r.bottom) / 2) + L"\n";
        }
        Out(out);
        return 0;
    }
    if (command == L"real-click" && args.size() >= 2) {
        // real-click X Y [right|double]: a user's click at a point of the
        // screen, through the input queue to whatever window lies there.
        std::wstring how = args.size() > 2 ? args[2] : L"";
        SetCursorPos((int)number(0), (int)number(1));
        DWORD down = how == L"right" ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
        for (int i = how == L"double" ? 2 : 1; i > 0; --i) {
            mouse_event(down, 0, 0, 0, 0);
            mouse_event(down << 1, 0, 0, 0, 0);  // the matching release
        }
        return 0;
    }
    if (command == L"scroll-hit" && args.size() == 1) {
        // scroll-hit ID: the control ids of the windows that a click would
        // reach at the centres of the control's scroll-down and scroll-right buttons.
        HWND control = Control((int)number(0));
        RECT client;
        if (!control || !GetClientRect(control, &client)) return Fail(L"no control");
        int cx = GetSystemMetrics(SM_CXVSCROLL), cy = GetSystemMetrics(SM_CYHSCROLL);
        POINT points[] = {{client.right + cx / 2, client.bottom - cy / 2}, {client.right - cx / 2, client.bottom + cy / 2}};
        for (POINT& at : points) {
            ClientToScreen(control, &at);
            Out(std::to_wstring(GetDlgCtrlID(WindowFromPoint(at))) + L"\n");
        }
        return 0;
    }
    if (command == L"send" && (args.size() == 4 || args.size() == 5)) {
        // send CONTROL-ID MESSAGE WPARAM LPARAM [post]: a message that carries
        // no pointer, sent to a control (0: the main window), printing the
        // result, or posted, as the menus, the tray icon and the shell do.
        HWND control = number(0) ? Control((int)number(0)) : MainWindow();
        if (!control) return Fail(L"no control");
        UINT message = (UINT)number(1);
        WPARAM w = (WPARAM)number(2);
        LPARAM l = (LPARAM)number(3);
        if (args.size() == 5) return PostMessageW(control, message, w, l) ? 0 : Fail(L"not posted");
        Out(std::to_wstring(SendMessageW(control, message, w, l)) + L"\n");
        return 0;
    }
    if (command == L"record-args" && args.size() >= 1) {
        // record-args FILE ...: stands in for a program the shell starts;
        // appends its whole command line to FILE as a UTF-8 line.
        std::string line = ToUtf8(GetCommandLineW()) + "\n";
        HANDLE file = CreateFileW(args[0].c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return Fail(L"cannot write " + args[0]);
        DWORD written = 0;
        WriteFile(file, line.data(), (DWORD)line.size(), &written, nullptr);
        CloseHandle(file);
        return 0;
    }
    return Usage();
}
