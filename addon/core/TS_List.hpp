// TS_List: the program's one container. An ordered sequence of values of one
// type, back to back in one relocatable block of the host's handle memory that
// grows by exactly one element per insertion (no reserve).
//
// The block is always exactly GetCount() elements large. Elements are built and
// destroyed in place and are moved within the block as raw bytes, so an element
// type must not point into itself (TS_String and TS_Setting do not).
//
// When the block cannot grow, the list gives up its elements and its block: it is
// then empty for good, and insertions do nothing. No locking: a list is used by
// one thread at a time.
#pragma once

#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

#include "BM.hpp"
#include "FTM.hpp"
#include "GSRoot.hpp"
#include "core/TS_Setting.hpp"
#include "core/TS_String.hpp"

namespace velmora::core {

template <typename T> class TS_List {
public:
    // An empty list with a block of 0 bytes (without one when the host has no memory).
    TS_List() : block(BMAllocateHandle(0, blockFlags, memoryType)) {}
    virtual ~TS_List()
    {
        if (block != nullptr) {
            DestroyElements();
            BMKillHandle(&block);
        }
        count = 0;
    }
    TS_List(const TS_List&) = delete;
    TS_List& operator=(const TS_List&) = delete;

    // Inserts `value` before the element at `index` (0 to GetCount(); -1 or any
    // index past the end appends). The value is taken over; it is dropped when the
    // list has, or loses, its block.
    void Insert(T value, Int32 index = -1)
    {
        if (block == nullptr)
            return;
        const auto size = static_cast<UInt32>(count);
        UInt32 at = static_cast<UInt32>(index);
        if (at > size)
            at = size;
        GSHandle grown = BMReallocHandle(block, BMGetHandleSize(block) + static_cast<GSSize>(sizeof(T)),
                                         blockFlags, memoryType);
        if (grown == nullptr) {
            // The old block is intact: its elements are released with it.
            DestroyElements();
            BMKillHandle(&block);
            block = nullptr;
            count = 0;
            return;
        }
        block = grown;
        T* elements = Elements();
        if (at < size) {
            const Int32 state = BMModifyHandleState(block, BMLockHandle, 0);
            std::memmove(static_cast<void*>(elements + at + 1), static_cast<const void*>(elements + at),
                         (size - at) * sizeof(T));
            BMModifyHandleState(block, BMRestoreHandleState, state);
        }
        std::memset(static_cast<void*>(elements + at), 0, sizeof(T));
        ::new (static_cast<void*>(elements + at)) T(std::move(value));
        ++count;
    }

    // Destroys all elements and shrinks the block to 0 bytes.
    void RemoveAll()
    {
        if (block != nullptr) {
            DestroyElements();
            GSHandle shrunk = BMReallocHandle(block, 0, blockFlags, memoryType);
            if (shrunk != nullptr) {
                block = shrunk;
            } else {
                BMKillHandle(&block);
                block = BMAllocateHandle(0, blockFlags, memoryType);
            }
        }
        count = 0;
    }

    Int32 GetCount() const noexcept { return count; }
    // False once the list has lost its block.
    bool HasBlock() const noexcept { return block != nullptr; }

    // Valid until the next Insert, which may move the block.
    T& operator[](Int32 index) { return Elements()[index]; }
    const T& operator[](Int32 index) const { return Elements()[index]; }

private:
    static constexpr Int32 blockFlags = 2;
    static constexpr Int16 memoryType = 0;

    T* Elements() const noexcept { return reinterpret_cast<T*>(*block); }

    // Destroys the elements in index order, with the block locked; plain numbers
    // need no visit.
    void DestroyElements() noexcept
    {
        if constexpr (!std::is_trivially_destructible_v<T>) {
            BMModifyHandleState(block, BMLockHandle, 0);
            T* elements = Elements();
            for (Int32 i = 0; i < count; ++i)
                elements[i].~T();
            BMModifyHandleState(block, BMUnlockHandle, 0);
        }
    }

    Int32 count = 0;
    GSHandle block = nullptr;
};

extern template class TS_List<short>;
extern template class TS_List<TS_String>;
extern template class TS_List<TS_Setting>;
extern template class TS_List<FTM::GeneralID>;

} // namespace velmora::core
