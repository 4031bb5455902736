#pragma once
// File -> Connect to Camera…: asks for the camera's address (the last one used first, then
// the two addresses cameras commonly give themselves on their own Wi-Fi) and opens the
// camera's panel, whose rows play in the main window.
#include <QStringList>
#include <functional>

struct CameraEntry;

class MainMenu;
class OvraPlayVC;
class CameraPanel;
class QWidget;

inline constexpr char kCameraAddress[] = "kCameraAddress"; // the last camera address connected to

// The addresses offered: the remembered one first, then the common defaults.
QStringList cameraAddressChoices();
void rememberCameraAddress(const QString &address);

// The kind of a camera's file by the card's naming rules, for "Download All Events/Locked".
std::function<QString(const CameraEntry &)> cameraKindRule();

// Adds the menu item (last in the File menu) and wires the panel to vc's list.
void wireCameraMenu(MainMenu *menu, OvraPlayVC *vc);
// The panel of window (created on first use), for the menu and for tests.
CameraPanel *cameraPanel(QWidget *window, OvraPlayVC *vc);
