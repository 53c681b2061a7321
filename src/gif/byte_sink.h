#pragma once
// Where encoded file bytes go. The encoders only ever append, so a file on
// Windows and a byte vector in the tests can stand behind the same interface.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace korvimo {

class ByteSink {
public:
    virtual ~ByteSink() = default;
    // Appends size bytes; false when they could not all be stored.
    virtual bool Write(const uint8_t* data, size_t size) = 0;
};

class VectorSink final : public ByteSink {
public:
    bool Write(const uint8_t* data, size_t size) override {
        bytes.insert(bytes.end(), data, data + size);
        return true;
    }
    std::vector<uint8_t> bytes;
};

}  // namespace korvimo
