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

    // Shows the overlay for the recording at path, with no percent yet (the scan has not
    // reported). Answers a token for finish().
    int start(const QString &path);
    // Bytes scanned of total for the recording at path; ignored unless it is the one shown.
    // The percent never goes back.
    void setProgress(const QString &path, qint64 done, qint64 total);
    // Hides the overlay when token is the latest start: the reading of a superseded
    // selection ending must not hide the current one's.
    void finish(int token);

    bool isActive() const { return m_active; }
    QString fileName() const { return m_fileName; }
    QString path() const { return m_path; }
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
    QString m_path;
    QString m_fileName;
    int m_token = 0;
    QString m_caption;
    int m_percent = -1;
    int m_angle = 0;
    bool m_active = false;
};
