#include "app/readoutfit.h"

#include <QEvent>
#include <QLabel>
#include <QLayout>
#include <QTimer>
#include <algorithm>

namespace {
constexpr char kBaseSize[] = "readoutBasePointSize";
constexpr double kSmallest = 0.75;

double basePointSize(QLabel *label)
{
    QVariant v = label->property(kBaseSize);
    if (!v.isValid()) {
        v = label->font().pointSizeF();
        label->setProperty(kBaseSize, v);
    }
    return v.value<double>();
}

// Width and height of the label's text in its base font.
QSize baseTextSize(QLabel *label)
{
    QFont f = label->font();
    f.setPointSizeF(basePointSize(label));
    const QFontMetrics fm(f);
    const QStringList lines = label->text().split(QLatin1Char('\n'));
    int w = 0;
    for (const QString &line : lines)
        w = std::max(w, fm.horizontalAdvance(line));
    return QSize(w, fm.height() + int(lines.size() - 1) * fm.lineSpacing());
}
} // namespace

ReadoutFit::ReadoutFit(QWidget *strip) : QObject(strip), m_strip(strip)
{
    strip->installEventFilter(this);
    // A label's new text asks its card for a new layout.
    for (QWidget *w : strip->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        w->installEventFilter(this);
}

bool ReadoutFit::eventFilter(QObject *, QEvent *event)
{
    // A new text, a card shown or hidden, another width: fit once the events have settled.
    switch (event->type()) {
    case QEvent::Resize:
    case QEvent::LayoutRequest:
    case QEvent::Show:
    case QEvent::Hide:
        if (!m_fitting)
            QTimer::singleShot(0, this, &ReadoutFit::fit);
        break;
    default:
        break;
    }
    return false;
}

void ReadoutFit::fit()
{
    if (m_fitting)
        return;
    m_fitting = true;
    const QLayout *strip = m_strip->layout();
    const QMargins sm = strip ? strip->contentsMargins() : QMargins();
    const int spacing = strip ? std::max(0, strip->spacing()) : 0;
    int textWidth = 0, fixedWidth = sm.left() + sm.right();
    double shrink = 1.0;
    int cards = 0;
    QList<QLabel *> labels;
    for (QWidget *card : m_strip->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (!card->isVisibleTo(m_strip))
            continue;
        const QList<QLabel *> own = card->findChildren<QLabel *>();
        if (own.isEmpty())
            continue;
        ++cards;
        const QMargins cm = card->layout() ? card->layout()->contentsMargins() : QMargins();
        fixedWidth += cm.left() + cm.right();
        int w = 0, h = 0;
        for (QLabel *l : own) {
            const QSize s = baseTextSize(l);
            w = std::max(w, s.width());
            h += s.height();
            labels << l;
            // Never narrower than its text: the fonts below make the texts fit instead.
            if (l->sizePolicy().horizontalPolicy() != QSizePolicy::Minimum)
                l->setSizePolicy(QSizePolicy::Minimum, l->sizePolicy().verticalPolicy());
        }
        textWidth += w;
        // Texts stacked in a card must fit its height too.
        const int room = m_strip->contentsRect().height() - sm.top() - sm.bottom() - cm.top() - cm.bottom();
        if (h > 0 && room > 0)
            shrink = std::min(shrink, double(room) / double(h));
    }
    fixedWidth += spacing * std::max(0, cards - 1);
    // Text widths do not scale exactly with the font: a few pixels a card to spare.
    const int room = m_strip->width() - fixedWidth - 4 * cards;
    if (textWidth > 0 && room < textWidth)
        shrink = std::min(shrink, double(room) / double(textWidth));
    const auto apply = [&labels](double factor) {
        for (QLabel *l : labels) {
            QFont f = l->font();
            const double size = basePointSize(l) * factor;
            if (std::abs(f.pointSizeF() - size) > 0.01) {
                f.setPointSizeF(size);
                l->setFont(f);
            }
            // A label's own size hint may measure a glyph from a fallback font narrower than
            // it is drawn (a dash beside Japanese): its lines' advances are what it must get.
            const QFontMetrics fm(f);
            int widest = 0;
            for (const QString &line : l->text().split(QLatin1Char('\n')))
                widest = std::max(widest, fm.horizontalAdvance(line));
            const QMargins m = l->contentsMargins();
            l->setMinimumWidth(widest + 2 * l->margin() + m.left() + m.right());
        }
    };
    shrink = std::clamp(shrink, kSmallest, 1.0);
    apply(shrink);
    // Widths do not scale exactly with the font: ask the layout what the cards now need.
    for (int round = 0; strip && round < 6 && shrink > kSmallest; ++round) {
        const int need = m_strip->layout()->minimumSize().width();
        if (need <= m_strip->width())
            break;
        shrink = std::max(kSmallest, shrink * double(m_strip->width() - fixedWidth) / double(need - fixedWidth) - 0.01);
        apply(shrink);
    }
    m_fitting = false;
}
