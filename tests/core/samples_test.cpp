// SPDX-License-Identifier: MIT
#include "sample_images.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <ostream>

#include <numeric>

namespace zfx {
namespace {

struct SampleCase {
    std::string file;
    std::string device;
    std::string vendor;
    std::string version;
};

void PrintTo(const SampleCase& c, std::ostream* os) {
    *os << c.file;
}

class Samples : public ::testing::TestWithParam<SampleCase> {};

TEST_P(Samples, AreIdentifiedAndHaveACorrectChecksumAndNoReaderMessage) {
    const auto& bytes = test::sampleBytes(GetParam().file);
    EXPECT_EQ(bytes.size(), 65536u);
    EXPECT_EQ(std::accumulate(bytes.begin(), bytes.end(), 0u) % 256u, 0u);
    test::Editor e;
    e.open(bytes);
    EXPECT_EQ(e.form().deviceName, GetParam().device);
    EXPECT_EQ(e.form().vendorName, GetParam().vendor);
    EXPECT_EQ(e.form().biosVersion, GetParam().version);
    if (e.form().check(Control::TimingEdit).enabled) e.model.setChecked(Control::TimingEdit, true);
    const auto texts = e.host.messageTexts();
    const std::vector<std::string> expected = GetParam().device == "Unsupported!"
                                                  ? std::vector<std::string>{"Device unsupported : 0003"}
                                                  : std::vector<std::string>{};
    EXPECT_EQ(texts, expected);
}

INSTANTIATE_TEST_SUITE_P(
    All, Samples,
    ::testing::Values(SampleCase{"gf6800-ultra.rom", "Nvidia 6800 Ultra", "Nvidia", "5.40.02.15.00"},
                      SampleCase{"gf6800-gt.rom", "Nvidia 6800 GT", "Leadtek", "5.40.02.17.08"},
                      SampleCase{"gf6800.rom", "Nvidia 6800", "Gainward", "5.40.02.12.01"},
                      SampleCase{"fx5950-ultra.rom", "Nvidia FX5950 Ultra", "Asus", "4.38.20.24.00"},
                      SampleCase{"fx5900-xt.rom", "Nvidia FX5900 XT", "MSI", "4.35.20.32.00"},
                      SampleCase{"fx5800.rom", "Nvidia FX5800 Ultra", "Gainward", "4.30.20.18.00"},
                      SampleCase{"fx5700.rom", "Nvidia FX5700 Ultra", "Asus", "4.36.20.21.00"},
                      SampleCase{"fx5700-le.rom", "Nvidia FX5700 LE", "XFX", "4.36.20.26.00"},
                      SampleCase{"fx5600.rom", "Nvidia FX5600", "Leadtek", "4.31.20.23.00"},
                      SampleCase{"fx5600-ultra.rom", "Nvidia FX5600 Ultra", "MSI", "4.31.20.41.00"},
                      SampleCase{"fx5500.rom", "Nvidia FX5500", "XFX", "4.34.20.56.00"},
                      SampleCase{"fx5200.rom", "Nvidia FX5200", "Gainward", "4.34.20.16.00"},
                      SampleCase{"quadro-fx1000.rom", "Nvidia Quadro FX1000", "Nvidia", "4.30.20.35.00"},
                      SampleCase{"quadro-fx3000.rom", "Nvidia Quadro FX3000", "Nvidia", "4.35.20.55.00"},
                      SampleCase{"unsupported.rom", "Unsupported!", "Asus", "4.30.00.00.00"}));

} // namespace
} // namespace zfx
