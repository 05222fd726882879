#include "app/FigureCard.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/AnalysisTableModel.h"

namespace vyx::gui {

FigureCard::FigureCard(const QString& name, QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->setSpacing(1);
    auto* title = new QLabel(name, this);
    QFont small = title->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    title->setFont(small);
    title->setWordWrap(true);  // a long name takes two lines rather than lose its end
    m_value = new QLabel(this);
    m_value->setObjectName("cardValue");
    QFont big = m_value->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.3);
    m_value->setFont(big);
    m_value->setWordWrap(true);
    m_target = new QLabel(this);
    m_target->setFont(small);
    m_target->setWordWrap(true);
    layout->addWidget(title);
    layout->addWidget(m_value);
    layout->addWidget(m_target);
    setMinimumWidth(170);
}

void FigureCard::Set(const QString& value, const QString& target, AlarmBand band) {
    m_band = band;
    m_value->setText(value);
    setToolTip(value + QStringLiteral("\n") + target);
    m_target->setText(target);
    QPalette p = palette();
    p.setColor(QPalette::Window, BandColour(band));
    p.setColor(QPalette::WindowText, Qt::black);
    setPalette(p);
}

QString FigureCard::Value() const {
    return m_value->text();
}

}  // namespace vyx::gui
