#include "app/clipexportdialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <algorithm>
#include <cmath>

#include "core/mlanguagemanager.h"

using L = MLanguageManager;
using W = DashboardRenderer;

namespace {
const QString kGroup = QStringLiteral("clipExport/");

const struct {
    W::Widget widget;
    const char *key;
} kWidgets[] = {{W::SpeedReadout, "Clip.widget.speed"}, {W::Dial, "Clip.widget.dial"},
                {W::DateTime, "Clip.widget.time"},      {W::Position, "Clip.widget.position"},
                {W::Compass, "Clip.widget.compass"},    {W::GSensor, "Clip.widget.gsensor"},
                {W::Route, "Clip.widget.route"}};
const W::Placement kPlaces[] = {W::Placement::BottomBand, W::Placement::TopBand, W::Placement::BottomLeft};
const char *const kLayouts[] = {"main", "pip", "side", "grid"};

QVariant stored(const char *key, const QVariant &fallback) { return QSettings().value(kGroup + QLatin1String(key), fallback); }
void store(const char *key, const QVariant &value) { QSettings().setValue(kGroup + QLatin1String(key), value); }

void selectData(QComboBox *box, const QVariant &data)
{
    const int i = box->findData(data);
    if (i >= 0)
        box->setCurrentIndex(i);
}
} // namespace

ClipExportDialog::ClipExportDialog(const ClipExportContext &context, QWidget *parent)
    : QDialog(parent), m_context(context)
{
    setObjectName(QStringLiteral("clipExportDialog"));
    setWindowTitle(L::localized("Clip.title"));
    auto *form = new QFormLayout(this);

    m_range = new QComboBox(this);
    m_range->setObjectName(QStringLiteral("clipRangeBox"));
    if (!recordingsFor(ClipRequest::Range::Marks, context).isEmpty())
        m_range->addItem(L::localized("Clip.range.marks"), int(ClipRequest::Range::Marks));
    if (!recordingsFor(ClipRequest::Range::Event, context).isEmpty())
        m_range->addItem(L::localized("Clip.range.event"), int(ClipRequest::Range::Event));
    m_range->addItem(L::localized("Clip.range.recording"), int(ClipRequest::Range::Recording));
    if (context.trip.size() > 1)
        m_range->addItem(L::localized("Clip.range.trip").arg(context.trip.size()), int(ClipRequest::Range::Trip));
    form->addRow(L::localized("Clip.range"), m_range);

    m_channels = new QComboBox(this);
    m_channels->setObjectName(QStringLiteral("clipChannelBox"));
    m_channels->addItem(L::localized("Clip.channels.shown"));
    const qsizetype others = context.channels.value(context.current).size();
    if (others > 0)
        m_channels->addItem(L::localized("Clip.channels.all").arg(others + 1));
    m_channels->setEnabled(others > 0);
    form->addRow(L::localized("Clip.channels"), m_channels);
    m_channelNote = new QLabel(this);
    m_channelNote->setObjectName(QStringLiteral("clipChannelNote"));
    form->addRow(QString(), m_channelNote);

    m_kind = new QComboBox(this);
    m_kind->setObjectName(QStringLiteral("clipKindBox"));
    m_kind->addItem(L::localized("Clip.kind.original"));
    m_kind->addItem(L::localized("Clip.kind.dashboard"));
    form->addRow(L::localized("Clip.kind"), m_kind);

    m_dashboard = new QGroupBox(L::localized("Clip.widgets"), this);
    auto *grid = new QGridLayout(m_dashboard);
    int cell = 0;
    for (const auto &w : kWidgets) {
        auto *box = new QCheckBox(L::localized(w.key), m_dashboard);
        box->setObjectName(QStringLiteral("clipWidget%1").arg(int(w.widget)));
        m_widgets.append({w.widget, box});
        grid->addWidget(box, cell / 2, cell % 2);
        ++cell;
    }
    auto *options = new QFormLayout;
    m_place = new QComboBox(m_dashboard);
    m_place->setObjectName(QStringLiteral("clipPlaceBox"));
    m_place->addItems({L::localized("Clip.place.under"), L::localized("Clip.place.over"), L::localized("Clip.place.corner")});
    m_layout = new QComboBox(m_dashboard);
    m_layout->setObjectName(QStringLiteral("clipLayoutBox"));
    m_layout->addItem(L::localized("Clip.layout.main"), QStringLiteral("main"));
    m_layout->addItem(L::localized("Clip.layout.pip"), QStringLiteral("pip"));
    m_layout->addItem(L::localized("Clip.layout.side"), QStringLiteral("side"));
    m_layout->addItem(L::localized("Clip.layout.grid"), QStringLiteral("grid"));
    m_unit = new QComboBox(m_dashboard);
    m_unit->setObjectName(QStringLiteral("clipUnitBox"));
    m_unit->addItem(QStringLiteral("km/h"), QStringLiteral("KMH"));
    m_unit->addItem(QStringLiteral("mph"), QStringLiteral("MPH"));
    options->addRow(L::localized("Clip.place"), m_place);
    options->addRow(L::localized("Clip.layout"), m_layout);
    options->addRow(L::localized("Clip.unit"), m_unit);
    grid->addLayout(options, (cell + 1) / 2, 0, 1, 2);
    form->addRow(m_dashboard);

    m_evidence = new QCheckBox(L::localized("Clip.evidence"), this);
    m_evidence->setObjectName(QStringLiteral("clipEvidenceBox"));
    form->addRow(m_evidence);

    auto *outputRow = new QHBoxLayout;
    m_output = new QLineEdit(this);
    m_output->setObjectName(QStringLiteral("clipOutputEdit"));
    m_output->setMinimumWidth(320);
    m_choose = new QPushButton(L::localized("Clip.choose"), this);
    outputRow->addWidget(m_output, 1);
    outputRow->addWidget(m_choose);
    form->addRow(L::localized("Clip.output"), outputRow);
    connect(m_choose, &QPushButton::clicked, this, &ClipExportDialog::chooseOutput);

    // Said only when the original clip was asked for and its recordings do not join.
    auto *joinRow = new QHBoxLayout;
    joinRow->addStretch(1);
    m_joinNote = new QLabel(this);
    m_joinNote->setObjectName(QStringLiteral("clipJoinNote"));
    m_joinNote->setTextFormat(Qt::PlainText); // file names from the card
    m_joinNote->setWordWrap(true);
    m_burnInstead = new QPushButton(L::localized("Clip.join.burnIn", "Burn In Instead"), this);
    m_burnInstead->setObjectName(QStringLiteral("clipBurnInsteadButton"));
    joinRow->addWidget(m_burnInstead);
    form->addRow(m_joinNote);
    form->addRow(joinRow);
    m_joinNote->hide();
    m_burnInstead->hide();
    connect(m_burnInstead, &QPushButton::clicked, this, &ClipExportDialog::burnInInstead);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(L::localized("Clip.ok"));
    buttons->button(QDialogButtonBox::Cancel)->setText(L::localized("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        if (m_output->text().trimmed().isEmpty() || !checkJoin())
            return;
        remember();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);

    restore();
    connect(m_kind, &QComboBox::currentIndexChanged, this, &ClipExportDialog::kindChanged);
    for (QComboBox *box : {m_channels, m_kind, m_layout})
        connect(box, &QComboBox::currentIndexChanged, this, &ClipExportDialog::showChannelOutcome);
    // Another choice: what was said about the join may no longer hold.
    for (QComboBox *box : {m_range, m_channels, m_kind})
        connect(box, &QComboBox::currentIndexChanged, this, [this] {
            m_joinNote->hide();
            m_burnInstead->hide();
        });
    m_dashboard->setEnabled(m_kind->currentIndex() == 1);
    showChannelOutcome();
}

bool ClipExportDialog::followsWindow() const
{
    return !m_context.windowLayout.isEmpty() && m_channels->count() > 1 &&
           m_layout->findData(m_context.windowLayout) >= 0;
}

void ClipExportDialog::showChannelOutcome()
{
    const bool all = m_channels->currentIndex() == 1;
    const bool burnIn = m_kind->currentIndex() == 1;
    // The original packets cannot be composed; the group box already greys it out then.
    m_layout->setEnabled(all);
    const bool composed = all && burnIn && m_layout->currentData().toString() != QLatin1String("main");
    m_channelNote->setText(composed ? L::localized("Clip.channels.composed", "Composed in the chosen layout")
                                    : L::localized("Clip.channels.separate", "Each channel to its own file"));
    m_channelNote->setVisible(all);
}

QCheckBox *ClipExportDialog::widgetBox(DashboardRenderer::Widget widget) const
{
    for (const auto &[w, box] : m_widgets)
        if (w == widget)
            return box;
    return nullptr;
}

bool ClipExportDialog::chooseRange(ClipRequest::Range range)
{
    const int i = m_range->findData(int(range));
    if (i >= 0)
        m_range->setCurrentIndex(i);
    return i >= 0;
}

void ClipExportDialog::kindChanged()
{
    const bool original = m_kind->currentIndex() == 0;
    m_dashboard->setEnabled(!original);
    // The evidence goes with the original by default; a burned-in copy is for showing.
    m_evidence->setChecked(original && stored("evidence", true).toBool());
}

bool ClipExportDialog::checkJoin()
{
    const ClipRequest r = request();
    const QString problem =
        r.kind == ClipRequest::Kind::Original && m_context.joinProblem ? m_context.joinProblem(r) : QString();
    m_joinNote->setText(problem.isEmpty() ? QString()
                                          : L::localized("Clip.join.refused",
                                                         "These recordings cannot be joined unchanged: %1")
                                                .arg(problem));
    m_joinNote->setVisible(!problem.isEmpty());
    m_burnInstead->setVisible(!problem.isEmpty());
    if (!problem.isEmpty())
        adjustSize(); // the note's lines need the room
    return problem.isEmpty();
}

void ClipExportDialog::burnInInstead()
{
    // The pictures are encoded again, so they need not join; the range stays as chosen.
    m_kind->setCurrentIndex(1);
    m_joinNote->hide();
    m_burnInstead->hide();
}

void ClipExportDialog::restore()
{
    // The marks, when set, are what the user came for; else the last range choice.
    if (!chooseRange(ClipRequest::Range::Marks))
        selectData(m_range, stored("range", int(ClipRequest::Range::Recording)));
    // What the window shows is what goes out: its channels in its layout, whatever was stored.
    const bool window = followsWindow();
    if (window || (m_channels->count() > 1 && stored("allChannels", false).toBool()))
        m_channels->setCurrentIndex(1);
    m_kind->setCurrentIndex(std::clamp(stored("kind", 0).toInt(), 0, 1));
    const int widgets = stored("widgets", int(defaultClipWidgets())).toInt();
    for (const auto &[w, box] : m_widgets)
        box->setChecked(widgets & w);
    m_place->setCurrentIndex(std::clamp(stored("place", 0).toInt(), 0, 2));
    selectData(m_layout, window ? QVariant(m_context.windowLayout) : stored("layout", QStringLiteral("main")));
    selectData(m_unit, stored("unit", m_context.speedUnit));
    m_evidence->setChecked(m_kind->currentIndex() == 0 ? stored("evidence", true).toBool()
                                                       : stored("dashboardEvidence", false).toBool());
    QString output = m_context.suggestedOutput;
    const QString folder = stored("folder", QString()).toString();
    if (!folder.isEmpty() && QFileInfo(folder).isDir() && !output.isEmpty())
        output = QDir(folder).filePath(QFileInfo(output).fileName());
    m_output->setText(output);
}

void ClipExportDialog::remember() const
{
    const ClipRequest r = request();
    store("range", int(r.range));
    // A change made while the dialog followed the window holds for this export only.
    if (!followsWindow()) {
        store("allChannels", m_channels->currentIndex() == 1);
        store("layout", r.layout);
    }
    store("kind", m_kind->currentIndex());
    store("widgets", int(r.widgets));
    store("place", m_place->currentIndex());
    store("unit", r.speedUnit);
    store(r.kind == ClipRequest::Kind::Original ? "evidence" : "dashboardEvidence", r.evidence);
    if (!r.output.isEmpty())
        store("folder", QFileInfo(r.output).absolutePath());
}

void ClipExportDialog::chooseOutput()
{
    const QString path = QFileDialog::getSaveFileName(this, L::localized("Clip.title"), m_output->text(),
                                                      QStringLiteral("MP4 (*.mp4)"));
    if (!path.isEmpty())
        m_output->setText(path);
}

ClipRequest ClipExportDialog::request() const
{
    ClipRequest r;
    r.range = ClipRequest::Range(m_range->currentData().toInt());
    r.recordings = recordingsFor(r.range, m_context);
    if (m_channels->currentIndex() == 1) {
        r.otherChannels = channelsFor(r.recordings, m_context);
        r.otherChannelNames = channelNamesFor(r.recordings, m_context);
        for (const QString &name : std::as_const(r.otherChannelNames))
            r.otherChannelOffsets << m_context.channelOffsets.value(name, 0.0);
    }
    r.output = m_output->text().trimmed();
    r.kind = m_kind->currentIndex() == 1 ? ClipRequest::Kind::WithDashboard : ClipRequest::Kind::Original;
    for (const auto &[w, box] : m_widgets)
        if (box->isChecked())
            r.widgets |= w;
    r.placement = kPlaces[std::clamp(m_place->currentIndex(), 0, 2)];
    r.layout = m_layout->currentData().toString();
    r.speedUnit = m_unit->currentData().toString();
    r.evidence = m_evidence->isChecked();
    return r;
}

QList<ClipRecording> ClipExportDialog::recordingsFor(ClipRequest::Range range, const ClipExportContext &c)
{
    if (c.current.isEmpty())
        return {};
    switch (range) {
    case ClipRequest::Range::Marks:
        return c.marks;
    case ClipRequest::Range::Event: {
        if (!c.eventSecond)
            return {};
        const double from = *c.eventSecond - kEventMargin, to = *c.eventSecond + kEventMargin;
        const qsizetype at = c.trip.indexOf(c.current);
        QList<ClipRecording> out;
        // Near an edge the margin reaches into the drive's neighbouring recording.
        if (from < 0 && at > 0 && c.lengthOf) {
            const double before = c.lengthOf(c.trip[at - 1]);
            if (before > 0)
                out.append({c.trip[at - 1], std::max(0.0, before + from), ClipRecording::kEnd});
        }
        const bool pastEnd = c.length > 0 && to >= c.length;
        out.append({c.current, std::max(0.0, from), pastEnd ? ClipRecording::kEnd : to});
        if (pastEnd && at >= 0 && at + 1 < c.trip.size() && to - c.length > 1e-3)
            out.append({c.trip[at + 1], 0.0, to - c.length});
        return out;
    }
    case ClipRequest::Range::Recording:
        return {{c.current, 0.0, ClipRecording::kEnd}};
    case ClipRequest::Range::Trip: {
        if (c.trip.size() < 2)
            return {};
        QList<ClipRecording> out;
        for (const QString &path : c.trip)
            out.append({path, 0.0, ClipRecording::kEnd});
        return out;
    }
    }
    return {};
}

QStringList ClipExportDialog::channelNamesFor(const QList<ClipRecording> &recordings, const ClipExportContext &c)
{
    // The channels in the order the first recording names them, then any the others add.
    QStringList names;
    for (const ClipRecording &r : recordings)
        for (const MChannelFile &f : c.channels.value(r.path))
            if (!names.contains(f.channel))
                names << f.channel;
    return names;
}

QList<QList<ClipRecording>> ClipExportDialog::channelsFor(const QList<ClipRecording> &recordings,
                                                          const ClipExportContext &c)
{
    const QStringList names = channelNamesFor(recordings, c);
    QList<QList<ClipRecording>> out;
    for (const QString &name : std::as_const(names)) {
        QList<ClipRecording> list;
        for (const ClipRecording &r : recordings) {
            // A moment without this channel keeps its place with no file.
            ClipRecording here{QString(), r.from, r.to};
            for (const MChannelFile &f : c.channels.value(r.path))
                if (f.channel == name) {
                    here.path = f.fLocalPath;
                    break;
                }
            list.append(here);
        }
        out.append(list);
    }
    return out;
}
