#include "ReportTestSupport.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string_view>

#include "logdata/LoadPipeline.h"
#include "platform/TempFolder.h"
#include "simulator/LoggerSimulator.h"
#include "support/RunCommand.h"

namespace vyx::test {

LoadedStore::LoadedStore(const std::string& dataFolder, LoadOrder order) {
    m_database = std::make_unique<CRecordDatabase>(EnsurePrivateFolder(m_temp.File("tmp")), this);
    LoadRequest request;
    request.folder = dataFolder;
    request.order = order;
    const LoadSequenceResult result = RunLoadSequence(*m_database, m_filters, FilterList{}, request);
    if (!result.started) throw std::runtime_error("the test folder did not load: " + dataFolder);
    m_database->WaitForLoad();
    if (m_total < 0) throw std::runtime_error("the test load did not finish: " + dataFolder);
}

LoadedStore::~LoadedStore() {
    m_database->StopLoad();
}

void LoadedStore::Post(LoadNotification notification) {
    if (notification.message == UM_LOAD_FINISHED) m_total = notification.count;
}

void WriteDayFile(const std::string& folder, const std::string& name, const std::vector<sim::RecordSpec>& records) {
    std::vector<std::uint8_t> bytes;
    for (const auto& spec : records) sim::AppendFrame(bytes, sim::BuildRecordBytes(spec));
    std::ofstream out(folder + "/" + name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteSimulatedFolder(const std::string& folder, int days, int recordsPerDay, bool clockJumps) {
    sim::SimulatorOptions options;
    options.days = days;
    options.recordsPerDay = recordsPerDay;
    options.faults = false;
    options.clockJumps = clockJumps;
    sim::GenerateDataFolder(folder, options);
}

void RecordingReceiver::OnMessage(const std::string& text, MessageIcon icon) {
    Add(std::string(icon == MessageIcon::Stop ? "stop" : "other") + " message:" + text);
}

std::int32_t RecordingReceiver::Add(const std::string& event) {
    {
        std::lock_guard lock(m_mutex);
        m_events.push_back(event);
    }
    if (onEvent) onEvent(event);
    return 0;
}

std::vector<std::string> RecordingReceiver::Events() const {
    std::lock_guard lock(m_mutex);
    return m_events;
}

std::vector<std::string> RecordingReceiver::Milestones() const {
    std::vector<std::string> result;
    for (const std::string& event : Events()) {
        if (event != "progress") result.push_back(event);
    }
    return result;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start) + "<no line end>");
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::string UnzipMember(const std::string& archive, const std::string& member) {
    const CommandResult result = RunCommand("unzip -p " + ShellQuote(archive) + " " + ShellQuote(member));
    if (result.exitCode != 0) return {};
    return result.out;
}

namespace {

std::string Unescape(std::string text) {
    static const std::pair<const char*, const char*> kEntities[] = {
        {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&amp;", "&"}};
    for (const auto& [entity, plain] : kEntities) {
        for (std::size_t at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1)) {
            text.replace(at, std::strlen(entity), plain);
        }
    }
    return text;
}

// The value of name="..." within an element's opening tag, or nothing.
std::optional<std::string> Attribute(std::string_view tag, std::string_view name) {
    const std::string key = " " + std::string(name) + "=\"";
    const std::size_t at = tag.find(key);
    if (at == std::string_view::npos) return std::nullopt;
    const std::size_t start = at + key.size();
    return std::string(tag.substr(start, tag.find('"', start) - start));
}

// Each element <name ...>...</name> or <name .../> in order: its opening tag and its content.
std::vector<std::pair<std::string, std::string>> Elements(std::string_view xml, std::string_view name) {
    std::vector<std::pair<std::string, std::string>> found;
    const std::string open = "<" + std::string(name);
    const std::string close = "</" + std::string(name) + ">";
    for (std::size_t at = xml.find(open); at != std::string_view::npos; at = xml.find(open, at + 1)) {
        const char next = xml[at + open.size()];
        if (next != ' ' && next != '>' && next != '/') continue;
        const std::size_t tagEnd = xml.find('>', at);
        const std::string tag(xml.substr(at, tagEnd - at + 1));
        if (tag.ends_with("/>")) {
            found.emplace_back(tag, "");
            continue;
        }
        const std::size_t end = xml.find(close, tagEnd);
        found.emplace_back(tag, std::string(xml.substr(tagEnd + 1, end - tagEnd - 1)));
    }
    return found;
}

}  // namespace

SheetContent ReadSheet(const std::string& workbook, int sheetNumber) {
    const std::string xml = UnzipMember(workbook, "xl/worksheets/sheet" + std::to_string(sheetNumber) + ".xml");
    SheetContent sheet;
    for (const auto& [tag, body] : Elements(xml, "c")) {
        const std::string name = Attribute(tag, "r").value_or("");
        const std::size_t digits = name.find_first_of("0123456789");
        if (digits == std::string::npos) continue;
        sheet.lastRow = std::max(sheet.lastRow, std::stoi(name.substr(digits)));
        if (const auto style = Attribute(tag, "s")) sheet.style[name] = std::stoi(*style);
        const auto texts = Elements(body, "t");
        if (!texts.empty()) sheet.text[name] = Unescape(texts.front().second);
    }
    for (const auto& [tag, body] : Elements(xml, "col")) {
        const int min = std::stoi(Attribute(tag, "min").value_or("0"));
        const int max = std::stoi(Attribute(tag, "max").value_or("0"));
        for (int c = min; c <= max; ++c) sheet.widths[c] = std::stod(Attribute(tag, "width").value_or("0"));
    }
    return sheet;
}

std::vector<std::string> SheetNames(const std::string& workbook) {
    std::vector<std::string> names;
    for (const auto& [tag, body] : Elements(UnzipMember(workbook, "xl/workbook.xml"), "sheet")) {
        names.push_back(Attribute(tag, "name").value_or(""));
    }
    return names;
}

std::vector<CellStyle> ReadCellStyles(const std::string& workbook) {
    const std::string xml = UnzipMember(workbook, "xl/styles.xml");
    std::vector<bool> boldFonts;
    const auto fonts = Elements(xml, "fonts");
    if (!fonts.empty()) {
        for (const auto& [tag, body] : Elements(fonts.front().second, "font")) {
            boldFonts.push_back(body.find("<b/>") != std::string::npos);
        }
    }
    std::vector<CellStyle> styles;
    const auto xfs = Elements(xml, "cellXfs");
    if (xfs.empty()) return styles;
    for (const auto& [tag, body] : Elements(xfs.front().second, "xf")) {
        CellStyle style;
        const auto font = static_cast<std::size_t>(std::stoi(Attribute(tag, "fontId").value_or("0")));
        style.bold = font < boldFonts.size() && boldFonts[font];
        const auto alignment = Elements(body, "alignment");
        if (!alignment.empty()) style.horizontal = Attribute(alignment.front().first, "horizontal").value_or("");
        styles.push_back(style);
    }
    return styles;
}

std::string MaskGeneratedOn(const std::string& page, std::string* timeText) {
    static constexpr std::string_view kLead = "Generated on ";
    static constexpr std::string_view kShape = "00-00-0000 - 00:00:00:AM";
    const std::size_t at = page.find(kLead);
    if (at == std::string::npos || page.size() < at + kLead.size() + kShape.size()) return page;
    const std::string text = page.substr(at + kLead.size(), kShape.size());
    for (std::size_t i = 0; i < kShape.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kShape[i] == '0' ? !digit : (i < 22 && text[i] != kShape[i])) return page;
    }
    if (text.substr(22) != "AM" && text.substr(22) != "PM") return page;
    if (timeText) *timeText = text;
    return page.substr(0, at + kLead.size()) + "TIME" + page.substr(at + kLead.size() + kShape.size());
}

}  // namespace vyx::test
