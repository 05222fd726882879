// The record filters, the command box conversion and the filter bar checks.

#include <gtest/gtest.h>

#include "filter/CommandList.h"
#include "filter/FilterBar.h"
#include "filter/ParameterBlockXferFilters.h"
#include "filter/RecordFilters.h"
#include "filter/TextToFilterCriteriaConverter.h"
#include "simulator/RecordBuilder.h"
#include "support/Records.h"

namespace vyx {
namespace {

using Bytes = std::vector<std::uint8_t>;

CRecord FromSpec(const sim::RecordSpec& spec) { return test::Decode(sim::BuildRecordBytes(spec)); }

// A Modbus write-multiple request (Generic map) from slave 240: function, start address, quantity.
CRecord ModbusMultiple(int function, int start, int quantity, int slave = 240) {
    sim::RecordSpec spec;
    spec.classCode = sim::kClassModbus;
    spec.databaseCode = 1;
    spec.payload = {static_cast<std::uint8_t>(slave), static_cast<std::uint8_t>(function),
                    static_cast<std::uint8_t>(start >> 8), static_cast<std::uint8_t>(start),
                    static_cast<std::uint8_t>(quantity >> 8), static_cast<std::uint8_t>(quantity), 0, 0};
    return FromSpec(spec);
}

// A block transfer with the given packets (already laid out).
CRecord BlockTransfer(const Bytes& packets) {
    sim::RecordSpec spec;
    spec.classCode = sim::kClassParameterBlockTransfer;
    spec.payload = {0, static_cast<std::uint8_t>(packets.size() >> 8), static_cast<std::uint8_t>(packets.size())};
    spec.payload.insert(spec.payload.end(), packets.begin(), packets.end());
    return FromSpec(spec);
}

// A kind-1 packet for one FCU with (index, value) entries.
Bytes FcuPacket(int fcu, std::initializer_list<std::pair<int, int>> entries) {
    Bytes p = {static_cast<std::uint8_t>(3 + 3 * entries.size()), 1, static_cast<std::uint8_t>(fcu)};
    for (const auto& [index, value] : entries) {
        p.push_back(static_cast<std::uint8_t>(index));
        p.push_back(static_cast<std::uint8_t>(value >> 8));
        p.push_back(static_cast<std::uint8_t>(value));
    }
    return p;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

// FCU 5 and 7 of type 0 ("Tarn..."): status bit 2 is code 5, bit 5 code 9; alarm bit 0 code 1.
FCUConfigurationList Configuration() {
    return {CFCUExtended(0, 0, 5, 1), CFCUExtended(0, 0, 7, 1), CFCUExtended(1, 4, 9, 1)};
}

// The Modbus base address a load runs with; the filters carry it.
constexpr std::uint8_t kAddress = 240;

class FilterTest : public ::testing::Test {};

TEST_F(FilterTest, ModbusMultipleWalksAndTheSystemWideStop) {
    // Open FCUs 3, 4, 5 (registers 3198..3200).
    const CRecord opens = ModbusMultiple(16, 3198, 3);
    ASSERT_EQ(opens.m_bMultipleFCU, 1);
    EXPECT_EQ(CFilterCommandnFCUAddress(kCmdOpen, 5, kAddress).Test(opens), 1);
    EXPECT_EQ(CFilterCommandnFCUAddress(kCmdOpen, 6, kAddress).Test(opens), 0);
    EXPECT_EQ(CFilterCommandnFCUAddress(kCmdClose, 5, kAddress).Test(opens), 0);
    EXPECT_EQ(CFilterFCUAddress(5, Configuration(), kAddress).Test(opens), 1);
    EXPECT_EQ(CFilterFCUAddress(2, Configuration(), kAddress).Test(opens), 0);
    EXPECT_EQ(CFilterCommand(kCmdOpen, kAddress).Test(opens), 1);
    EXPECT_EQ(CFilterCommand(kCmdStop, kAddress).Test(opens), 0);

    // Registers 5, 6, 7 hold Alarm accept and Global ESD Trigger: system-wide items reject the whole request
    // for the FCU filters, whatever else it names.
    const CRecord withSystem = ModbusMultiple(16, 3, 4);  // 3, 4, 5, 6
    EXPECT_EQ(CFilterCommand(kCmdGlobalESDTrigger, kAddress).Test(withSystem), 1);
    EXPECT_EQ(CFilterCommandnFCUAddress(kCmdGlobalESDTrigger, 0, kAddress).Test(withSystem), 0);
    EXPECT_EQ(CFilterFCUAddress(0, Configuration(), kAddress).Test(withSystem), 0);

    // Slave 241 shifts the FCUs by 60: the same request now names 63..65.
    const CRecord shifted = ModbusMultiple(16, 3198, 3, 241);
    EXPECT_EQ(CFilterCommandnFCUAddress(kCmdOpen, 65, kAddress).Test(shifted), 1);
    EXPECT_EQ(CFilterCommandnFCUAddress(kCmdOpen, 5, kAddress).Test(shifted), 0);
    // The filters expand with the address the load runs with.
    EXPECT_EQ(CFilterCommandnFCUAddress(kCmdOpen, 5, 241).Test(shifted), 1);
}

TEST_F(FilterTest, SingleRecordCommandAndFcu) {
    CRecord r;
    r.m_nMessageMode = kModeHalvikCommonProtocol;
    r.m_nCommand = kCmdESD;
    r.m_nFCU = 12;
    r.m_bFCUValid = 1;
    EXPECT_EQ(CFilterCommand(kCmdESD, kAddress).Test(r), 1);
    EXPECT_EQ(CFilterCommandnFCUAddress(kCmdESD, 12, kAddress).Test(r), 1);
    r.m_bFCUValid = 0;  // the command filter with FCU needs a valid FCU; the FCU filter does not look
    EXPECT_EQ(CFilterCommandnFCUAddress(kCmdESD, 12, kAddress).Test(r), 0);
    EXPECT_EQ(CFilterFCUAddress(12, {}, kAddress).Test(r), 1);
    r.m_nCommand = kCmdNone;
    EXPECT_EQ(CFilterCommand(kCmdNone, kAddress).Test(r), 0);  // 19 means no command, never a match
    // A multiple-FCU record of another mode carries no command.
    r.m_bMultipleFCU = 1;
    EXPECT_EQ(CFilterCommand(kCmdOpen, kAddress).Test(r), 0);
}

TEST_F(FilterTest, ChannelMessageAndDateTime) {
    CRecord r;
    r.m_nChannel = 1;
    r.m_nMessageMode = 3;
    r.m_nTime = 1000;
    EXPECT_EQ(CFilterChannel(1).Test(r), 1);
    EXPECT_EQ(CFilterChannel(0).Test(r), 0);
    EXPECT_EQ(CFilterMessage(3).Test(r), 1);
    EXPECT_EQ(CFilterMessage(4).Test(r), 0);
    EXPECT_EQ(CFilterDateTime(1000, 1000).Test(r), 1);
    EXPECT_EQ(CFilterDateTime(999, 0).Test(r), 0);
    EXPECT_EQ(CFilterDateTime(0xFFFFFFFFu, 1001).Test(r), 0);
    r.m_nTime = 0xFFFFFFFFu;  // unsigned comparison at the top of the range
    EXPECT_EQ(CFilterDateTime(0xFFFFFFFFu, 0x80000000u).Test(r), 1);
}

TEST_F(FilterTest, StatusAndAlarmFiltersOnBlockTransfers) {
    // FCU 7: status word 0x0024 (codes 5 and 9), alarm word 0x0001 (code 1); FCU 5: position only.
    const CRecord record =
        BlockTransfer(Concat({FcuPacket(7, {{16, 0x0024}, {24, 0x0001}}), FcuPacket(5, {{32, 128}})}));
    const auto config = Configuration();
    EXPECT_EQ(CFilterStatusData(0, 9, config).Test(record), 1);   // all FCUs
    EXPECT_EQ(CFilterStatusData(7, 9, config).Test(record), 1);   // FCU 7 has it
    EXPECT_EQ(CFilterStatusData(5, 9, config).Test(record), 0);   // FCU 5 has none
    EXPECT_EQ(CFilterStatusData(0, 6, config).Test(record), 0);   // nobody has code 6
    EXPECT_EQ(CFilterAlarmData(7, 1, config).Test(record), 1);
    EXPECT_EQ(CFilterAlarmData(7, 2, config).Test(record), 0);
    EXPECT_EQ(CFilterAlarmData(301, 1, config).Test(record), 1);  // outside 1..300 means all FCUs
    // A specific FCU with any FCU packet matches, items or not.
    EXPECT_EQ(CFilterAllStatusAndAlarmData(5, config).Test(record), 1);
    EXPECT_EQ(CFilterAllStatusAndAlarmData(6, config).Test(record), 0);
    EXPECT_EQ(CFilterAllStatusAndAlarmData(0, config).Test(record), 1);
    EXPECT_EQ(CFilterFCUAddress(5, config, kAddress).Test(record), 1);
    EXPECT_EQ(CFilterFCUAddress(8, config, kAddress).Test(record), 0);
    // All FCUs: a position alone is no status or alarm.
    const CRecord positionOnly = BlockTransfer(FcuPacket(5, {{32, 200}}));
    EXPECT_EQ(CFilterAllStatusAndAlarmData(0, config).Test(positionOnly), 0);
    EXPECT_EQ(CFilterAllStatusAndAlarmData(5, config).Test(positionOnly), 1);
    // Not a block transfer: no match, without decoding.
    CRecord other;
    other.m_nMessageMode = kModeHalvikCommonProtocol;
    EXPECT_EQ(CFilterStatusData(0, 9, config).Test(other), 0);
    EXPECT_EQ(CFilterAllStatusAndAlarmData(0, config).Test(other), 0);
    EXPECT_EQ(CFilterParameterBlockXferWithFCU(0, config).Test(other), 0);
    EXPECT_EQ(CFilterParameterBlockXferWithFCU(0, config).Test(positionOnly), 1);
}

TEST_F(FilterTest, MasterStationFilters) {
    // System status: first byte 0x00 gives codes 4 and 5 (both masters unhealthy); loop fault item at index 4.
    const Bytes status = {5, 3, 0, 0x00, 0x00};
    const Bytes loop = {5, 3, 4, 0x16, 0x00};  // low nibble 6: short circuit
    const CRecord record = BlockTransfer(Concat({status, loop}));
    const auto config = Configuration();
    EXPECT_EQ(CFilterSystemStatusAndAlarm(4, 0, config).Test(record), 1);
    EXPECT_EQ(CFilterSystemStatusAndAlarm(5, 0, config).Test(record), 1);
    EXPECT_EQ(CFilterSystemStatusAndAlarm(1, 0, config).Test(record), 0);
    EXPECT_EQ(CFilterSystemStatusAndAlarm(4, 5, config).Test(record), 0);  // naming an FCU matches nothing
    EXPECT_EQ(CFilterLoopFaultData(1, config).Test(record), 1);
    EXPECT_EQ(CFilterLoopFaultData(0, config).Test(record), 0);
}

TEST_F(FilterTest, ConverterMapsEveryConvertedEntry) {
    const CTextToFilterCriteriaConverter converter(Configuration());
    const auto texts = CommandListTexts();
    ASSERT_EQ(texts.size(), 79u);
    int status = 0, alarm = 0, system = 0, loop = 0;
    for (std::size_t k = kFirstConvertedCommandIndex; k < texts.size(); ++k) {
        const auto filter = converter.Convert(texts[k], 0);
        ASSERT_NE(filter, nullptr) << texts[k];
        if (dynamic_cast<CFilterStatusData*>(filter.get())) ++status;
        if (dynamic_cast<CFilterAlarmData*>(filter.get())) ++alarm;
        if (dynamic_cast<CFilterSystemStatusAndAlarm*>(filter.get())) ++system;
        if (dynamic_cast<CFilterLoopFaultData*>(filter.get())) ++loop;
    }
    EXPECT_EQ(status, 28);
    EXPECT_EQ(alarm, 23);
    EXPECT_EQ(system, 6);
    EXPECT_EQ(loop, 2);
    const auto motor = converter.Convert("Motor running", 0);
    EXPECT_EQ(dynamic_cast<CFilterStatusData&>(*motor).Status(), 9);
    EXPECT_EQ(dynamic_cast<CFilterStatusData&>(*converter.Convert("Aux Input 4", 0)).Status(), 4);
    EXPECT_EQ(dynamic_cast<CFilterStatusData&>(*converter.Convert("Digital Input 8", 0)).Status(), 22);
    EXPECT_EQ(dynamic_cast<CFilterAlarmData&>(*converter.Convert("VTT", 0)).Alarm(), 23);
    EXPECT_EQ(dynamic_cast<CFilterAlarmData&>(*converter.Convert("AUXOR", 0)).Alarm(), 22);
    EXPECT_EQ(dynamic_cast<CFilterAlarmData&>(*converter.Convert("Actuator in remote control", 0)).Alarm(), 4);
    EXPECT_EQ(dynamic_cast<CFilterAlarmData&>(*converter.Convert("Control not available", 0)).Alarm(), 5);
    EXPECT_EQ(dynamic_cast<CFilterAlarmData&>(*converter.Convert("Motor running end of travel", 0)).Alarm(), 21);
    const auto unhealthy = converter.Convert("Masterstation 'A' Unhealthy", 5);
    EXPECT_EQ(dynamic_cast<CFilterSystemStatusAndAlarm&>(*unhealthy).SystemStatus(), 4);
    EXPECT_EQ(dynamic_cast<CFilterSystemStatusAndAlarm&>(*unhealthy).FCU(), 5);
    EXPECT_EQ(dynamic_cast<CFilterLoopFaultData&>(*converter.Convert("Masterstation - Loop short circuit", 5))
                  .LoopFault(),
              1);
    EXPECT_EQ(converter.Convert("motor running", 0), nullptr);  // case matters
    EXPECT_EQ(converter.Convert("Open", 0), nullptr);
}

FilterBarSelection Selection(int channel, const char* command, const char* fcu) {
    FilterBarSelection s;
    s.channelIndex = channel;
    s.commandIndex = CommandIndexOf(command);
    s.fcuText = fcu;
    return s;
}

TEST_F(FilterTest, FilterListOrderAndContents) {
    const auto config = Configuration();
    const CTextToFilterCriteriaConverter converter(config);

    auto list = BuildFilterList(Selection(2, "--ALL--", "--ALL--"), config, converter, kDefaultModbusBaseAddress);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(dynamic_cast<CFilterChannel&>(*list[0]).Channel(), 1);

    list = BuildFilterList(Selection(0, "Open", "12"), config, converter, kDefaultModbusBaseAddress);
    ASSERT_EQ(list.size(), 1u);
    auto& open = dynamic_cast<CFilterCommandnFCUAddress&>(*list[0]);
    EXPECT_EQ(open.Command(), kCmdOpen);
    EXPECT_EQ(open.FCU(), 12);

    list = BuildFilterList(Selection(1, "Modbus", " 12 "), config, converter, kDefaultModbusBaseAddress);
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(dynamic_cast<CFilterChannel&>(*list[0]).Channel(), 0);
    EXPECT_EQ(dynamic_cast<CFilterMessage&>(*list[1]).MessageMode(), kModeModbus);
    EXPECT_EQ(dynamic_cast<CFilterFCUAddress&>(*list[2]).FCU(), 12);

    list = BuildFilterList(Selection(0, "Analogue Output", "--ALL--"), config, converter, kDefaultModbusBaseAddress);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(dynamic_cast<CFilterCommand&>(*list[0]).Command(), 11);

    list = BuildFilterList(Selection(0, "Motor running", "  --ALL--  "), config, converter, kDefaultModbusBaseAddress);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(dynamic_cast<CFilterStatusData&>(*list[0]).FCU(), 0);

    list = BuildFilterList(Selection(0, "Masterstation - Loop short circuit", "5"), config, converter, kDefaultModbusBaseAddress);
    ASSERT_EQ(list.size(), 1u);  // the FCU goes nowhere: no separate FCU filter
    EXPECT_NE(dynamic_cast<CFilterLoopFaultData*>(list[0].get()), nullptr);

    list = BuildFilterList(Selection(0, "Startup Sequence", "--ALL--"), config, converter, kDefaultModbusBaseAddress);
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(dynamic_cast<CFilterMessage&>(*list[0]).MessageMode(), kModeStartupSequence);

    auto dated = Selection(0, "--ALL--", "--ALL--");
    dated.selectDateTime = true;
    dated.from = {2009, 1, 5, 10, 0, 0};
    dated.to = {2009, 1, 6, 9, 0, 0};
    list = BuildFilterList(dated, config, converter, kDefaultModbusBaseAddress);
    ASSERT_EQ(list.size(), 1u);
    auto& window = dynamic_cast<CFilterDateTime&>(*list[0]);
    EXPECT_EQ(window.Start(), static_cast<std::uint32_t>(SecondsFromCivil(dated.from)));
    EXPECT_EQ(window.End(), static_cast<std::uint32_t>(SecondsFromCivil(dated.to)));

    dated = Selection(2, "Close", "7");
    dated.selectDateTime = true;
    list = BuildFilterList(dated, config, converter, kDefaultModbusBaseAddress);
    ASSERT_EQ(list.size(), 3u);  // channel, command with FCU, date/time last
    EXPECT_NE(dynamic_cast<CFilterDateTime*>(list[2].get()), nullptr);
}

TEST(FilterBarChecks, FcuText) {
    struct Case {
        const char* text;
        bool valid;
        int fcu;
        const char* message;
    };
    const Case cases[] = {
        {"12", true, 12, ""},
        {" 12 ", true, 12, ""},
        {"--ALL--", true, 0, ""},
        {"  --ALL--\t", true, 0, ""},
        {"300", true, 300, ""},
        {"301", false, 0, "FCU should be between 1 and 300."},
        {"0", false, 0, "FCU should be between 1 and 300."},
        {"0000000000000000000012", false, 0, "FCU should be between 1 and 300."},
        {"12a", false, 0, "Please select valid FCU no."},
        {"-5", false, 0, "Please select valid FCU no."},
        {"", false, 0, "Please select valid FCU no."},
        {"   ", false, 0, "Please select valid FCU no."},
        {"1 2", false, 0, "Please select valid FCU no."},
        {"--all--", false, 0, "Please select valid FCU no."},
    };
    for (const Case& c : cases) {
        const FCUTextCheck check = CheckFCUText(c.text);
        EXPECT_EQ(check.valid, c.valid) << "'" << c.text << "'";
        EXPECT_EQ(check.fcu, c.fcu) << "'" << c.text << "'";
        EXPECT_EQ(check.message, c.message) << "'" << c.text << "'";
    }
}

TEST(FilterBarChecks, ModbusAddressText) {
    std::uint8_t address = 7;
    EXPECT_EQ(CheckModbusAddressText("240", address), "");
    EXPECT_EQ(address, 240);
    EXPECT_EQ(CheckModbusAddressText("0", address), "");
    EXPECT_EQ(address, 0);
    EXPECT_EQ(CheckModbusAddressText("252", address), "");
    EXPECT_EQ(CheckModbusAddressText("253", address), "Please enter an integer between 0 and 252.");
    EXPECT_EQ(CheckModbusAddressText("-1", address), "Please enter an integer between 0 and 252.");
    EXPECT_EQ(CheckModbusAddressText("2x", address), "Please enter an integer.");
    EXPECT_EQ(CheckModbusAddressText("", address), "Please enter an integer.");
    EXPECT_EQ(address, 252);  // refused texts leave the address alone
}

TEST(CommandListTest, EntriesAndIndices) {
    const auto texts = CommandListTexts();
    ASSERT_EQ(texts.size(), 79u);
    EXPECT_EQ(texts[0], "--ALL--");
    EXPECT_EQ(texts[5], "PSTROKE");
    EXPECT_EQ(texts[8], "Analogue Output");
    EXPECT_EQ(texts[13], "Modbus");
    EXPECT_EQ(texts[19], "--ALL STATUS AND ALARMS--");
    EXPECT_EQ(texts[24], "Open limit switch");
    EXPECT_EQ(texts[52], "Actuator not in remote control");
    EXPECT_EQ(texts[53], "Actuator in remote control");
    EXPECT_EQ(texts[54], "Control not available");
    EXPECT_EQ(texts[78], "Masterstation - Loop short circuit");
    for (const auto& text : texts) EXPECT_FALSE(text.empty());
    EXPECT_EQ(CommandIndexOf("Set Time"), 17);
    EXPECT_EQ(CommandIndexOf("nope"), -1);
}

}  // namespace
}  // namespace vyx
