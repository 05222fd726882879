#pragma once
// The time scale shared by the painted time views: where a time lies across a width and back, and tick
// marks at round steps with short labels.

#include <QPainter>
#include <QRect>
#include <QString>
#include <cstdint>

namespace vyx {

class TimeAxis {
public:
    TimeAxis() = default;
    // [begin, end) across the pixels left .. left + width.
    TimeAxis(double begin, double end, int left, int width) : m_begin(begin), m_end(end), m_left(left), m_width(width) {}

    double Begin() const { return m_begin; }
    double End() const { return m_end; }
    int Left() const { return m_left; }
    int Width() const { return m_width; }
    double XOf(double t) const;
    double TimeAt(double x) const;
    bool Valid() const { return m_end > m_begin && m_width > 0; }

    // Ticks and labels along the bottom of rect (a line of text high).
    void PaintTicks(QPainter& painter, const QRect& rect) const;

    static QString TimeText(std::uint32_t time);  // "dd/MM/yyyy HH:MM:SS"

private:
    double m_begin = 0;
    double m_end = 1;
    int m_left = 0;
    int m_width = 1;
};

}  // namespace vyx
