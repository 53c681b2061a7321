#pragma once
// A picture held by the history. Its pixels live in the picture store; the
// history and the layout only need to know that a slot holds one and its size.
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
