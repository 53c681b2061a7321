#include "update/download_io_win32.h"

#include <algorithm>

namespace korvimo {

namespace {

bool EnsureWinsock() {
    static bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

}  // namespace

// One host lookup, shared by the socket that asked for it and the worker
// thread that runs it. Whichever lets go last frees it, so a window closed
// while the lookup runs neither waits for it nor leaks its result.
struct HostLookup {
    std::string host, service;
    HWND window;
    UINT message;
    addrinfo* found = nullptr;
    volatile LONG done = 0;
    volatile LONG holders = 2;
};

namespace {

void Release(HostLookup* lookup) {
    if (InterlockedDecrement(&lookup->holders) != 0) return;
    if (lookup->found) freeaddrinfo(lookup->found);
    delete lookup;
}

DWORD WINAPI LookUpHost(void* parameter) {
    auto* lookup = static_cast<HostLookup*>(parameter);
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    if (getaddrinfo(lookup->host.c_str(), lookup->service.c_str(), &hints, &lookup->found) != 0)
        lookup->found = nullptr;
    InterlockedExchange(&lookup->done, 1);
    // Fails harmlessly when the window is gone.
    PostMessageW(lookup->window, lookup->message, 0, 0);
    Release(lookup);
    return 0;
}

}  // namespace

WinsockDownloadSocket::WinsockDownloadSocket(HWND window, UINT message, UINT lookup_message)
    : window_(window), message_(message), lookup_message_(lookup_message) {}

WinsockDownloadSocket::~WinsockDownloadSocket() { Close(); }

bool WinsockDownloadSocket::Connect(const std::string& host, uint16_t port) {
    Close();
    if (!EnsureWinsock()) return false;
    auto* lookup = new HostLookup{host, std::to_string(port), window_, lookup_message_};
    HANDLE worker = CreateThread(nullptr, 0, LookUpHost, lookup, 0, nullptr);
    if (!worker) {
        delete lookup;
        return false;
    }
    CloseHandle(worker);
    lookup_ = lookup;
    return true;
}

WinsockDownloadSocket::LookupStep WinsockDownloadSocket::OnLookupNotice() {
    // A notice of a lookup given up since may still be queued.
    if (!lookup_ || InterlockedCompareExchange(&lookup_->done, 1, 1) == 0) return LookupStep::kPending;
    resolved_ = lookup_;
    lookup_ = nullptr;
    next_address_ = resolved_->found;
    return ConnectNext() ? LookupStep::kConnecting : LookupStep::kFailed;
}

bool WinsockDownloadSocket::ConnectNext() {
    CloseSocketOnly();
    while (resolved_ && next_address_) {
        const addrinfo* address = next_address_;
        next_address_ = address->ai_next;
        SOCKET s = socket(address->ai_family, address->ai_socktype, address->ai_protocol);
        if (s == INVALID_SOCKET) continue;
        // Registering for notices also makes the socket non-blocking.
        if (WSAAsyncSelect(s, window_, message_, FD_CONNECT | FD_READ | FD_CLOSE) == 0 &&
            (connect(s, address->ai_addr, static_cast<int>(address->ai_addrlen)) == 0 ||
             WSAGetLastError() == WSAEWOULDBLOCK)) {
            socket_ = s;
            return true;
        }
        closesocket(s);
    }
    Close();  // every address failed: the lookup is of no more use
    return false;
}

bool WinsockDownloadSocket::Send(const std::string& bytes) {
    if (socket_ == INVALID_SOCKET) return false;
    size_t sent = 0;
    // The request is a few hundred bytes and goes out on a fresh connection:
    // the send buffer takes it whole, so "would block" here is a failure.
    while (sent < bytes.size()) {
        int n = send(socket_, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
        if (n == SOCKET_ERROR || n == 0) return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

void WinsockDownloadSocket::Close() {
    for (HostLookup** held : {&lookup_, &resolved_}) {
        if (*held) Release(*held);
        *held = nullptr;
    }
    next_address_ = nullptr;
    CloseSocketOnly();
}

void WinsockDownloadSocket::CloseSocketOnly() {
    if (socket_ == INVALID_SOCKET) return;
    WSAAsyncSelect(socket_, window_, 0, 0);
    closesocket(socket_);
    socket_ = INVALID_SOCKET;
}

std::string WinsockDownloadSocket::ReceiveAll(bool& failed) {
    failed = false;
    std::string data;
    if (socket_ == INVALID_SOCKET) return data;
    char buffer[8192];
    for (;;) {
        int n = recv(socket_, buffer, sizeof buffer, 0);
        if (n > 0) {
            data.append(buffer, static_cast<size_t>(n));
            continue;
        }
        if (n == SOCKET_ERROR && WSAGetLastError() != WSAEWOULDBLOCK) failed = true;
        break;  // 0: the peer has closed; would-block: nothing more for now
    }
    return data;
}

bool Win32DownloadFile::Truncate() {
    Close();
    handle_ = CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    return handle_ != INVALID_HANDLE_VALUE;
}

bool Win32DownloadFile::WriteAt(uint64_t offset, const std::string& bytes) {
    if (handle_ == INVALID_HANDLE_VALUE) {
        handle_ = CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle_ == INVALID_HANDLE_VALUE) return false;
    }
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(handle_, position, nullptr, FILE_BEGIN)) return false;
    size_t written = 0;
    while (written < bytes.size()) {
        DWORD n = 0;
        DWORD want = static_cast<DWORD>(std::min<size_t>(bytes.size() - written, 1u << 20));
        if (!WriteFile(handle_, bytes.data() + written, want, &n, nullptr) || n == 0) return false;
        written += n;
    }
    return true;
}

void Win32DownloadFile::Close() {
    if (handle_ == INVALID_HANDLE_VALUE) return;
    CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
}

void Win32DownloadFile::Delete() {
    Close();
    DeleteFileW(path_.c_str());
}

std::string Win32DownloadFile::ReadAll(size_t max_bytes) const {
    std::string data;
    HANDLE h = CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return data;
    char buffer[8192];
    DWORD n = 0;
    while (data.size() < max_bytes && ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n > 0) {
        data.append(buffer, std::min<size_t>(n, max_bytes - data.size()));
    }
    CloseHandle(h);
    return data;
}

double LocalDownloadClock::SecondsSinceMidnight() const {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return now.wHour * 3600.0 + now.wMinute * 60.0 + now.wSecond + now.wMilliseconds / 1000.0;
}

double LocalDownloadClock::SteadySeconds() const { return static_cast<double>(GetTickCount64()) / 1000.0; }

}  // namespace korvimo
