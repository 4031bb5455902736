#pragma once
// One of the three round window buttons of the title strip (close, minimise, zoom).
// The symbol shows while the pointer is over any of the three, as users know it.
#include <QAbstractButton>

class WindowButton : public QAbstractButton {
    Q_OBJECT
public:
    enum Role { Close, Minimize, Zoom };
    static constexpr int kDiameter = 16;

    explicit WindowButton(Role role, QWidget *parent = nullptr);
    Role role() const { return m_role; }
    void setSymbolsShown(bool shown);
    QSize sizeHint() const override { return {kDiameter, kDiameter}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Role m_role;
    bool m_symbols = false;
};
