#pragma once
// A card of one alarm figure: its name, its value, the published band, on the band's colour.

#include <QFrame>

#include "analysis/AlarmFigures.h"

class QLabel;

namespace vyx::gui {

class FigureCard : public QFrame {
    Q_OBJECT
public:
    explicit FigureCard(const QString& name, QWidget* parent = nullptr);
    void Set(const QString& value, const QString& target, AlarmBand band);
    QString Value() const;
    AlarmBand Band() const { return m_band; }

private:
    QLabel* m_value;
    QLabel* m_target;
    AlarmBand m_band = AlarmBand::None;
};

}  // namespace vyx::gui
