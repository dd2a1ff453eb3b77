// The message list shows the inboxes (mode 1) or the trash (mode 2).
#include <QTreeWidget>

#include "app/marrowbyform.h"

void TMarrowbyForm::ShowMailbox(int mode) {
    FListMode = static_cast<std::uint8_t>(mode);
    LVMessages->clear();
}

void TMarrowbyForm::ButtonRecvFolderClick() {
    ShowMailbox(1);
}

void TMarrowbyForm::ButtonDustFolderClick() {
    ShowMailbox(2);
}
