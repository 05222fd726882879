#include "report/ReportHtml.h"

namespace vyx::html {
namespace {

// Every data cell has the same background; the pages never alternated row colours.
constexpr std::string_view kHeaderColour = "#EEEEEE";
constexpr std::string_view kCellColour = "#E4E4E4";

}  // namespace

void AppendPageStart(std::string& out, std::string_view title, std::string_view timeText) {
    out += "<head>\n<title>";
    out += title;
    out +=
        "</title>\n<meta http-equiv=\"content-type\" content=\"text/html; charset=ISO-8859-1\">\n"
        "<meta name=\"author\" content=\"Brennmark Instruments Inc.\"></head>";
    out += "\n<body bgcolor=\"#FFFFFF\" text=\"#00009F\" link=\"#0000ee\" alink=\"#0000ee\" vlink=\"#551a8b\">";
    out += "\n<b>\n<font size = \"5\" color=\"#000000\" face = \"Verdana\" align=\"center\"><center>";
    out += title;
    out += "</font></center></b>Generated on ";
    out += timeText;
}

void AppendTableStart(std::string& out, std::string_view widthText) {
    out += "\n<table width=\"";
    out += widthText;
    out +=
        "\" border=\"1\" cellspacing=\"1\" cellpadding=\"1\" bgcolor=\"#FFFFFF\" align=\"center\">\n"
        "<caption><big><big></big></big><br></caption>\n<tbody>";
}

void AppendHeaderRowStart(std::string& out) {
    out += "\n<tr><font face = \"Times New Roman\">";
}

void AppendHeaderCell(std::string& out, int widthPercent, std::string_view align, std::string_view label) {
    out += "\n<th width=\"";
    out += std::to_string(widthPercent);
    out += "%\" valign=\"bottom\" bgcolor=\"";
    out += kHeaderColour;
    out += "\" align=\"";
    out += align;
    out += "\"><big>";
    out += label;
    out += "<br></big></th>";
}

// The header row has never had a closing font tag.
void AppendHeaderRowEnd(std::string& out) {
    out += "\n</tr>";
}

void AppendRowStart(std::string& out, std::string_view fontSize) {
    out += "\n<tr><font face = \"Verdana\" size=\"";
    out += fontSize;
    out += "\">";
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
    out += "\n</font></tr>";
}

// No html element has ever wrapped the page.
void AppendPageEnd(std::string& out) {
    out += "</tbody></table><br></body>";
}

}  // namespace vyx::html
