#pragma once
// File -> Connect to Camera…: asks for the camera's address (the last one used first, then
// the two addresses cameras commonly give themselves on their own Wi-Fi) and lists the
// camera's recordings in the main window's media list as their own source.
#include <QStringList>

class MainMenu;
class OvraPlayVC;
class CameraSource;

inline constexpr char kCameraAddress[] = "kCameraAddress"; // the last camera address connected to

// The addresses offered: the remembered one first, then the common defaults.
QStringList cameraAddressChoices();
void rememberCameraAddress(const QString &address);

// Adds the menu item (last in the File menu).
void wireCameraMenu(MainMenu *menu, OvraPlayVC *vc);
// The camera source of vc's media list (created on first use), for the menu and for tests.
CameraSource *cameraSource(OvraPlayVC *vc);
