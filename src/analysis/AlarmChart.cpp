#include "analysis/AlarmChart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "logdata/TimeValue.h"

namespace vyx {

std::vector<ChartColumn> ChartColumns(const AlarmFigures& f, std::size_t maxColumns) {
    std::vector<ChartColumn> columns;
    const std::size_t periods = f.perPeriod.size();
    if (periods == 0 || maxColumns == 0) return columns;
    const std::size_t per = (periods + maxColumns - 1) / maxColumns;
    for (std::size_t i = 0; i < periods; i += per) {
        ChartColumn c;
        c.start = static_cast<std::uint32_t>((f.firstPeriod + i) * kPeriodSeconds);
        const std::size_t last = std::min(periods, i + per);
        c.end = static_cast<std::uint32_t>((f.firstPeriod + last) * kPeriodSeconds);
        for (std::size_t k = i; k < last; ++k) c.most = std::max(c.most, f.perPeriod[k]);
        columns.push_back(c);
    }
    return columns;
}

std::uint32_t ChartScale(const std::vector<ChartColumn>& columns) {
    std::uint32_t most = 12;
    for (const ChartColumn& c : columns) most = std::max(most, c.most);
    return most;
}

std::vector<std::uint32_t> AxisLabelValues(std::uint32_t scale, double plotHeight, double labelHeight) {
    constexpr std::uint32_t kLineValues[] = {10, 2, 1};  // the most telling first
    std::vector<std::uint32_t> kept{scale};
    const auto at = [&](std::uint32_t v) { return scale ? v * plotHeight / scale : 0.0; };
    for (const std::uint32_t value : kLineValues) {
        if (value >= scale) continue;
        const bool clear = std::all_of(kept.begin(), kept.end(), [&](std::uint32_t other) {
            return std::abs(at(value) - at(other)) >= labelHeight;
        });
        if (clear) kept.push_back(value);
    }
    return kept;
}

std::string AlarmChartSvg(const AlarmFigures& f, int width, int height) {
    const int left = 40, right = 10, top = 10, bottom = 30;
    const int plotW = width - left - right, plotH = height - top - bottom;
    const auto columns = ChartColumns(f, static_cast<std::size_t>(plotW));
    const double scale = ChartScale(columns);
    const double t0 = static_cast<double>(f.firstPeriod) * kPeriodSeconds;
    const double t1 = columns.empty() ? t0 + 1 : columns.back().end;
    const auto x = [&](double t) { return left + (t - t0) / (t1 - t0) * plotW; };
    const auto y = [&](double v) { return top + plotH - v / scale * plotH; };
    std::string svg;
    char buffer[256];
    std::snprintf(buffer, sizeof buffer,
                  "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" font-family=\"Verdana\" "
                  "font-size=\"10\">\n<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" fill=\"#FAFAFA\" stroke=\"#999\"/>\n",
                  width, height, left, top, plotW, plotH);
    svg += buffer;
    for (const AlarmFlood& flood : f.floods) {
        const double a = x(flood.start), b = std::max(x(flood.end), a + 1);
        std::snprintf(buffer, sizeof buffer,
                      "<rect x=\"%.1f\" y=\"%d\" width=\"%.1f\" height=\"%d\" fill=\"#F4B6B6\" opacity=\"0.6\"/>\n", a, top,
                      b - a, plotH);
        svg += buffer;
    }
    const double barW = columns.empty() ? 1 : std::max(1.0, static_cast<double>(plotW) / columns.size());
    for (const ChartColumn& c : columns) {
        if (c.most == 0) continue;
        std::snprintf(buffer, sizeof buffer,
                      "<rect x=\"%.1f\" y=\"%.1f\" width=\"%.1f\" height=\"%.1f\" fill=\"%s\"/>\n", x(c.start),
                      y(c.most), barW, y(0) - y(c.most), c.most > 10 ? "#C0392B" : "#2E6DB4");
        svg += buffer;
    }
    const struct {
        int value;
        const char* colour;
    } lines[] = {{1, "#2E8B57"}, {2, "#D4A017"}, {10, "#C0392B"}};
    for (const auto& line : lines) {
        std::snprintf(buffer, sizeof buffer,
                      "<line x1=\"%d\" y1=\"%.1f\" x2=\"%d\" y2=\"%.1f\" stroke=\"%s\" stroke-dasharray=\"4 3\"/>\n", left,
                      y(line.value), left + plotW, y(line.value), line.colour);
        svg += buffer;
    }
    // The labels that clear one another (10 pixels high at this font size), each centred on its value.
    for (const std::uint32_t value : AxisLabelValues(static_cast<std::uint32_t>(scale), plotH, 11)) {
        const char* colour = "#000";
        for (const auto& line : lines) {
            if (static_cast<std::uint32_t>(line.value) == value) colour = line.colour;
        }
        std::snprintf(buffer, sizeof buffer, "<text x=\"%d\" y=\"%.1f\" text-anchor=\"end\" fill=\"%s\">%u</text>\n",
                      left - 4, y(value) + 3.5, colour, static_cast<unsigned>(value));
        svg += buffer;
    }
    for (int i = 0; i <= 4; ++i) {
        const double t = t0 + (t1 - t0) * i / 4;
        const CivilDateTime c = BreakDown(static_cast<std::uint32_t>(t));
        char label[48];
        std::snprintf(label, sizeof label, "%02d-%02d-%04d %02d:%02d", c.day, c.month, c.year, c.hour, c.minute);
        std::snprintf(buffer, sizeof buffer, "<text x=\"%.1f\" y=\"%d\" text-anchor=\"%s\">%s</text>\n", x(t),
                      height - 10, i == 0 ? "start" : i == 4 ? "end" : "middle", label);
        svg += buffer;
    }
    svg += "</svg>\n";
    return svg;
}

}  // namespace vyx
