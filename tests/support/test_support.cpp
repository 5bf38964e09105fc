// SPDX-License-Identifier: MIT
#include "test_support.h"

#include "sample_images.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <random>
#include <stdexcept>

namespace zfx::test {

std::optional<std::string> ScriptedHost::chooseOpenPath() {
    if (openAnswers.empty()) return std::nullopt;
    auto answer = openAnswers.front();
    openAnswers.pop_front();
    return answer;
}

std::optional<SaveChoice> ScriptedHost::chooseSavePath() {
    if (saveAnswers.empty()) return std::nullopt;
    auto answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
}

UnsavedChanges ScriptedHost::askToSaveChanges(const std::string& question) {
    questions.push_back(question);
    if (unsavedAnswers.empty()) return UnsavedChanges::Cancel;
    const UnsavedChanges answer = unsavedAnswers.front();
    unsavedAnswers.pop_front();
    return answer;
}

std::vector<std::string> ScriptedHost::messageTexts() const {
    std::vector<std::string> texts;
    for (const Message& message : messages)
        texts.push_back(message.text);
    return texts;
}

TempDir::TempDir() {
    static std::mt19937_64 generator{std::random_device{}()};
    m_path = std::filesystem::temp_directory_path() / ("zfx-test-" + std::to_string(generator()));
    std::filesystem::create_directories(m_path);
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
}

void writeBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::vector<std::uint8_t> readBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::vector<std::uint8_t>& sampleBytes(const std::string& fileName) {
    static const auto samples = [] {
        std::map<std::string, std::vector<std::uint8_t>> byName;
        for (auto& sample : samples::allSamples())
            byName[sample.fileName] = sample.bytes;
        return byName;
    }();
    return samples.at(fileName);
}

std::vector<std::string> sampleNames() {
    std::vector<std::string> names;
    for (const auto& sample : samples::allSamples())
        names.push_back(sample.fileName);
    return names;
}

std::vector<std::string> supportedSampleNames() {
    std::vector<std::string> names = sampleNames();
    names.erase(std::remove(names.begin(), names.end(), "unsupported.rom"), names.end());
    return names;
}

bool ScriptedHost::confirmSave(const std::string& question, const std::string& detail) {
    saveQuestions.emplace_back(question, detail);
    if (saveAnyway.empty()) return true;
    const bool answer = saveAnyway.front();
    saveAnyway.pop_front();
    return answer;
}

std::filesystem::path Editor::open(const std::vector<std::uint8_t>& bytes, const std::string& name) {
    const auto path = dir.file(name);
    model.loadImage(bytes, path.string());
    return path;
}

std::filesystem::path Editor::openFile(const std::vector<std::uint8_t>& bytes, const std::string& name) {
    const auto path = dir.file(name);
    writeBytes(path, bytes);
    if (!model.openBios(path.string()).ok()) throw std::runtime_error("cannot open " + path.string());
    return path;
}

std::vector<std::uint8_t> Editor::save(const std::string& name) {
    const auto path = dir.file(name);
    (void)model.saveBios(path.string(), kRomFilterEntry); // a failure leaves no file: the result is empty
    return readBytes(path);
}

samples::ImageBuilder cardImage(std::uint16_t device, std::size_t size) {
    samples::ImageBuilder builder(size);
    builder.header().pciData(0x180, device);
    return builder;
}

std::vector<std::uint8_t> sampleWithoutStructure(const std::string& name) {
    constexpr std::size_t kStructureAt = 0x0300; // where the samples keep their BMP or BIT signature
    std::vector<std::uint8_t> bytes = sampleBytes(name);
    std::fill(bytes.begin() + kStructureAt, bytes.begin() + kStructureAt + 8, 0);
    std::uint8_t sum = 0;
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i)
        sum = static_cast<std::uint8_t>(sum + bytes[i]);
    bytes.back() = static_cast<std::uint8_t>(0x100 - sum);
    return bytes;
}

} // namespace zfx::test
