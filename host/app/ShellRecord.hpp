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
    // Looks for `text` among the lines recorded after the last one found this way:
    // true and past it when it is there; else false with those lines in `others`.
    bool Find(const std::string& text, std::vector<std::string>* others);
    // The lines recorded since the previous call, for showing them to a person.
    std::vector<std::string> TakeNewForDisplay();

private:
    // The complete lines after the first `skip`.
    std::vector<std::string> LinesAfter(std::size_t skip) const;

    std::string file;
    std::size_t found = 0;
    std::size_t displayed = 0;
};

// Makes the shell recorder this process's shell: the recorder's folder goes first
// on PATH (the add-on's detached xdg-open finds it there, as does Wine's hand-off
// to the browser) and VELMORA_SHELL_RECORD names `file`. False when the recorder
// is missing.
bool UseShellRecorder(const std::string& file);

// The folder of the shell recorder: shell-recorder beside the program, where the
// build places it.
std::string ShellRecorderFolder();

} // namespace velmora::host
