// SPDX-License-Identifier: MIT
#include "cli.h"

#include <iostream>

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return zfx::cli::run(args, std::cout, std::cerr);
}
