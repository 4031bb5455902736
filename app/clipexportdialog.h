#pragma once
// File -> Export Clip...: which stretch (the marks, the harsh event at hand +-15 s, reaching
// into the drive's previous or next recording near an edge, the recording, its whole trip), which channels, the kind (the original packets, or the
// dashboard burned in with the chosen widgets, place, layout and unit), the evidence
// package and where the clip goes. Only says what was chosen: request() is the plain
// value the export runner takes. The choices are remembered for next time, except the
// channels and layout while the window shows several channels: those start from the window.
#include <QCheckBox>
#include <QDialog>
#include <QHash>
#include <QList>
#include <QStringList>
#include <functional>
#include <optional>

#include "app/cliprequest.h"
#include "core/mfilemodel.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

// What the dialog can offer at the moment it opens.
struct ClipExportContext {
    QString current;                  // the recording on display
    double seconds = 0;               // the picture's time in it
    double length = 0;                // its length, seconds (0: unknown)
    QStringList trip;                 // its drive in order (current alone when none)
    QList<ClipRecording> marks;       // the marked stretches; empty without a complete range
    std::optional<double> eventSecond; // the harsh event at hand
    QHash<QString, QList<MChannelFile>> channels; // further channels of each recording
    QString suggestedOutput;          // the clip's path offered first
    QString speedUnit = QStringLiteral("KMH");
    QHash<QString, double> channelOffsets; // the window's offset of each further channel
    // How the window lays out the moment's channels ("pip", "side", "grid") while it shows more
    // than one of them; empty while it shows one.
    QString windowLayout;
    // A recording's length in seconds (0: unknown), for an event near the start of one.
    std::function<double(const QString &)> lengthOf;
    // Why the original clip of a request cannot join its recordings (empty: it can).
    std::function<QString(const ClipRequest &)> joinProblem;
};

class ClipExportDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr double kEventMargin = 15.0;

    explicit ClipExportDialog(const ClipExportContext &context, QWidget *parent = nullptr);

    // The choices as a request (the output path as typed).
    ClipRequest request() const;
    // The stretches of a range choice; empty when the context cannot offer it.
    static QList<ClipRecording> recordingsFor(ClipRequest::Range range, const ClipExportContext &context);
    // Each further channel's recordings over the same stretches (see ClipRequest).
    static QList<QList<ClipRecording>> channelsFor(const QList<ClipRecording> &recordings,
                                                   const ClipExportContext &context);
    // The channel of each of those lists, in the same order.
    static QStringList channelNamesFor(const QList<ClipRecording> &recordings, const ClipExportContext &context);

    QComboBox *rangeBox() const { return m_range; }
    QComboBox *channelBox() const { return m_channels; }
    QComboBox *kindBox() const { return m_kind; }
    QComboBox *placeBox() const { return m_place; }
    QComboBox *layoutBox() const { return m_layout; }
    QComboBox *unitBox() const { return m_unit; }
    QCheckBox *evidenceBox() const { return m_evidence; }
    // What the channel choice makes of the clip: one file per channel, or one composed clip.
    QLabel *channelNote() const { return m_channelNote; }
    // The dialog started from the window's channels and layout.
    bool followsWindow() const;
    QCheckBox *widgetBox(DashboardRenderer::Widget widget) const;
    QLineEdit *outputEdit() const { return m_output; }
    // Shown while the original clip cannot join its recordings: why, and a button that
    // burns in instead (the range stays).
    QLabel *joinNote() const { return m_joinNote; }
    QPushButton *burnInInsteadButton() const { return m_burnInstead; }
    // Asks again whether the chosen original clip joins; true when it does (or is not original).
    bool checkJoin();
    // Selects the range entry; false when the dialog does not offer it.
    bool chooseRange(ClipRequest::Range range);

    // Stores the choices for the next dialog (done on accept).
    void remember() const;

private:
    void restore();
    void kindChanged();
    // The layout counts only for several channels burned in; the note says what comes out.
    void showChannelOutcome();
    void chooseOutput();
    void burnInInstead();

    ClipExportContext m_context;
    QComboBox *m_range = nullptr;
    QComboBox *m_channels = nullptr;
    QComboBox *m_kind = nullptr;
    QGroupBox *m_dashboard = nullptr;
    QList<QPair<DashboardRenderer::Widget, QCheckBox *>> m_widgets;
    QComboBox *m_place = nullptr;
    QComboBox *m_layout = nullptr;
    QLabel *m_channelNote = nullptr;
    QComboBox *m_unit = nullptr;
    QCheckBox *m_evidence = nullptr;
    QLineEdit *m_output = nullptr;
    QPushButton *m_choose = nullptr;
    QLabel *m_joinNote = nullptr;
    QPushButton *m_burnInstead = nullptr;
};
