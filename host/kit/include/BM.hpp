// BM: the host's handle-based memory manager. A handle is a relocatable block:
// the handle stays valid while the block it points to may move on reallocation.
#pragma once

#include "GSRoot.hpp"

// Handle-state requests of BMModifyHandleState.
constexpr Int32 BMLockHandle = 1;    // lock; returns the previous state
constexpr Int32 BMUnlockHandle = 3;  // unlock
constexpr Int32 BMRestoreHandleState = 6;  // restore the state given in the same call's value

// Allocation flags and memory types are accepted and recorded; the kit ignores their meaning.
extern "C" {
KIT_API GSHandle BMAllocateHandle(GSSize size, Int32 flags, Int16 memType);
// Returns the (possibly moved) handle, or null when no memory could be had;
// the old handle and its block are then left as they were.
KIT_API GSHandle BMReallocHandle(GSHandle handle, GSSize newSize, Int32 flags, Int16 memType);
KIT_API GSSize BMGetHandleSize(GSHandle handle);
// request BMLockHandle/BMUnlockHandle, or BMRestoreHandleState with the state in `state`.
KIT_API Int32 BMModifyHandleState(GSHandle handle, Int32 request, Int32 state);
KIT_API void BMKillHandle(GSHandle* handle);
}
