#pragma once
// A picture held by the history. The Win32 shell owns the real bitmap; the core
// only needs to know that a slot holds one and how large it is.
#include <cstdint>
#include <memory>

namespace korvimo {

class Picture {
public:
    virtual ~Picture() = default;
    virtual int32_t Width() const = 0;   // pixels
    virtual int32_t Height() const = 0;  // pixels
};

using PictureRef = std::shared_ptr<const Picture>;

}  // namespace korvimo
