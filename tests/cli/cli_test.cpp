// SPDX-License-Identifier: MIT
#include "cli.h"
#include "editor/settings.h"
#include "planted_faults.h"
#include "test_support.h"
#include "text/number_text.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>

#include <cstdlib>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>

namespace zfx::cli {
namespace {

using json = nlohmann::ordered_json;
using Bytes = std::vector<std::uint8_t>;

struct CliRun {
    int code;
    std::string out;
    std::string err;
    json firstJson() const { return json::parse(out.substr(0, out.find('\n'))); }
};

CliRun runCli(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = run(args, out, err);
    return {code, out.str(), err.str()};
}

class CliTest : public ::testing::Test {
  protected:
    std::string sample(const std::string& name) {
        const auto path = m_dir.file(name);
        if (!std::filesystem::exists(path)) test::writeBytes(path, test::sampleBytes(name));
        return path.string();
    }
    std::string path(const std::string& name) { return m_dir.file(name).string(); }
    test::TempDir m_dir;
};

TEST_F(CliTest, InfoJsonHasExactlyTheContractsKeys) {
    const CliRun r = runCli({"info", "--json", sample("fx5950-ultra.rom")});
    ASSERT_EQ(r.code, 0) << r.err;
    const json j = r.firstJson();
    std::vector<std::string> keys;
    for (const auto& item : j.items())
        keys.push_back(item.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"file", "device", "deviceText", "biosVersion", "vendor",
                                              "flags", "pciIds", "generalMode", "timingEdit", "voltages",
                                              "clocks", "memoryRates", "timings", "offsets", "messages",
                                              "warnings", "levels"}));
    EXPECT_EQ(j["device"], "Nvidia FX5950 Ultra");
    EXPECT_EQ(j["deviceText"], "3303");
    EXPECT_EQ(j["biosVersion"], "4.38.20.24.00");
    EXPECT_EQ(j["vendor"], "Asus");
    EXPECT_EQ(j["flags"], json::array({"is5900"}));
    EXPECT_EQ(j["generalMode"], (json{{"enabled", true}, {"ticked", false}}));
    EXPECT_EQ(j["voltages"]["3d"]["entries"], json::array({"1.2V", "1.3V", "1.4V", "1.5V"}));
    EXPECT_EQ(j["voltages"]["3d"]["selected"], 2);
    EXPECT_EQ(j["clocks"]["core3d"], (json{{"text", "475"}, {"enabled", true}}));
    EXPECT_EQ(j["memoryRates"]["2d"], "(950Mhz DDR)");
    EXPECT_EQ(j["offsets"],
              (json{{"pciData", 0x180}, {"voltageTable", 0x1000}, {"clockTable", 0x2000}, {"timingA", 0}}));
    EXPECT_EQ(j["messages"], json::array());
}

TEST_F(CliTest, InfoPrintsOneObjectPerFileAndTicksOnRequest) {
    const CliRun r = runCli(
        {"info", "--json", "--general-mode", "--timings", sample("fx5950-ultra.rom"), sample("fx5200.rom")});
    ASSERT_EQ(r.code, 0);
    std::istringstream lines(r.out);
    std::string first, second;
    std::getline(lines, first);
    std::getline(lines, second);
    const json a = json::parse(first), b = json::parse(second);
    EXPECT_EQ(a["warnings"], json::array({"general-mode", "memory-timings"}));
    EXPECT_EQ(a["timings"]["A"]["text"], "5");
    EXPECT_EQ(a["offsets"]["timingA"], 0x1809);
    EXPECT_EQ(a["voltages"]["2d"]["selected"], -1);
    EXPECT_EQ(b["device"], "Nvidia FX5200");
    EXPECT_EQ(b["warnings"], json::array({"memory-timings"}));
    EXPECT_EQ(b["timings"]["B"], (json{{"text", "5"}, {"enabled", true}}));
}

TEST_F(CliTest, UnreadableFileExitsOneButStillPrintsItsObject) {
    const CliRun r = runCli({"info", "--json", path("missing.rom"), sample("fx5200.rom")});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.firstJson()["messages"], json::array({"Cant open File!"}));
    EXPECT_NE(r.err.find("Cant open File!"), std::string::npos);
}

TEST_F(CliTest, VersionBytesAreAlwaysValidUtf8) {
    auto bytes = test::sampleBytes("fx5200.rom");
    bytes[0x208] = 0xE9;
    bytes[0x209] = 0xFF;
    test::writeBytes(m_dir.file("latin.rom"), bytes);
    const CliRun r = runCli({"info", "--json", path("latin.rom")});
    EXPECT_EQ(r.firstJson()["biosVersion"], "\xC3\xA9\xC3\xBF"
                                            "34.20.16.00");
}

TEST_F(CliTest, UsageErrorsExitTwo) {
    EXPECT_EQ(runCli({}).code, 2);
    EXPECT_EQ(runCli({"info"}).code, 2);
    EXPECT_EQ(runCli({"info", "--bogus", "x"}).code, 2);
    EXPECT_EQ(runCli({"set", sample("fx5200.rom")}).code, 2);
    const CliRun help = runCli({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("info"), std::string::npos);
    EXPECT_EQ(runCli({"--version"}).out, "zorvane-fx-cli 1.4\n");
}

// The options a help text lists, by their names and in its order: "-o,--output", "--bin".
std::vector<std::string> optionNames(const std::string& help) {
    std::vector<std::string> names;
    std::istringstream lines(help);
    for (std::string line; std::getline(lines, line);)
        if (line.starts_with("  -")) names.push_back(line.substr(2, line.find(' ', 2) - 2));
    return names;
}

TEST_F(CliTest, HelpListsTheSubcommandsInTheirOrder) {
    const CliRun help = runCli({"--help"});
    ASSERT_EQ(help.code, 0);
    std::size_t previous = 0;
    for (const char* name : {"info", "set", "verify", "diff", "structure", "export", "apply"}) {
        const std::size_t at = help.out.find("\n  " + std::string(name) + " ");
        ASSERT_NE(at, std::string::npos) << name;
        EXPECT_GT(at, previous) << name;
        previous = at;
    }
}

TEST_F(CliTest, SetAndApplyOfferTheSaveOptionsInOneOrderEachWithItsOwnForce) {
    const CliRun set = runCli({"set", "--help"});
    const CliRun apply = runCli({"apply", "--help"});
    ASSERT_EQ(set.code, 0);
    ASSERT_EQ(apply.code, 0);
    const std::vector<std::string> save{"-h,--help", "-o,--output", "--bin",
                                        "--json",    "--no-backup", "--force"};
    const std::vector<std::string> setNames = optionNames(set.out);
    ASSERT_GT(setNames.size(), save.size());
    EXPECT_EQ(std::vector<std::string>(setNames.begin(), setNames.begin() + std::ssize(save)), save);
    // set's values follow the save options; apply has no others.
    EXPECT_EQ(setNames[save.size()], "--general-mode");
    EXPECT_EQ(optionNames(apply.out), save);
    EXPECT_NE(set.out.find("Usage: zorvane-fx-cli set [OPTIONS] FILE\n"), std::string::npos);
    EXPECT_NE(apply.out.find("Usage: zorvane-fx-cli apply [OPTIONS] SETTINGS FILE\n"), std::string::npos);
    EXPECT_NE(set.out.find("  --force                     Save although the opened file is damaged"),
              std::string::npos);
    EXPECT_NE(apply.out.find("  --force                     Apply settings made for another device"),
              std::string::npos);
    for (const CliRun* help : {&set, &apply})
        EXPECT_NE(help->out.find("  --no-backup                 Do not keep the original as NAME.orig.rom"),
                  std::string::npos);
}

TEST_F(CliTest, SetChangesClocksVoltagesAndTimingsAndInfoReadsThemBack) {
    const CliRun r =
        runCli({"set", sample("fx5950-ultra.rom"), "-o", path("mod"), "--voltage-3d", "1.5", "--voltage-2d",
                "#1", "--core-3d", "500", "--mem-2d", "480", "--timing-b", "12", "--json", "--force"});
    ASSERT_EQ(r.code, 0) << r.err;
    const json saved = r.firstJson();
    EXPECT_EQ(saved["file"], path("mod.rom"));
    EXPECT_EQ(saved["messages"], json::array({"File saved."}));
    const CliRun info = runCli({"info", "--json", "--timings", path("mod.rom")});
    const json j = info.firstJson();
    EXPECT_EQ(j["clocks"]["core3d"]["text"], "500");
    EXPECT_EQ(j["clocks"]["mem2d"]["text"], "480");
    EXPECT_EQ(j["voltages"]["3d"]["entries"][2], "1.5V");
    // The 2D level now asks for the table's 1.3 V; the table itself is as it was.
    EXPECT_EQ(j["voltages"]["2d"]["entries"][0], "1.2V");
    EXPECT_EQ(j["voltages"]["2d"]["selected"], 1);
    EXPECT_EQ(j["timings"]["B"]["text"], "12");
    const Bytes bytes = test::readBytes(path("mod.rom"));
    unsigned sum = 0;
    for (const auto b : bytes)
        sum += b;
    EXPECT_EQ(sum % 256, 0u);
}

// set saves values far from the file's as asked and says so on standard error: a script that
// raised the clocks on purpose keeps its exit status.
TEST_F(CliTest, SetWarnsOfRiskyValuesAndSavesAllTheSame) {
    const CliRun risky =
        runCli({"set", sample("fx5600.rom"), "-o", path("risky.rom"), "--core-3d", "650", "--mem-2d", "550"});
    EXPECT_EQ(risky.code, 0) << risky.err;
    EXPECT_TRUE(std::filesystem::exists(path("risky.rom")));
    const std::string file = sample("fx5600.rom");
    EXPECT_EQ(risky.err, file + ": Warning: 3D core clock: 650 MHz is 100% above the file's 325 MHz.\n" +
                             file +
                             ": Warning: 2D memory clock: 550 MHz is 2.2 times the file's 250 MHz. Is it the "
                             "effective (DDR) rate? The box takes the real clock, half of that rate.\n");
    const CliRun calm = runCli({"set", sample("fx5600.rom"), "-o", path("calm.rom"), "--core-3d", "350"});
    EXPECT_EQ(calm.code, 0);
    EXPECT_EQ(calm.err, "");
}

TEST_F(CliTest, SetRefusesWhatTheCardDoesNotOfferAndWritesNothing) {
    const std::vector<std::vector<std::string>> refused{
        {"--voltage-3d", "1.7"}, {"--voltage-throttle", "1.3"}, {"--mem-3d", "500"},
        {"--core-2d", "12a"},    {"--timing-a", "3"},           {"--general-mode"},
        {"--voltage-2d", "#9"}};
    for (const auto& extra : refused) {
        std::vector<std::string> args{"set", sample("fx5200.rom"), "-o", path("out.rom")};
        if (extra[0] == "--voltage-3d" || extra[0] == "--voltage-2d" || extra[0] == "--mem-3d")
            args[1] = sample(extra[0] == "--mem-3d" ? "fx5950-ultra.rom" : "fx5700-le.rom");
        args.insert(args.end(), extra.begin(), extra.end());
        const CliRun r = runCli(args);
        EXPECT_EQ(r.code, 2) << extra[0];
        EXPECT_FALSE(r.err.empty());
        EXPECT_FALSE(std::filesystem::exists(path("out.rom"))) << extra[0];
    }
}

// A level's value that cannot be set stops set before anything is written: a usage error when the
// image lacks the level or the field, or the text is no number or no voltage of the table; the
// save's refusal (exit 1) when a number is out of range. Each says the file and what is wrong.
TEST_F(CliTest, SetRefusesALevelsValueItCannotTakeAndWritesNothing) {
    struct Case {
        std::string level;
        int code;
        std::string says;
    };
    const std::vector<Case> cases{
        {"90h:core=300", kExitUsage,
         "--level 90h:core=300: the image has no level 90h (its levels are 20h, 60h, 80h)."},
        {"80h:speed=3", kExitUsage, "\"speed\" is no field of a level"},
        {"80h:memory.8=300", kExitUsage, "level 80h keeps 8 memory copies, memory.0 to memory.7."},
        {"80h:core", kExitUsage, "write ID:FIELD=VALUE"},
        {"8x:core=1", kExitUsage, "is no level id"},
        {"80h:core=fast", kExitUsage, "which is no number of MHz with at most two decimals."},
        {"80h:core=350.125", kExitUsage, "with at most two decimals"},
        {"80h:voltage=1.45", kExitUsage, "is not in the voltage table, which has 1.20 V, 1.30 V and 1.40 V"},
        {"80h:fan=101", kExitFailed, "level 80h fan is 101; it must be 0 to 100 %."},
        {"60h:memory=42949673", kExitFailed, "it must be 0 to 42949672.95 MHz."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        const CliRun r =
            runCli({"set", sample("fx5950-ultra.rom"), "-o", path("out.rom"), "--level", c.level});
        EXPECT_EQ(r.code, c.code);
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_FALSE(std::filesystem::exists(path("out.rom")));
    }
    // A GeForce 6 level takes whole MHz, and an image without levels has none to set.
    EXPECT_EQ(runCli({"set", sample("gf6800.rom"), "-o", path("out.rom"), "--level", "20h:core=300.5"}).code,
              kExitUsage);
    const CliRun none =
        runCli({"set", sample("unsupported.rom"), "-o", path("out.rom"), "--level", "20h:core=1"});
    EXPECT_EQ(none.code, kExitUsage);
    EXPECT_NE(none.err.find("no performance table"), std::string::npos) << none.err;
    EXPECT_FALSE(std::filesystem::exists(path("out.rom")));
}

// The 3D memory clock the FX 5950 runs lives in level 80h, which no box of the design reaches:
// --level writes its eight copies and no other byte but the checksum, and verify passes the result.
TEST_F(CliTest, SetWritesALevelsValueIntoItsBytesAlone) {
    const CliRun r = runCli(
        {"set", sample("fx5950-ultra.rom"), "-o", path("out.rom"), "--json", "--level", "80h:memory=275"});
    ASSERT_EQ(r.code, 0) << r.err;
    const Bytes before = test::sampleBytes("fx5950-ultra.rom");
    const Bytes after = test::readBytes(path("out.rom"));
    ASSERT_EQ(before.size(), after.size());
    std::vector<std::size_t> changed;
    for (std::size_t i = 0; i < before.size(); ++i)
        if (before[i] != after[i]) changed.push_back(i);
    const json info = runCli({"info", "--json", path("out.rom")}).firstJson();
    std::vector<std::size_t> copies;
    for (const json& copy : info["levels"][2]["memory"]["copies"]) {
        EXPECT_EQ(copy["mhz"], 275.0);
        copies.push_back(copy["offset"].get<std::size_t>());
        copies.push_back(copy["offset"].get<std::size_t>() + 1); // 27500 is 6B6Ch: the two low bytes
    }
    copies.push_back(before.size() - 1);
    EXPECT_EQ(changed, copies);
    EXPECT_EQ(info["levels"][0]["memory"]["mhz"], 475.0);
    EXPECT_EQ(runCli({"verify", path("out.rom")}).code, 0);
    // The changes name the level.
    const json changes = r.firstJson()["changes"];
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0]["field"], "level 80h memory clock") << changes.dump();
}

// Options apply in their order: the later of a mode box and the level it shows wins.
TEST_F(CliTest, SetAppliesTheLevelsAndTheBoxesInTheOrderGiven) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases{
        {{"--core-3d", "350", "--level", "80h:core=360"}, "360"},
        {{"--level", "80h:core=360", "--core-3d", "350"}, "350"},
        {{"--level", "80h:core=360", "--core-3d", "350", "--level", "0x80:core=340"}, "340"},
    };
    for (const auto& [options, core] : cases) {
        std::vector<std::string> args{"set", sample("fx5600.rom"), "-o", path("out.rom")};
        args.insert(args.end(), options.begin(), options.end());
        ASSERT_EQ(runCli(args).code, 0);
        const json info = runCli({"info", "--json", path("out.rom")}).firstJson();
        EXPECT_EQ(info["clocks"]["core3d"]["text"], core);
        EXPECT_EQ(info["levels"][2]["core"]["mhz"], std::stod(core));
        std::filesystem::remove(path("out.rom"));
    }
}

TEST_F(CliTest, FailedSaveExitsOneAndNamesTheCause) {
    const CliRun r = runCli({"set", sample("fx5950-ultra.rom"), "-o", path("out.rom"), "--core-3d", "900"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("3D core clock is 900; it must be 0 to 655 MHz."), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(path("out.rom")));
    const CliRun unreadable = runCli({"set", path("nope.rom"), "-o", path("out.rom")});
    EXPECT_EQ(unreadable.code, 1);
}

TEST_F(CliTest, TargetsThatAreNoRegularFileAreRefused) {
    const std::string in = sample("fx5200.rom");
    EXPECT_EQ(runCli({"set", in, "-o", "", "--core-3d", "260"}).code, 2);
    std::filesystem::create_directory(path("outdir"));
    const CliRun folder = runCli({"set", in, "-o", path("outdir") + "/", "--core-3d", "260"});
    EXPECT_EQ(folder.code, 1);
    EXPECT_NE(folder.err.find("It names a folder, not a file."), std::string::npos) << folder.err;
    EXPECT_TRUE(std::filesystem::is_empty(path("outdir")));
    ASSERT_EQ(::mkfifo(path("fifo.rom").c_str(), 0644), 0);
    const CliRun fifo = runCli({"set", in, "-o", path("fifo.rom"), "--core-3d", "260"});
    EXPECT_EQ(fifo.code, 1);
    EXPECT_EQ(fifo.err.rfind(path("fifo.rom") + ": Cant open File! It is a named pipe", 0), 0u) << fifo.err;
    EXPECT_TRUE(std::filesystem::is_fifo(path("fifo.rom")));
}

TEST_F(CliTest, SavingOverAFileWithOtherNamesSaysThatTheyKeepTheOldContent) {
    const std::string in = sample("fx5200.rom");
    std::filesystem::create_hard_link(in, path("other.rom"));
    const CliRun r = runCli({"set", in, "-o", in, "--core-3d", "260"});
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.err, "Other names of this file keep its old content.\n");
    EXPECT_EQ(test::readBytes(path("other.rom")), test::sampleBytes("fx5200.rom"));
}

TEST_F(CliTest, EveryErrorLineNamesItsFile) {
    const CliRun missing = runCli({"info", path("nope.rom")});
    EXPECT_EQ(missing.err, path("nope.rom") + ": Cant open File! No such file or directory\n");
    const CliRun refused =
        runCli({"set", sample("fx5950-ultra.rom"), "-o", path("out.rom"), "--core-3d", "900"});
    EXPECT_EQ(refused.err,
              path("out.rom") + ": Cant open File! 3D core clock is 900; it must be 0 to 655 MHz.\n");
    const CliRun unwritable = runCli({"set", sample("fx5200.rom"), "-o", path("missing/out.rom")});
    EXPECT_EQ(unwritable.err, path("missing/out.rom") + ": Cant open File! The folder " + path("missing") +
                                  " does not exist.\n");
    const CliRun usage =
        runCli({"set", sample("fx5950-ultra.rom"), "-o", path("out.rom"), "--mem-3d", "500"});
    EXPECT_EQ(usage.err.rfind(sample("fx5950-ultra.rom") + ": --mem-3d: ", 0), 0u) << usage.err;
}

TEST_F(CliTest, AMisspeltOptionGetsTheNearestOneSuggested) {
    const CliRun r = runCli({"set", sample("fx5200.rom"), "-o", path("out.rom"), "--core3d", "300"});
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("--core3d is not an option. Did you mean --core-3d?"), std::string::npos) << r.err;
    const CliRun far = runCli({"info", "--frobnicate", sample("fx5200.rom")});
    EXPECT_EQ(far.code, 2);
    EXPECT_EQ(far.err.find("Did you mean"), std::string::npos) << far.err;
    EXPECT_FALSE(std::filesystem::exists(path("out.rom")));
}

TEST_F(CliTest, SetMaySaveOverItsInputWithBinExtensionRule) {
    const std::string in = sample("fx5200.rom");
    ASSERT_EQ(runCli({"set", in, "-o", in, "--core-3d", "260"}).code, 0);
    EXPECT_EQ(test::readBytes(in)[0x2003], 0x90); // 26000 = 0x6590
    ASSERT_EQ(runCli({"set", in, "-o", path("plain"), "--bin"}).code, 0);
    EXPECT_TRUE(std::filesystem::exists(path("plain.bin")));
}

TEST_F(CliTest, RealBinaryPrintsTheSummary) {
    const std::string command = std::string(ZFX_CLI_BINARY) + " info " + sample("fx5800.rom");
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    EXPECT_EQ(pclose(pipe), 0);
    EXPECT_NE(output.find("Device:        Nvidia FX5800 Ultra (0103)"), std::string::npos);
    EXPECT_NE(output.find("Clocks 3D:     core 500, memory 500 (1000Mhz DDR)"), std::string::npos);
}

// --- trust before flashing: the change list, the backup, verify and diff ---

TEST_F(CliTest, SetListsItsChangesInTextAndJsonAndKeepsTheOriginal) {
    const std::string file = sample("fx5700.rom");
    const CliRun text = runCli({"set", file, "-o", file, "--core-3d", "500"});
    ASSERT_EQ(text.code, 0) << text.err;
    const std::string backup = path("fx5700.orig.rom");
    EXPECT_EQ(text.out, "File saved. " + file +
                            "\n  3D core clock: 475 -> 500 MHz at 2075h\n  checksum byte: " +
                            text.out.substr(text.out.find("checksum byte: ") + 15, 19) +
                            "\n  The original is kept as " + backup + ".\n");
    EXPECT_EQ(test::readBytes(backup), test::sampleBytes("fx5700.rom"));

    const CliRun j = runCli({"set", file, "-o", file, "--json", "--timing-b", "9"});
    ASSERT_EQ(j.code, 0) << j.err;
    const json state = j.firstJson();
    // The state's keys stay as they are (with the performance levels of an image whose structure
    // gives them); the changes, the checksum and the backup are added.
    std::vector<std::string> keys;
    for (const auto& item : state.items())
        keys.push_back(item.key());
    EXPECT_EQ(keys,
              (std::vector<std::string>{"file",     "device",      "deviceText",  "biosVersion", "vendor",
                                        "flags",    "pciIds",      "generalMode", "timingEdit",  "voltages",
                                        "clocks",   "memoryRates", "timings",     "offsets",     "messages",
                                        "warnings", "levels",      "changes",     "checksum",    "backup"}));
    EXPECT_EQ(
        state["changes"],
        json::parse(R"([{"field": "Timing B", "old": "7", "new": "9", "offsets": [8238, 8295, 8352]}])"));
    EXPECT_EQ(state["checksum"]["offset"], 0xFFFF);
    EXPECT_EQ(state["checksum"]["new"], test::readBytes(file).back());
    EXPECT_EQ(state["backup"], (json{{"path", backup}, {"created", false}}));
    EXPECT_EQ(test::readBytes(backup), test::sampleBytes("fx5700.rom"));
}

TEST_F(CliTest, SetWithoutBackupKeepsNoCopy) {
    const std::string file = sample("fx5200.rom");
    const CliRun r = runCli({"set", file, "-o", file, "--no-backup", "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(r.firstJson()["backup"].is_null());
    EXPECT_TRUE(r.firstJson()["changes"].empty());
    EXPECT_FALSE(std::filesystem::exists(path("fx5200.orig.rom")));
}

TEST_F(CliTest, VerifyExitsZeroOneOrTwoAndGivesEachCheckAsJsonLines) {
    const std::string good = sample("fx5950-ultra.rom");
    Bytes damaged = test::sampleBytes("fx5950-ultra.rom");
    damaged[0x300] ^= 0x10;
    test::writeBytes(path("damaged.rom"), damaged);

    const CliRun passed = runCli({"verify", good});
    EXPECT_EQ(passed.code, 0) << passed.err;
    EXPECT_EQ(passed.out.substr(0, passed.out.find('\n')),
              good + ": Image check passed: 64 KiB option ROM, checksum correct");

    const CliRun failed = runCli({"verify", "--json", good, path("damaged.rom")});
    EXPECT_EQ(failed.code, 1);
    std::istringstream lines(failed.out);
    std::string first, second;
    std::getline(lines, first);
    std::getline(lines, second);
    const json a = json::parse(first), b = json::parse(second);
    EXPECT_EQ(a["file"], good);
    EXPECT_EQ(a["passed"], true);
    EXPECT_EQ(b["passed"], false);
    const auto checksum = std::find_if(b["checks"].begin(), b["checks"].end(),
                                       [](const json& c) { return c["name"] == "checksum"; });
    ASSERT_NE(checksum, b["checks"].end());
    EXPECT_EQ((*checksum)["verdict"], "failed");
    EXPECT_EQ((*checksum)["values"][0]["name"], "stored");
    EXPECT_EQ((*checksum)["values"][0]["offset"], 0xFFFF);
    EXPECT_EQ(b["images"][0]["device"], 0x0333);

    const CliRun missing = runCli({"verify", good, path("nope.rom")});
    EXPECT_EQ(missing.code, 2);
    EXPECT_EQ(missing.err, path("nope.rom") + ": Cant open File! No such file or directory\n");
    EXPECT_EQ(runCli({"verify"}).code, 2);
}

TEST_F(CliTest, DiffAfterASetListsExactlyItsChangesAndTheChecksumByte) {
    const std::string original = sample("fx5700.rom");
    const CliRun set = runCli({"set", original, "-o", path("edited.rom"), "--json", "--mem-2d", "300",
                               "--voltage-3d", "1.2", "--force"});
    ASSERT_EQ(set.code, 0) << set.err;
    const json changes = set.firstJson()["changes"];
    ASSERT_EQ(changes.size(), 2u);

    const CliRun j = runCli({"diff", "--json", original, path("edited.rom")});
    EXPECT_EQ(j.code, 1);
    const json d = j.firstJson();
    EXPECT_EQ(d["changes"], changes);
    EXPECT_EQ(d["checksum"], set.firstJson()["checksum"]);
    EXPECT_EQ(d["otherBytes"], json::array());
    EXPECT_EQ(d["identity"], json::array());
    EXPECT_EQ(d["identical"], false);

    const CliRun text = runCli({"diff", original, path("edited.rom")});
    EXPECT_EQ(text.code, 1);
    EXPECT_NE(text.out.find("2D memory clock: 275.49 -> 300 MHz at 8 places: level 20h, 8 copies"),
              std::string::npos)
        << text.out;
    EXPECT_NE(text.out.find("checksum byte: "), std::string::npos);

    const CliRun same = runCli({"diff", original, original});
    EXPECT_EQ(same.code, 0);
    EXPECT_EQ(same.out, "The images are identical.\n");
    EXPECT_EQ(runCli({"diff", original, path("nope.rom")}).code, 2);
    EXPECT_EQ(runCli({"diff", original}).code, 2);
}

TEST_F(CliTest, DiffSaysADifferentDeviceOrLengthFirstAndLoudly) {
    Bytes longer = test::sampleBytes("fx5700.rom");
    longer.resize(longer.size() + 4, 0xFF);
    longer[0x1234] = 0x77;
    test::writeBytes(path("longer.rom"), longer);
    const CliRun r = runCli({"diff", sample("fx5900-xt.rom"), path("longer.rom")});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(
        r.out.rfind("DIFFERENT device: 10DE:0332 (Nvidia FX5900 XT) -> 10DE:0341 (Nvidia FX5700 Ultra)\n"
                    "DIFFERENT length: 65536 bytes -> 65540 bytes\n"
                    "DIFFERENT family: is5900, is5900XT -> is5700\n",
                    0),
        0u)
        << r.out;
    const CliRun j = runCli({"diff", "--json", sample("fx5700.rom"), path("longer.rom")});
    const json d = j.firstJson();
    ASSERT_EQ(d["identity"].size(), 1u);
    EXPECT_EQ(d["identity"][0]["what"], "length");
    EXPECT_EQ(d["identity"][0]["loud"], true);
    // The byte planted outside every field, and the bytes only the longer image has, but for the
    // last byte of each, which the checksum comparison covers.
    EXPECT_EQ(d["otherBytes"], json::parse(R"([{"offset": 4660, "length": 1, "old": "00", "new": "77"},
                                               {"offset": 65536, "length": 3, "old": "", "new": "FF FF FF"}])"))
        << d["otherBytes"].dump();
}

TEST_F(CliTest, VerifyIncludesTheStructureCheckAndAContradictionExitsOne) {
    const CliRun sound = runCli({"verify", "--json", sample("fx5700.rom")});
    EXPECT_EQ(sound.code, 0) << sound.out;
    const json ok = sound.firstJson();
    EXPECT_EQ(ok["structure"]["line"], "Tables confirmed by the BIOS structure");
    EXPECT_EQ(ok["structure"]["contradicted"], false);

    for (const auto& planted : samples::plantedContradictions()) {
        test::writeBytes(path(planted.fileName), planted.bytes);
        const CliRun r = runCli({"verify", "--json", path(planted.fileName)});
        EXPECT_EQ(r.code, 1) << planted.fileName;
        const json j = r.firstJson();
        EXPECT_EQ(j["passed"], false);
        EXPECT_EQ(j["structure"]["contradicted"], true);
        bool named = false;
        for (const json& v : j["structure"]["verdicts"])
            if (v["subject"] == planted.subject && v["verdict"] == "contradicted") {
                named = true;
                EXPECT_EQ(v["found"][0], planted.found.front());
                EXPECT_EQ(v["structure"][0], planted.structure.front());
            }
        EXPECT_TRUE(named) << planted.fileName;
        const CliRun text = runCli({"verify", path(planted.fileName)});
        EXPECT_NE(text.out.find("CONTRADICTED " + planted.subject + ": "), std::string::npos) << text.out;
    }
}

TEST_F(CliTest, StructurePrintsTheWholeDecode) {
    const CliRun r = runCli({"structure", sample("fx5700.rom")});
    ASSERT_EQ(r.code, 0) << r.err;
    for (const std::string line : {"BMP at 300h: version 5.28, checksum correct, BIOS 04.36.20.21; "
                                   "performance table 1FF9h, voltage table "
                                   "1000h, init scripts 400h",
                                   "Performance table at 1FF9h: version 15h, 3 levels of 57 bytes",
                                   "  level id 80h at 2074h: core 475.00 MHz at 2075h",
                                   "  restricted program for register 100204h at 1826h: 8 values from 1831h",
                                   "Tables confirmed by the BIOS structure"})
        EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
    const json j = runCli({"structure", "--json", sample("gf6800.rom")}).firstJson();
    EXPECT_TRUE(j["bmp"].is_null());
    EXPECT_EQ(j["bit"]["offset"], 0x300);
    EXPECT_EQ(j["perfTable"]["version"], 0x21);
    EXPECT_EQ(j["perfTable"]["levels"][0]["core"]["value"], 325);
    EXPECT_EQ(j["check"]["line"], "Tables confirmed by the BIOS structure");
    const CliRun none = runCli({"structure", sample("unsupported.rom")});
    EXPECT_NE(none.out.find("No BMP or BIT structure."), std::string::npos);
    EXPECT_NE(none.out.find("Not checked: no BMP or BIT structure"), std::string::npos);
    EXPECT_EQ(runCli({"structure", path("nope.rom")}).code, kExitFailed); // unreadable, not a usage error
}

// The design's own device text (the ID's bytes in file order) stays; beside it the IDs as the PCI
// world writes them, in every command.
TEST_F(CliTest, ThePciIdsAreWrittenAsThePciWorldWritesThem) {
    const json j = runCli({"info", "--json", sample("fx5600.rom")}).firstJson();
    EXPECT_EQ(j["deviceText"], "1203");
    EXPECT_EQ(j["pciIds"],
              (json{{"device", "10DE:0312"}, {"subsystem", "107D:0000"}, {"subsystemVendor", "Leadtek"}}));
    EXPECT_NE(runCli({"info", sample("fx5600.rom")})
                  .out.find("PCI IDs:       10DE:0312, subsystem 107D:0000 (Leadtek)\n"),
              std::string::npos);
    EXPECT_NE(runCli({"verify", sample("fx5600.rom")}).out.find("PCI IDs: 10DE:0312"), std::string::npos);
    EXPECT_EQ(runCli({"verify", "--json", sample("fx5600.rom")}).firstJson()["pciIds"]["device"],
              "10DE:0312");
    // An image without a PCI data structure has no device ID; an unlisted board maker no name.
    Bytes bare(0x100, 0);
    bare[0x54] = 0x34;
    bare[0x55] = 0x12;
    test::writeBytes(path("bare.rom"), bare);
    const json none = runCli({"info", "--json", path("bare.rom")}).firstJson();
    EXPECT_EQ(none["pciIds"],
              (json{{"device", nullptr}, {"subsystem", "1234:0000"}, {"subsystemVendor", nullptr}}));
    EXPECT_NE(runCli({"info", path("bare.rom")})
                  .out.find("PCI IDs:       no PCI data structure, subsystem 1234:0000\n"),
              std::string::npos);
}

TEST_F(CliTest, InfoJsonGivesThePerformanceLevelsWithTheirPlaces) {
    const json fx = runCli({"info", "--json", sample("fx5600.rom")}).firstJson();
    ASSERT_EQ(fx["levels"].size(), 3u);
    const json& level = fx["levels"][2];
    EXPECT_EQ(level["id"], 0x80);
    EXPECT_EQ(level["core"], (json{{"mhz", 325.0}, {"offset", 0x2075}}));
    EXPECT_EQ(level["memory"]["mhz"], 250.0);
    EXPECT_EQ(level["memory"]["agree"], true);
    EXPECT_EQ(level["memory"]["copies"].size(), 8u);
    EXPECT_EQ(level["memory"]["copies"][7], (json{{"mhz", 250.0}, {"offset", 0x2095}}));
    EXPECT_EQ(level["voltage"], (json{{"volts", 1.44}, {"offset", 0x20AC}}));
    const json xt = runCli({"info", "--json", sample("fx5900-xt.rom")}).firstJson();
    EXPECT_EQ(xt["levels"][0]["memory"]["agree"], false);
    const json gf = runCli({"info", "--json", sample("gf6800.rom")}).firstJson();
    ASSERT_EQ(gf["levels"].size(), 2u);
    EXPECT_EQ(gf["levels"][0]["core"]["mhz"], 325.0);
    EXPECT_EQ(gf["levels"][0]["memory"]["copies"].size(), 1u);
    EXPECT_EQ(gf["levels"][0]["voltage"]["offset"], gf["levels"][0]["offset"].get<int>() + 5);
    EXPECT_FALSE(runCli({"info", "--json", sample("unsupported.rom")}).firstJson().contains("levels"));

    // A set names the level of every place it wrote.
    const CliRun set =
        runCli({"set", sample("fx5600.rom"), "-o", path("m.rom"), "--mem-2d", "275", "--json"});
    ASSERT_EQ(set.code, 0) << set.err;
    const json change = set.firstJson()["changes"][0];
    EXPECT_EQ(change["offsets"].size(), 24u);
    EXPECT_EQ(change["levels"].size(), 24u);
    EXPECT_EQ(change["levels"][23], 0x80);
}

TEST_F(CliTest, SetRefusesToWriteIntoAContradictedTableUnlessForced) {
    // The clocks the editor finds lie behind a second marker, not in the performance table.
    const std::string file = path("decoy.rom");
    for (const auto& planted : samples::plantedContradictions())
        if (planted.fileName == "contradiction-decoy-clock-table.rom") test::writeBytes(file, planted.bytes);
    const CliRun refused = runCli({"set", file, "-o", path("out.rom"), "--core-2d", "260"});
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.err.find(path("out.rom") + ": Cant open File! The 2D core clock"), std::string::npos)
        << refused.err;
    EXPECT_NE(refused.err.find("--force saves anyway"), std::string::npos) << refused.err;
    EXPECT_FALSE(std::filesystem::exists(path("out.rom")));
    // A save that writes nothing into the contradicted table goes ahead.
    EXPECT_EQ(runCli({"set", file, "-o", path("timing.rom"), "--timing-a", "5"}).code, 0);

    const CliRun r = runCli({"set", file, "-o", path("out.rom"), "--core-2d", "260", "--force"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.err.find(file +
                         ": Warning: The BIOS structure contradicts the tables this save writes into. Save "
                         "anyway? The 2D core clock"),
              std::string::npos)
        << r.err;
    EXPECT_TRUE(std::filesystem::exists(path("out.rom")));
}

TEST_F(CliTest, SetRefusesToHideADamagedDumpUnlessForced) {
    for (const char* name : {"fault-checksum.rom", "fault-truncated.rom"}) {
        const auto faults = samples::plantedFaults();
        const auto planted =
            std::find_if(faults.begin(), faults.end(), [&](const auto& f) { return f.fileName == name; });
        ASSERT_NE(planted, faults.end());
        const std::string file = path(name);
        test::writeBytes(file, planted->bytes);
        const CliRun refused = runCli({"set", file, "-o", path("out.rom"), "--core-3d", "300"});
        EXPECT_EQ(refused.code, 1) << name;
        EXPECT_NE(refused.err.find(path("out.rom") + ": Cant open File! The "), std::string::npos)
            << refused.err;
        EXPECT_NE(refused.err.find("BIOS from the card again"), std::string::npos) << refused.err;
        EXPECT_FALSE(std::filesystem::exists(path("out.rom"))) << name;
        // Over the file itself: neither the file nor a backup changes.
        EXPECT_EQ(runCli({"set", file, "-o", file, "--core-3d", "300"}).code, 1);
        EXPECT_EQ(test::readBytes(file), planted->bytes);
        EXPECT_FALSE(std::filesystem::exists(
            path(std::string(name).replace(std::string(name).size() - 4, 4, ".orig.rom"))));

        const CliRun forced = runCli({"set", file, "-o", path("out.rom"), "--core-3d", "300", "--force"});
        EXPECT_EQ(forced.code, 0) << forced.err;
        EXPECT_NE(forced.err.find("Warning: The file you opened is damaged"), std::string::npos)
            << forced.err;
        EXPECT_EQ(runCli({"verify", path("out.rom")}).code, 1) << name; // the damage still shows
        std::filesystem::remove(path("out.rom"));
    }
}

TEST_F(CliTest, SetOfAPaddedImageKeepsThePaddingAndNamesTheImagesChecksumByte) {
    const auto faults = samples::plantedFaults();
    const auto padded = std::find_if(faults.begin(), faults.end(),
                                     [](const auto& f) { return f.fileName == "fault-padded.rom"; });
    ASSERT_NE(padded, faults.end());
    test::writeBytes(path("padded.rom"), padded->bytes);
    const CliRun r = runCli({"set", path("padded.rom"), "-o", path("out.rom"), "--core-3d", "300", "--json"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.firstJson()["checksum"]["offset"], 0xFFFF);
    const std::vector<std::uint8_t> saved = test::readBytes(path("out.rom"));
    ASSERT_EQ(saved.size(), padded->bytes.size());
    EXPECT_TRUE(std::equal(saved.begin() + 0x10000, saved.end(), padded->bytes.begin() + 0x10000));
    EXPECT_EQ(runCli({"verify", path("out.rom")}).code, 0);
}

// --- output that never lies or harms ---

// A control character (C0 but, where allowed, the line break; DEL; C1 as UTF-8) that a terminal
// would act on.
bool holdsRawControl(const std::string& text, bool newlinesAllowed) {
    return std::any_of(text.begin(), text.end(), [&](char c) {
        const auto u = static_cast<unsigned char>(c);
        return (u < 0x20 && !(newlinesAllowed && u == '\n')) || u == 0x7F || (u == 0xC2);
    });
}

TEST_F(CliTest, TextFromTheImageNeverReachesTheTerminalRaw) {
    std::vector<std::uint8_t> bytes = test::readBytes(sample("fx5950-ultra.rom"));
    const auto version =
        std::search(bytes.begin(), bytes.end(), std::begin("Version"), std::end("Version") - 1);
    ASSERT_NE(version, bytes.end());
    const std::vector<std::uint8_t> hostile{0x1B, ']', '0', ';', 'x', 0x07, '\r', 0x9B, 'J', 0x7F};
    std::copy(hostile.begin(), hostile.end(), version + 8);
    test::writeBytes(path("hostile.rom"), bytes);
    const auto raw = holdsRawControl;
    const CliRun text = runCli({"info", path("hostile.rom")});
    EXPECT_FALSE(raw(text.out, true)) << text.out;
    EXPECT_NE(text.out.find("BIOS version:  \\x1B]0;x\\x07\\r\\u009BJ\\x7F"), std::string::npos) << text.out;
    const CliRun diff = runCli({"diff", sample("fx5950-ultra.rom"), path("hostile.rom")});
    EXPECT_FALSE(raw(diff.out, true)) << diff.out;
    const CliRun j = runCli({"info", "--json", path("hostile.rom")});
    EXPECT_FALSE(raw(j.out, true)) << j.out;
    // The JSON value is still the text the image gives; only its encoding is escaped.
    const std::string shown = j.firstJson()["biosVersion"];
    EXPECT_EQ(shown.rfind("\x1B]0;x\x07\r\xC2\x9BJ\x7F", 0), 0u);
}

// Found by fuzz_cli_output: verify, structure and diff printed the file's name as given, so a name
// with an escape sequence or a line break acted on the terminal or forged a line of the report.
TEST_F(CliTest, AFileNameNeverReachesTheTerminalRaw) {
    const std::string name = path("a\x1B]0;x\x07\r\nFAIL\xC2\x9B\x7F.rom");
    const std::string shown = visibleText(name);
    ASSERT_EQ(shown, path("a\\x1B]0;x\\x07\\r\\nFAIL\\u009B\\x7F.rom"));
    const std::string missing = path("gone\x1B[2J\n.rom");
    test::writeBytes(name, test::readBytes(sample("fx5950-ultra.rom")));
    const std::vector<std::vector<std::string>> commands{
        {"info", name},
        {"verify", name},
        {"structure", name},
        {"diff", name, name},
        {"info", missing},
        {"verify", missing},
        {"structure", missing},
        {"diff", name, missing},
        {"set", missing, "-o", path("out.rom")},
        {"set", name, "-o", path("out.rom"), "--core-3d", "x\x1B"},
        {"info", "--no-such\x1B[2J"}};
    for (const auto& args : commands) {
        const CliRun r = runCli(args);
        EXPECT_FALSE(holdsRawControl(r.out, true)) << args.front() << ": " << r.out;
        EXPECT_FALSE(holdsRawControl(r.err, true)) << args.front() << ": " << r.err;
    }
    // Escaped, the name is still there to read, in the line that reports on it.
    EXPECT_EQ(runCli({"verify", name}).out.rfind(shown + ": ", 0), 0u);
    EXPECT_EQ(runCli({"structure", name}).out.rfind(shown + "\n", 0), 0u);
    EXPECT_EQ(runCli({"verify", missing}).err,
              visibleText(missing) + ": Cant open File! No such file or directory\n");
    EXPECT_EQ(runCli({"diff", name, missing}).err,
              visibleText(missing) + ": Cant open File! No such file or directory\n");
}

// A bidi control in UTF-8 (U+061C, U+200E, U+200F, U+202A..U+202E, U+2066..U+2069): a terminal
// shows the text after it reordered.
bool holdsBidiControl(const std::string& text) {
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        const auto first = static_cast<unsigned char>(text[i]);
        const auto second = static_cast<unsigned char>(text[i + 1]);
        if (first == 0xD8 && second == 0x9C) return true;
        if (first != 0xE2 || i + 2 >= text.size()) continue;
        const auto third = static_cast<unsigned char>(text[i + 2]);
        if (second == 0x80 && (third == 0x8E || third == 0x8F || (third >= 0xAA && third <= 0xAE)))
            return true;
        if (second == 0x81 && third >= 0xA6 && third <= 0xA9) return true;
    }
    return false;
}

// Whether a line of the text begins with the given words: a line another text forged.
bool holdsLineStartingWith(const std::string& text, const std::string& words) {
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (line.starts_with(words)) return true;
    return false;
}

// Text a user gives, in a settings file, as a typed value, as an option's name or as a folder's
// name, went to the terminal raw: a key with an escape sequence retitled it, a line break forged a
// report's line, a bidi control turned what follows around. Each shows escaped where it is quoted.
TEST_F(CliTest, TextTheUserGivesNeverReachesTheTerminalRaw) {
    const std::string forged = "a.rom: File saved, all checks passed";
    const std::string hostile = "\x1B]0;x\x07\r\n" + forged + "\xE2\x80\xAE";
    const std::string image = sample("fx5950-ultra.rom");
    const json exported = json::parse(runCli({"export", image}).out);
    auto settings = [&](const std::string& name, const std::function<void(json&)>& change) {
        json file = exported;
        change(file);
        const std::string text = file.dump();
        test::writeBytes(path(name), Bytes(text.begin(), text.end()));
        return path(name);
    };
    const std::string folder = path("in" + hostile);
    std::filesystem::create_directories(folder);
    const std::string inFolder = folder + "/card.rom";
    test::writeBytes(inFolder, test::sampleBytes("fx5950-ultra.rom"));
    const std::string out = path("out.rom");
    struct Case {
        const char* what;
        std::vector<std::string> args;
    };
    const std::vector<Case> cases{
        {"settings key",
         {"apply", settings("key.json", [&](json& f) { f["clocks"][hostile] = 300; }), image, "-o", out}},
        {"settings value",
         {"apply", settings("value.json", [&](json& f) { f["clocks"]["core3d"] = hostile; }), image, "-o",
          out}},
        {"settings voltage",
         {"apply", settings("volt.json", [&](json& f) { f["voltages"]["3d"] = hostile; }), image, "-o", out}},
        {"settings device",
         {"apply", settings("device.json", [&](json& f) { f["device"] = hostile; }), image, "-o", out}},
        {"settings device forced", {"apply", "--force", path("device.json"), image, "-o", out}},
        {"settings file name", {"apply", folder + "/none.json", image, "-o", out}},
        {"typed clock", {"set", image, "-o", out, "--core-3d", hostile}},
        {"typed voltage", {"set", image, "-o", out, "--voltage-3d", hostile}},
        {"option name", {"set", image, "-o", out, "--core-3d" + hostile, "300"}},
        {"option value", {"set", image, "-o", out, "--core-3d=" + hostile}},
        {"folder of the backup", {"set", inFolder, "-o", inFolder, "--core-3d", "300"}},
        {"folder of the backup kept before", {"set", inFolder, "-o", inFolder, "--core-3d", "301"}},
        {"folder of the backup as JSON", {"set", inFolder, "-o", inFolder, "--core-3d", "302", "--json"}},
        {"folder of a missing output", {"set", image, "-o", folder + "/gone/out.rom", "--core-3d", "300"}},
        {"folder of a missing image", {"verify", folder + "/gone.rom"}},
        {"folder of an image", {"info", inFolder}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const CliRun r = runCli(c.args);
        for (const std::string* stream : {&r.out, &r.err}) {
            EXPECT_FALSE(holdsRawControl(*stream, true)) << *stream;
            EXPECT_FALSE(holdsBidiControl(*stream)) << *stream;
            EXPECT_FALSE(holdsLineStartingWith(*stream, forged)) << *stream;
        }
        // Escaped, the text is still there to read; JSON holds it escaped as JSON does.
        const std::string quoted = json(hostile).dump(-1, ' ', true);
        const std::string shown =
            r.out.starts_with("{") ? quoted.substr(1, quoted.size() - 2) : visibleText(hostile);
        EXPECT_NE((r.out + r.err).find(shown), std::string::npos) << r.out << r.err;
    }
}

TEST_F(CliTest, ANameThatIsNoUtf8GivesValidJsonAndTheRightExitCode) {
    const std::string name = path("caf\xE9.rom");
    test::writeBytes(name, test::readBytes(sample("fx5950-ultra.rom")));
    const CliRun info = runCli({"info", "--json", name});
    EXPECT_EQ(info.code, 0);
    EXPECT_TRUE(json::accept(info.out)) << info.out;
    const CliRun set = runCli({"set", name, "-o", name, "--core-3d", "480", "--json"});
    EXPECT_EQ(set.code, 0) << set.err;
    const json saved = json::parse(set.out);
    EXPECT_EQ(saved["messages"], json::array({"File saved."}));
    EXPECT_EQ(runCli({"verify", "--json", name}).code, 0);
}

TEST_F(CliTest, OutputThatCannotBeWrittenExitsOne) {
    for (const std::string args : {" info --json ", " info ", " verify ", " structure --json "}) {
        const std::string command =
            std::string(ZFX_CLI_BINARY) + args + sample("fx5950-ultra.rom") + " > /dev/full 2> /dev/null";
        const int status = std::system(command.c_str());
        ASSERT_TRUE(WIFEXITED(status)) << args;
        EXPECT_EQ(WEXITSTATUS(status), 1) << args;
    }
    const int help = std::system((std::string(ZFX_CLI_BINARY) + " --help > /dev/full 2> /dev/null").c_str());
    EXPECT_EQ(WEXITSTATUS(help), 1);
}

} // namespace
} // namespace zfx::cli

namespace zfx::cli {
namespace {

// Export, then apply on the image it came from: the same bytes, and a save that lists no change.
TEST_F(CliTest, ExportThenApplyOnTheSameImageChangesNothing) {
    for (const std::string& name : test::supportedSampleNames()) {
        SCOPED_TRACE(name);
        const CliRun exported = runCli({"export", sample(name)});
        ASSERT_EQ(exported.code, 0) << exported.err;
        test::writeBytes(path(name + ".json"), Bytes(exported.out.begin(), exported.out.end()));
        const CliRun applied =
            runCli({"apply", path(name + ".json"), sample(name), "-o", path("same-" + name)});
        ASSERT_EQ(applied.code, 0) << applied.err;
        EXPECT_EQ(test::readBytes(path("same-" + name)), test::sampleBytes(name));
        EXPECT_NE(applied.out.find("The file is identical to the image you opened."), std::string::npos)
            << applied.out;
    }
}

TEST_F(CliTest, ExportWritesTheValuesByTheKeysOfInfo) {
    const CliRun r = runCli({"export", sample("fx5950-ultra.rom")});
    ASSERT_EQ(r.code, 0) << r.err;
    const json settings = json::parse(r.out);
    const json info = runCli({"info", "--json", "--timings", sample("fx5950-ultra.rom")}).firstJson();
    EXPECT_EQ(settings["format"], "zorvane-fx-settings");
    EXPECT_EQ(settings["version"], 2);
    EXPECT_EQ(settings["device"], info["pciIds"]["device"]);
    EXPECT_EQ(settings["biosVersion"], info["biosVersion"]);
    EXPECT_EQ(settings["generalMode"], false);
    for (const char* mode : {"2d", "throttle", "3d"}) {
        const json& list = info["voltages"][mode];
        EXPECT_EQ(settings["voltages"][mode], list["entries"][list["selected"].get<std::size_t>()]) << mode;
    }
    // Every box the card has, and no other.
    for (const auto& [key, box] : info["clocks"].items()) {
        EXPECT_EQ(settings["clocks"].contains(key), box["enabled"].get<bool>()) << key;
        if (box["enabled"]) {
            EXPECT_EQ(std::to_string(settings["clocks"][key].get<int>()), box["text"]) << key;
        }
    }
    for (const auto& [key, box] : info["timings"].items())
        if (box["enabled"]) {
            EXPECT_EQ(std::to_string(settings["timings"][key].get<int>()), box["text"]) << key;
        }
}

// The values of an edited image, applied to the original, make the same image as the edit, with
// the same change list.
TEST_F(CliTest, ApplyCarriesAnEditToAnotherCopyOfTheImage) {
    const std::string original = sample("fx5950-ultra.rom");
    const CliRun set = runCli({"set", original, "-o", path("edited.rom"), "--core-3d", "500", "--voltage-3d",
                               "1.5", "--timing-a", "12"});
    ASSERT_EQ(set.code, 0) << set.err;
    const CliRun exported = runCli({"export", path("edited.rom")});
    ASSERT_EQ(exported.code, 0);
    test::writeBytes(path("edited.json"), Bytes(exported.out.begin(), exported.out.end()));
    const CliRun applied = runCli({"apply", path("edited.json"), original, "-o", path("applied.rom")});
    ASSERT_EQ(applied.code, 0) << applied.err;
    EXPECT_EQ(test::readBytes(path("applied.rom")), test::readBytes(path("edited.rom")));
    const auto changes = [](const std::string& out) { return out.substr(out.find('\n')); };
    EXPECT_EQ(changes(applied.out), changes(set.out));
}

TEST_F(CliTest, ApplyRefusesAnotherCardsSettingsUnlessForced) {
    const std::string text = R"({"format":"zorvane-fx-settings","version":1,"device":"10DE:0333",)"
                             R"("clocks":{"core3d":450}})";
    test::writeBytes(path("5950.json"), Bytes(text.begin(), text.end()));
    const CliRun refused =
        runCli({"apply", path("5950.json"), sample("fx5900-xt.rom"), "-o", path("out.rom")});
    EXPECT_EQ(refused.code, kExitFailed);
    EXPECT_NE(refused.err.find("The settings were made for 10DE:0333, this image is 10DE:0332."),
              std::string::npos)
        << refused.err;
    EXPECT_NE(refused.err.find("--force"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(path("out.rom")));

    const CliRun forced =
        runCli({"apply", "--force", path("5950.json"), sample("fx5900-xt.rom"), "-o", path("out.rom")});
    EXPECT_EQ(forced.code, 0) << forced.err;
    EXPECT_NE(forced.err.find("Warning: The settings were made for"), std::string::npos) << forced.err;
    EXPECT_NE(forced.out.find("3D core clock: "), std::string::npos) << forced.out;
    EXPECT_NE(forced.out.find(" -> 450 MHz"), std::string::npos) << forced.out;
}

TEST_F(CliTest, ApplyRefusesSettingsItCannotReadAndWritesNothing) {
    struct Case {
        std::string text;
        int code;
        std::string error;
    };
    const std::vector<Case> cases{
        {"{not json", kExitUsage, "not valid JSON"},
        {R"({"format":"other","version":1})", kExitUsage, "not a settings file"},
        {R"({"format":"zorvane-fx-settings","version":3})", kExitUsage, "version 3"},
        {R"({"format":"zorvane-fx-settings","version":1,"clocks":{"core4d":300}})", kExitUsage,
         "clocks.core4d"},
        {R"({"format":"zorvane-fx-settings","version":1,"device":"10DE:0333","clocks":{"core3d":"fast"}})",
         kExitUsage, "clocks.core3d: \"fast\" is not a number"},
        {R"({"format":"zorvane-fx-settings","version":1,"device":"10DE:0333","voltages":{"3d":"9.9"}})",
         kExitUsage, "voltages.3d: no entry 9.9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        test::writeBytes(path("s.json"), Bytes(c.text.begin(), c.text.end()));
        const CliRun r = runCli({"apply", path("s.json"), sample("fx5950-ultra.rom"), "-o", path("out.rom")});
        EXPECT_EQ(r.code, c.code);
        EXPECT_NE(r.err.find(c.error), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("Nothing was written."), std::string::npos) << r.err;
        EXPECT_FALSE(std::filesystem::exists(path("out.rom")));
    }
    const CliRun missing =
        runCli({"apply", path("none.json"), sample("fx5950-ultra.rom"), "-o", path("out.rom")});
    EXPECT_EQ(missing.code, kExitFailed);
}

// A file that cannot be read exits 1 in every command, structure too: 2 is for usage errors.
// A folder or a device named as the output is refused with the same code, and nothing is made.
TEST_F(CliTest, AMissingFileAndATargetThatIsNoFileExitOne) {
    const CliRun structure = runCli({"structure", path("none.rom")});
    EXPECT_EQ(structure.code, kExitFailed);
    EXPECT_EQ(structure.err, path("none.rom") + ": Cant open File! No such file or directory\n");
    std::filesystem::create_directory(path("out"));
    for (const std::string& target : {path("out"), std::string("/dev/null")}) {
        const CliRun set = runCli({"set", sample("fx5950-ultra.rom"), "-o", target, "--core-3d", "480"});
        EXPECT_EQ(set.code, kExitFailed) << target;
        EXPECT_EQ(set.err.rfind(target + ": Cant open File! It is a ", 0), 0u) << set.err;
        EXPECT_FALSE(std::filesystem::exists(target + ".rom"));
    }
}

// The one line a settings file that cannot be applied gives: it names the file, says why in one
// sentence and that nothing was written.
void expectRefusedInOneLine(const CliRun& r, const std::string& file, const std::string& why) {
    EXPECT_EQ(r.err, file + ": " + why + " Nothing was written.\n");
    EXPECT_TRUE(r.out.empty()) << r.out;
}

class CliApplyTest : public CliTest {
  public:
    CliRun apply(const std::string& text, const std::vector<std::string>& options = {},
                 const std::string& image = "fx5950-ultra.rom") {
        test::writeBytes(path("s.json"), Bytes(text.begin(), text.end()));
        std::vector<std::string> args{"apply"};
        args.insert(args.end(), options.begin(), options.end());
        for (const std::string& arg : {path("s.json"), sample(image), std::string("-o"), path("out.rom")})
            args.push_back(arg);
        return runCli(args);
    }
    const std::string head = R"({"format":"zorvane-fx-settings","version":1,)";
};

// A file nested tens of thousands of levels deep used to exhaust the stack of the reader.
TEST_F(CliApplyTest, DeeplyNestedSettingsAreRefusedInOneLine) {
    for (const std::size_t levels :
         {std::size_t{kMaxSettingsDepth}, std::size_t{70000}, std::size_t{500000}}) {
        SCOPED_TRACE(levels);
        const CliRun r = apply(head + R"("a":)" + std::string(levels, '[') + std::string(levels, ']') + "}");
        EXPECT_EQ(r.code, kExitUsage);
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_EQ(r.err.rfind(path("s.json") + ": The settings file nests its values more than " +
                                  std::to_string(kMaxSettingsDepth) + " levels deep at line 1, column ",
                              0),
                  0U)
            << r.err;
        EXPECT_FALSE(std::filesystem::exists(path("out.rom")));
    }
}

// What is no settings file of the one version, exactly: each refused in one line, exit 2.
TEST_F(CliApplyTest, WhatIsNotExactlyASettingsFileIsRefusedSayingWhatAndWhere) {
    const std::string lastLine = R"("clocks":{"core3d":450})";
    struct Case {
        std::string text;
        std::string error;
    };
    const std::vector<Case> cases{
        {head + R"("clock":{"core3d":450}})", "clock: a settings file has no such key."},
        {head + R"("clocks":{"core3d":450},"Clocks":{}})", "Clocks: a settings file has no such key."},
        {R"({"format":"zorvane-fx-settings","version":4294967297,"clocks":{"core3d":450}})",
         "The settings file has version 4294967297, but this editor reads versions 1 and 2 only."},
        {head + R"("clocks":{"core3d":450}})" + std::string(1, '\0') + R"({"clocks":{"core3d":1}})",
         "The settings file holds a NUL byte at line 1, column " + std::to_string(head.size() + 25) +
             "; a settings file is text."},
        {head + R"("clocks":{"core3d":[450]}})",
         "clocks.core3d: the value is a list, but it must be a whole number or a text."},
        {head + "\n" + lastLine, "The settings file ends at line 2, column " +
                                     std::to_string(lastLine.size() + 1) + " before its JSON is complete."},
        // Text from the file is shown escaped, as any text the command prints, and stays on the line.
        {head + R"("clock\u001B]0;x\u0007\n":1})",
         "clock\\x1B]0;x\\x07\\n: a settings file has no such key."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.error);
        const CliRun r = apply(c.text);
        EXPECT_EQ(r.code, kExitUsage);
        expectRefusedInOneLine(r, path("s.json"), c.error);
        EXPECT_FALSE(std::filesystem::exists(path("out.rom")));
    }
}

// A device, a pipe or a file larger than any settings file is never read as one.
TEST_F(CliApplyTest, OnlyAPlainFileOfAtMostTheCapIsRead) {
    ASSERT_EQ(mkfifo(path("fifo.json").c_str(), 0600), 0);
    // A valid settings file, padded with spaces to a size.
    const std::string valid = head + R"("device":"10DE:0333","clocks":{"core3d":450}})";
    auto padded = [&](std::size_t size) {
        const std::string text = valid + std::string(size - valid.size(), ' ');
        test::writeBytes(path("big.json"), Bytes(text.begin(), text.end()));
        return path("big.json");
    };
    auto huge = [&](std::uintmax_t size) {
        test::writeBytes(path("huge.json"), Bytes(valid.begin(), valid.end()));
        std::filesystem::resize_file(path("huge.json"), size); // sparse: nothing of it is on the disk
        return path("huge.json");
    };
    struct Case {
        std::string file;
        std::string error;
    };
    const std::vector<Case> cases{
        {path("fifo.json"), "It is not a plain file."},
        {"/dev/zero", "It is not a plain file."},
        {"/dev/urandom", "It is not a plain file."},
        {padded(kMaxSettingsBytes + 1), "The file is " + std::to_string(kMaxSettingsBytes + 1) +
                                            " bytes long; a settings file is at most 1 MiB (" +
                                            std::to_string(kMaxSettingsBytes) + " bytes)."},
        // Larger than any image too: refused by its size as a settings file, not read.
        {huge(std::uintmax_t{200} * 1024 * 1024), "The file is 209715200 bytes long; a settings file is at "
                                                  "most 1 MiB (1048576 bytes)."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const CliRun r = runCli({"apply", c.file, sample("fx5950-ultra.rom"), "-o", path("out.rom")});
        EXPECT_EQ(r.code, kExitFailed);
        expectRefusedInOneLine(r, c.file, std::string(kCantOpenFile) + " " + c.error);
        EXPECT_FALSE(std::filesystem::exists(path("out.rom")));
    }
    const CliRun atTheCap =
        runCli({"apply", padded(kMaxSettingsBytes), sample("fx5950-ultra.rom"), "-o", path("out.rom")});
    EXPECT_EQ(atTheCap.code, 0) << atTheCap.err;
    EXPECT_NE(atTheCap.out.find(" -> 450 MHz"), std::string::npos) << atTheCap.out;
}

// The PCI world writes hex digits in either case: lower-case settings are this card's.
TEST_F(CliApplyTest, ALowerCaseDeviceIsTheSameCard) {
    const CliRun r = apply(head + R"("device":"10de:0333","clocks":{"core3d":450}})");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(r.err.empty()) << r.err;
    EXPECT_NE(r.out.find(" -> 450 MHz"), std::string::npos) << r.out;
}

// --force leaves out each value the card lacks, with a warning that names its key, and saves the
// rest; without it nothing is written, as before.
TEST_F(CliApplyTest, ForceSkipsTheValuesTheCardLacksAndNamesEach) {
    const std::string exported = runCli({"export", sample("fx5950-ultra.rom")}).out;
    json settings = json::parse(exported);
    settings["voltages"] = json::object(); // the other cards' lists offer other voltages
    settings["clocks"]["core3d"] = 299;    // no card's own
    const std::string text = settings.dump();
    for (const char* image : {"gf6800-gt.rom", "fx5200.rom", "fx5600-ultra.rom", "fx5800.rom"}) {
        SCOPED_TRACE(image);
        std::filesystem::remove(path("out.rom"));
        // What the card has, as info shows it with the timings ticked.
        const json info = runCli({"info", "--json", "--timings", sample(image)}).firstJson();
        std::vector<std::string> warnings;
        for (const char* group : {"clocks", "timings"})
            for (const auto& [key, value] : settings[group].items())
                if (!info[group][key]["enabled"].get<bool>())
                    warnings.push_back(sample(image) + ": Warning: " + group + "." + key +
                                       ": this card does not have the value, so it was left out.");
        ASSERT_FALSE(warnings.empty());
        // Another card's performance levels are left out as a whole.
        warnings.push_back(sample(image) +
                           ": Warning: levels: this card does not have the value, so it was left out.");

        const CliRun refused = apply(text, {}, image);
        EXPECT_NE(refused.code, 0);
        EXPECT_FALSE(std::filesystem::exists(path("out.rom")));

        const CliRun forced = apply(text, {"--force"}, image);
        EXPECT_EQ(forced.code, 0) << forced.err;
        EXPECT_EQ(forced.err.rfind(sample(image) + ": Warning: The settings were made for 10DE:0333", 0), 0U)
            << forced.err;
        // One line for each value left out, in the window's order; the save's own warnings follow.
        std::vector<std::string> leftOut;
        std::istringstream lines(forced.err);
        for (std::string line; std::getline(lines, line);)
            if (line.find("left out") != std::string::npos) leftOut.push_back(line);
        std::sort(leftOut.begin(), leftOut.end());
        std::sort(warnings.begin(), warnings.end());
        EXPECT_EQ(leftOut, warnings);
        const json saved = runCli({"info", "--json", path("out.rom")}).firstJson();
        EXPECT_EQ(saved["clocks"]["core3d"]["text"], "299");
    }
}

} // namespace
} // namespace zfx::cli
