// The output side of the POSIX code-page conversions.
#pragma once

#include <cstddef>

namespace velmora::platform::detail {

// Receives converted output: writes it to the caller's target while it fits and
// counts all of it. Without a target it only counts, through a scratch area that
// iconv may fill and that is then reused.
template <typename T> class Output {
public:
    Output(T* destination, std::size_t room)
        : target(destination), capacity(destination != nullptr ? room : 0)
    {
    }
    Output(const Output&) = delete;
    Output& operator=(const Output&) = delete;

    bool HasTarget() const { return target != nullptr; }
    std::size_t Count() const { return count; }
    bool Overflowed() const { return overflow; }

    void Put(T value)
    {
        if (target != nullptr) {
            if (count >= capacity) {
                overflow = true;
                return;
            }
            target[count] = value;
        }
        ++count;
    }

    // Where a bulk converter may write next, and how many bytes it may write there.
    char* Space() { return reinterpret_cast<char*>(target != nullptr ? target + count : scratch); }
    std::size_t SpaceBytes() const
    {
        return (target != nullptr ? capacity - count : scratchSize) * sizeof(T);
    }
    // The bulk converter wrote `bytes` bytes at Space().
    void Advance(std::size_t bytes) { count += bytes / sizeof(T); }
    void MarkOverflow() { overflow = true; }

private:
    static constexpr std::size_t scratchSize = 4096;
    T* target;
    std::size_t capacity;
    std::size_t count = 0;
    bool overflow = false;
    T scratch[scratchSize];
};

} // namespace velmora::platform::detail
