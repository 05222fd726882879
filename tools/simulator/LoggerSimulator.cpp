#include "simulator/LoggerSimulator.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "logdata/TimeValue.h"
#include "platform/File.h"
#include "platform/FileError.h"
#include "simulator/RecordBuilder.h"

namespace vyx::sim {
namespace {

// splitmix64: small, fast and identical on every platform, unlike the standard distributions.
class Random {
public:
    explicit Random(std::uint64_t seed) : m_state(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
    int Between(int lo, int hi) { return lo + Below(hi - lo + 1); }
    bool Chance(int percent) { return Below(100) < percent; }
    std::uint8_t Byte() { return static_cast<std::uint8_t>(Next()); }
    template <typename T, std::size_t N>
    const T& Pick(const T (&items)[N]) {
        return items[Below(static_cast<int>(N))];
    }

private:
    std::uint64_t m_state;
};

using Bytes = std::vector<std::uint8_t>;

void PutBE16(Bytes& b, int value) {
    b.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
    b.push_back(static_cast<std::uint8_t>(value & 0xFF));
}

// FCU information: channel A has FCUs 1..60 present and 61..80 configured; channel B 1..40 present and
// 41..50 configured. Types cycle through every code of the type table plus unidentified ones.
constexpr int kTypeCodes[] = {0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 127, 1, 15, 0x7F00};
constexpr int kPresentA = 60, kConfiguredA = 80, kPresentB = 40, kConfiguredB = 50;

int FcuTypeCode(int channel, int number) {
    const int n = static_cast<int>(std::size(kTypeCodes));
    return kTypeCodes[(number - 1 + channel * 7) % n];
}

class DayWriter {
public:
    DayWriter(Random& rng, const SimulatorOptions& options) : m_rng(rng), m_options(options) {}

    Bytes MakeDay(std::uint32_t dayStart, int dayIndex, SimulatorSummary& summary);
    // One record of the mix at that time (and now and then, with faults, a frame the reader must skip).
    void AppendRecord(Bytes& out, std::uint32_t time, SimulatorSummary& summary);

private:
    RecordSpec NewSpec(std::uint32_t time, int classCode);
    int PresentFcu(int channel) { return channel == 0 ? m_rng.Between(1, kPresentA) : m_rng.Between(1, kPresentB); }
    void Halvik(RecordSpec& spec, bool idle);
    void Modbus(RecordSpec& spec);
    void ModbusMultiple(RecordSpec& spec, int db);
    void ParameterBlockTransfer(RecordSpec& spec);
    Bytes FcuPacket(int channel);
    Bytes MasterStationPacket();

    Random& m_rng;
    const SimulatorOptions& m_options;
};

RecordSpec DayWriter::NewSpec(std::uint32_t time, int classCode) {
    RecordSpec spec;
    spec.time = time;
    spec.classCode = classCode;
    spec.channel = m_rng.Below(2);
    static constexpr int kKnownSources[] = {0, 1, 2, 3, 4, 5, 6, 0xA, 0xB, 0xC};
    static constexpr int kUnknownSources[] = {0x7, 0x8, 0x9, 0xD, 0xE, 0xF};
    spec.sourceNibble = m_rng.Chance(97) ? m_rng.Pick(kKnownSources) : m_rng.Pick(kUnknownSources);
    spec.sourceLowNibble = m_rng.Below(16);
    spec.trailer = static_cast<std::uint32_t>(m_rng.Next());
    return spec;
}

// Halvik Common Protocol and M7 Idle share a frame layout: FCU at payload 1..2, length bytes at 6 and 7,
// a data type at 10, a sub type at 11 and the command value at 12..13.
void DayWriter::Halvik(RecordSpec& spec, bool idle) {
    Bytes& p = spec.payload;
    const int form = m_rng.Below(100);
    int fcu = PresentFcu(spec.channel);
    if (m_rng.Chance(2)) fcu = m_rng.Chance(50) ? 0 : 301;  // addresses outside 1..300
    p.push_back(0x01);
    PutBE16(p, fcu);
    p.push_back(m_rng.Byte());
    p.push_back(m_rng.Byte());
    p.push_back(m_rng.Byte());
    static constexpr int kBitMap[] = {1, 2, 4, 8, 16, 32};
    if (form < 60 || idle) {
        // single command: b12 - b13 = 2, b16 = 2, value at b18 (sub type 0x11) or b18..b19 (sub type 0)
        const int len = m_rng.Between(4, 12);
        p.push_back(static_cast<std::uint8_t>(len));
        p.push_back(static_cast<std::uint8_t>(len - 2));
        p.push_back(m_rng.Byte());
        p.push_back(m_rng.Byte());
        p.push_back(idle && m_rng.Chance(20) ? 3 : 2);
        const bool shortForm = idle || m_rng.Chance(60);
        p.push_back(shortForm ? 0x11 : 0x00);
        const int value = m_rng.Chance(90) ? m_rng.Pick(kBitMap) : m_rng.Between(0, 255);
        if (shortForm) {
            p.push_back(static_cast<std::uint8_t>(value));
            p.push_back(m_rng.Byte());
        } else {
            PutBE16(p, value);
        }
    } else if (form < 80) {
        // multiple-FCU command: b12 - b13 != 2, followed by a list of FCU addresses
        const int count = m_rng.Between(2, 6);
        p.push_back(static_cast<std::uint8_t>(4 + count));
        p.push_back(static_cast<std::uint8_t>(count));
        p.push_back(m_rng.Byte());
        p.push_back(m_rng.Byte());
        p.push_back(2);
        p.push_back(0x11);
        p.push_back(static_cast<std::uint8_t>(m_rng.Pick(kBitMap)));
        for (int i = 0; i < count; ++i) PutBE16(p, PresentFcu(spec.channel));
    } else {
        // poll or reply without a command (b12 <= 3)
        p.push_back(static_cast<std::uint8_t>(m_rng.Between(0, 3)));
        for (int i = 0; i < 7; ++i) p.push_back(m_rng.Byte());
    }
    PutBE16(p, static_cast<int>(m_rng.Next() & 0xFFFF));  // checksum
}

// Registers of the Generic map that carry a command, by range start (60 FCUs each) and single addresses.
constexpr int kGenericRanges[] = {2716, 2776, 2836, 2896, 3196, 3256, 3316, 3376, 5536, 5596, 5656};
constexpr int kGenericSystem[] = {3, 4, 5, 6, 255};

void DayWriter::Modbus(RecordSpec& spec) {
    static constexpr int kDbCodes[] = {1, 1, 1, 2, 2, 3, 4};
    int db = m_rng.Pick(kDbCodes);
    if (m_rng.Chance(2)) db = m_rng.Chance(50) ? 9 : 0;  // unknown register maps
    spec.databaseCode = db;
    const int map = db - 1;  // 0 Generic, 1 Kedra, 2 Yokogawa, 3 Oxa, else none
    if (map >= 0 && map <= 3 && m_rng.Chance(12)) {
        ModbusMultiple(spec, map);
        return;
    }
    Bytes& p = spec.payload;
    int slave = m_options.modbusBase + m_rng.Below(4);
    if (m_rng.Chance(4)) slave = m_rng.Chance(50) ? m_options.modbusBase - 1 : m_options.modbusBase + 4;
    int function = 6;
    int reg = 0;
    int value = m_rng.Between(0, 255);
    if (map == 0 || map == 1 || map < 0 || map > 3) {
        static constexpr int kFunctions[] = {5, 6, 6, 16, 5, 3};
        function = m_rng.Pick(kFunctions);
        if (m_rng.Chance(10)) reg = m_rng.Pick(kGenericSystem);
        else if (m_rng.Chance(5)) reg = m_rng.Between(0, 6000);
        else reg = m_rng.Pick(kGenericRanges) + m_rng.Below(60);
        if (function == 5) value = m_rng.Chance(80) ? 0xFF00 : 0x0000;
    } else {
        const bool coil = m_rng.Chance(60);
        if (coil) {
            function = m_rng.Chance(80) ? 5 : 15;
            static constexpr int kSystemCoils[] = {0, 14, 15, 31};
            if (m_rng.Chance(10)) reg = m_rng.Pick(kSystemCoils);
            else if (m_rng.Chance(50)) reg = m_rng.Between(32, 511);
            else reg = m_rng.Between(512, 1471);
            if (m_rng.Chance(3)) reg = m_rng.Between(1472, 2000);
            value = 0xFF00;
        } else {
            function = m_rng.Chance(80) ? 6 : 16;
            reg = m_rng.Chance(95) ? m_rng.Between(0, 479) : m_rng.Between(480, 600);
        }
        slave = m_rng.Between(1, 247);
    }
    p.push_back(static_cast<std::uint8_t>(slave));
    p.push_back(static_cast<std::uint8_t>(function));
    PutBE16(p, reg);
    if (function == 15 || function == 16) {
        PutBE16(p, 1);  // quantity 1: decodes like a single write
        if (function == 15) {
            p.push_back(1);
            p.push_back(1);
        } else {
            p.push_back(2);
            PutBE16(p, value);
        }
    } else if (function == 3) {
        PutBE16(p, m_rng.Between(1, 10));
    } else {
        PutBE16(p, value);
    }
    PutBE16(p, static_cast<int>(m_rng.Next() & 0xFFFF));  // CRC
}

void DayWriter::ModbusMultiple(RecordSpec& spec, int map) {
    Bytes& p = spec.payload;
    int slave = m_options.modbusBase + m_rng.Below(4);
    if (m_rng.Chance(5)) slave = m_options.modbusBase - 1;
    int function = 16;
    int start = 0;
    int quantity = m_rng.Between(2, 8);
    if (map <= 1) {
        function = m_rng.Chance(50) ? 15 : 16;
        if (m_rng.Chance(15)) {
            start = m_rng.Between(2, 5);  // runs over the system-wide registers 3..6
        } else {
            start = m_rng.Pick(kGenericRanges) + m_rng.Below(56);
        }
    } else {
        function = m_rng.Chance(60) ? 15 : 16;
        if (function == 15) {
            if (m_rng.Chance(15)) start = m_rng.Between(0, 30);  // includes Global ESD Trigger and friends
            else if (m_rng.Chance(50)) start = m_rng.Between(32, 500);
            else start = m_rng.Between(512, 1460);
        } else {
            start = m_rng.Between(0, 470);
        }
        slave = m_rng.Between(1, 247);
    }
    p.push_back(static_cast<std::uint8_t>(slave));
    p.push_back(static_cast<std::uint8_t>(function));
    PutBE16(p, start);
    PutBE16(p, quantity);
    if (function == 15) {
        const int byteCount = (quantity + 7) / 8;
        p.push_back(static_cast<std::uint8_t>(byteCount));
        for (int i = 0; i < byteCount; ++i) p.push_back(m_rng.Byte());
    } else {
        p.push_back(static_cast<std::uint8_t>(quantity * 2));
        for (int i = 0; i < quantity; ++i) PutBE16(p, m_rng.Between(0, 255));
    }
    PutBE16(p, static_cast<int>(m_rng.Next() & 0xFFFF));
}

// An FCU packet of kind 1 (index/value list) or kind 4 (register run from a first index).
Bytes DayWriter::FcuPacket(int channel) {
    Bytes packet;
    const int fcu = m_rng.Chance(95) ? PresentFcu(channel) : m_rng.Between(200, 255);
    if (m_rng.Chance(70)) {
        static constexpr int kIndices[] = {0, 16, 16, 24, 24, 32, 32, 8};
        const int entries = m_rng.Between(1, 4);
        packet.push_back(static_cast<std::uint8_t>(3 + 3 * entries));
        packet.push_back(1);
        packet.push_back(static_cast<std::uint8_t>(fcu));
        for (int i = 0; i < entries; ++i) {
            const int index = m_rng.Pick(kIndices);
            packet.push_back(static_cast<std::uint8_t>(index));
            int value = static_cast<int>(m_rng.Next() & 0xFFFF);
            if (index == 0) value = FcuTypeCode(channel, fcu);
            if (index == 32) value = m_rng.Chance(90) ? m_rng.Between(0, 255) : value;
            PutBE16(packet, value);
        }
    } else {
        static constexpr int kFirst[] = {16, 24, 32, 15, 0};
        const int first = m_rng.Pick(kFirst);
        const int values = m_rng.Between(1, 3);
        packet.push_back(static_cast<std::uint8_t>(4 + 2 * values));
        packet.push_back(4);
        packet.push_back(static_cast<std::uint8_t>(fcu));
        packet.push_back(static_cast<std::uint8_t>(first));
        for (int i = 0; i < values; ++i) PutBE16(packet, static_cast<int>(m_rng.Next() & 0xFFFF));
    }
    return packet;
}

// A kind-3 packet: master station system status (index 0), loop fault (index 4) or loop-back (index 252).
Bytes DayWriter::MasterStationPacket() {
    Bytes packet;
    const int form = m_rng.Below(3);
    if (form == 0) {
        packet = {5, 3, 0, 0, 0};
        // healthy masters have bits 6 and 7 set; set some fault bits now and then
        std::uint8_t first = 0xC0;
        if (m_rng.Chance(30)) first = static_cast<std::uint8_t>(first ^ (1u << m_rng.Between(2, 7)));
        packet[3] = first;
        packet[4] = m_rng.Chance(20) ? 0x02 : 0x00;
    } else if (form == 1) {
        // items at index 4 (loop fault) and 5
        packet = {7, 3, 4, 0, 0, 0, 0};
        static constexpr std::uint8_t kLoop[] = {0x05, 0x06, 0x15, 0x07, 0x00};
        packet[3] = m_rng.Pick(kLoop);
    } else {
        // first index 251: the loop-back word is the second item
        packet = {7, 3, 251, 0, 0, 0, 0};
        packet[5] = static_cast<std::uint8_t>(m_rng.Between(1, 60));
        packet[6] = static_cast<std::uint8_t>(m_rng.Between(1, 60));
    }
    return packet;
}

void DayWriter::ParameterBlockTransfer(RecordSpec& spec) {
    Bytes packets;
    const int count = m_rng.Between(1, 5);
    for (int i = 0; i < count; ++i) {
        Bytes packet;
        const int kind = m_rng.Below(100);
        if (kind < 60) packet = FcuPacket(spec.channel);
        else if (kind < 90) packet = MasterStationPacket();
        else packet = {static_cast<std::uint8_t>(5), static_cast<std::uint8_t>(m_rng.Chance(50) ? 2 : 7), 1, 2, 3};
        if (packets.size() + packet.size() > 200) break;
        packets.insert(packets.end(), packet.begin(), packet.end());
    }
    spec.payload.push_back(0x00);
    PutBE16(spec.payload, static_cast<int>(packets.size()));
    spec.payload.insert(spec.payload.end(), packets.begin(), packets.end());
}

void DayWriter::AppendRecord(Bytes& out, std::uint32_t time, SimulatorSummary& summary) {
    const int roll = m_rng.Below(1000);
    RecordSpec spec;
    if (roll < 250) {
        spec = NewSpec(time, kClassHalvik);
        Halvik(spec, false);
    } else if (roll < 350) {
        spec = NewSpec(time, kClassM7Idle);
        Halvik(spec, true);
    } else if (roll < 660) {
        spec = NewSpec(time, kClassModbus);
        Modbus(spec);
    } else if (roll < 940) {
        spec = NewSpec(time, kClassParameterBlockTransfer);
        ParameterBlockTransfer(spec);
    } else if (roll < 970) {
        spec = NewSpec(time, kClassSetTime);
        for (int k = 0; k < 6; ++k) spec.payload.push_back(m_rng.Byte());
    } else {
        spec = NewSpec(time, kClassStartupSequence);
        const int len = m_rng.Between(0, 8);
        for (int k = 0; k < len; ++k) spec.payload.push_back(m_rng.Byte());
    }
    if (m_options.faults && m_rng.Below(2000) == 0) {
        static constexpr int kBadClasses[] = {0, 2, 3, 6, 17, 63};
        spec.classCode = m_rng.Pick(kBadClasses);
        ++summary.invalidRecords;
    } else {
        ++summary.records;
    }
    AppendFrame(out, BuildRecordBytes(spec));

    if (m_options.faults && m_rng.Below(5000) == 0) {
        // frames the reader must skip: too short to decode, or longer than a record can be
        if (m_rng.Chance(50)) {
            AppendRawFrame(out, 5, {0x01, 0x02, 0x03});
        } else {
            Bytes body(301);
            for (auto& b : body) b = m_rng.Byte();
            AppendRawFrame(out, 303, body);
        }
        ++summary.skippedFrames;
    }
}

Bytes DayWriter::MakeDay(std::uint32_t dayStart, int dayIndex, SimulatorSummary& summary) {
    const int n = m_options.recordsPerDay;
    // Time offsets within the day: sorted random seconds, so several records often share one second.
    std::vector<std::uint32_t> offsets(static_cast<std::size_t>(n));
    for (auto& o : offsets) o = static_cast<std::uint32_t>(m_rng.Below(86400));
    std::sort(offsets.begin(), offsets.end());
    if (m_options.clockJumps) {
        // The clock steps back now and then; later stamps follow on from the new setting.
        for (int i = 0; i < n; ++i) {
            if (m_rng.Below(1000) < 3) {
                const std::uint32_t back = static_cast<std::uint32_t>(m_rng.Between(1, 900));
                const int span = m_rng.Between(20, 400);
                for (int j = i; j < n && j < i + span; ++j) {
                    offsets[static_cast<std::size_t>(j)] =
                        offsets[static_cast<std::size_t>(j)] > back ? offsets[static_cast<std::size_t>(j)] - back : 0;
                }
            }
        }
    }

    Bytes out;
    out.reserve(static_cast<std::size_t>(n) * 40);
    for (int i = 0; i < n; ++i) AppendRecord(out, dayStart + offsets[static_cast<std::size_t>(i)], summary);
    if (m_options.faults && dayIndex % 2 == 1) {
        // the logger was switched off while writing: the last frame is cut short
        RecordSpec spec = NewSpec(dayStart + 86399, kClassHalvik);
        Halvik(spec, false);
        Bytes frame;
        AppendFrame(frame, BuildRecordBytes(spec));
        out.insert(out.end(), frame.begin(), frame.begin() + static_cast<long>(frame.size() / 2));
        ++summary.truncatedFrames;
    }
    return out;
}

void WriteWholeFile(const std::string& path, const Bytes& bytes) {
    COutputFile file(path);
    file.Write(bytes.data(), bytes.size());
    file.Close();
}

}  // namespace

std::string DayFileName(int year, int month, int day) {
    char name[16];
    std::snprintf(name, sizeof name, "LG%02d%02d%02d.txt", day % 100, month % 100, year % 100);
    return name;
}

std::vector<std::uint8_t> BuildFcuInformationFile() {
    Bytes file;
    for (int channel = 0; channel < 2; ++channel) {
        const int present = channel == 0 ? kPresentA : kPresentB;
        const int configured = channel == 0 ? kConfiguredA : kConfiguredB;
        for (int number = 1; number <= 300; ++number) {
            int tag = 0;
            if (number <= present) tag = 1;
            else if (number <= configured) tag = 2;
            else if (number % 37 == 0) tag = 9;  // an odd tag byte is an empty slot too
            file.push_back(static_cast<std::uint8_t>(tag));
            const int code = tag ? FcuTypeCode(channel, number) : 0;
            PutBE16(file, code);
        }
    }
    return file;
}

struct CRecordStream::State {
    explicit State(const SimulatorOptions& o) : options(o), rng(o.seed), writer(rng, options) {}
    SimulatorOptions options;
    Random rng;
    DayWriter writer;
    SimulatorSummary summary;
};

CRecordStream::CRecordStream(const SimulatorOptions& options) : m_state(std::make_unique<State>(options)) {}

CRecordStream::~CRecordStream() = default;

void CRecordStream::Append(std::vector<std::uint8_t>& out, std::uint32_t time) {
    m_state->writer.AppendRecord(out, time, m_state->summary);
}

const SimulatorSummary& CRecordStream::Summary() const { return m_state->summary; }

SimulatorSummary GenerateDataFolder(const std::string& folder, const SimulatorOptions& options) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec) throw CFileError(ec.value(), folder);

    SimulatorSummary summary;
    Random rng(options.seed);
    DayWriter writer(rng, options);
    const std::int64_t firstDay = DaysFromCivil(options.startYear, options.startMonth, options.startDay);

    WriteWholeFile(folder + "/MISCDATA.TXT", BuildFcuInformationFile());
    const int files = options.days + (options.faults ? 1 : 0);
    for (int d = 0; d < files; ++d) {
        if (options.stopRequested && options.stopRequested()) {
            summary.stopped = true;
            break;
        }
        const CivilDateTime date = BreakDown(static_cast<std::uint32_t>((firstDay + d) * 86400));
        const std::string path = folder + "/" + DayFileName(date.year, date.month, date.day);
        const auto dayStart = static_cast<std::uint32_t>((firstDay + d) * 86400);
        if (d == options.days) {
            WriteWholeFile(path, {});  // the logger created the file and wrote nothing
        } else {
            WriteWholeFile(path, writer.MakeDay(dayStart, d, summary));
        }
        summary.dayFiles.push_back(path);
    }
    return summary;
}

}  // namespace vyx::sim
