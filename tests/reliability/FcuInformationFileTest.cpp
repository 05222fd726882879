// "MISCDATA.TXT" as real folders may hold it: empty, cut inside an entry, far too large, not a file at all,
// or not readable. Opening the folder in either mode gives the FCU lists of the file's whole entries, or the
// program's message, and never hangs or reads without bound.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "ReliabilitySupport.h"
#include "simulator/LoggerSimulator.h"
#include "support/TempDir.h"

namespace vyx::test {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr const char* kMissing = "FCU Information file is not avaiable.  Please select another folder.";

enum class Expect {
    AsClean,   // the same lists as the well-formed file gives
    NoFcus,    // no FCU at all
    Refused,   // the folder is refused as one without the file
    ReadError  // the system's text for the failed read
};

struct FcuFileCase {
    const char* name;
    std::function<void(const std::string& path, const std::vector<std::uint8_t>& clean)> make;
    Expect expect;
};

void PrintTo(const FcuFileCase& c, std::ostream* os) {
    *os << c.name;
}

struct Outcome {
    std::vector<std::string> fcuEntries;              // messages mode: the FCU box
    std::int64_t listTotal = 0;                       // messages mode: the records loaded
    std::vector<std::array<std::string, 3>> fcuRows;  // FCU mode: the table
    std::vector<PlainWindow::Box> messagesBoxes;
    std::vector<PlainWindow::Box> fcuBoxes;
    ViewMode messagesMode = ViewMode::None;
};

// Opens the folder in messages mode, then in FCU mode, as the user would.
Outcome Open(const std::string& folder) {
    TempDir temp;
    Watchdog watchdog;
    watchdog.Arm("opening a folder with an odd FCU information file", 60s);
    Outcome out;
    PlainWindow window;
    NotificationQueue queue;
    CMainWindowController controller(window, window, window, temp.Path(), &queue);
    controller.OnInit();
    controller.OpenFolder({folder, true});
    if (!controller.Database().IsStopFlagSet()) {
        EXPECT_TRUE(queue.PumpUntilEnd(controller, 60s));
    }
    out.messagesMode = controller.Mode();
    out.fcuEntries = window.fcuEntries;
    out.listTotal = window.listTotal;
    out.messagesBoxes = window.boxes;
    window.boxes.clear();
    controller.OpenFolder({folder, false});
    out.fcuRows = window.fcuRows;
    out.fcuBoxes = window.boxes;
    controller.OnClose();
    watchdog.Disarm();
    return out;
}

std::vector<std::string> Texts(const std::vector<PlainWindow::Box>& boxes) {
    std::vector<std::string> texts;
    for (const auto& b : boxes) texts.push_back(b.text);
    return texts;
}

class OddFcuInformationFile : public ::testing::TestWithParam<FcuFileCase> {
protected:
    static void SetUpTestSuite() {
        s_data = new TempDir;
        sim::SimulatorOptions options;
        options.days = 1;
        options.recordsPerDay = 800;
        options.faults = false;
        sim::GenerateDataFolder(s_data->Path(), options);
        s_clean = new Outcome(Open(s_data->Path()));
    }
    static void TearDownTestSuite() {
        delete s_clean;
        delete s_data;
    }
    static TempDir* s_data;
    static Outcome* s_clean;
};

TempDir* OddFcuInformationFile::s_data = nullptr;
Outcome* OddFcuInformationFile::s_clean = nullptr;

TEST_P(OddFcuInformationFile, GivesTheWholeEntriesOrTheMessage) {
    const FcuFileCase& c = GetParam();
    ASSERT_GT(s_clean->fcuRows.size(), 10u);
    ASSERT_TRUE(s_clean->messagesBoxes.empty());
    TempDir data;
    for (const auto& e : fs::directory_iterator(s_data->Path())) fs::copy(e.path(), data.File(e.path().filename()));
    const std::string path = data.File("MISCDATA.TXT");
    const auto clean = ReadBytes(path);
    fs::remove(path);
    c.make(path, clean);
    SealedFolder seal(data.Path());

    const Outcome got = Open(data.Path());
    switch (c.expect) {
        case Expect::AsClean:
            EXPECT_EQ(got.fcuEntries, s_clean->fcuEntries);
            EXPECT_EQ(got.fcuRows, s_clean->fcuRows);
            EXPECT_TRUE(got.messagesBoxes.empty());
            EXPECT_TRUE(got.fcuBoxes.empty());
            EXPECT_EQ(got.listTotal, 800);
            break;
        case Expect::NoFcus:
            EXPECT_EQ(got.fcuEntries, std::vector<std::string>{"--ALL--"});
            EXPECT_TRUE(got.messagesBoxes.empty());
            EXPECT_EQ(got.listTotal, 800);
            EXPECT_TRUE(got.fcuRows.empty());
            EXPECT_EQ(Texts(got.fcuBoxes), std::vector<std::string>{"No FCU Found."});
            break;
        case Expect::Refused:
            EXPECT_EQ(got.messagesMode, ViewMode::None);
            ASSERT_EQ(got.messagesBoxes.size(), 1u);
            EXPECT_EQ(got.messagesBoxes[0].text, kMissing);
            EXPECT_EQ(got.messagesBoxes[0].icon, MessageIcon::Exclamation);
            EXPECT_EQ(Texts(got.fcuBoxes), std::vector<std::string>{kMissing});
            EXPECT_EQ(got.listTotal, 0);
            break;
        case Expect::ReadError: {
            // The box names what failed; the records still load, without FCU numbers to choose from.
            const std::string text = "Input/output error: " + path;
            EXPECT_EQ(Texts(got.messagesBoxes), std::vector<std::string>{text});
            EXPECT_EQ(got.messagesBoxes.at(0).icon, MessageIcon::Stop);
            EXPECT_EQ(got.fcuEntries, std::vector<std::string>{"--ALL--"});
            EXPECT_EQ(got.listTotal, 800);
            EXPECT_EQ(Texts(got.fcuBoxes), (std::vector<std::string>{text, "No FCU Found."}));
            break;
        }
    }
    EXPECT_EQ(seal.Changes(), std::vector<std::string>{});
}

void WriteWith(const std::string& path, std::vector<std::uint8_t> bytes, std::initializer_list<std::uint8_t> more) {
    bytes.insert(bytes.end(), more);
    WriteBytes(path, bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Files, OddFcuInformationFile,
    ::testing::Values(
        FcuFileCase{"Empty", [](const std::string& p, const auto&) { WriteBytes(p, {}); }, Expect::NoFcus},
        FcuFileCase{"OneByte", [](const std::string& p, const auto&) { WriteBytes(p, {1}); }, Expect::NoFcus},
        FcuFileCase{"TwoBytes",
                    [](const std::string& p, const auto&) {
                        WriteBytes(p, {1, 0});
                    },
                    Expect::NoFcus},
        FcuFileCase{"OneByteTooMany", [](const std::string& p, const auto& clean) { WriteWith(p, clean, {1}); },
                    Expect::AsClean},
        FcuFileCase{"TwoBytesTooMany",
                    [](const std::string& p, const auto& clean) {
                        WriteWith(p, clean, {1, 0});
                    },
                    Expect::AsClean},
        FcuFileCase{"CutInsideTheLastEntry",
                    [](const std::string& p, const auto& clean) {
                        // The clean file ends in empty slots; losing part of the last one changes nothing shown.
                        auto cut = clean;
                        cut.pop_back();
                        WriteBytes(p, cut);
                    },
                    Expect::AsClean},
        // Four gigabytes without any disk space: the reader must stop at the entries it can number.
        FcuFileCase{"HugeAndSparse",
                    [](const std::string& p, const auto& clean) {
                        WriteBytes(p, clean);
                        fs::resize_file(p, 4ull << 30);
                    },
                    Expect::AsClean},
        FcuFileCase{"Directory", [](const std::string& p, const auto&) { fs::create_directory(p); }, Expect::Refused},
        FcuFileCase{"Fifo", [](const std::string& p, const auto&) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); },
                    Expect::Refused},
        FcuFileCase{"DanglingLink", [](const std::string& p, const auto&) { fs::create_symlink("/nowhere", p); },
                    Expect::Refused},
        FcuFileCase{"ReadFails", [](const std::string& p, const auto&) { fs::create_symlink("/proc/self/mem", p); },
                    Expect::ReadError}),
    [](const auto& info) { return std::string(info.param.name); });

// Every slot present: FCU numbers are 16-bit, so the table ends at channel B's FCU 32767 however long the
// file is.
TEST(HugeFcuInformationFile, EveryNumberableEntryAndNoMore) {
    TempDir data;
    sim::SimulatorOptions options;
    options.days = 1;
    options.recordsPerDay = 10;
    options.faults = false;
    sim::GenerateDataFolder(data.Path(), options);
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 40000; ++i) bytes.insert(bytes.end(), {1, 0, 2});
    WriteBytes(data.File("MISCDATA.TXT"), bytes);
    SealedFolder seal(data.Path());
    const Outcome got = Open(data.Path());
    ASSERT_EQ(got.fcuRows.size(), 300u + 32767u);
    EXPECT_EQ(got.fcuEntries.size(), 1u + 300u + 32767u);
    EXPECT_EQ(got.fcuRows.back()[0], "32767");
    EXPECT_EQ(got.fcuRows.back()[2], "MS_B(right)");
    EXPECT_TRUE(got.fcuBoxes.empty());
    EXPECT_EQ(seal.Changes(), std::vector<std::string>{});
}

}  // namespace
}  // namespace vyx::test
