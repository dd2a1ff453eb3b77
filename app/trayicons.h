#pragma once
// The three tray pictures, drawn at run time: idle, mail received, and
// responding to a local mail client.
#include <QIcon>

enum class TTrayPicture { Idle, Received, Responding };

QIcon MakeTrayIcon(TTrayPicture picture);

#include <string>

// Tips of the tray icon, as CP932 text.
std::string TrayIdleTip();
std::string TrayReceivedTip(int received, int deleted);
std::string TrayRespondingTip();
