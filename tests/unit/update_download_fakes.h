#pragma once
// The update download's socket, file and clock in memory, for the unit tests and the fuzzer.
#include <cmath>
#include <string>

#include "update/download.h"

namespace korvimo::testing {

struct FakeSocket : DownloadSocket {
    bool Connect(const std::string&, uint16_t) override {
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
    std::string sent;
};

// Bytes land where they are aimed, so a wrong offset shows in the content.
struct FakeFile : DownloadFile {
    bool Truncate() override {
        exists = open = true;
        content.clear();
        return truncate_ok;
    }
    bool WriteAt(uint64_t offset, const std::string& bytes) override {
        if (!write_ok) return false;
        if (content.size() < offset + bytes.size()) content.resize(offset + bytes.size(), '?');
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

// Every reading moves the time on by `step`, round past midnight.
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
