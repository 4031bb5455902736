#pragma once
// Keeps every text of the read-out strip whole: each card is as wide as its longest line,
// and when the cards' texts together need more than the strip has (long words of some
// languages, a trip card beside the others at the smallest window), every read-out's font
// is made smaller by the same share until they fit, never below three quarters of its size.
#include <QObject>

class QWidget;

class ReadoutFit : public QObject {
    Q_OBJECT
public:
    // Watches strip (the read-out strip, whose direct children are the cards).
    explicit ReadoutFit(QWidget *strip);
    // The fonts again for the strip's width and texts.
    void fit();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_strip;
    bool m_fitting = false;
};
