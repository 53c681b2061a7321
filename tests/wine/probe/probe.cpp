// kvprobe: acts on a running Korvimo from another process, for the black-box tests. Every command
// prints its result as UTF-8 on stdout and exits 0, or prints a reason on stderr and exits 1. A TARGET
// is a number, Korvimo's control of that id (0: its main window), or CLASS or CLASS:ID, a shown
// top-level window of that class of any program, or its control of that id.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/ids.h"

using namespace korvimo;

namespace {

std::wstring FromUtf8(const std::string& bytes) {
    int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), (int)bytes.size(), nullptr, 0);
    std::wstring text(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), (int)bytes.size(), text.data(), n);
    return text;
}

int Out(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), nullptr, 0, nullptr, nullptr);
    std::string bytes(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), bytes.data(), n, nullptr, nullptr);
    DWORD written;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), (DWORD)bytes.size(), &written, nullptr);
    return 0;
}

int Fail(const std::wstring& why) {
    fwprintf(stderr, L"kvprobe: %ls\n", why.c_str());
    return 1;
}

std::string ReadFileBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream(std::filesystem::path(path), std::ios::binary) << bytes;
}

std::wstring Number(long long n) { return std::to_wstring(n); }

HWND MainWindow() { return FindWindowW(kMainWindowClass, nullptr); }

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

HWND Control(int id) {
    HWND main = MainWindow();
    if (!main || !id) return main;
    HWND direct = GetDlgItem(main, id);
    return direct ? direct : GetDlgItem(GetDlgItem(main, IDC_PIC), id);  // controls inside the viewer
}

// A shown top-level window of `cls`; of Korvimo's process only, unless anyProcess.
HWND FindShown(const std::wstring& cls, bool anyProcess) {
    HWND w = nullptr;
    while ((w = FindWindowExW(nullptr, w, cls.c_str(), nullptr)))
        if (IsWindowVisible(w) && (anyProcess || ProcessOf(w) == ProcessOf(MainWindow()))) return w;
    return nullptr;
}

// Asks `found` every 50 ms for up to `ms` milliseconds until it answers something.
template <typename Found>
auto Poll(DWORD ms, Found found) -> decltype(found()) {
    for (DWORD waited = 0;; waited += 50, Sleep(50))
        if (auto answer = found(); answer || waited >= ms) return answer;
}

HWND Target(const std::wstring& name) {
    if (iswdigit(name[0])) return Control(_wtoi(name.c_str()));
    size_t colon = name.find(L':');
    HWND window = FindShown(name.substr(0, colon), true);
    return window && colon != std::wstring::npos ? GetDlgItem(window, _wtoi(name.c_str() + colon + 1)) : window;
}

std::wstring WindowText(HWND window) {
    LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(length + 1, L'\0');
    text.resize(SendMessageW(window, WM_GETTEXT, length + 1, (LPARAM)text.data()));
    return text;
}

bool OpenClipboardPatiently() {
    return Poll(1000, [] { return OpenClipboard(nullptr); });
}

HGLOBAL GlobalCopy(const void* data, size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory) return nullptr;
    memcpy(GlobalLock(memory), data, size);
    GlobalUnlock(memory);
    return memory;
}

// A device-dependent bitmap of a pattern: each seed gives other pixels.
HBITMAP MakeBitmap(int width, int height, int seed) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
    std::vector<uint32_t> pixels((size_t)width * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            pixels[(size_t)y * width + x] = ((x * 7 + seed * 31) & 0xFF) << 16 | ((y * 5 + seed * 17) & 0xFF) << 8 |
                                            (((x ^ y) + seed * 13) & 0xFF);
    HDC screen = GetDC(nullptr);
    HBITMAP ddb = CreateDIBitmap(screen, &info.bmiHeader, CBM_INIT, pixels.data(), &info, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    return ddb;
}

// set-clipboard [--text FILE] [--dib FILE] [--bitmap WxH:SEED] [--mark NAME[=VALUE]]...:
// one change of the clipboard (none of them: emptied).
int SetClipboard(const std::vector<std::wstring>& args) {
    if (!OpenClipboardPatiently()) return Fail(L"clipboard busy");
    EmptyClipboard();
    for (size_t i = 0; i + 1 < args.size(); i += 2) {
        const std::wstring& flag = args[i];
        const std::wstring& value = args[i + 1];
        if (flag == L"--text") {
            std::wstring text = FromUtf8(ReadFileBytes(value));
            SetClipboardData(CF_UNICODETEXT, GlobalCopy(text.c_str(), (text.size() + 1) * sizeof(wchar_t)));
        } else if (flag == L"--dib") {
            std::string dib = ReadFileBytes(value);
            SetClipboardData(CF_DIB, GlobalCopy(dib.data(), dib.size()));
        } else if (flag == L"--bitmap") {
            int w = 0, h = 0, seed = 0;
            swscanf(value.c_str(), L"%dx%d:%d", &w, &h, &seed);
            SetClipboardData(CF_BITMAP, MakeBitmap(w, h, seed));
        } else if (flag == L"--mark") {
            size_t eq = value.find(L'=');
            DWORD number = eq == std::wstring::npos ? 0 : (DWORD)wcstoul(value.c_str() + eq + 1, nullptr, 10);
            UINT format = RegisterClipboardFormatW(value.substr(0, eq).c_str());
            SetClipboardData(format, GlobalCopy(&number, sizeof(number)));
        }
    }
    CloseClipboard();
    return 0;
}

// Memory in Korvimo's process, for the controls' pointer-carrying messages.
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, size_t size) {
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, ProcessOf(window));
        if (process_) address_ = (char*)VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
    }
    ~RemoteBuffer() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    char* Address(size_t offset = 0) const { return address_ ? address_ + offset : nullptr; }
    void Write(const void* data, size_t size) { WriteProcessMemory(process_, address_, data, size, nullptr); }
    void Read(void* data, size_t size, size_t offset = 0) {
        ReadProcessMemory(process_, address_ + offset, data, size, nullptr);
    }

private:
    HANDLE process_ = nullptr;
    char* address_ = nullptr;
};

struct TreeNode {
    HTREEITEM item;
    int depth;
    std::wstring key, label;
};

// The key the tests know a node by: M, T and P for the roots, TxtN and PicN for the entries.
std::wstring KeyOfParam(LPARAM param) {
    int32_t p = (int32_t)param;
    if (p < 0 && p >= -3) return std::wstring(1, L"MTP"[-p - 1]);
    if ((p & 0xFF000000) == 0x10000000) return L"Txt" + Number(p & 0xFFFFFF);
    if ((p & 0xFF000000) == 0x20000000) return L"Pic" + Number(p & 0xFFFFFF);
    return L"?";
}

std::vector<TreeNode> ReadTree() {
    std::vector<TreeNode> nodes;
    HWND tree = Control(IDC_TREEVIEW);
    RemoteBuffer remote(tree, sizeof(TVITEMW) + 1024 * sizeof(wchar_t));
    if (!tree || !remote.Address()) return nodes;
    auto next = [&](WPARAM how, HTREEITEM item) {
        return (HTREEITEM)SendMessageW(tree, TVM_GETNEXTITEM, how, (LPARAM)item);
    };
    // Depth first: down to the first child, else on to the next sibling of
    // the nearest node that has one.
    HTREEITEM item = next(TVGN_ROOT, nullptr);
    for (int depth = 0; item;) {
        TVITEMW query{TVIF_TEXT | TVIF_PARAM | TVIF_HANDLE, item};
        query.pszText = (wchar_t*)remote.Address(sizeof(TVITEMW));
        query.cchTextMax = 1023;
        remote.Write(&query, sizeof(query));
        SendMessageW(tree, TVM_GETITEMW, 0, (LPARAM)remote.Address());
        wchar_t text[1024] = L"";
        remote.Read(&query, sizeof(query));
        remote.Read(text, sizeof(text) - sizeof(wchar_t), sizeof(TVITEMW));
        nodes.push_back({item, depth, KeyOfParam(query.lParam), text});
        if (HTREEITEM child = next(TVGN_CHILD, item)) {
            item = child, ++depth;
            continue;
        }
        while (item && !next(TVGN_NEXT, item)) item = next(TVGN_PARENT, item), --depth;
        if (item) item = next(TVGN_NEXT, item);
    }
    return nodes;
}

// toolbar: the buttons in order, "ID\tENABLED\tTEXT\tX Y" with its centre (a separator "0\t0\t-\t0 0").
int PrintToolbar() {
    HWND toolbar = Control(IDC_TOOLBAR);
    RemoteBuffer remote(toolbar, sizeof(TBBUTTON) + 256 * sizeof(wchar_t));
    if (!toolbar || !remote.Address()) return Fail(L"no toolbar");
    std::wstring out;
    for (LRESULT i = 0, count = SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0); i < count; ++i) {
        TBBUTTON button{};
        SendMessageW(toolbar, TB_GETBUTTON, i, (LPARAM)remote.Address());
        remote.Read(&button, sizeof(button));
        if (button.fsStyle & BTNS_SEP) {
            out += L"0\t0\t-\t0 0\n";
            continue;
        }
        wchar_t text[256] = L"";
        LPARAM textAddress = (LPARAM)remote.Address(sizeof(TBBUTTON));
        LRESULT length = SendMessageW(toolbar, TB_GETBUTTONTEXTW, button.idCommand, textAddress);
        if (length > 0 && length < 255) remote.Read(text, (length + 1) * sizeof(wchar_t), sizeof(TBBUTTON));
        RECT r{};
        SendMessageW(toolbar, TB_GETITEMRECT, i, (LPARAM)remote.Address());
        remote.Read(&r, sizeof(r));
        bool enabled = SendMessageW(toolbar, TB_ISBUTTONENABLED, button.idCommand, 0);
        out += Number(button.idCommand) + L"\t" + Number(enabled) + L"\t" + text + L"\t" +
               Number((r.left + r.right) / 2) + L" " + Number((r.top + r.bottom) / 2) + L"\n";
    }
    return Out(out);
}

// Fills in a common open or save dialog of Korvimo's and confirms it (or cancels it with an empty path).
int AnswerFileDialog(const std::wstring& path, int filterIndex, DWORD ms) {
    HWND dialog = Poll(ms, [] { return FindShown(L"#32770", false); });
    if (!dialog) return Fail(L"no file dialog");
    Sleep(200);
    if (path.empty()) return PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0), 0;
    if (filterIndex > 0) {
        HWND types = GetDlgItem(dialog, 0x470);  // cmb1, the file types
        if (!types) return Fail(L"no file type list");
        SendMessageW(types, CB_SETCURSEL, filterIndex - 1, 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(0x470, CBN_SELCHANGE), (LPARAM)types);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(0x470, CBN_SELENDOK), (LPARAM)types);
    }
    HWND name = GetDlgItem(dialog, 0x47C);  // cmb13, the name box of the explorer dialog
    if (!name) return Fail(L"no file name box");
    SendMessageW(name, WM_SETTEXT, 0, (LPARAM)path.c_str());
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), (LPARAM)GetDlgItem(dialog, IDOK));
    return 0;
}

// viewer COUNTFILE SECONDS [HOLD_MS|swallow|hang]: a clipboard viewer of our own that passes notices on and
// writes how many it has had to COUNTFILE after each one (0 once it listens). With HOLD_MS it also grabs
// the clipboard on every second notice (the first, third, ...) before passing it on, and keeps it HOLD_MS
// milliseconds. With swallow it passes none on, with hang it stops answering at its first notice.
std::wstring g_countFile, g_mode;
HWND g_next = nullptr;
int g_notices = 0;
DWORD g_hold = 0;

LRESULT CALLBACK ViewerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DRAWCLIPBOARD) {
        if (g_mode == L"hang") Sleep(INFINITE);
        bool hold = ++g_notices % 2 == 1 && g_hold && OpenClipboardPatiently();
        if (g_next && g_mode != L"swallow") SendMessageW(g_next, message, wParam, lParam);
        if (hold) {
            Sleep(g_hold);
            CloseClipboard();
        }
        WriteFileBytes(g_countFile, std::to_string(g_notices));
    } else if (message == WM_CHANGECBCHAIN) {
        if ((HWND)wParam == g_next)
            g_next = (HWND)lParam;
        else if (g_next)
            SendMessageW(g_next, message, wParam, lParam);
    } else {
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return 0;
}

int RunViewer(const std::wstring& countFile, DWORD seconds, const std::wstring& mode) {
    g_countFile = countFile;
    WNDCLASSW wc{};
    wc.lpfnWndProc = ViewerProc;
    wc.lpszClassName = L"KvprobeViewer";
    RegisterClassW(&wc);
    HWND window = CreateWindowW(L"KvprobeViewer", L"", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    g_next = SetClipboardViewer(window);
    g_notices = 0;  // joining the chain may bring a notice of its own
    g_hold = _wtoi(mode.c_str()), g_mode = mode;
    WriteFileBytes(g_countFile, "0");
    SetTimer(window, 1, seconds * 1000, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0 && message.message != WM_TIMER) DispatchMessageW(&message);
    ChangeClipboardChain(window, g_next);
    return 0;
}

BOOL CALLBACK ListWindow(HWND window, LPARAM param) {
    wchar_t cls[256] = L"", title[256] = L"";
    GetClassNameW(window, cls, 256);
    GetWindowTextW(window, title, 256);
    RECT r{};
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, GetAncestor(window, GA_PARENT), (POINT*)&r, 2);
    bool ours = ProcessOf(window) == ProcessOf(MainWindow());
    *(std::wstring*)param += std::wstring(cls) + L"\t" + title + L"\t" + Number(ours) + L"\t" +
                             Number(IsWindowVisible(window) != 0) + L"\t" + Number(r.left) + L" " + Number(r.top) +
                             L" " + Number(r.right) + L" " + Number(r.bottom) + L"\t" +
                             Number(GetDlgCtrlID(window)) + L"\t" + Number(GetWindowLongW(window, GWL_STYLE)) +
                             L"\t" + Number(GetWindowLongPtrW(window, GWLP_USERDATA)) + L"\n";
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::wstring> args(argv + 1, argv + argc);
    std::wstring command = args.empty() ? L"" : args[0];
    auto number = [&](size_t i) { return i < args.size() ? wcstoll(args[i].c_str(), nullptr, 0) : 0LL; };
    auto path = [&](size_t i) { return i < args.size() ? args[i] : L""; };

    if (command == L"wait-window") {
        auto up = [] { return MainWindow() && IsWindowVisible(MainWindow()) && Control(IDC_TREEVIEW); };
        return Poll(number(1), up) ? 0 : Fail(L"no window");
    }
    if (command == L"wait-gone") return Poll(number(1), [] { return !MainWindow(); }) ? 0 : Fail(L"still there");
    if (command == L"set-clipboard") return SetClipboard({args.begin() + 1, args.end()});
    if (command == L"tree") {
        // tree: every node, "DEPTH\tKEY\tLABEL\tITEM", in tree order, ITEM its handle for the tree's messages.
        HWND tree = Control(IDC_TREEVIEW);
        std::wstring out;
        for (const TreeNode& n : ReadTree())
            out += Number(n.depth) + L"\t" + n.key + L"\t" + n.label + L"\t" + Number((uintptr_t)n.item) + L"\n";
        return tree ? Out(out) : Fail(L"no tree");
    }
    if (command == L"toolbar") return PrintToolbar();
    if (command == L"focus") {
        // focus: the class of the window that has the keyboard focus, whichever program's it is,
        // 1 if it is Korvimo's, and the modifier keys held down (C, A, S).
        GUITHREADINFO info{sizeof info};
        wchar_t cls[256] = L"";
        if (GetGUIThreadInfo(0, &info) && info.hwndFocus) GetClassNameW(info.hwndFocus, cls, 256);
        std::wstring held;
        for (auto [key, name] : {std::pair{VK_CONTROL, L'C'}, {VK_MENU, L'A'}, {VK_SHIFT, L'S'}})
            if (GetAsyncKeyState(key) < 0) held += name;
        bool ours = info.hwndFocus && ProcessOf(info.hwndFocus) == ProcessOf(MainWindow());
        return Out(std::wstring(cls) + L"\t" + Number(ours) + L"\t" + held);
    }
    if (command == L"clipboard") {
        // clipboard FILE: prints the clipboard's text and writes its DIB to FILE, as a paste reads them.
        if (!OpenClipboardPatiently()) return Fail(L"clipboard busy");
        HANDLE text = GetClipboardData(CF_UNICODETEXT), dib = GetClipboardData(CF_DIB);
        if (dib) WriteFileBytes(path(1), std::string((const char*)GlobalLock(dib), GlobalSize(dib)));
        std::wstring out = text ? (const wchar_t*)GlobalLock(text) : L"";
        return CloseClipboard(), Out(out);
    }
    if (command == L"text") {
        // text TARGET: the window's text.
        HWND window = Target(path(1));
        return window ? Out(WindowText(window)) : Fail(L"no such window");
    }
    if (command == L"set-text" || command == L"edit-label") {
        // set-text FILE: replaces the text box's text as typing does, so that the box reports the
        // change; edit-label FILE: types into the tree's open label editor and confirms it.
        std::wstring text = FromUtf8(ReadFileBytes(path(1)));
        HWND tree = Control(IDC_TREEVIEW), text1 = Control(IDC_TEXT1);
        if (command == L"set-text") {
            SendMessageW(text1, EM_SETSEL, 0, -1);
            return SendMessageW(text1, EM_REPLACESEL, TRUE, (LPARAM)text.c_str()), 0;
        }
        HWND editor = Poll(5000, [&] { return (HWND)SendMessageW(tree, TVM_GETEDITCONTROL, 0, 0); });
        if (!editor) return Fail(L"no label editor");
        SendMessageW(editor, WM_SETTEXT, 0, (LPARAM)text.c_str());
        return SendMessageW(tree, TVM_ENDEDITLABELNOW, FALSE, 0), 0;
    }
    if (command == L"file-dialog") return AnswerFileDialog(path(1), (int)number(2), (DWORD)number(3));
    if (command == L"viewer") return RunViewer(path(1), (DWORD)number(2), path(3));
    if (command == L"windows") {
        // windows [TARGET]: every top-level window, or every window inside TARGET, "CLASS\tTITLE\t
        // KORVIMO'S\tSHOWN\tLEFT TOP RIGHT BOTTOM\tID\tSTYLE\tUSERDATA", the place within its parent.
        std::wstring out;
        HWND parent = args.size() > 1 ? Target(args[1]) : nullptr;
        if (args.size() > 1 && !parent) return Fail(L"no window " + args[1]);
        parent ? EnumChildWindows(parent, ListWindow, (LPARAM)&out) : EnumWindows(ListWindow, (LPARAM)&out);
        return Out(out);
    }
    if (command == L"origin") {
        // origin TARGET: where the window's client area starts on the screen.
        HWND window = Target(path(1));
        POINT at{};
        if (!window || !ClientToScreen(window, &at)) return Fail(L"no such window");
        return Out(Number(at.x) + L" " + Number(at.y));
    }
    if (command == L"dpi" && args.size() >= 7) {
        // dpi TARGET DPI LEFT TOP RIGHT BOTTOM: what the system tells a window moved to a monitor of that DPI.
        HWND window = Target(path(1));
        RECT place{(LONG)number(3), (LONG)number(4), (LONG)number(5), (LONG)number(6)};
        RemoteBuffer remote(window, sizeof place);
        if (!window || !remote.Address()) return Fail(L"no such window");
        remote.Write(&place, sizeof place);
        return SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(number(2), number(2)), (LPARAM)remote.Address()), 0;
    }
    if ((command == L"send" || command == L"post") && args.size() >= 5) {
        // send TARGET MESSAGE WPARAM LPARAM: a message that carries no pointer, printing the result;
        // post TARGET (MESSAGE WPARAM LPARAM)...: messages posted in turn, as the menus, the mouse and the shell do.
        HWND window = Target(args[1]);
        if (!window) return Fail(L"no window " + args[1]);
        if (command == L"send") return Out(Number(SendMessageW(window, (UINT)number(2), number(3), number(4))));
        for (size_t i = 2; i + 2 < args.size(); i += 3)
            PostMessageW(window, (UINT)number(i), number(i + 1), number(i + 2));
        return 0;
    }
    if (command == L"key") {
        // key VK...: key presses posted to Korvimo's window, where an open menu reads them too.
        for (size_t i = 1; i < args.size(); ++i) {
            LPARAM scan = (LPARAM)MapVirtualKeyW((UINT)number(i), MAPVK_VK_TO_VSC) << 16;
            PostMessageW(MainWindow(), WM_KEYDOWN, number(i), 1 | scan);
            PostMessageW(MainWindow(), WM_KEYUP, number(i), 1 | scan | 0xC0000000);
        }
        return 0;
    }
    if (command == L"real-click") {
        // real-click X Y [right|double|left [TARGET [SLIDE]]]: a user's click at a point of the screen (or of
        // TARGET's client area), through the input queue to whatever lies there, released SLIDE pixels lower.
        POINT at{(int)number(1), (int)number(2)};
        if (args.size() > 4) ClientToScreen(Target(args[4]), &at);
        SetCursorPos(at.x, at.y);
        DWORD down = path(3) == L"right" ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN;
        for (int i = path(3) == L"double" ? 2 : 1; i > 0; --i) {
            mouse_event(down, 0, 0, 0, 0);
            SetCursorPos(at.x, at.y + (int)number(5));
            mouse_event(down << 1, 0, 0, 0, 0);  // the matching release
        }
        return 0;
    }
    if (command == L"tip") {
        // tip MS: the text of the tree's tip once Korvimo shows one (its tool is the tree itself).
        HWND tip = Poll((DWORD)number(1), [] { return FindShown(L"tooltips_class32", false); });
        HWND tree = Control(IDC_TREEVIEW);
        RemoteBuffer remote(tree, sizeof(TOOLINFOW) + 256 * sizeof(wchar_t));
        if (!tip || !remote.Address()) return Fail(L"no tip");
        TOOLINFOW tool{sizeof(tool), 0, tree, (UINT_PTR)tree};
        tool.lpszText = (LPWSTR)remote.Address(sizeof(tool));
        remote.Write(&tool, sizeof(tool));
        wchar_t text[256] = L"";
        SendMessageW(tip, TTM_GETTEXTW, 255, (LPARAM)remote.Address());
        return remote.Read(text, sizeof(text) - sizeof(wchar_t), sizeof(tool)), Out(text);
    }
    if (command == L"real-key") {
        // real-key VK...: a user's chord (0x11 0x09 is Ctrl+Tab) to the window with the focus.
        for (size_t i = 1; i < args.size(); ++i) keybd_event((BYTE)number(i), 0, 0, 0);
        for (size_t i = args.size() - 1; i > 0; --i) keybd_event((BYTE)number(i), 0, KEYEVENTF_KEYUP, 0);
        return 0;
    }
    if (command == L"scroll-hit") {
        // scroll-hit ID: the control ids of the windows that a click would reach at the centres of
        // the control's scroll-down and scroll-right buttons.
        HWND control = Control((int)number(1));
        RECT client;
        if (!control || !GetClientRect(control, &client)) return Fail(L"no control");
        int cx = GetSystemMetrics(SM_CXVSCROLL), cy = GetSystemMetrics(SM_CYHSCROLL);
        POINT points[] = {{client.right + cx / 2, client.bottom - cy / 2},
                          {client.right - cx / 2, client.bottom + cy / 2}};
        for (POINT& at : points) {
            ClientToScreen(control, &at);
            Out(Number(GetDlgCtrlID(WindowFromPoint(at))) + L"\n");
        }
        return 0;
    }
    return Fail(L"unknown command or wrong arguments; the commands are described in probe.cpp");
}
