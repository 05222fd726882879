// An output must never land in the data folder being read, whatever name or link leads there.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/OutputPathCheck.h"
#include "support/TempDir.h"

namespace vyx {
namespace {

namespace fs = std::filesystem;

TEST(OutputPathCheck, EveryWayIntoTheFolderIsFound) {
    test::TempDir base;
    const std::string data = base.File("data");
    const std::string out = base.File("out");
    fs::create_directory(data);
    fs::create_directory(out);
    fs::create_directory(base.File("data2"));
    std::ofstream(data + "/LG050109.txt") << "day";
    std::ofstream(out + "/plain.csv") << "old";
    fs::create_symlink(data + "/LG050109.txt", out + "/to-day.csv");
    fs::create_symlink(data + "/new.csv", out + "/dangling.csv");
    fs::create_symlink(out + "/dangling.csv", out + "/chain.csv");
    fs::create_symlink("../data/r.csv", out + "/relative.csv");
    fs::create_directory_symlink(data, out + "/data-link");
    fs::create_symlink(out + "/plain.csv", out + "/to-plain.csv");
    fs::create_hard_link(data + "/LG050109.txt", out + "/hard.csv");

    using P = OutputPlace;
    const struct {
        std::string output;
        P place;
    } cases[] = {
        {data + "/LG050109.txt", P::InsideFolder},
        {data + "/report.csv", P::InsideFolder},
        {data + "/../data/report.csv", P::InsideFolder},
        {data + "/./sub/new/report.csv", P::InsideFolder},
        {data, P::InsideFolder},
        {data + "/", P::InsideFolder},
        {out + "/data-link/report.csv", P::InsideFolder},
        {out + "/to-day.csv", P::LinkIntoFolder},
        {out + "/dangling.csv", P::LinkIntoFolder},
        {out + "/chain.csv", P::LinkIntoFolder},
        {out + "/relative.csv", P::LinkIntoFolder},
        {out + "/hard.csv", P::LinkIntoFolder},
        {out + "/plain.csv", P::Outside},
        {out + "/to-plain.csv", P::Outside},
        {out + "/new.csv", P::Outside},
        {base.File("data2/report.csv"), P::Outside},
        {base.File("report.csv"), P::Outside},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PlaceOfOutput(c.output, data), c.place) << c.output;
        // The folder named another way is the same folder.
        EXPECT_EQ(PlaceOfOutput(c.output, out + "/data-link/"), c.place) << c.output << " (folder via a link)";
    }
    EXPECT_EQ(PlaceOfOutput(data + "/r.csv", ""), P::Outside) << "no folder open yet";
}

}  // namespace
}  // namespace vyx
