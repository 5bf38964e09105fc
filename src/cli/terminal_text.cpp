// SPDX-License-Identifier: MIT
// The lines zorvane-fx-cli writes about a file: what comes from a file is shown escaped, so that
// it cannot act on the terminal.
#include "commands.h"

#include "text/number_text.h"

#include <algorithm>
#include <ostream>

namespace zfx::cli {

std::string visibleLines(std::string_view text) {
    std::string shown;
    for (std::size_t start = 0;;) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        shown += visibleText(text.substr(start, end - start));
        if (end == text.size()) return shown;
        shown += '\n';
        start = end + 1;
    }
}

void reportFailure(std::ostream& err, const std::string& file, const Outcome& outcome) {
    std::string detail = outcome.detail;
    // A failed write names its file already.
    if (detail.starts_with(file + ": ")) detail.erase(0, file.size() + 2);
    // The name and a detail that may hold other names are shown escaped, as all text from files.
    err << visibleText(file) << ": " << outcome.text << (detail.empty() ? "" : " " + visibleLines(detail))
        << "\n";
}

} // namespace zfx::cli
