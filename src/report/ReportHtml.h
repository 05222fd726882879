#pragma once
// The pieces of the two HTML reports. Both pages share their frame and differ in the title, the table line,
// the header cells and the font size of the rows.

#include <string>
#include <string_view>

namespace vyx::html {

// Head, body and title block, ending with "Generated on " and the time text.
void AppendPageStart(std::string& out, std::string_view title, std::string_view timeText);
// The table line; widthText is the table's width attribute as written ("100%%" or "100%").
void AppendTableStart(std::string& out, std::string_view widthText);
void AppendHeaderRowStart(std::string& out);
// One header cell: width in per cent, "right" or "left", the label.
void AppendHeaderCell(std::string& out, int widthPercent, std::string_view align, std::string_view label);
void AppendHeaderRowEnd(std::string& out);
// A data row: its start with the font size, cells, its end.
void AppendRowStart(std::string& out, std::string_view fontSize);
void AppendCellStart(std::string& out, std::string_view align);  // followed by the text, then AppendCellEnd
void AppendCellEnd(std::string& out);
void AppendRowEnd(std::string& out);
void AppendPageEnd(std::string& out);

}  // namespace vyx::html
