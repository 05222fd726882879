// `vyx export` as its readers use it: each form loaded by a real engine (sqlite3; DuckDB through its Node.js
// package) and counted per day file, per MessageMode text and per FCU text against the Message Log CSV of the
// same load and the total of `vyx count`; the DuckDB statements of docs/EXPORT.md run on a two-site export.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

#include "support/RunCommand.h"
#include "support/TempDir.h"

namespace vyx {
namespace {

using test::RunCommand;
using test::ShellQuote;

const std::string kVyx = VYX_CLI_PATH;
const std::string kDuckDbDir = VYX_DUCKDB_DIR;
const std::string kSourceDir = VYX_SOURCE_DIR;

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> Split(const std::string& line, char separator) {
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, separator)) fields.push_back(field);
    return fields;
}

bool IsNumber(const std::string& text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

// The value of a cell in a sheet's XML: what stands between "<v>" and "</v>" after the cell's start.
std::string CellValue(const std::string& sheet, const std::string& cellStart) {
    const auto at = sheet.find(cellStart);
    if (at == std::string::npos) return {};
    const auto from = sheet.find("<v>", at);
    const auto to = sheet.find("</v>", at);
    if (from == std::string::npos || to == std::string::npos || sheet.find("</c>", at) < from) return {};
    return sheet.substr(from + 3, to - from - 3);
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::string line : Split(text, '\n')) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

// "kind\tkey" -> records: per MessageMode text, per FCU text, per day file, and the total.
using Counts = std::map<std::string, long long>;

// The counts of the same load from the Message Log CSV: its day comes from the Date-Time text (each record
// of a generated folder lies on its day file's day).
Counts MessageLogCounts(const std::string& csv) {
    Counts counts;
    const std::vector<std::string> lines = Lines(Slurp(csv));
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> f = Split(lines[i], ',');
        EXPECT_EQ(f.size(), 7u) << lines[i];
        if (f.size() != 7) continue;
        const std::string& dateTime = f[1];  // dd-mm-yyyy - ...
        ++counts["day\tLG" + dateTime.substr(0, 2) + dateTime.substr(3, 2) + dateTime.substr(8, 2) + ".txt"];
        ++counts["mode\t" + f[3]];
        ++counts["fcu\t" + f[5]];
        ++counts["total\t"];
    }
    return counts;
}

// The same counts as an engine answers them, over a table or view named records.
const std::string kCountQuery =
    "SELECT 'mode', message_mode_text, count(*) FROM records GROUP BY 2 "
    "UNION ALL SELECT 'fcu', fcu_text, count(*) FROM records GROUP BY 2 "
    "UNION ALL SELECT 'day', day_file, count(*) FROM records GROUP BY 2 "
    "UNION ALL SELECT 'total', '', count(*) FROM records";

Counts EngineCounts(const std::string& tabbed) {
    Counts counts;
    for (const std::string& line : Lines(tabbed)) {
        if (line.rfind("## ", 0) == 0) continue;
        const std::vector<std::string> f = Split(line + "\t", '\t');
        EXPECT_GE(f.size(), 3u) << line;
        if (f.size() >= 3) counts[f[0] + "\t" + f[1]] += std::stoll(f[2]);
    }
    return counts;
}

long long CountOf(const std::string& folder, const std::string& options = "") {
    const auto count = RunCommand(kVyx + " count " + ShellQuote(folder) + " " + options);
    EXPECT_EQ(count.exitCode, 0) << count.err;
    const auto at = count.out.find(":- ");
    return at == std::string::npos ? -1 : std::stoll(count.out.substr(at + 3));
}

void Export(const std::string& folder, const std::string& arguments) {
    const auto run = RunCommand(kVyx + " export " + ShellQuote(folder) + " " + arguments);
    ASSERT_EQ(run.exitCode, 0) << arguments << "\n" << run.err;
}

// The loop's events of the whole folder as `vyx events` lists them: all of them, and the commands.
struct EventCounts {
    long long all = 0;
    long long commands = 0;
};
EventCounts ListedEvents(const std::string& folder) {
    const auto run = RunCommand(kVyx + " events " + ShellQuote(folder));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EventCounts counts;
    const std::vector<std::string> lines = Lines(run.out);
    for (std::size_t i = 1; i < lines.size(); ++i) {
        ++counts.all;
        const std::vector<std::string> f = Split(lines[i], ',');
        if (f.size() > 4 && f[4] == "command") ++counts.commands;
    }
    return counts;
}

std::string Sqlite(const std::string& db, const std::string& sql) {
    const auto run = RunCommand("sqlite3 -batch -tabs " + ShellQuote(db) + " " + ShellQuote(sql));
    EXPECT_EQ(run.exitCode, 0) << sql << "\n" << run.err;
    return run.out;
}

// Empty when DuckDB's package is installed; else why not. Only an unreachable registry is a reason to skip.
std::string DuckDbMissing() {
    if (std::filesystem::exists(kDuckDbDir + "/node_modules/@duckdb/node-api/package.json")) return {};
    if (std::filesystem::exists(kDuckDbDir + "/UNREACHABLE")) return Slurp(kDuckDbDir + "/UNREACHABLE");
    ADD_FAILURE() << "DuckDB's Node.js package is not in " << kDuckDbDir
                  << ": run the tests through ctest (its setup test installs it) or scripts/install-duckdb.sh";
    return "not installed";
}

// Runs the statements in DuckDB with workDir as the current folder; returns the printed rows.
std::string DuckDb(const std::string& workDir, const std::string& sql) {
    const std::string file = workDir + "/statements.sql";
    std::ofstream(file) << sql;
    const auto run = RunCommand("node " + ShellQuote(kSourceDir + "/tests/export/duckdb-run.cjs") + " " +
                                ShellQuote(kDuckDbDir) + " " + ShellQuote(workDir) + " " + ShellQuote(file));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return run.out;
}

class ExportEngines : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_north = new test::TempDir;
        s_south = new test::TempDir;
        // The generator's faults (invalid class bytes, damaged frames) included: the export must agree with
        // the list on what a load yields from them.
        for (const auto& [dir, options] : {std::pair{s_north, std::string(" --days 3 --records-per-day 1500 --seed 11")},
                                           std::pair{s_south, std::string(" --days 2 --records-per-day 900 --seed 12")}}) {
            const auto gen = RunCommand(kVyx + " gen " + ShellQuote(dir->Path()) + options);
            ASSERT_EQ(gen.exitCode, 0) << gen.err;
        }
    }
    static void TearDownTestSuite() {
        delete s_north;
        delete s_south;
    }
    static Counts ExpectedCounts(const std::string& folder, const test::TempDir& out) {
        const std::string report = out.File("message-log.csv");
        const auto run =
            RunCommand(kVyx + " report " + ShellQuote(folder) + " --type csv --out " + ShellQuote(report));
        EXPECT_EQ(run.exitCode, 0) << run.err;
        Counts counts = MessageLogCounts(report);
        EXPECT_EQ(counts["total\t"], CountOf(folder));
        EXPECT_GT(counts["total\t"], 1000);
        return counts;
    }

    static test::TempDir* s_north;
    static test::TempDir* s_south;
    test::TempDir m_out;
};

test::TempDir* ExportEngines::s_north = nullptr;
test::TempDir* ExportEngines::s_south = nullptr;

TEST_F(ExportEngines, SqliteHoldsTheLoadWithItsFcusAndWhereItCameFrom) {
    const Counts expected = ExpectedCounts(s_north->Path(), m_out);
    const std::string db = m_out.File("north.sqlite");
    Export(s_north->Path(), "--format sqlite --events --utc-offset +02:00 --out " + ShellQuote(db));
    EXPECT_EQ(EngineCounts(Sqlite(db, kCountQuery)), expected);

    // The three times tell the same instant; sr_no runs 1..total in the load's order.
    EXPECT_EQ(Sqlite(db, "SELECT count(*) FROM records WHERE time_epoch != CAST(strftime('%s', time_local) AS INTEGER) "
                         "OR time_epoch - 7200 != CAST(strftime('%s', rtrim(time_utc, 'Z')) AS INTEGER)"),
              "0\n");
    EXPECT_EQ(Sqlite(db, "SELECT min(sr_no), max(sr_no) = count(*) FROM records"), "1\t1\n");
    // The FCU column is empty exactly where the list shows no number.
    EXPECT_EQ(Sqlite(db, "SELECT count(*) FROM records WHERE (fcu IS NULL) != (fcu_text GLOB '*[^0-9]*')"), "0\n");
    EXPECT_EQ(Sqlite(db, "SELECT name FROM sqlite_master WHERE type = 'index' AND name LIKE 'records_%' ORDER BY 1"),
              "records_fcu\nrecords_time\n");
    // The file is sound and the indexes hold every row they should, with times forward and back, for more rows
    // than one batch of the row writer.
    for (const char* order : {"", " --order desc"}) {
        SCOPED_TRACE(order);
        const std::string ordered = m_out.File(std::string("ordered") + (*order ? "-desc" : "") + ".sqlite");
        Export(s_north->Path(), std::string("--format sqlite") + order + " --out " + ShellQuote(ordered));
        EXPECT_EQ(Sqlite(ordered, "PRAGMA integrity_check"), "ok\n");
        EXPECT_EQ(Sqlite(ordered, "SELECT count(*) > 4096, count(*) = (SELECT count(*) FROM records INDEXED BY "
                                  "records_time WHERE time_epoch >= 0) FROM records"),
                  "1\t1\n");
    }
    EXPECT_NE(Sqlite(db, "SELECT count(*) FROM fcus"), "0\n");
    // Records join their FCU's type.
    EXPECT_NE(Sqlite(db, "SELECT count(*) FROM records r JOIN fcus f ON f.number = r.fcu AND f.channel = r.channel"),
              "0\n");

    const std::string days = Sqlite(db, "SELECT day_file, size, sha256, records FROM meta_day_files ORDER BY 1");
    long long sum = 0;
    for (const std::string& line : Lines(days)) {
        const std::vector<std::string> f = Split(line, '\t');
        ASSERT_EQ(f.size(), 4u) << line;
        EXPECT_EQ(std::stoll(f[1]), static_cast<long long>(std::filesystem::file_size(s_north->File(f[0]))));
        const auto sum256 = RunCommand("sha256sum " + ShellQuote(s_north->File(f[0])));
        EXPECT_EQ(sum256.out.substr(0, 64), f[2]);
        sum += std::stoll(f[3]);
    }
    EXPECT_EQ(sum, expected.at("total\t"));
    EXPECT_EQ(Sqlite(db, "SELECT value FROM meta WHERE key IN ('folder', 'program', 'utc_offset') ORDER BY key"),
              s_north->Path() + "\nvyx 1.65\n+02:00\n");

    // The loop's events: those `vyx events` lists, each at a record of the export, one FCU's story by index.
    const EventCounts listed = ListedEvents(s_north->Path());
    ASSERT_GT(listed.commands, 0);
    EXPECT_EQ(Sqlite(db, "SELECT count(*), count(*) FILTER (WHERE kind = 'command') FROM events"),
              std::to_string(listed.all) + "\t" + std::to_string(listed.commands) + "\n");
    EXPECT_EQ(Sqlite(db, "SELECT count(*) FROM events e LEFT JOIN records r USING (day_file, frame_offset) "
                         "WHERE r.sr_no IS NULL OR r.time_epoch != e.time_epoch OR r.time_local != e.time_local"),
              "0\n");
    EXPECT_EQ(Sqlite(db, "SELECT count(*) FROM events WHERE kind = 'command' AND (code_text IS NULL OR source_text IS NULL)"),
              "0\n");
    EXPECT_NE(Sqlite(db, "EXPLAIN QUERY PLAN SELECT * FROM events WHERE fcu = 3 AND time_epoch > 0")
                  .find("events_fcu_time"),
              std::string::npos);
}

TEST_F(ExportEngines, DuckDbReadsTheCsvAndJsonLinesExportsAsTheMessageLog) {
    if (const std::string missing = DuckDbMissing(); !missing.empty()) GTEST_SKIP() << "DuckDB: " << missing;
    const Counts expected = ExpectedCounts(s_north->Path(), m_out);
    Export(s_north->Path(), "--format csv --out " + ShellQuote(m_out.File("north.csv")));
    Export(s_north->Path(), "--format jsonl --out " + ShellQuote(m_out.File("north.jsonl")));
    EXPECT_EQ(EngineCounts(DuckDb(m_out.Path(),
                                  "CREATE VIEW records AS SELECT * FROM read_csv('north.csv', header = true, "
                                  "types = {'fcu_text': 'VARCHAR', 'message_mode_text': 'VARCHAR', "
                                  "'message_hex': 'VARCHAR'});\n" +
                                      kCountQuery + ";\n")),
              expected);
    EXPECT_EQ(EngineCounts(DuckDb(m_out.Path(),
                                  "CREATE VIEW records AS SELECT * FROM read_json('north.jsonl', "
                                  "format = 'newline_delimited');\n" +
                                      kCountQuery + ";\n")),
              expected);
    // Both forms hold the same values, field by field (an empty CSV field and an empty JSON text both read as
    // nothing; the time is compared through time_epoch, since each reader parses it its own way).
    EXPECT_EQ(DuckDb(m_out.Path(),
                     "SELECT count(*) FROM (SELECT coalesce(COLUMNS(* EXCLUDE (time_local))::VARCHAR, '') FROM "
                     "read_csv('north.csv', header = true, all_varchar = true) "
                     "EXCEPT SELECT coalesce(COLUMNS(* EXCLUDE (time_local))::VARCHAR, '') FROM "
                     "read_json('north.jsonl', format = 'newline_delimited'));\n"),
              "## 1\n0\n");
}

// The blocks of docs/EXPORT.md marked "sql duckdb", in order.
std::string DocumentedDuckDbStatements() {
    std::string statements;
    bool inside = false;
    for (const std::string& line : Split(Slurp(kSourceDir + "/docs/EXPORT.md"), '\n')) {
        if (!inside && line == "```sql duckdb") {
            inside = true;
        } else if (inside && line == "```") {
            inside = false;
        } else if (inside) {
            statements += line + "\n";
        }
    }
    return statements;
}

TEST_F(ExportEngines, DocumentedDuckDbStatementsQueryAPartitionedExportOfTwoSites) {
    if (const std::string missing = DuckDbMissing(); !missing.empty()) GTEST_SKIP() << "DuckDB: " << missing;
    std::map<std::string, long long> perSite;        // site -> records
    std::map<std::string, long long> perSiteAndDay;  // "site\tYYYY-MM-DD" -> records
    for (const auto& [site, dir] : {std::pair{std::string("north"), s_north}, std::pair{std::string("south"), s_south}}) {
        const Counts expected = ExpectedCounts(dir->Path(), m_out);
        perSite[site] = expected.at("total\t");
        for (const auto& [key, count] : expected) {
            if (key.rfind("day\t", 0) != 0) continue;  // day\tLGddmmyy.txt
            const std::string name = key.substr(4);
            perSiteAndDay[site + "\t20" + name.substr(6, 2) + "-" + name.substr(4, 2) + "-" + name.substr(2, 2)] =
                count;
        }
        Export(dir->Path(), "--format csv --partition " + ShellQuote(m_out.File("export")) + " --site " + site);
        Export(dir->Path(), "--format jsonl --partition " + ShellQuote(m_out.File("export-json")) + " --site " + site);
    }
    EXPECT_TRUE(std::filesystem::exists(m_out.File("export/site=north/date=2009-01-05/LG050109.csv")));

    const std::string statements = DocumentedDuckDbStatements();
    ASSERT_NE(statements.find("COPY"), std::string::npos) << "docs/EXPORT.md lost its DuckDB statements";
    const std::string out = DuckDb(m_out.Path(), statements);

    // Each result with two columns of site and count answers "records per site": the CSV, the JSON Lines
    // and the Parquet folder all hold the two loads.
    int siteResults = 0, dayResults = 0;
    std::map<std::string, long long> sites, days;
    auto check = [&] {
        if (!sites.empty()) {
            EXPECT_EQ(sites, perSite);
            ++siteResults;
        }
        if (!days.empty()) {
            EXPECT_EQ(days, perSiteAndDay);
            ++dayResults;
        }
        sites.clear();
        days.clear();
    };
    for (const std::string& line : Lines(out)) {
        const std::vector<std::string> f = Split(line, '\t');
        const bool site = !f.empty() && (f[0] == "north" || f[0] == "south");
        if (line.rfind("## ", 0) == 0) {
            check();
        } else if (site && f.size() == 2 && IsNumber(f[1])) {
            sites[f[0]] = std::stoll(f[1]);
        } else if (site && f.size() == 4 && f[1].size() == 10 && f[1][4] == '-' && IsNumber(f[2]) && IsNumber(f[3])) {
            days[f[0] + "\t" + f[1]] = std::stoll(f[2]);
        }
    }
    check();
    EXPECT_EQ(siteResults, 3) << out;
    EXPECT_EQ(dayResults, 1) << out;
    EXPECT_FALSE(std::filesystem::is_empty(m_out.File("parquet/site=south")));
}

TEST_F(ExportEngines, FiltersAndOrderAreTheLoads) {
    const std::string db = m_out.File("b-desc.sqlite");
    Export(s_north->Path(), "--format sqlite --events --order desc --channel B --out " + ShellQuote(db));
    EXPECT_EQ(std::stoll(Sqlite(db, "SELECT count(*) FROM records")),
              CountOf(s_north->Path(), "--order desc --channel B"));
    EXPECT_EQ(Sqlite(db, "SELECT DISTINCT channel FROM records"), "B\n");
    // Newest first: no record is later than the one listed before it.
    EXPECT_EQ(Sqlite(db, "SELECT count(*) FROM (SELECT time_epoch - lag(time_epoch) OVER (ORDER BY sr_no) AS step "
                         "FROM records) WHERE step > 0"),
              "0\n");
    EXPECT_EQ(Sqlite(db, "SELECT value FROM meta WHERE key = 'filters'"),
              "order=desc channel=B command=--ALL-- fcu=--ALL-- modbus-addr=240\n");
    // The events are the loop's, of every record: a filter narrows the records, never them.
    EXPECT_EQ(Sqlite(db, "SELECT count(*) FROM events"), std::to_string(ListedEvents(s_north->Path()).all) + "\n");
}

TEST_F(ExportEngines, WorkbookCellsAreTypedAndShowTheListsTime) {
    const std::string book = m_out.File("north.xlsx");
    const auto run = RunCommand("LC_ALL=de_DE.UTF-8 " + kVyx + " export " + ShellQuote(s_north->Path()) +
                                " --format xlsx --from '05/01/2009 00:00:00' --to '05/01/2009 01:00:00' --out " +
                                ShellQuote(book));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::string styles = RunCommand("unzip -p " + ShellQuote(book) + " xl/styles.xml").out;
    EXPECT_NE(styles.find("formatCode=\"dd-mm-yyyy&quot; - &quot;hh:mm:ss:AM/PM\""), std::string::npos) << styles;
    const std::string sheet = RunCommand("unzip -p " + ShellQuote(book) + " xl/worksheets/sheet1.xml").out;
    // Row 2: sr_no, day_file, frame_offset and time_epoch as numbers, then time_local as a styled day number.
    EXPECT_EQ(CellValue(sheet, "<c r=\"A2\""), "1");
    EXPECT_NE(sheet.find("<c r=\"B2\" t=\"inlineStr\"><is><t>LG050109.txt</t>"), std::string::npos);
    const std::string epoch = CellValue(sheet, "<c r=\"D2\">");
    const std::string day = CellValue(sheet, "<c r=\"E2\" s=\"");
    ASSERT_TRUE(IsNumber(epoch)) << sheet.substr(0, 3000);
    ASSERT_FALSE(day.empty()) << sheet.substr(0, 3000);
    EXPECT_NEAR((std::stod(day) - 25569.0) * 86400.0, std::stod(epoch), 0.5);
}

TEST_F(ExportEngines, RefusalsWriteNothing) {
    const std::string folder = s_north->Path();
    const struct {
        std::string arguments;
        std::string path;  // must not exist afterwards
        std::string message;
    } cases[] = {
        {"--format csv --out " + ShellQuote(s_north->File("x.csv")), s_north->File("x.csv"), "data folder"},
        {"--format csv --partition " + ShellQuote(s_north->File("p")) + " --site a", s_north->File("p"),
         "data folder"},
        {"--format sqlite --out -", "", "standard output"},
        {"--format csv --events --out " + ShellQuote(m_out.File("e.csv")), m_out.File("e.csv"), "sqlite form only"},
        {"--format sqlite --partition " + ShellQuote(m_out.File("p")) + " --site a", m_out.File("p"), "csv or jsonl"},
        {"--format csv --partition " + ShellQuote(m_out.File("p")), m_out.File("p"), "--site"},
        {"--format csv --partition " + ShellQuote(m_out.File("p")) + " --site a/b", m_out.File("p"), "site name"},
        {"--format csv --out " + ShellQuote(m_out.File("u.csv")) + " --utc-offset 2", m_out.File("u.csv"),
         "--utc-offset"},
        {"--format csv --out " + ShellQuote(m_out.File("u.csv")) + " --utc-offset +15:00", m_out.File("u.csv"),
         "--utc-offset"},
        {"--format csv", "", "--out PATH or --partition DIR"},
    };
    for (const auto& c : cases) {
        const auto run = RunCommand(kVyx + " export " + ShellQuote(folder) + " " + c.arguments);
        EXPECT_EQ(run.exitCode, 2) << c.arguments;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.arguments << ": " << run.err;
        if (!c.path.empty()) {
            EXPECT_FALSE(std::filesystem::exists(c.path)) << c.arguments;
        }
    }
    // A link inside the partition folder that leads into the data folder is found when its day comes.
    const std::string linked = m_out.File("linked/site=a/date=2009-01-05");
    std::filesystem::create_directories(std::filesystem::path(linked).parent_path());
    std::filesystem::create_directory_symlink(folder, linked);
    const auto run = RunCommand(kVyx + " export " + ShellQuote(folder) + " --format csv --site a --partition " +
                                ShellQuote(m_out.File("linked")));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("leads into the data folder"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(s_north->File("LG050109.csv")));
}

}  // namespace
}  // namespace vyx
