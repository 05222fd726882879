#pragma once
// The pieces of the two HTML reports. Both pages share their frame and differ in the title, the header
// cells and the font size of the rows. The fonts of the header and of the rows are set once, by the page's
// style: a font element per row sits inside the table where a browser cannot keep it, and moving it out of
// the table once per row made long pages take minutes to open. The columns take the header's widths
// (a fixed table layout), so a browser lays out the rows as they come instead of measuring every cell first.

#include <cstddef>
#include <string>
#include <string_view>

namespace vyx::html {

// Doctype, html element, head with the fonts' style (rowFontSize a CSS size such as "x-small"), body and
// title block, ending with "Generated on " and the time text.
void AppendPageStart(std::string& out, std::string_view title, std::string_view rowFontSize,
                     std::string_view timeText);
void AppendTableStart(std::string& out);
void AppendHeaderRowStart(std::string& out);
// One header cell: width in per cent, "right" or "left", the label (escaped here).
void AppendHeaderCell(std::string& out, int widthPercent, std::string_view align, std::string_view label);
void AppendHeaderRowEnd(std::string& out);
// A data row: its start, cells, its end.
void AppendRowStart(std::string& out);
void AppendCellStart(std::string& out, std::string_view align);  // followed by the text, then AppendCellEnd
void AppendCellEnd(std::string& out);
void AppendRowEnd(std::string& out);
void AppendPageEnd(std::string& out);

// Escapes the text appended to out since position from: "&", "<", ">" and '"' become references, and so
// does every character the page's ISO-8859-1 cannot hold, so no text is lost or read as markup.
void EscapeFrom(std::string& out, std::size_t from);
void AppendEscaped(std::string& out, std::string_view text);

}  // namespace vyx::html
