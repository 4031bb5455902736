#include "app/incidenttools.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/exportdialog.h"
#include "app/harsheventnavigator.h"
#include "app/incidentpreferences.h"
#include "app/snapshot.h"
#include "app/tripcontroller.h"
#include "app/viewstyle.h"
#include "core/mlanguagemanager.h"
#include "core/preferences.h"
#include "core/zoneclocks.h"
#include "instruments/dashboardstate.h"
#include "core/notificationhub.h"

using L = MLanguageManager;


IncidentTools::IncidentTools(const Places &places, QObject *parent) : QObject(parent), m_window(places.window)
{
    setObjectName(QStringLiteral("incidentTools"));
    QWidget *window = places.window;
    m_snapshot = new Snapshot(
        window, places.player, [this] { return m_sample; }, [this] { return m_current; }, this);
    m_snapshot->setDashboardState([this] {
        // The second whose sample the window's instruments show.
        DashboardState s = dashboardStateAt(m_track, m_second, Preferences::speedUnitType());
        s.events = m_events->events();
        return s;
    });
    m_events = new HarshEventNavigator(window, places.player, places.gsensor, [this] { return m_second; }, this);
    m_trip = new TripController([this] { return m_listPaths; }, places.map, this);
    m_exporter = new TrackExporter([this](const QString &text) { m_snapshot->showNotice(text); }, this);
    connect(m_trip, &TripController::tripChanged, this, &IncidentTools::showTrip);
    // The card's clock follows the zone chosen for the card the trip was recorded on.
    connect(ZoneClocks::shared(), &ZoneClocks::choiceChanged, this, &IncidentTools::showTrip);

    m_exportAction = new QAction(window);
    m_exportAction->setObjectName(QStringLiteral("exportTrackAction"));
    m_exportAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    connect(m_exportAction, &QAction::triggered, this, &IncidentTools::exportTrack);
    window->addAction(m_exportAction);

    buildTripReadout(places.tripCard);
    buildSettings(places.settings);
    NotificationHub::defaultCenter()->observe(QString::fromLatin1(kChangeLanguageNocation), this,
                                              [this](const QVariant &) { retitle(); });
    retitle();
}

void IncidentTools::setSampleOnDisplay(const std::optional<GPSItem> &sample, double second)
{
    m_sample = sample;
    m_second = second;
}

void IncidentTools::recordingSelected(const QString &path)
{
    m_trip->recordingSelected(path);
}

void IncidentTools::recordingLoaded(const QString &path, const Track &track, const QStringList &listPaths,
                                    bool complete)
{
    m_current = path;
    m_listPaths = listPaths;
    m_track = track;
    m_events->setTrack(track);
    m_trip->recordingLoaded(path, track, complete);
}

void IncidentTools::playbackHalted(quint64 state)
{
    m_trip->playbackHalted(state);
}

void IncidentTools::exportTrack()
{
    m_exporter->exportInteractively(m_window, m_current, m_trip->tripPaths());
}

void IncidentTools::buildTripReadout(ColorPanel *card)
{
    // Shown while the recording belongs to a trip.
    m_tripCard = card;
    auto *v = new QVBoxLayout(m_tripCard);
    v->setContentsMargins(6, 2, 6, 2);
    m_tripLabel = ViewStyle::makeLabel(QStringLiteral("tripLabel"), m_tripCard, 9, QColor(240, 242, 244));
    // As wide as its longest line, like the other read-outs: never cut.
    m_tripLabel->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    v->addWidget(m_tripLabel);
    m_tripCard->hide();
}

void IncidentTools::showTrip()
{
    if (!m_trip->isTrip()) {
        m_tripCard->hide();
        m_tripLabel->clear();
        return;
    }
    // The card shows the whole trip; the recording's own figures are beside it in the
    // statistics card, and both in full in the tooltip.
    // One figure a line: the card stays narrow beside the other read-outs.
    m_tripLabel->setText(m_trip->tripCardText());
    m_tripCard->setToolTip(m_trip->tripText() + QStringLiteral("\n\n") + m_trip->recordingText());
    m_tripCard->show();
}

void IncidentTools::buildSettings(const SettingsPanel::Section &section)
{
    m_settingsCaption = section.caption;
    ColorPanel *bg = section.card;
    auto *g = new QGridLayout(bg);
    g->setContentsMargins(14, 10, 14, 10);
    g->setHorizontalSpacing(12);
    g->setVerticalSpacing(8);
    const QColor text(30, 30, 30);
    m_stampLabel = ViewStyle::makeLabel(QStringLiteral("stampLabel"), bg, 10, text);
    m_folderLabel = ViewStyle::makeLabel(QStringLiteral("snapshotFolderLabel"), bg, 10, text);
    m_sensitivityLabel = ViewStyle::makeLabel(QStringLiteral("sensitivityLabel"), bg, 10, text);
    m_stampBox = new QCheckBox(bg);
    m_stampBox->setObjectName(QStringLiteral("stampBox"));
    m_stampBox->setChecked(IncidentPreferences::snapshotStamp());
    connect(m_stampBox, &QCheckBox::toggled, this, [](bool on) { IncidentPreferences::setSnapshotStamp(on); });
    m_folderButton = new QPushButton(bg);
    m_folderButton->setObjectName(QStringLiteral("snapshotFolderButton"));
    m_folderButton->setMaximumWidth(150);
    connect(m_folderButton, &QPushButton::clicked, this, &IncidentTools::chooseFolder);
    m_sensitivityBox = new QComboBox(bg);
    m_sensitivityBox->setObjectName(QStringLiteral("sensitivityBox"));
    m_sensitivityBox->setMinimumWidth(120);
    connect(m_sensitivityBox, &QComboBox::activated, this, [this](int index) {
        static const char *const names[] = {"low", "normal", "high"};
        IncidentPreferences::setHarshSensitivity(QString::fromLatin1(names[std::clamp(index, 0, 2)]));
        m_events->refresh();
    });
    g->addWidget(m_stampLabel, 0, 0);
    g->addWidget(m_stampBox, 0, 1, Qt::AlignRight);
    g->addWidget(m_folderLabel, 1, 0);
    g->addWidget(m_folderButton, 1, 1, Qt::AlignRight);
    g->addWidget(m_sensitivityLabel, 2, 0);
    g->addWidget(m_sensitivityBox, 2, 1, Qt::AlignRight);
    buildDashboardSetting(g, 3);
    g->setColumnStretch(0, 1);
}

// Snapshots with the dashboard band: off, under the picture or over it.
void IncidentTools::buildDashboardSetting(QGridLayout *grid, int row)
{
    QWidget *bg = grid->parentWidget();
    m_dashboardLabel = ViewStyle::makeLabel(QStringLiteral("snapshotDashboardLabel"), bg, 10, QColor(30, 30, 30));
    m_dashboardBox = new QComboBox(bg);
    m_dashboardBox->setObjectName(QStringLiteral("snapshotDashboardBox"));
    m_dashboardBox->setMinimumWidth(120);
    connect(m_dashboardBox, &QComboBox::activated, this, [](int index) {
        Snapshot::setDashboardBand(Snapshot::DashboardBand(std::clamp(index, 0, 2)));
    });
    grid->addWidget(m_dashboardLabel, row, 0);
    grid->addWidget(m_dashboardBox, row, 1, Qt::AlignRight);
}

void IncidentTools::chooseFolder()
{
    const QString folder = QFileDialog::getExistingDirectory(m_window, L::localized("Snapshot.folder"),
                                                             IncidentPreferences::snapshotFolder());
    if (folder.isEmpty())
        return;
    IncidentPreferences::setSnapshotFolder(folder);
    retitle();
}

void IncidentTools::retitle()
{
    m_exportAction->setText(L::localized("Export.menu"));
    m_snapshot->retitle();
    m_events->retitle();
    m_settingsCaption->setText(L::localized("Incident.settings"));
    m_stampLabel->setText(L::localized("Snapshot.stamp"));
    m_folderLabel->setText(L::localized("Snapshot.folder"));
    m_sensitivityLabel->setText(L::localized("Event.sensitivity"));
    const QString folder = QDir::toNativeSeparators(IncidentPreferences::snapshotFolder());
    m_folderButton->setText(m_folderButton->fontMetrics().elidedText(folder, Qt::ElideMiddle, 120));
    m_folderButton->setToolTip(folder);
    const QString current = IncidentPreferences::harshSensitivity();
    m_sensitivityBox->clear();
    m_sensitivityBox->addItems({L::localized("Event.low"), L::localized("Event.normal"), L::localized("Event.high")});
    m_sensitivityBox->setCurrentIndex(current == QLatin1String("low") ? 0 : current == QLatin1String("high") ? 2 : 1);
    m_dashboardLabel->setText(L::localized("Snapshot.dashboard"));
    m_dashboardBox->clear();
    m_dashboardBox->addItems({L::localized("Snapshot.dashboard.off"), L::localized("Snapshot.dashboard.under"),
                              L::localized("Snapshot.dashboard.over")});
    m_dashboardBox->setCurrentIndex(int(Snapshot::dashboardBand()));
    showTrip();
}
