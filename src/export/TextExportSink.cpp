#include "export/TextExportSink.h"

#include <charconv>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "decode/FormatRecord.h"

#include "logdata/TimeValue.h"
#include "platform/FileError.h"
#include "platform/OutputPathCheck.h"

namespace vyx {
namespace {

// The columns whose text could hold a character that needs quoting or escaping; the others are digits,
// hex, times and "A"/"B".
bool IsFreeText(ExportColumnId id) {
    return id == ExportColumnId::DayFile || id == ExportColumnId::MessageModeText ||
           id == ExportColumnId::CommandText || id == ExportColumnId::SourceText || id == ExportColumnId::FcuText;
}

bool NeedsCsvQuotes(std::string_view text) {
    for (const char c : text) {
        if (c == ',' || c == '"' || c == '\r' || c == '\n') return true;
    }
    return false;
}

// The field at out[from..] in quotes, its quotes doubled.
void QuoteCsvField(std::string& out, std::size_t from) {
    std::string field = out.substr(from);
    out.resize(from);
    out += '"';
    for (const char c : field) {
        if (c == '"') out += '"';
        out += c;
    }
    out += '"';
}

void AppendJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            static constexpr char kHex[] = "0123456789abcdef";
            out += "\\u00";
            out += kHex[u >> 4];
            out += kHex[u & 15];
        } else {
            out += c;
        }
    }
    out += '"';
}

// Text fields need escaping only when they hold one of these; the formatter's texts never do.
bool NeedsJsonEscape(std::string_view text) {
    for (const char c : text) {
        if (c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20) return true;
    }
    return false;
}

}  // namespace

CTextExportSink::CTextExportSink(TextExportForm form, std::optional<std::int32_t> utcOffset)
    : m_form(form), m_columns(ExportColumns(utcOffset.has_value())), m_values(utcOffset) {
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        m_jsonKeys.push_back((i == 0 ? "{\"" : ",\"") + std::string(m_columns[i].name) + "\":");
        m_keyBytes += m_jsonKeys.back().size();
    }
}

CTextExportSink::CTextExportSink(TextExportForm form, const std::string& path, std::optional<std::int32_t> utcOffset)
    : CTextExportSink(form, utcOffset) {
    Start(path);
}

std::unique_ptr<CTextExportSink> CTextExportSink::Partitioned(TextExportForm form, const std::string& dir,
                                                              const std::string& site,
                                                              std::optional<std::int32_t> utcOffset,
                                                              const std::string& dataFolder) {
    std::unique_ptr<CTextExportSink> sink(new CTextExportSink(form, utcOffset));
    sink->m_partitionDir = dir;
    sink->m_site = site;
    sink->m_dataFolder = dataFolder;
    return sink;
}

std::string CTextExportSink::CheckSiteName(const std::string& site) {
    if (site.empty()) return "a partitioned export needs --site NAME";
    if (site == "." || site == "..") return "the site name cannot be . or ..";
    for (const char c : site) {
        if (c == '/' || c == '=' || c == '\\' || static_cast<unsigned char>(c) < 0x20) {
            return "the site name cannot hold '/', '\\', '=' or control characters: " + site;
        }
    }
    return {};
}

std::string CTextExportSink::PartitionFile(TextExportForm form, const std::string& dir, const std::string& site,
                                           const ExportedDayFile& file) {
    const std::string stem = std::filesystem::path(file.name).stem().string();
    return dir + "/site=" + site + "/date=" + IsoDate(file.dayStart) + "/" + stem +
           (form == TextExportForm::Csv ? ".csv" : ".jsonl");
}

void CTextExportSink::Start(const std::string& path) {
    if (path == "-") {
        m_file.OpenStandardOutput();
    } else {
        m_file.Open(path);
    }
    // The formatting keeps one core busy; the copy into the file goes on the other.
    m_file.WriteInBackground();
    m_open = true;
    WriteHeader();
}

void CTextExportSink::WriteHeader() {
    if (m_form != TextExportForm::Csv) return;
    std::string& out = m_file.Text();
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        if (i > 0) out += ',';
        out += m_columns[i].name;
    }
    out += "\r\n";
    m_file.PieceDone();
}

void CTextExportSink::CompleteFile() {
    if (!m_open) return;
    m_open = false;
    m_file.Close();
}

void CTextExportSink::BeginDayFile(const ExportedDayFile& file) {
    if (m_partitionDir.empty()) return;
    CompleteFile();
    const std::string path = PartitionFile(m_form, m_partitionDir, m_site, file);
    // A followed folder whose logger wrote to an older day file again: its partition file is complete and
    // would be written over.
    if (!m_partitionsWritten.insert(path).second) {
        throw CVyxError("the records of " + file.name +
                        " come again after those of other day files (the logger wrote to it again while the "
                        "folder was followed); load the folder again before a partitioned export");
    }
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    if (error) throw CFileError(error.value(), std::filesystem::path(path).parent_path().string());
    if (PlaceOfOutput(path, m_dataFolder) != OutputPlace::Outside) {
        throw CVyxError("the export file leads into the data folder: " + path + " (the data folder is only read)");
    }
    Start(path);
}

namespace {

char* PutText(char* p, std::string_view text) {
    if (text.empty()) return p;  // an empty view may hold no pointer at all, which memcpy must not get
    std::memcpy(p, text.data(), text.size());
    return p + text.size();
}

char* PutInteger(char* p, std::int64_t value) {
    return std::to_chars(p, p + 24, value).ptr;
}

}  // namespace

// The usual row: every text plain (nothing to quote or escape), written straight into the output block
// with the cached texts. Gives the bytes the general path gives; false leaves the row to it.
bool CTextExportSink::WritePlainRow(const ExportRow& row) {
    const CRecord& r = *row.record;
    m_values.Bind(row);
    const bool json = m_form == TextExportForm::JsonLines;
    const bool fcuNull = !r.m_bFCUValid || r.m_bMultipleFCU;
    const ExportText mode = m_texts.MessageMode(r);
    const ExportText source = m_texts.Source(r);
    const ExportText fcuWord = fcuNull ? m_texts.FcuWord(r) : ExportText{};
    const std::string_view command = CommandText(r.m_nCommand);
    if (row.dayFile.data() != m_plainDayFile.data() || row.dayFile.size() != m_plainDayFile.size()) {
        m_plainDayFile = row.dayFile;
        m_dayFileIsPlain = CExportTextCache::IsPlain(row.dayFile);
    }
    if (!mode.plain || !source.plain || !fcuWord.plain || !m_dayFileIsPlain || !CExportTextCache::IsPlain(command)) {
        return false;
    }
    const std::span<const std::uint8_t> message = r.MessageBytes();
    std::string& out = m_file.Text();
    const std::size_t start = out.size();
    // Numbers and times take at most 32 characters each, a text its length and two quotes.
    out.resize(start + m_keyBytes + m_columns.size() * 34 + 2 * message.size() + row.dayFile.size() +
               mode.text.size() + source.text.size() + fcuWord.text.size() + command.size() + 4);
    char* p = out.data() + start;
    const auto quoted = [&](std::string_view text) {
        if (json) *p++ = '"';
        p = PutText(p, text);
        if (json) *p++ = '"';
    };
    for (std::size_t i = 0; i < m_columns.size(); ++i) {
        if (json) {
            p = PutText(p, m_jsonKeys[i]);
        } else if (i > 0) {
            *p++ = ',';
        }
        switch (m_columns[i].id) {
            case ExportColumnId::SrNo: p = PutInteger(p, row.serial + 1); break;
            case ExportColumnId::DayFile: quoted(row.dayFile); break;
            case ExportColumnId::FrameOffset: p = PutInteger(p, static_cast<std::int64_t>(row.frameOffset)); break;
            case ExportColumnId::TimeEpoch: p = PutInteger(p, r.m_nTime); break;
            case ExportColumnId::TimeLocal:
                if (json) *p++ = '"';
                p = PutIsoDateTime(p, r.m_nTime);
                if (json) *p++ = '"';
                break;
            case ExportColumnId::TimeUtc:
                if (json) *p++ = '"';
                p = PutIsoDateTime(p, m_values.Integer(ExportColumnId::TimeUtc));
                *p++ = 'Z';
                if (json) *p++ = '"';
                break;
            case ExportColumnId::Channel: quoted(ChannelLetter(r.m_nChannel)); break;
            case ExportColumnId::MessageMode: p = PutInteger(p, r.m_nMessageMode); break;
            case ExportColumnId::MessageModeText: quoted(mode.text); break;
            case ExportColumnId::Command: p = PutInteger(p, r.m_nCommand); break;
            case ExportColumnId::CommandText: quoted(command); break;
            case ExportColumnId::DatabaseType: p = PutInteger(p, r.m_nDatabaseType); break;
            case ExportColumnId::Source: p = PutInteger(p, r.m_nSource); break;
            case ExportColumnId::SourceText: quoted(source.text); break;
            case ExportColumnId::Fcu:
                if (!fcuNull) p = PutInteger(p, r.m_nFCU);
                else if (json) p = PutText(p, "null");
                break;
            case ExportColumnId::FcuText:
                if (json) *p++ = '"';
                p = fcuNull ? PutText(p, fcuWord.text) : PutInteger(p, r.m_nFCU);
                if (json) *p++ = '"';
                break;
            case ExportColumnId::MessageLength: p = PutInteger(p, static_cast<std::int64_t>(message.size())); break;
            case ExportColumnId::MessageHex:
                if (json) *p++ = '"';
                p = PutCompactHex(p, message);
                if (json) *p++ = '"';
                break;
        }
    }
    p = PutText(p, json ? std::string_view("}\n") : std::string_view("\r\n"));
    out.resize(static_cast<std::size_t>(p - out.data()));
    m_file.PieceDone();
    return true;
}

void CTextExportSink::WriteRow(const ExportRow& row) {
    if (WritePlainRow(row)) return;
    m_values.Bind(row);
    std::string& out = m_file.Text();
    if (m_form == TextExportForm::Csv) {
        for (std::size_t i = 0; i < m_columns.size(); ++i) {
            if (i > 0) out += ',';
            const ExportColumn& column = m_columns[i];
            if (m_values.IsNull(column.id)) continue;
            const std::size_t from = out.size();
            m_values.AppendText(column.id, out);
            if (IsFreeText(column.id) && NeedsCsvQuotes(std::string_view(out).substr(from))) {
                QuoteCsvField(out, from);
            }
        }
        out += "\r\n";
    } else {
        for (std::size_t i = 0; i < m_columns.size(); ++i) {
            const ExportColumn& column = m_columns[i];
            out += m_jsonKeys[i];
            if (m_values.IsNull(column.id)) {
                out += "null";
            } else if (column.kind == ExportValueKind::Integer) {
                m_values.AppendText(column.id, out);
            } else {
                const std::size_t from = out.size();
                out += '"';
                m_values.AppendText(column.id, out);
                if (IsFreeText(column.id) && NeedsJsonEscape(std::string_view(out).substr(from + 1))) {
                    m_field = out.substr(from + 1);
                    out.resize(from);
                    AppendJsonString(out, m_field);
                } else {
                    out += '"';
                }
            }
        }
        out += "}\n";
    }
    m_file.PieceDone();
}

void CTextExportSink::Finish(const ExportSummary& summary) {
    if (m_partitionDir.empty()) {
        CompleteFile();
        return;
    }
    CompleteFile();
    // A day file without rows this time has no file; one left by an earlier export of the same folder
    // would show records this export does not hold.
    for (const ExportedDayFile& file : summary.dayFiles) {
        if (file.records > 0) continue;
        std::error_code error;
        std::filesystem::remove(PartitionFile(m_form, m_partitionDir, m_site, file), error);
    }
}

}  // namespace vyx
