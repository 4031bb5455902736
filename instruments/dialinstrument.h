#pragma once
// The round instruments (speed, compass): a dial picture under whatever each one draws,
// square by preference. Each paints itself through its painter.
#include <QWidget>

#include "track/instrument.h"

class DialInstrument : public QWidget, public Instrument {
public:
    QSize sizeHint() const override { return QSize(200, 200); }
    QSize minimumSizeHint() const override { return QSize(100, 100); }

protected:
    explicit DialInstrument(QWidget *parent) : QWidget(parent)
    {
        setAttribute(Qt::WA_TranslucentBackground);
    }
};
