#include "core/mtool.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "track/trackdecoder.h"

int MTool::showAlert(const QString &title, const QString &content, const QStringList &buttonTitles,
                     QWidget *parent)
{
    if (!parent)
        parent = QApplication::activeWindow();
    QMessageBox box(parent);
    box.setIcon(QMessageBox::Warning);
    // Texts may come from outside (a file's name, a feed's notes): always plain text,
    // so markup is shown, never run, and no link in them can be followed.
    box.setTextFormat(Qt::PlainText);
    box.setText(title);
    box.setInformativeText(content);
    if (auto *informative = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel"))) {
        informative->setTextFormat(Qt::PlainText);
        informative->setOpenExternalLinks(false);
    }
    box.setWindowTitle(currentBundleName());

    QStringList titles = buttonTitles;
    if (titles.isEmpty())
        titles << QStringLiteral("OK");
    QList<QAbstractButton *> buttons;
    for (const QString &t : titles) {
        // AcceptRole for the first keeps Return on it; the rest stay ordinary buttons so
        // that Qt does not reorder them by role.
        auto role = buttons.isEmpty() ? QMessageBox::AcceptRole : QMessageBox::ActionRole;
        buttons << box.addButton(t, role);
    }
    box.setDefaultButton(qobject_cast<QPushButton *>(buttons.first()));
    box.setEscapeButton(buttons.last());
    box.exec();

    const int index = buttons.indexOf(box.clickedButton());
    return kFirstButtonReturn + (index < 0 ? int(buttons.size()) - 1 : index);
}

QString MTool::currentVersion()
{
    return QStringLiteral("v%1").arg(QCoreApplication::applicationVersion());
}

QString MTool::currentBundleName()
{
    // Qt answers the executable's file name when no name was set; that is not a name
    // the program gave itself, so it gets the fallback too.
    const QString name = QCoreApplication::applicationName();
    const QString exe = QCoreApplication::instance()
        ? QFileInfo(QCoreApplication::applicationFilePath()).fileName() : QString();
    if (name.isEmpty() || name == exe)
        return QStringLiteral("TRAVA PLAYER");
    return name;
}

Track MTool::decodeGpsData(const QStringList &lines)
{
    std::vector<std::string> text;
    text.reserve(size_t(lines.size()));
    for (const QString &line : lines)
        text.push_back(line.toStdString());
    return ::decodeGpsData(text);
}
