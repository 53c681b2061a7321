#pragma once
// The update download with its socket, file and clock kept in memory; shared
// by the unit tests and the fuzzer.
#include <algorithm>
#include <cmath>
#include <string>

#include "update/download.h"

namespace korvimo::testing {

struct FakeSocket : DownloadSocket {
    bool Connect(const std::string& host, uint16_t port) override {
        address = host + ":" + std::to_string(port);
        closed = !connect_ok;
        return connect_ok;
    }
    bool Send(const std::string& bytes) override {
        sent += bytes;
        return send_ok;
    }
    void Close() override { closed = true; }
    bool IsClosed() const override { return closed; }

    bool connect_ok = true, send_ok = true, closed = true;
    std::string address, sent;
};

// Bytes land where they are aimed, so a wrong offset shows in the content.
struct FakeFile : DownloadFile {
    bool Truncate() override {
        exists = open = true;
        content.clear();
        return truncate_ok;
    }
    bool WriteAt(uint64_t offset, const std::string& bytes) override {
        if (!write_ok || !open) return false;
        content.resize(std::max<size_t>(content.size(), offset + bytes.size()), '?');
        content.replace(offset, bytes.size(), bytes);
        return true;
    }
    void Close() override { open = false; }
    void Delete() override {
        exists = open = false;
        content.clear();
    }

    bool truncate_ok = true, write_ok = true, exists = false, open = false;
    std::string content;
};

// Each reading moves the time on by `step`, round past midnight.
struct FakeClock : DownloadClock {
    double SecondsSinceMidnight() const override { return now = std::fmod(now + step, 86400.0); }
    mutable double now = 1000.0;
    double step = 0.0;
};

struct DownloadRig {
    FakeSocket socket;
    FakeFile file;
    FakeClock clock;
    Download download{socket, file, clock};
};

}  // namespace korvimo::testing
