#pragma once
// The three tray pictures, drawn from the program's icon (the SVG that is
// installed with it): idle, mail received, and responding to a local mail
// client. The idle picture is the window's icon too.
#include <QIcon>

enum class TTrayPicture { Idle, Received, Responding };

QIcon MakeTrayIcon(TTrayPicture picture);

#include <string>

// Tips of the tray icon, as CP932 text.
std::string TrayIdleTip();
// oversize: messages over the size limit that were deleted on the server.
std::string TrayReceivedTip(int received, int deleted, int oversize = 0);
std::string TrayRespondingTip();
