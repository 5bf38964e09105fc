// SPDX-License-Identifier: MIT
// findPattern against a plain search: the first byte gives the pattern length, then the pattern,
// then the image.
#include "image/bios_image.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::size_t n = 1 + data[0] % 8;
    if (size < 1 + n) return 0;
    const std::vector<std::uint8_t> pattern(data + 1, data + 1 + n);
    const std::vector<std::uint8_t> bytes(data + 1 + n, data + size);

    std::int64_t reference = -1;
    for (std::int64_t s = static_cast<std::int64_t>(bytes.size()) - static_cast<std::int64_t>(n);
         s >= 0 && reference < 0; --s)
        if (std::equal(pattern.begin(), pattern.end(), bytes.begin() + s)) reference = s;

    if (zfx::lastOccurrence(bytes.data(), bytes.size(), pattern.data(), pattern.size()) != reference) {
        std::fprintf(stderr, "lastOccurrence disagrees with the plain search\n");
        std::abort();
    }
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (const std::uint8_t b : pattern) {
        hex += digits[b >> 4];
        hex += digits[b & 15];
    }
    const zfx::BiosImage image(bytes);
    if (image.findPattern(hex) != (reference > 0 ? reference : 0)) {
        std::fprintf(stderr, "findPattern disagrees with the plain search\n");
        std::abort();
    }
    return 0;
}
