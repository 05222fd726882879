// vyx bookmarks: lists the bookmarks the viewer keeps for a data folder (day file, offset, time, note), as
// CSV, HTML or a workbook.

#include <memory>

#include "cli/Command.h"
#include "cli/TableOutput.h"
#include "controller/BookmarkFile.h"
#include "decode/FormatRecord.h"
#include "logdata/Record.h"
#include "platform/FileError.h"

namespace vyx::cli {
namespace {

struct BookmarksOptions {
    std::string folder;
    std::string file;  // the bookmarks file; empty: the user's
    std::string type = "csv";
    std::string out;
};

void Run(const BookmarksOptions& o) {
    const CBookmarkFile file = o.file.empty() ? CBookmarkFile() : CBookmarkFile(o.file);
    TableOutputOptions table{o.type, o.out, o.folder, "Bookmarks"};
    CheckTableOutput(table);
    FolderBookmarks bookmarks;
    try {
        const auto folders = file.Load();
        const auto it = folders.find(CBookmarkFile::FolderKey(o.folder));
        if (it != folders.end()) bookmarks = it->second;
    } catch (const CVyxError& e) {
        throw CommandFailure{kExitNoData, e.what()};
    }
    std::size_t next = 0;
    WriteTable(table, {{"Day file", 14}, {"Offset", 12}, {"Date-Time", 22}, {"Note", 60}},
               [&](std::vector<std::string>& row) {
                   if (next >= bookmarks.size()) return false;
                   const Bookmark& b = bookmarks[next++];
                   CRecord record;
                   record.m_nTime = b.time;
                   row = {b.dayFile, std::to_string(b.offset), CFormatRecord(&record).FormatDateTime(), b.note};
                   return true;
               });
}

const RegisterCommand registration(96, [](CLI::App& app) {
    auto options = std::make_shared<BookmarksOptions>();
    CLI::App* cmd = app.add_subcommand("bookmarks", "List the bookmarks the viewer keeps for a data folder");
    cmd->add_option("folder", options->folder, "The data folder")->required();
    cmd->add_option("--file", options->file,
                    "The bookmarks file (default: $XDG_DATA_HOME/vyx/bookmarks.json, ~/.local/share/vyx/...)");
    AddTableOutputOptions(*cmd, options->type, options->out);
    cmd->callback([options] { Run(*options); });
});

}  // namespace
}  // namespace vyx::cli
