#pragma once
// The round instruments (speed, compass): a dial picture under whatever each one draws,
// square by preference, their parts laid out again on every resize.
#include <QWidget>

#include "track/instrument.h"

class PictureView;

class DialInstrument : public QWidget, public Instrument {
public:
    QSize sizeHint() const override { return QSize(200, 200); }
    QSize minimumSizeHint() const override { return QSize(100, 100); }

protected:
    explicit DialInstrument(QWidget *parent) : QWidget(parent) {}
    void resizeEvent(QResizeEvent *) override { layoutChildren(); }
    virtual void layoutChildren() = 0;

    PictureView *m_dial = nullptr;
};
