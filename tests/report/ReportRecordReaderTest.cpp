// The report's own reader of the store gives exactly the records the store gives, in every load order.

#include <gtest/gtest.h>

#include "ReportTestSupport.h"
#include "report/ReportRecordReader.h"

namespace vyx {
namespace {

void ExpectSameRecord(const CRecord& a, const CRecord& b, std::int64_t serial) {
    EXPECT_EQ(a.m_nTime, b.m_nTime) << serial;
    EXPECT_EQ(a.m_nDataLength, b.m_nDataLength) << serial;
    EXPECT_EQ(a.m_pData, b.m_pData) << serial;
    EXPECT_EQ(a.m_nChannel, b.m_nChannel) << serial;
    EXPECT_EQ(a.m_nMessageMode, b.m_nMessageMode) << serial;
    EXPECT_EQ(a.m_nDatabaseType, b.m_nDatabaseType) << serial;
    EXPECT_EQ(a.m_bFCUValid, b.m_bFCUValid) << serial;
    EXPECT_EQ(a.m_nFCU, b.m_nFCU) << serial;
    EXPECT_EQ(a.m_nCommand, b.m_nCommand) << serial;
    EXPECT_EQ(a.m_nSource, b.m_nSource) << serial;
    EXPECT_EQ(a.m_bMultipleFCU, b.m_bMultipleFCU) << serial;
}

class ReportRecordReaderOrder : public ::testing::TestWithParam<LoadOrder> {
protected:
    static void SetUpTestSuite() {
        s_data = new test::TempDir;
        // Clock jumps make the time orders walk the day files back and forth.
        test::WriteSimulatedFolder(s_data->Path(), 3, 30000, true);
    }
    static void TearDownTestSuite() {
        delete s_data;
        s_data = nullptr;
    }
    static test::TempDir* s_data;
};

test::TempDir* ReportRecordReaderOrder::s_data = nullptr;

TEST_P(ReportRecordReaderOrder, ReadsWhatTheStoreReads) {
    test::LoadedStore store(s_data->Path(), GetParam());
    ASSERT_EQ(store.Total(), 90000);
    CReportRecordReader reader(store.Database());
    CRecord expected;
    CRecord actual;
    std::int64_t mismatches = 0;
    for (std::int64_t serial = 0; serial < store.Total(); ++serial) {
        ASSERT_TRUE(store.Database().GetRecord(serial, expected));
        ASSERT_TRUE(reader.GetRecord(serial, actual)) << serial;
        if (expected.m_nTime != actual.m_nTime || expected.m_pData != actual.m_pData) ++mismatches;
        if (serial % 997 == 0) ExpectSameRecord(expected, actual, serial);
    }
    EXPECT_EQ(mismatches, 0);

    // Out of order too: backwards, and jumping between the files.
    for (std::int64_t serial = store.Total() - 1; serial >= 0; serial -= 4099) {
        ASSERT_TRUE(store.Database().GetRecord(serial, expected));
        ASSERT_TRUE(reader.GetRecord(serial, actual));
        ExpectSameRecord(expected, actual, serial);
    }

    // Past the published records nothing is read and the target keeps its fields.
    actual.m_nTime = 77;
    EXPECT_FALSE(reader.GetRecord(store.Total(), actual));
    EXPECT_FALSE(reader.GetRecord(-1, actual));
    EXPECT_EQ(actual.m_nTime, 77u);
}

INSTANTIATE_TEST_SUITE_P(Orders, ReportRecordReaderOrder,
                         ::testing::Values(LoadOrder::Stored, LoadOrder::Ascending, LoadOrder::Descending));

}  // namespace
}  // namespace vyx
