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
// The add-on's own threads. Each is counted as a live worker from StartWorkerThread
// until its procedure has returned, so that the add-on can wait for its workers
// before its file is unmapped and nothing of it runs afterwards.
using ThreadProc = unsigned (*)(void* argument);
// [any thread] Starts a worker running proc(argument); false when the system refuses
// (proc then never runs). The caller keeps no handle; the worker ends by returning.
bool StartWorkerThread(ThreadProc proc, void* argument);

// --- Shell -------------------------------------------------------------------
// [any thread] Hands `target` (zero-terminated bytes of the ANSI code page: a web
// address, or a path in Windows form) to the system's shell with the "open" verb and
// returns without waiting for whatever opens it. Windows: ShellExecuteA with show
// command SW_SHOWNORMAL. POSIX: `xdg-open` started detached (no child is left to
// reap), the bytes converted to UTF-8 and a path "X:\..." given in POSIX form.
// False only when the system could not start the hand-off; a missing browser or
// xdg-open is no failure, as on Windows. The caller keeps `target`.
bool ShellOpen(const char* target);
// The longest path, in bytes of the ANSI code page, that ShellOpen hands over whole:
// MAX_PATH - 1 on Windows (the ANSI shell functions cut longer ones), PATH_MAX - 1 on
// POSIX systems.
std::size_t ShellPathLimit();

} // namespace velmora::platform
