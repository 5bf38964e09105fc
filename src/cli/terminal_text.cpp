// SPDX-License-Identifier: MIT
// The lines zorvane-fx-cli writes about a file: what comes from a file is shown escaped, so that
// it cannot act on the terminal.
#include "commands.h"

#include "text/number_text.h"

#include <ostream>

namespace zfx::cli {

void reportFailure(std::ostream& err, const std::string& file, const Outcome& outcome) {
    std::string detail = outcome.detail;
    // A failed write names its file already.
    if (detail.starts_with(file + ": ")) detail.erase(0, file.size() + 2);
    // The name and a detail that may quote other names, or a typed value, are shown escaped, each
    // as one line.
    err << visibleText(file) << ": " << outcome.text << (detail.empty() ? "" : " " + visibleText(detail))
        << "\n";
}

} // namespace zfx::cli
