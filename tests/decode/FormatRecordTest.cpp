// Column texts of a record and the record text line.

#include <gtest/gtest.h>

#include "decode/FormatRecord.h"
#include "decode/RecordTextLine.h"
#include "platform/File.h"
#include "support/Records.h"
#include "support/TempDir.h"

#include <fstream>
#include <sstream>

namespace vyx {
namespace {

CRecord Make(int mode, int command = kCmdNone) {
    CRecord r;
    r.m_nMessageMode = mode;
    r.m_nCommand = command;
    return r;
}

TEST(FormatRecord, DateTime) {
    const std::pair<std::uint32_t, const char*> cases[] = {
        {1234567890u, "13-02-2009 - 11:31:30:PM"},
        {0u, "01-01-1970 - 12:00:00:AM"},
        {43200u, "01-01-1970 - 12:00:00:PM"},
        {46799u, "01-01-1970 - 12:59:59:PM"},
        {3599u, "01-01-1970 - 12:59:59:AM"},
        {951782400u, "29-02-2000 - 12:00:00:AM"},
        {4294967295u, "07-02-2106 - 06:28:15:AM"},  // the last second a 32-bit stamp can hold
    };
    for (const auto& [time, text] : cases) {
        CRecord r;
        r.m_nTime = time;
        EXPECT_EQ(CFormatRecord(&r).FormatDateTime(), text) << time;
    }
}

TEST(FormatRecord, MessageContent) {
    CRecord r;
    EXPECT_EQ(CFormatRecord(&r).FormatMessageContent(), "");
    r.m_pData = {0x01, 0xA0, 0x7F};
    r.m_nDataLength = 3;
    EXPECT_EQ(CFormatRecord(&r).FormatMessageContent(), "01 A0 7F ");
    r.m_pData.assign(300, 0xFE);
    r.m_nDataLength = 300;
    EXPECT_EQ(CFormatRecord(&r).FormatMessageContent().size(), 900u);
}

TEST(FormatRecord, MessageMode) {
    struct Case {
        int mode, command;
        const char* text;
    };
    const Case cases[] = {
        {3, kCmdOpen, "Halvik Common Protocol - Open"},
        {0, kCmdNone, "Startup Sequence"},
        {4, kCmdAlarmAccept, "Modbus - System / Comms Alarm accept"},
        {4, kCmdCal0, "Modbus - Cal 0%"},
        {2, kCmdPStroke, "M7 Idle - PStroke"},
        {5, kCmdNone, "Parameter Block Transfer"},
        {1, kCmdNone, "Set Time"},
        {6, kCmdClose, "Unidentified Message - Close"},
        {7, kCmdNone, "Unidentified Message"},
        {-1, kCmdNone, "Unidentified Message"},
        {3, 20, "Halvik Common Protocol - "},
        {3, -1, "Halvik Common Protocol - "},
    };
    for (const Case& c : cases) {
        const CRecord r = Make(c.mode, c.command);
        EXPECT_EQ(CFormatRecord(&r).FormatMessageMode(), c.text);
    }
}

TEST(FormatRecord, Source) {
    struct Case {
        int sourceValid, source, mode, database;
        const char* text;
    };
    const Case cases[] = {
        {1, 3, 4, 2, "RTU2 (Yokogawa)"},
        {1, 2, 4, 2, "RTU1 (Yokogawa)"},
        {1, 1, 4, 9, "Ethernet (UNIDENTIFIED DATABASE)"},
        {1, 1, 3, 2, "Ethernet"},
        {1, 0, 4, 0, "Internal (Generic)"},
        {1, 5, 4, 4, "WebPage"},
        {1, 9, 0, 4, "M7_EEprom"},
        {1, 10, 0, 4, "UNIDENTIFIED_SOURCE"},
        {0, 3, 0, 4, "UNIDENTIFIED_SOURCE"},
        {0, 3, 4, 1, "UNIDENTIFIED_SOURCE (Brennmark Kedra)"},
        {1, 6, 4, 3, "Hardwired ESD (Brennmark Oxa)"},
    };
    for (const Case& c : cases) {
        CRecord r = Make(c.mode);
        r.m_bSourceValid = c.sourceValid;
        r.m_nSource = c.source;
        r.m_nDatabaseType = c.database;
        EXPECT_EQ(CFormatRecord(&r).FormatSource(), c.text);
    }
}

TEST(FormatRecord, FcuColumn) {
    struct Case {
        int mode, command, fcuValid, fcu, multiple;
        const char* text;
    };
    const Case cases[] = {
        {4, kCmdChangeMaster, 0, 0, 0, "NA"},    {4, kCmdOpen, 0, 0, 0, "Invalid"},
        {4, kCmdNone, 0, 0, 0, "Invalid"},       {4, kCmdStartFCUDataUpload, 0, 0, 0, "NA"},
        {3, kCmdNone, 0, 0, 0, "NA"},            {4, kCmdOpen, 1, 17, 0, "17"},
        {3, kCmdNone, 1, 999, 1, "Multiple"},    {4, kCmdNone, 1, 0, 1, "Multiple"},
        {2, kCmdNone, 0, 12, 0, "NA"},           {3, kCmdClose, 1, 300, 0, "300"},
    };
    for (const Case& c : cases) {
        CRecord r = Make(c.mode, c.command);
        r.m_bFCUValid = c.fcuValid;
        r.m_nFCU = c.fcu;
        r.m_bMultipleFCU = c.multiple;
        EXPECT_EQ(CFormatRecord(&r).FormatFCU(), c.text) << c.mode << "/" << c.command;
    }
}

TEST(FormatRecord, ChannelCommandAndDatabaseNames) {
    CRecord r;
    for (const auto& [channel, text] :
         {std::pair{0, "MS_A(left)"}, std::pair{1, "MS_B(right)"}, std::pair{2, "UNIDENTIFIED_CHANNEL"},
          std::pair{-1, "UNIDENTIFIED_CHANNEL"}}) {
        r.m_nChannel = channel;
        EXPECT_EQ(CFormatRecord(&r).FormatChannel(), text);
    }
    r.m_nCommand = kCmdAnalogueOutput1;
    EXPECT_EQ(CFormatRecord(&r).FormatCommandName(), "Analogue Output 1");
    r.m_nCommand = kCmdNone;
    EXPECT_EQ(CFormatRecord(&r).FormatCommandName(), "");
    r.m_nDatabaseType = 4;
    EXPECT_EQ(CFormatRecord(&r).FormatDatabaseType(), "");
    r.m_nDatabaseType = 1;
    EXPECT_EQ(CFormatRecord(&r).FormatDatabaseType(), "Brennmark Kedra");
}

TEST(RecordTextLine, FieldsCommasAndCrLf) {
    const auto bytes = test::RecordBytes(
        20, {{0, 0x49}, {1, 0x96}, {2, 0x02}, {3, 0xD2}, {4, 0x41}, {5, 2}, {6, 0xF1}, {7, 0x05}, {8, 0x0C},
             {9, 0x7C}, {10, 0xFF}, {15, 0x20}});
    const CRecord r = test::Decode(bytes);
    EXPECT_EQ(RecordTextLine(r, 42),
              "42,13-02-2009 - 11:31:30:PM,F1 05 0C 7C FF 00 00 00 00 ,Modbus - Open,RTU1 (Brennmark Kedra),61,"
              "MS_B(right)\r\n");

    test::TempDir dir;
    COutputFile file(dir.File("log.csv"));
    CRecordTextLineWriter writer(file);
    writer.WriteRecordTextLine(r, 1);
    writer.WriteRecordTextLine(r, 2);
    file.Close();
    EXPECT_EQ(writer.LineCount(), 2);
    std::ifstream in(dir.File("log.csv"), std::ios::binary);
    std::stringstream all;
    all << in.rdbuf();
    EXPECT_EQ(all.str(), RecordTextLine(r, 1) + RecordTextLine(r, 2));
}

}  // namespace
}  // namespace vyx
