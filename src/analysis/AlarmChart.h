#pragma once
// The chart of activations per 10 minutes over the span, with the 1, 2 and 10 per 10 minutes lines and the
// floods shaded: its columns (for the viewer's painting) and the same chart as inline SVG (for the report).

#include <cstdint>
#include <string>
#include <vector>

#include "analysis/AlarmFigures.h"

namespace vyx {

struct ChartColumn {
    std::uint32_t start = 0;  // time of its first period
    std::uint32_t end = 0;    // time after its last period
    std::uint32_t most = 0;   // the most activations of any 10-minute period in it
};

// At most maxColumns columns: over a long span each column gathers several periods and shows the busiest,
// so a period over 10 still stands over the 10 line.
std::vector<ChartColumn> ChartColumns(const AlarmFigures& figures, std::size_t maxColumns);

// The top of the chart's scale: at least 12, so the 10 line always shows.
std::uint32_t ChartScale(const std::vector<ChartColumn>& columns);

// The values the y axis labels, on a linear scale from 0 to `scale` over plotHeight pixels: the top of the
// scale, then the lines at 10, 2 and 1, each only where its label (labelHeight high, centred on its value)
// clears the labels kept before it. On a tall scale the three lines lie a pixel or two apart.
std::vector<std::uint32_t> AxisLabelValues(std::uint32_t scale, double plotHeight, double labelHeight);

std::string AlarmChartSvg(const AlarmFigures& figures, int width, int height);

}  // namespace vyx
