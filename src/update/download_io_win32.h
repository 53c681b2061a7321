#pragma once
// Win32 sides of the download's socket, file and clock.
// winsock2.h must come before windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <string>

#include "update/download.h"

namespace korvimo {

struct HostLookup;

// A TCP client whose events (FD_CONNECT, FD_READ, FD_CLOSE) arrive as
// `message` at `window` through WSAAsyncSelect: wParam is the socket,
// WSAGETSELECTEVENT/WSAGETSELECTERROR(lParam) the event and its error.
//
// The host is looked up on a worker thread, since a slow or absent resolver
// can take many seconds and the window's thread must keep answering (it is
// the main window's too); the worker posts `lookup_message` to `window` when
// it is done, and OnLookupNotice then starts the connect. The host's
// addresses are tried in turn (a broken IPv6 route, or a server that listens
// on 127.0.0.1 only while "localhost" gives ::1 first, fails the first one).
class WinsockDownloadSocket : public DownloadSocket {
public:
    WinsockDownloadSocket(HWND window, UINT message, UINT lookup_message);
    ~WinsockDownloadSocket() override;
    WinsockDownloadSocket(const WinsockDownloadSocket&) = delete;
    WinsockDownloadSocket& operator=(const WinsockDownloadSocket&) = delete;

    // Starts the host lookup; false when not even that could be started.
    bool Connect(const std::string& host, uint16_t port) override;
    bool Send(const std::string& bytes) override;
    // Also forgets a lookup still under way: its worker frees it when done.
    void Close() override;
    bool IsClosed() const override { return socket_ == INVALID_SOCKET && !lookup_; }

    enum class LookupStep { kPending, kConnecting, kFailed };
    // A lookup_message came: kFailed when the host was not found or the
    // connect could not be started; kPending when the notice is not about
    // the current lookup or it is not done yet.
    LookupStep OnLookupNotice();
    // The connect failed: tries the host's next address. False when none is left.
    bool ConnectNext();

    // Whether a notice is about the current socket (notices of a socket that
    // was closed may still be queued).
    bool Owns(WPARAM notice_socket) const {
        return socket_ != INVALID_SOCKET && static_cast<SOCKET>(notice_socket) == socket_;
    }
    // Takes all data waiting on the socket. failed is set when the socket
    // reports an error other than "no more data for now".
    std::string ReceiveAll(bool& failed);

private:
    void CloseSocketOnly();

    HWND window_;
    UINT message_;
    UINT lookup_message_;
    SOCKET socket_ = INVALID_SOCKET;
    HostLookup* lookup_ = nullptr;    // under way
    HostLookup* resolved_ = nullptr;  // done: its addresses, tried in turn
    const addrinfo* next_address_ = nullptr;
};

// The local file, kept open for writing while the download runs.
class Win32DownloadFile : public DownloadFile {
public:
    explicit Win32DownloadFile(std::wstring path) : path_(std::move(path)) {}
    ~Win32DownloadFile() override { Close(); }
    Win32DownloadFile(const Win32DownloadFile&) = delete;
    Win32DownloadFile& operator=(const Win32DownloadFile&) = delete;

    bool Truncate() override;
    bool WriteAt(uint64_t offset, const std::string& bytes) override;
    void Close() override;
    void Delete() override;

    const std::wstring& path() const { return path_; }
    // The whole file, at most max_bytes of it; empty when it cannot be read.
    std::string ReadAll(size_t max_bytes) const;

private:
    std::wstring path_;
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

class LocalDownloadClock : public DownloadClock {
public:
    double SecondsSinceMidnight() const override;
    double SteadySeconds() const override;
};

}  // namespace korvimo
