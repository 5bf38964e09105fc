// SPDX-License-Identifier: MIT
// The baseline of bench/cli_vs_reader.sh: opens each file named on the command line, learns its size,
// reads it whole in one read call and closes it. That is the least zorvane-fx-cli info can do with
// a file; whatever it takes beyond this is its own work. Prints how many files and bytes it read.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

int main(int argc, char** argv) {
    std::vector<char> buffer;
    unsigned long long total = 0;
    for (int i = 1; i < argc; ++i) {
        const int fd = ::open(argv[i], O_RDONLY | O_CLOEXEC);
        if (fd < 0) {
            std::fprintf(stderr, "%s: %s\n", argv[i], std::strerror(errno));
            return 1;
        }
        struct stat status {};
        if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
            std::fprintf(stderr, "%s: not a plain file\n", argv[i]);
            return 1;
        }
        const auto size = static_cast<std::size_t>(status.st_size);
        // One byte more than the size, as the CLI asks for, so a single call reads the file whole.
        if (buffer.size() < size + 1) buffer.resize(size + 1);
        const ssize_t got = ::read(fd, buffer.data(), size + 1);
        if (got < 0 || static_cast<std::size_t>(got) != size) {
            std::fprintf(stderr, "%s: not read whole in one call\n", argv[i]);
            return 1;
        }
        ::close(fd);
        total += static_cast<unsigned long long>(got);
    }
    std::printf("%d files, %llu bytes\n", argc - 1, total);
    return 0;
}
