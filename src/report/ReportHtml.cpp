#include "report/ReportHtml.h"

namespace vyx::html {
namespace {

// Every data cell has the same background; the pages never alternated row colours.
constexpr std::string_view kHeaderColour = "#EEEEEE";
constexpr std::string_view kCellColour = "#E4E4E4";

bool NeedsEscape(unsigned char c) {
    return c == '&' || c == '<' || c == '>' || c == '"' || c >= 0x80;
}

// The length of a well-formed UTF-8 sequence at text[i] above U+00FF and its code point; 0 otherwise
// (ASCII, Latin-1 and malformed bytes are left to the file's conversion).
std::size_t WideCharacterAt(std::string_view text, std::size_t i, unsigned& codePoint) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned lead = byte(i);
    std::size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (lead >= 0xF5 || length == 0 || i + length > text.size()) return 0;
    codePoint = lead & (length == 2 ? 0x1F : length == 3 ? 0x0F : 0x07);
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        codePoint = (codePoint << 6) | (byte(i + k) & 0x3F);
    }
    const unsigned smallest = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
    if (codePoint < smallest || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) return 0;
    return codePoint > 0xFF ? length : 0;
}

void AppendEscapedCharacters(std::string& out, std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        unsigned codePoint = 0;
        switch (c) {
            case '&': out += "&amp;"; continue;
            case '<': out += "&lt;"; continue;
            case '>': out += "&gt;"; continue;
            case '"': out += "&quot;"; continue;
            default: break;
        }
        if (const std::size_t length = WideCharacterAt(text, i, codePoint)) {
            out += "&#" + std::to_string(codePoint) + ";";
            i += length - 1;
        } else {
            out += c;
        }
    }
}

}  // namespace

void EscapeFrom(std::string& out, std::size_t from) {
    std::size_t first = from;
    while (first < out.size() && !NeedsEscape(static_cast<unsigned char>(out[first]))) ++first;
    if (first == out.size()) return;  // the common case: nothing to change
    const std::string tail = out.substr(first);
    out.resize(first);
    AppendEscapedCharacters(out, tail);
}

void AppendEscaped(std::string& out, std::string_view text) {
    const std::size_t from = out.size();
    out += text;
    EscapeFrom(out, from);
}

void AppendPageStart(std::string& out, std::string_view title, std::string_view rowFontSize,
                     std::string_view timeText) {
    out += "<!DOCTYPE html>\n<html>\n<head>\n<title>";
    out += title;
    out +=
        "</title>\n<meta http-equiv=\"content-type\" content=\"text/html; charset=ISO-8859-1\">\n"
        "<meta name=\"author\" content=\"Brennmark Instruments Inc.\">\n"
        "<style>table { table-layout: fixed; } th { font-family: \"Times New Roman\", serif; } "
        "td { font-family: Verdana, sans-serif; font-size: ";
    out += rowFontSize;
    out += "; overflow-wrap: break-word; }</style></head>";
    out += "\n<body bgcolor=\"#FFFFFF\" text=\"#00009F\" link=\"#0000ee\" alink=\"#0000ee\" vlink=\"#551a8b\">";
    out += "\n<b>\n<font size = \"5\" color=\"#000000\" face = \"Verdana\" align=\"center\"><center>";
    out += title;
    out += "</center></font></b>Generated on ";
    out += timeText;
}

void AppendTableStart(std::string& out) {
    out +=
        "\n<table width=\"100%\" border=\"1\" cellspacing=\"1\" cellpadding=\"1\" bgcolor=\"#FFFFFF\" "
        "align=\"center\">\n"
        "<caption><big><big></big></big><br></caption>\n<tbody>";
}

void AppendHeaderRowStart(std::string& out) {
    out += "\n<tr>";
}

void AppendHeaderCell(std::string& out, int widthPercent, std::string_view align, std::string_view label) {
    out += "\n<th width=\"";
    out += std::to_string(widthPercent);
    out += "%\" valign=\"bottom\" bgcolor=\"";
    out += kHeaderColour;
    out += "\" align=\"";
    out += align;
    out += "\"><big>";
    AppendEscaped(out, label);
    out += "<br></big></th>";
}

void AppendHeaderRowEnd(std::string& out) {
    out += "\n</tr>";
}

void AppendRowStart(std::string& out) {
    out += "\n<tr>";
}

void AppendCellStart(std::string& out, std::string_view align) {
    out += "\n<td valign=\"middle\" bgcolor=\"";
    out += kCellColour;
    out += "\" align=\"";
    out += align;
    out += "\">";
}

void AppendCellEnd(std::string& out) {
    out += "</td>";
}

void AppendRowEnd(std::string& out) {
    out += "\n</tr>";
}

void AppendPageEnd(std::string& out) {
    out += "</tbody></table><br></body>\n</html>\n";
}

}  // namespace vyx::html
