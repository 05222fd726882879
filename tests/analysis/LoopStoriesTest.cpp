// Small folders with known stories: the events found in them and the loop's state at chosen moments.

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "analysis/LoopStateQuery.h"
#include "analysis/LoopTestSupport.h"
#include "platform/File.h"
#include "simulator/RecordBuilder.h"

namespace vyx::test {
namespace {

constexpr std::uint32_t kDay = 1231113600u;  // 05-01-2009 00:00:00, day file LG050109.txt

using Bytes = std::vector<std::uint8_t>;

struct StoryRecord {
    std::string dayFile;  // a record may lie in another day's file (a clock step)
    sim::RecordSpec spec;
};

// A block transfer on a channel: one kind-1 packet for an FCU with (index, value) entries.
StoryRecord FcuReport(std::uint32_t at, int channel, int fcu, std::vector<std::pair<int, int>> entries,
                      std::string file = "LG050109.txt") {
    Bytes packet = {static_cast<std::uint8_t>(3 + 3 * entries.size()), 1, static_cast<std::uint8_t>(fcu)};
    for (const auto& [index, value] : entries) {
        packet.push_back(static_cast<std::uint8_t>(index));
        packet.push_back(static_cast<std::uint8_t>(value >> 8));
        packet.push_back(static_cast<std::uint8_t>(value & 0xFF));
    }
    sim::RecordSpec spec;
    spec.time = kDay + at;
    spec.channel = channel;
    spec.classCode = sim::kClassParameterBlockTransfer;
    spec.payload = {0, 0, static_cast<std::uint8_t>(packet.size())};
    spec.payload.insert(spec.payload.end(), packet.begin(), packet.end());
    return {std::move(file), spec};
}

// A Modbus request (Generic register map) from a source.
StoryRecord Modbus(std::uint32_t at, int channel, Bytes request, int sourceNibble) {
    sim::RecordSpec spec;
    spec.time = kDay + at;
    spec.channel = channel;
    spec.classCode = sim::kClassModbus;
    spec.databaseCode = 1;
    spec.payload = std::move(request);
    spec.sourceNibble = sourceNibble;
    return {"LG050109.txt", spec};
}

constexpr int kIndexStatus = 16;
constexpr int kIndexAlarm = 24;
constexpr int kIndexPosition = 32;
constexpr int kRtu1 = 2;

// "time fcu channel kind edge code" with the time as seconds into the day, the code "-" where there is none.
std::string Describe(const FcuEvent& e) {
    static const char* kinds[] = {"", "command", "status", "alarm", "position", "heard", "system", "loopfault"};
    static const char* edges[] = {"", " set", " cleared", " initial"};
    char text[96];
    std::snprintf(text, sizeof text, "%u %d %c %s%s %s", e.time - kDay, e.fcu, e.channel ? 'B' : 'A',
                  kinds[static_cast<int>(e.kind)], edges[static_cast<int>(e.edge)],
                  e.kind == FcuEventKind::Heard || e.kind == FcuEventKind::Position || e.code == kNoCode
                      ? (e.kind == FcuEventKind::Position ? std::to_string(e.value).c_str() : "-")
                      : std::to_string(e.code).c_str());
    return text;
}

// The parts of an FCU's state a story looks at.
std::string Describe(const LoopState& s, int fcu) {
    if (fcu == kLoopFcu) {
        const CommandMark& c = s.loopCommand;
        return c.known ? "loop command " + std::to_string(c.code) + " at " + std::to_string(c.time - kDay) : "quiet";
    }
    const FcuState& f = s.fcus[static_cast<std::size_t>(fcu)];
    if (!f.seen) return "unknown";
    std::string out = "alarms";
    for (int code = 1; code < 24; ++code) {
        if (f.AlarmMask() & (1u << code)) {
            out += " " + std::to_string(code) + "@" +
                   std::to_string(f.channel[f.alarmChannel].alarmSince[static_cast<std::size_t>(code)] - kDay);
        }
    }
    out += " status";
    for (int code = 1; code < 32; ++code) {
        if (f.StatusMask() & (1u << code)) out += " " + std::to_string(code);
    }
    out += " command ";
    out += f.command.known ? std::to_string(f.command.code) + "/src" + std::to_string(f.command.source) : "-";
    out += " position ";
    out += f.positionKnown ? std::to_string(f.position) : "-";
    for (int c = 0; c < 2; ++c) {
        const FcuChannelView& v = f.channel[static_cast<std::size_t>(c)];
        out += c ? " B " : " A ";
        out += v.heard ? std::to_string(v.lastHeard - kDay) : "-";
    }
    return out;
}

struct StateCheck {
    std::uint32_t at;  // seconds into the day
    int fcu;
    std::string expected;
};

struct Story {
    const char* name;
    std::vector<StoryRecord> records;
    std::vector<std::string> events;  // heard events left out unless asked for
    bool withHeard;
    std::vector<StateCheck> states;
};

// FCUs 1..100 on channel A and B; FCU 5 and 7 "Tarn,TarnV,Vela,Integral" (type code 0), FCU 3 "Vx" (6).
Bytes FcuFile() {
    Bytes file;
    for (int channel = 0; channel < 2; ++channel) {
        for (int n = 1; n <= 300; ++n) {
            file.push_back(n <= 100 ? 1 : 0);
            file.push_back(0);
            file.push_back(n == 3 ? 6 : 0);
        }
    }
    return file;
}

std::vector<Story> Stories() {
    std::vector<Story> stories;
    // The clearing report lies in the next day's file with a time of this day: it sorts by its own time.
    stories.push_back({"AlarmSetThenCleared",
                       {FcuReport(3600, 0, 5, {{kIndexAlarm, 0}}),
                        FcuReport(7200, 0, 5, {{kIndexAlarm, 0x0002}}),
                        FcuReport(9000, 0, 5, {{kIndexAlarm, 0x0000}}, "LG060109.txt"),
                        FcuReport(10800, 0, 5, {{kIndexAlarm, 0x0006}})},
                       {"3600 5 A alarm initial -", "7200 5 A alarm set 2", "9000 5 A alarm cleared 2",
                        "10800 5 A alarm set 2", "10800 5 A alarm set 5"},
                       false,
                       {{3599, 5, "unknown"},
                        {3600, 5, "alarms status command - position - A 3600 B -"},
                        {8000, 5, "alarms 2@7200 status command - position - A 7200 B -"},
                        {9000, 5, "alarms status command - position - A 9000 B -"},
                        {20000, 5, "alarms 2@10800 5@10800 status command - position - A 10800 B -"}}});
    // Open FCU 7 (register 3196 + 6 at the base address) from RTU1; the FCU reports closed, then running
    // open, then open.
    stories.push_back({"CommandThenStatusChange",
                       {FcuReport(100, 0, 7, {{kIndexStatus, 0x0008}}),
                        Modbus(200, 0, {240, 5, 0x0C, 0x82, 0xFF, 0x00}, kRtu1),
                        FcuReport(210, 0, 7, {{kIndexStatus, 0x0060}}),
                        FcuReport(260, 1, 7, {{kIndexStatus, 0x0004}})},
                       {"100 7 A status initial 6", "100 7 A heard -", "200 7 A command 0", "210 7 A status set 9",
                        "210 7 A status set 10", "210 7 A status cleared 6", "210 7 A heard -",
                        "260 7 B status initial 5", "260 7 B heard -"},
                       true,
                       {{150, 7, "alarms status 6 command - position - A 100 B -"},
                        {200, 7, "alarms status 6 command 0/src2 position - A 100 B -"},
                        {230, 7, "alarms status 9 10 command 0/src2 position - A 210 B -"},
                        // channel B reported last: its view wins
                        {300, 7, "alarms status 5 command 0/src2 position - A 210 B 260"}}});
    // FCU 3 reports its position on both channels every ten minutes for three hours; channel B says nothing
    // from 3600 to 7200.
    {
        Story story{"ChannelBSilentForAnHour", {}, {}, true, {}};
        for (std::uint32_t t = 0; t <= 10800; t += 600) {
            story.records.push_back(FcuReport(t, 0, 3, {{kIndexPosition, 100}}));
            if (t <= 3000 || t >= 7200) story.records.push_back(FcuReport(t, 1, 3, {{kIndexPosition, 100}}));
        }
        for (std::uint32_t t = 0; t <= 10800; t += 600) {
            for (int c = 0; c < 2; ++c) {
                if (c == 1 && t > 3000 && t < 7200) continue;
                // the position is an event once: it never changes
                if (t == 0 && c == 0) story.events.push_back("0 3 A position 100");
                story.events.push_back(std::to_string(t) + " 3 " + (c ? "B" : "A") + " heard -");
            }
        }
        story.states = {{3000, 3, "alarms status command - position 100 A 3000 B 3000"},
                        {7000, 3, "alarms status command - position 100 A 6600 B 3000"},
                        {7200, 3, "alarms status command - position 100 A 7200 B 7200"}};
        stories.push_back(story);
    }
    // Close FCUs 61..63 at slave address base + 1 in one request, then Change Master (register 4) at base + 1,
    // which the register map shifts to FCU 60 but addresses the whole loop.
    stories.push_back({"WriteMultipleToThreeFcus",
                       {Modbus(500, 1, {241, 16, 0x0C, 0xF4, 0x00, 0x03, 6, 0, 1, 0, 1, 0, 1}, kRtu1),
                        Modbus(600, 1, {241, 6, 0x00, 0x04, 0x00, 0x01}, kRtu1)},
                       {"500 61 B command 1", "500 62 B command 1", "500 63 B command 1", "600 0 B command 8"},
                       false,
                       {{550, 61, "alarms status command 1/src2 position - A - B -"},
                        {550, 63, "alarms status command 1/src2 position - A - B -"},
                        {550, 60, "unknown"},
                        {550, 0, "quiet"},
                        {600, 0, "loop command 8 at 600"}}});
    return stories;
}

void PrintTo(const Story& story, std::ostream* os) {
    *os << story.name;
}

class LoopStories : public ::testing::TestWithParam<Story> {};

TEST_P(LoopStories, GiveTheirEventsAndStates) {
    const Story& story = GetParam();
    TempDir folder;
    std::map<std::string, Bytes> files;
    for (const StoryRecord& r : story.records) sim::AppendFrame(files[r.dayFile], sim::BuildRecordBytes(r.spec));
    for (const auto& [name, bytes] : files) {
        COutputFile out(folder.File(name));
        out.Write(bytes.data(), bytes.size());
        out.Close();
    }
    {
        const Bytes fcus = FcuFile();
        COutputFile out(folder.File("MISCDATA.TXT"));
        out.Write(fcus.data(), fcus.size());
        out.Close();
    }
    LoadedFolder loaded;
    loaded.Load(folder.Path(), 2);  // a checkpoint every two events: queries start from many of them

    std::vector<std::string> events;
    for (const FcuEvent& e : AllEvents(*loaded.events)) {
        if (e.kind == FcuEventKind::Heard && !story.withHeard) continue;
        events.push_back(Describe(e));
    }
    EXPECT_EQ(events, story.events);

    CLoopStateQuery query(*loaded.events);
    for (const StateCheck& check : story.states) {
        EXPECT_EQ(Describe(query.StateAt(kDay + check.at), check.fcu), check.expected) << "at " << check.at;
    }
}

INSTANTIATE_TEST_SUITE_P(Folders, LoopStories, ::testing::ValuesIn(Stories()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vyx::test
