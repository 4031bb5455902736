#pragma once
// Laid over the video area while a recording's telemetry is read (a large transport stream
// from a card takes seconds before it can play): a turning arc, the percent done and the
// file name. Follows its parent's size; transparent for the mouse, so drops still reach the
// video area beneath.
#include <QString>
#include <QTimer>
#include <QWidget>

class ExtractionProgressView : public QWidget {
    Q_OBJECT
public:
    explicit ExtractionProgressView(QWidget *parent);

    // Shows the overlay for fileName with no percent yet (the scan has not reported).
    void start(const QString &fileName);
    // Bytes scanned of total; ignored unless shown. The percent never goes back.
    void setProgress(qint64 done, qint64 total);
    // Hides the overlay (the track arrived, or the selection went away).
    void finish();

    bool isActive() const { return m_active; }
    QString fileName() const { return m_fileName; }
    // -1 until the first report.
    int percent() const { return m_percent; }
    // The caption above the name, in the current language.
    void setCaption(const QString &caption);

protected:
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void followParent();

    QTimer m_spin;
    QString m_fileName;
    QString m_caption;
    int m_percent = -1;
    int m_angle = 0;
    bool m_active = false;
};
