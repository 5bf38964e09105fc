// SPDX-License-Identifier: MIT
#include "cli.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>

int main(int argc, char** argv) {
    // Past a file-size limit a write fails with EFBIG and the save reports it, instead of the
    // signal ending the program with a temporary file left behind.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int code = zfx::cli::run(args, std::cout, std::cerr);
    // Output that could not be written is an error, as for cat and ls.
    std::cout.flush();
    if (!std::cout || std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::cerr << "zorvane-fx-cli: the output could not be written: " << std::strerror(errno) << "\n";
        return zfx::cli::kExitFailed;
    }
    return code;
}
