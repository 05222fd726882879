// The find bar's logic without the window: what it says for each query, and that a search's late
// notifications never reach the bar once the search was cancelled or replaced.

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <mutex>

#include "controller/FindController.h"
#include "support/TempDir.h"

namespace vyx {
namespace {

class Collect : public ISearchTarget {
public:
    void Post(SearchNotification n) override {
        std::lock_guard lock(m_mutex);
        m_all.push_back(std::move(n));
        m_cv.notify_all();
    }
    SearchNotification WaitForFinished() {
        std::unique_lock lock(m_mutex);
        m_cv.wait(lock, [this] { return !m_all.empty() && m_all.back().kind == SearchNotification::Kind::Finished; });
        return m_all.back();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<SearchNotification> m_all;
};

TEST(FindController, QueriesOutcomesAndStaleNotifications) {
    test::TempDir temp;
    const CRecordDatabase empty(temp.Path(), nullptr);
    Collect target;
    CFindController find(target);

    struct Refused {
        FindQuery query;
        std::int64_t total;
        const char* text;
    };
    for (const Refused& c : {Refused{{"0 1", true, false}, 10, "Type the bytes as pairs of hex digits, e.g. 01 A0."},
                             Refused{{"OPEN", false, false}, 0, "There are no records to search."}}) {
        const FindBarUpdate update = find.Find(empty, c.total, -1, c.query, SearchDirection::Forward);
        EXPECT_EQ(update.state, FindBarUpdate::State::Finished);
        EXPECT_EQ(update.text, c.text);
        EXPECT_FALSE(find.Searching());
    }

    // A search over records the store has not published ends without a match.
    FindBarUpdate update = find.Find(empty, 5, -1, {"01 a0", true, false}, SearchDirection::Forward);
    EXPECT_EQ(update.state, FindBarUpdate::State::Searching);
    EXPECT_EQ(update.text, "Searching for Bytes 01 A0...");
    const SearchNotification first = target.WaitForFinished();
    EXPECT_TRUE(find.IsCurrent(first));
    update = find.OnNotification(first);
    EXPECT_EQ(update.state, FindBarUpdate::State::Finished);
    EXPECT_EQ(update.select, -1);
    EXPECT_FALSE(find.Searching());
    // The same notification again, or one of an older search, changes nothing.
    EXPECT_EQ(find.OnNotification(first).state, FindBarUpdate::State::Unchanged);

    update = find.Find(empty, 5, 2, {"x", false, true}, SearchDirection::Backward);
    EXPECT_EQ(update.text, "Searching for \"x\"...");
    EXPECT_EQ(find.Cancel().text, "Search cancelled.");
    EXPECT_FALSE(find.IsCurrent(target.WaitForFinished()));
    EXPECT_EQ(find.Cancel().state, FindBarUpdate::State::Unchanged);  // nothing runs any more

    find.Find(empty, 5, -1, {"x", false, false}, SearchDirection::Forward);
    EXPECT_EQ(find.StopBeforeReset().text, "Search cancelled: the records were reloaded.");
}

}  // namespace
}  // namespace vyx
