#pragma once
// The pictures of the account dialog's four reorder buttons (ImageListToolbar),
// drawn for the project: an arrow up or down, and with a bar for the top
// and the bottom. Each icon holds pixmaps from 16 to 64 pixels, so it is
// sharp at 1x and 2x scale.
#include <QIcon>

enum class TReorderPicture { Up, Down, Top, Bottom };

QIcon ReorderIcon(TReorderPicture picture);
