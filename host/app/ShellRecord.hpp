// What the add-on handed to the system's shell, as the shell recorder
// (scripts/shell-recorder/xdg-open) wrote it down: one line per hand-off, in a
// file the host names. The host empties the file when a session starts, so every
// line in it was handed over during this session.
#pragma once

#include <string>
#include <vector>

namespace velmora::host {

class ShellRecord {
public:
    // `file` is a native path; empty: nothing is recorded. Empties the file.
    explicit ShellRecord(std::string file);

    bool Active() const { return !file.empty(); }
    const std::string& File() const { return file; }
    // Lines recorded since the previous call of the same kind: for expectations
    // (TakeNewForExpectation) and for showing them to a person (TakeNewForDisplay).
    std::vector<std::string> TakeNewForExpectation();
    std::vector<std::string> TakeNewForDisplay();

private:
    std::vector<std::string> LinesAfter(std::size_t* seen) const;

    std::string file;
    std::size_t expected = 0;
    std::size_t displayed = 0;
};

// Makes the shell recorder this process's shell: the recorder's folder goes first
// on PATH (the add-on's detached xdg-open finds it there, as does Wine's hand-off
// to the browser) and VELMORA_SHELL_RECORD names `file`. False when the recorder
// is missing.
bool UseShellRecorder(const std::string& file);

// The folder of the shell recorder in the source tree.
std::string ShellRecorderFolder();

} // namespace velmora::host
