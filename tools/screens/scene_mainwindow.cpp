// The main window as it first opens on an empty program folder.
#include "app/marrowbyform.h"
#include "tools/screens/screens.h"

MARROWBY_SCENE(mainwindow) {
    TMarrowbyForm form(TAppOptions{context.Folder, 0, false});
    form.resize(1000, 700);
    context.Save(form, "mainwindow.png");
}
