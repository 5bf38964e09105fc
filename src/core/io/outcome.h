// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace zfx {

inline constexpr const char* kCantOpenFile = "Cant open File!";
inline constexpr const char* kFileSaved = "File saved.";

// Why an open or a save ended as it did.
enum class OutcomeCause {
    Done,
    UnreadableFile, // the image file could not be read
    NoImage,        // nothing is open to save
    RefusedValue,   // a box holds a value that cannot be written
    WriteFailed,    // the target could not be written
    Cancelled,      // the user answered a question before the save with Cancel: nothing was written
};

// The end of an open or a save: its cause, the system's own main text and the detail that
// explains it. The host shows it; the CLI takes its exit code from the cause.
struct [[nodiscard]] Outcome {
    OutcomeCause cause = OutcomeCause::Done;
    std::string text;
    std::string detail;
    bool ok() const { return cause == OutcomeCause::Done; }
};

} // namespace zfx
