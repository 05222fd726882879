// The FCU information file: slot positions, type codes, the two lists, filters and damaged files.

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "decode/FCUDisplay.h"
#include "decode/FCUInformationFileFormat.h"
#include "decode/FCUParse.h"
#include "decode/FCUType.h"
#include "filter/FCUFilterCriteria.h"
#include "platform/FileError.h"
#include "simulator/LoggerSimulator.h"
#include "support/TempDir.h"

namespace vyx {
namespace {

using Bytes = std::vector<std::uint8_t>;

void AddEntry(Bytes& file, int tag, int typeCode) {
    file.push_back(static_cast<std::uint8_t>(tag));
    file.push_back(static_cast<std::uint8_t>(typeCode >> 8));
    file.push_back(static_cast<std::uint8_t>(typeCode & 0xFF));
}

Bytes Entries(int count, int tag, int typeCode = 0) {
    Bytes file;
    for (int i = 0; i < count; ++i) AddEntry(file, tag, typeCode);
    return file;
}

FCUFilterList Channel(int channel) {
    FCUFilterList filters;
    filters.push_back(std::make_unique<CFCUFilterChannel>(channel));
    return filters;
}

std::vector<FCUFileIssue> Issues(const Bytes& file) {
    std::vector<FCUFileIssue> issues;
    CFCUParse::ParseFCUConfigurationList(file, [&](const FCUFileIssue& issue) { issues.push_back(issue); });
    return issues;
}

TEST(FCUParse, SixHundredPresentEntriesAlternateChannelsByNumber) {
    const FCUList list = CFCUParse::ParseFCUDisplayList(Entries(600, 1), {});
    ASSERT_EQ(list.size(), 600u);
    for (std::size_t i = 0; i < list.size(); ++i) {
        EXPECT_EQ(list[i].m_nNumber, static_cast<int>(i / 2) + 1) << i;
        EXPECT_EQ(list[i].m_nChannel, static_cast<int>(i % 2)) << i;
    }
}

TEST(FCUParse, ConfigurationListKeepsFileOrder) {
    const FCUConfigurationList list = CFCUParse::ParseFCUConfigurationList(Entries(600, 1));
    ASSERT_EQ(list.size(), 600u);
    EXPECT_EQ(list[0].m_nChannel, 0);
    EXPECT_EQ(list[0].m_nNumber, 1);
    EXPECT_EQ(list[299].m_nNumber, 300);
    EXPECT_EQ(list[300].m_nChannel, 1);
    EXPECT_EQ(list[300].m_nNumber, 1);
    EXPECT_EQ(list[599].m_nNumber, 300);
}

TEST(FCUParse, EmptySlotsKeepTheirPosition) {
    Bytes file = Entries(4, 1);
    AddEntry(file, 0, 0);  // position 5 is an empty slot
    AddEntry(file, 1, 0);
    const FCUList list = CFCUParse::ParseFCUDisplayList(file, {});
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list.back().m_nNumber, 6);
}

TEST(FCUParse, PositionsPastThreeHundredAreChannelB) {
    Bytes file = Entries(300, 0);
    AddEntry(file, 1, 0);                 // entry 301
    file.insert(file.end(), 3 * 299, 0);  // entries 302..600 empty
    AddEntry(file, 1, 0);                 // entry 601
    const FCUList list = CFCUParse::ParseFCUDisplayList(file, {});
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].m_nChannel, 1);
    EXPECT_EQ(list[0].m_nNumber, 1);
    EXPECT_EQ(list[1].m_nChannel, 1);
    EXPECT_EQ(list[1].m_nNumber, 301);
}

TEST(FCUParse, TypeCodes) {
    struct Case {
        int code;
        int index;
        const char* viewText;
    };
    const Case cases[] = {
        {0x0000, 0, "Tarn,TarnV,Vela,Integral"},
        {0x0001, 14, "UNIDENTIFIED_FCU"},
        {0x0002, 0, "Tarn,TarnV,Vela,Integral"},
        {0x0003, 1, "MUFCU(ACT)"},
        {0x0004, 2, "MUFCU(MU)"},
        {0x0005, 3, "Kolvane"},
        {0x0006, 4, "Vx"},
        {0x0007, 5, "Vx Analogue"},
        {0x0008, 6, "VxT"},
        {0x0009, 7, "Orvel"},
        {0x000A, 8, "Brontelix"},
        {0x000B, 9, "Quadrilex"},
        {0x000C, 10, "Dresk"},
        {0x000D, 11, "Dravi"},
        {0x000E, 12, "Tessik"},
        {0x000F, 14, "UNIDENTIFIED_FCU"},
        {0x007E, 14, "UNIDENTIFIED_FCU"},
        {0x007F, 13, "ThirdPartyModbus"},
        {0x0080, 14, "UNIDENTIFIED_FCU"},
        {0x7F00, 14, "UNIDENTIFIED_FCU"},
        {0x0102, 14, "UNIDENTIFIED_FCU"},
        {0xFFFF, 14, "UNIDENTIFIED_FCU"},
    };
    for (const Case& c : cases) {
        Bytes file;
        AddEntry(file, 1, c.code);
        const FCUList list = CFCUParse::ParseFCUDisplayList(file, {});
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].m_nType, c.index) << c.code;
        EXPECT_EQ(CFCUDisplay(&list[0]).FormatFCUType(), c.viewText) << c.code;
    }
    EXPECT_EQ(FCUTypeDetailText(14), "UNIDENTIFIED FCU");
    EXPECT_EQ(FCUTypeDetailText(13), "ThirdPartyModbus");
    EXPECT_EQ(FCUTypeDetailText(15), "");
}

TEST(FCUParse, TagsDecideTheLists) {
    Bytes file;
    AddEntry(file, 1, 6);     // FCU 1: present
    AddEntry(file, 2, 5);     // FCU 2: configured only
    AddEntry(file, 3, 6);     // FCU 3: empty slot
    AddEntry(file, 0xFF, 6);  // FCU 4: empty slot
    AddEntry(file, 0, 6);     // FCU 5: empty slot
    const FCUList display = CFCUParse::ParseFCUDisplayList(file, {});
    ASSERT_EQ(display.size(), 1u);
    EXPECT_EQ(display[0].m_nNumber, 1);

    const FCUConfigurationList configuration = CFCUParse::ParseFCUConfigurationList(file);
    ASSERT_EQ(configuration.size(), 2u);
    EXPECT_EQ(configuration[0].m_nNumber, 1);
    EXPECT_EQ(configuration[0].m_configured, 1);
    EXPECT_EQ(configuration[0].m_nType, 4);
    EXPECT_EQ(configuration[1].m_nNumber, 2);
    EXPECT_EQ(configuration[1].m_configured, 0);
    EXPECT_EQ(configuration[1].m_nType, 3);
}

TEST(FCUParse, ChannelFilters) {
    const Bytes both = Entries(400, 1);
    EXPECT_EQ(CFCUParse::ParseFCUDisplayList(both, Channel(0)).size(), 300u);
    const FCUList b = CFCUParse::ParseFCUDisplayList(both, Channel(1));
    ASSERT_EQ(b.size(), 100u);
    EXPECT_EQ(b.front().m_nNumber, 1);
    EXPECT_EQ(b.back().m_nNumber, 100);
    EXPECT_TRUE(CFCUParse::ParseFCUDisplayList(Entries(300, 1), Channel(1)).empty());
    EXPECT_TRUE(CFCUParse::ParseFCUDisplayList(both, Channel(2)).empty());
}

// Counts its calls and keeps only even FCU numbers.
class CCountingFilter : public CFCUFilterCriteria {
public:
    explicit CCountingFilter(int& calls) : m_calls(calls) {}
    int Test(const CFCU& fcu) const override {
        ++m_calls;
        return fcu.m_nNumber % 2 == 0;
    }

private:
    int& m_calls;
};

TEST(FCUParse, FiltersRunInOrderAndStopAtTheFirstRefusal) {
    int calls = 0;
    FCUFilterList filters;
    filters.push_back(std::make_unique<CFCUFilterChannel>(1));
    filters.push_back(std::make_unique<CCountingFilter>(calls));
    const FCUList list = CFCUParse::ParseFCUDisplayList(Entries(310, 1), filters);
    EXPECT_EQ(calls, 10);  // only the ten channel-B FCUs reach the second filter
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[0].m_nNumber, 2);
}

TEST(FCUFilterChannel, MatchesOnlyItsChannel) {
    const CFCU a(0, 0, 1), b(1, 0, 1), unset;
    EXPECT_EQ(CFCUFilterChannel(0).Test(a), 1);
    EXPECT_EQ(CFCUFilterChannel(0).Test(b), 0);
    EXPECT_EQ(CFCUFilterChannel(1).Test(b), 1);
    EXPECT_EQ(CFCUFilterChannel(2).Test(unset), 0);  // channel 2 matches nothing, not even an unset FCU
}

TEST(FCUParse, DamagedFiles) {
    EXPECT_TRUE(CFCUParse::ParseFCUDisplayList(Bytes{}, {}).empty());
    EXPECT_TRUE(Issues({}).empty());

    // The file ends after a tag, or inside the type code: the entries before it stand.
    for (const Bytes& tail : {Bytes{1}, Bytes{1, 0}, Bytes{2, 0}, Bytes{0}}) {
        Bytes file = Entries(2, 1);
        file.insert(file.end(), tail.begin(), tail.end());
        EXPECT_EQ(CFCUParse::ParseFCUDisplayList(file, {}).size(), 2u);
        EXPECT_EQ(CFCUParse::ParseFCUConfigurationList(file).size(), 2u);
        const auto issues = Issues(file);
        ASSERT_EQ(issues.size(), 1u);
        EXPECT_EQ(issues[0].kind, FCUFileIssue::Kind::TruncatedEntry);
        EXPECT_EQ(issues[0].offset, 6u);
        EXPECT_EQ(issues[0].droppedBytes, tail.size());
    }
}

TEST(FCUParse, EntriesPastTheLastNumberAreNotRead) {
    Bytes file = Entries(static_cast<int>(format::kMaxFcuEntries) + 2, 1);
    file.push_back(1);
    const FCUConfigurationList list = CFCUParse::ParseFCUConfigurationList(file);
    ASSERT_EQ(list.size(), format::kMaxFcuEntries);
    EXPECT_EQ(list.back().m_nChannel, 1);
    EXPECT_EQ(list.back().m_nNumber, 32767);
    const auto issues = Issues(file);
    ASSERT_EQ(issues.size(), 1u);
    EXPECT_EQ(issues[0].kind, FCUFileIssue::Kind::TooManyEntries);
    EXPECT_EQ(issues[0].offset, format::kMaxFcuFileBytes);
    EXPECT_EQ(issues[0].droppedBytes, 7u);
}

TEST(FCUParse, ReadsTheFile) {
    test::TempDir dir;
    const std::string path = dir.File("MISCDATA.TXT");
    const Bytes bytes = sim::BuildFcuInformationFile();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    const CFCUParse parse;
    // The simulator's folder: 60 present and 20 configured on A, 40 present and 10 configured on B.
    const FCUList display = parse.ReadFCUDisplayList(path, {});
    EXPECT_EQ(display.size(), 100u);
    EXPECT_EQ(parse.ReadFCUDisplayList(path, Channel(1)).size(), 40u);
    const FCUConfigurationList configuration = parse.ReadFCUConfigurationList(path);
    EXPECT_EQ(configuration.size(), 130u);
    EXPECT_EQ(CFCUParse::ParseFCUConfigurationList(bytes).size(), configuration.size());
}

TEST(FCUParse, MissingFileThrows) {
    test::TempDir dir;
    EXPECT_THROW(CFCUParse().ReadFCUDisplayList(dir.File("MISCDATA.TXT"), {}), CFileError);
    EXPECT_THROW(CFCUParse().ReadFCUConfigurationList(dir.File("MISCDATA.TXT")), CFileError);
}

TEST(FCUDisplay, Texts) {
    const CFCU a(0, 4, 7), b(1, 13, 300), odd(2, 14, 12);
    EXPECT_EQ(CFCUDisplay(&a).FormatFCUNumber(), "7");
    EXPECT_EQ(CFCUDisplay(&a).FormatFCUType(), "Vx");
    EXPECT_EQ(CFCUDisplay(&a).FormatChannel(), "MS_A(left)");
    EXPECT_EQ(CFCUDisplay(&b).FormatFCUNumber(), "300");
    EXPECT_EQ(CFCUDisplay(&b).FormatFCUType(), "ThirdPartyModbus");
    EXPECT_EQ(CFCUDisplay(&b).FormatChannel(), "MS_B(right)");
    EXPECT_EQ(CFCUDisplay(&odd).FormatFCUType(), "UNIDENTIFIED_FCU");
    EXPECT_EQ(CFCUDisplay(&odd).FormatChannel(), "UNIDENTIFIED_CHANNEL");
    const CFCU fresh;
    EXPECT_EQ(fresh.m_nChannel, 2);
    EXPECT_EQ(fresh.m_nType, 14);
    EXPECT_EQ(fresh.m_nNumber, 0);
}

}  // namespace
}  // namespace vyx
