#pragma once
// The settings' time-zone section: in which zone the times of the current recording's card
// (its folder) are shown and exported. As recorded, automatic (the zone the camera's clock
// was found in) or a zone of the system's database.
#include <QObject>
#include <QString>

#include "app/settingspanel.h"

class QComboBox;

class TimeZoneSection : public QObject {
    Q_OBJECT
public:
    TimeZoneSection(const SettingsPanel::Section &section, QObject *parent = nullptr);

    // The card whose choice the box shows and changes.
    void setRecording(const QString &path);
    QComboBox *box() const { return m_box; }

private:
    void retitle();
    void showChoice();

    SettingsPanel::Section m_section;
    QLabel *m_folderLabel = nullptr;
    QComboBox *m_box = nullptr;
    QString m_folder;
};
