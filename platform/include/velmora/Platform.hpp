// The operating-system calls of the add-on, behind one small interface.
// Two implementations: win32/ (the real Win32 calls) and posix/ (iconv, the C
// library's wide-character case mapping, POSIX threads and the dynamic linker).
//
// Paths handed to and returned by this layer are in the host's Windows form
// (backslash separators); the POSIX implementation maps them with PathForm.
#pragma once

#include <cstddef>
#include <string>

namespace velmora::platform {

using Unit = char16_t; // one UTF-16 code unit

// --- Code pages --------------------------------------------------------------
// Same contract as MultiByteToWideChar / WideCharToMultiByte with flags 0 (and no
// default character): `count` < 0 means up to and including the terminator; a
// null or zero-capacity target asks for the size; the result is the number of
// units or bytes written or needed, 0 on failure (unsupported code page, target
// too small, empty input). Code page 0 is the system's ANSI code page.
int MultiByteToWide(unsigned codePage, const char* source, int count, Unit* target, int capacity);
int WideToMultiByte(unsigned codePage, const Unit* source, int count, char* target, int capacity);

// The code page behind code page 0. On Windows the active code page (GetACP); on
// POSIX systems the host's setting: the environment variable VELMORA_ANSI_CODEPAGE
// when set to a supported code page, else 1252.
unsigned AnsiCodePage();

// --- Case mapping of one UTF-16 unit (CharLowerW / CharUpperW) ---------------
Unit ToLowerUnit(Unit unit);
Unit ToUpperUnit(Unit unit);

// --- Module ------------------------------------------------------------------
// The file path of the library that contains `addressInModule` (GetModuleFileNameW),
// in Windows form, cut to `capacity` − 1 units and terminated; returns the length.
std::size_t ModuleFilePath(const void* addressInModule, Unit* buffer, std::size_t capacity);
// Registers a window message by name (RegisterWindowMessageW); 0 where there is none.
unsigned RegisterNamedMessage(const Unit* name);

// --- Worker threads ----------------------------------------------------------
// The add-on's own threads, kept in a registry so that the add-on can account for
// them before its file is unmapped: nothing of the add-on may run after that.
//
// A worker counts as live from StartWorkerThread until it has really left the
// add-on's code (its thread has ended), not merely until its procedure returned.
// Each worker also holds a reference to the file that contains the add-on for as
// long as it runs (Windows: a module reference released by FreeLibraryAndExitThread;
// POSIX: a dlopen reference that the C library releases as the thread ends). So
// when the host frees the add-on while a worker still runs (without FreeData, or
// after StopWorkers gave up), the file stays mapped until the last worker has left,
// and the unload then happens on that worker's thread; nothing runs unmapped.
using ThreadProc = unsigned (*)(void* argument);

// [any thread] Starts a worker running proc(argument); false when the system
// refuses or while a stop is requested (proc then never runs). The caller keeps no
// handle; the worker ends by returning from proc, which owns `argument`.
bool StartWorkerThread(ThreadProc proc, void* argument);

// [any thread] The number of live workers (started and not yet ended).
int LiveWorkerCount();

// [any thread] True from the moment StopWorkers asks the workers to stop until it
// has seen all of them end. Long-running work (a transfer) polls it and ends early.
bool StopRequested();

// [UI thread] Asks every worker to stop and waits until all have ended, at most
// `timeoutMilliseconds` (0: only looks). True when no worker is left; the stop
// request is then withdrawn and new workers may start. False when some still run
// after the bound: the request stays, and the workers keep the add-on's file mapped
// (see above) until they end.
bool StopWorkers(unsigned timeoutMilliseconds);

// --- Shell -------------------------------------------------------------------
// [any thread] Hands `target` (zero-terminated UTF-16: a web address, or a path in
// Windows form) to the system's shell with the "open" verb and returns without
// waiting for whatever opens it. Nothing is converted to a code page on the way, so
// every name the file system holds arrives whole. Windows: ShellExecuteW with show
// command SW_SHOWNORMAL. POSIX: `xdg-open` started detached (no child is left to
// reap) with the text in UTF-8, a path "X:\..." in POSIX form; the opener inherits
// no descriptor of the host's beyond standard input, output and error (all three
// /dev/null) and starts with no signal blocked or ignored. False only when the
// system could not start the hand-off (or the text is no valid UTF-16); a missing
// browser or xdg-open is no failure, as on Windows. The caller keeps `target`.
bool ShellOpen(const Unit* target);
// The longest path, in UTF-16 units, that ShellOpen hands over whole: MAX_PATH - 1
// on Windows (the shell cuts longer ones), PATH_MAX - 1 on POSIX systems.
std::size_t ShellPathLimit();

// --- Downloads -----------------------------------------------------------------
// One web address fetched into one file, on the calling thread. The transfer tells
// its observer when the data begins to arrive, as it arrives and when it has all
// arrived; the add-on turns these events into the states its callers see.
class TransferObserver {
public:
    // [worker thread] Each returns true to ask for the transfer to be aborted.
    virtual bool OnBeginData() = 0;
    // `received` bytes so far of `total` (0 when the server announced no length).
    virtual bool OnData(unsigned long long received, unsigned long long total) = 0;
    virtual bool OnEndData() = 0;
    // [worker thread] Polled at least every 250 ms while the transfer runs, also
    // while the server sends nothing; true ends the transfer as Aborted. This is how
    // a Cancel or a deadline of the caller's reaches a stalled transfer.
    virtual bool AbortRequested() { return false; }

protected:
    ~TransferObserver() = default;
};

enum class TransferResult {
    Done,    // the file holds the whole body
    Failed,  // no file is left behind
    Aborted, // the observer asked, or the workers are asked to stop; no file is left behind
};

// [worker thread] Fetches `url` (http or https; at most 10 redirects, only to http
// or https and never from https to http; certificates verified) into the file at
// `targetPath` (Windows form), both zero-terminated and borrowed for the call, and
// returns when the transfer has ended. The target is created exclusively: when
// anything exists at `targetPath` (a symbolic link included, which is never
// followed) the transfer fails and leaves it alone; the file is not inherited by
// child processes. Done only when an HTTP status was seen and it is a 2xx, and the
// whole body arrived in its framing. Any other status, a reply that is not HTTP, a
// body longer than `maxBytes` (stopped as it arrives) or shorter than announced, a
// broken framing and every network or file error end as Failed; Failed and Aborted
// leave no file. Windows: urlmon after DeleteUrlCacheEntryW (both loaded on first
// use); POSIX: libcurl, loaded on first use.
TransferResult DownloadToFile(const Unit* url, const Unit* targetPath, unsigned long long maxBytes,
                              TransferObserver& observer);

} // namespace velmora::platform
