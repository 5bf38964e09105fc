// SPDX-License-Identifier: MIT
// The structure window on the largest image the editor opens (16 MiB), against the open of that
// image in the same run: the time from nothing to the window shown and painted, median of 7.
#include "editor_windows.h"
#include "hex_view.h"
#include "sample_images.h"
#include "structure_window.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

using Clock = std::chrono::steady_clock;

// Answers nothing: no box may wait for a user during a measurement.
class NoDesktop final : public zfx::gui::DesktopServices {
  public:
    void showMessage(QWidget*, const zfx::Message&) override {}
    std::optional<QString> chooseOpenFile(QWidget*, const QString&) override { return std::nullopt; }
    std::optional<zfx::SaveChoice> chooseSaveFile(QWidget*, const QString&) override { return std::nullopt; }
    zfx::UnsavedChanges askToSaveChanges(QWidget*, const QString&) override {
        return zfx::UnsavedChanges::Discard;
    }
    bool confirmSave(QWidget*, const QString&, const QString&) override { return true; }
};

// The FX 5950 Ultra sample followed by FF up to 16 MiB, as a dump of a large flash chip reads.
std::string largeImage() {
    const auto file = std::filesystem::temp_directory_path() / "zfx-bench-16m.rom";
    for (const auto& sample : zfx::samples::allSamples())
        if (sample.fileName == "fx5950-ultra.rom") {
            std::vector<std::uint8_t> bytes = sample.bytes;
            bytes.resize(std::size_t{16} * 1024 * 1024, 0xFF);
            std::ofstream out(file, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<std::streamsize>(bytes.size()));
        }
    return file.string();
}

template <typename Step> double medianMilliseconds(Step step) {
    std::vector<double> runs;
    for (int run = 0; run < 7; ++run) {
        const auto start = Clock::now();
        step();
        runs.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(runs.begin(), runs.end());
    return runs[runs.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    NoDesktop desktop;
    zfx::gui::EditorWindows windows(desktop);
    const QString path = QString::fromStdString(largeImage());
    const double open = medianMilliseconds([&] {
        windows.TarvEdit.openFile(path);
        QApplication::processEvents();
    });
    const double structure = medianMilliseconds([&] {
        zfx::gui::StructureWindow window(nullptr);
        window.showModel(windows.TarvEdit.model());
        window.show();
        window.repaint();
        window.hexView()->viewport()->repaint();
        QApplication::processEvents();
    });
    std::printf("open of a 16 MiB image: %.1f ms\n", open);
    std::printf("structure window built, shown and painted: %.1f ms\n", structure);
    std::printf("structure window / open: %.2f\n", structure / open);
    return 0;
}
