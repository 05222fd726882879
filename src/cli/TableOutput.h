#pragma once
// A table of texts written as CSV, an HTML page or a workbook, row by row (no row is kept): for the
// commands that print what they found as a table. The file appears under its name only when complete.

#include <CLI/CLI.hpp>

#include <functional>
#include <string>
#include <vector>

#include "report/CsvField.h"

namespace vyx::cli {

struct TableColumn {
    std::string label;
    double width;  // in characters (workbook), also the relative width of the HTML column
};

struct TableOutputOptions {
    std::string type = "csv";  // csv | html | xlsx
    std::string out;           // empty or "-": standard output (not for xlsx)
    std::string dataFolder;    // an output into it, or a link into it, is refused
    std::string title;         // the HTML page's title, the workbook's sheet name
};

// Fills the row and returns true, or returns false after the last row.
using TableRowSource = std::function<bool(std::vector<std::string>& row)>;

// Refuses before any work is done: a workbook to standard output, an output into the data folder. Throws
// CommandFailure.
void CheckTableOutput(const TableOutputOptions& options);

// Writes the table. Throws CommandFailure when it cannot be written or a signal came (nothing is left under
// the name then).
void WriteTable(const TableOutputOptions& options, const std::vector<TableColumn>& columns, const TableRowSource& rows);

// --type csv|html|xlsx and --out PATH of a table command.
void AddTableOutputOptions(CLI::App& command, std::string& type, std::string& out);

}  // namespace vyx::cli
