// The filter and account dialogs, shown modally from the settings page.
// While one is open the timer starts no cycle.
#include "app/marrowbyform.h"
#include "ui/marrowaccountform.h"
#include "ui/marrowfilterform.h"

void TMarrowbyForm::ButtonFilterClick() {
    if (!FFilterForm) return;
    FDialogOpen = true;
    if (FFilterForm->exec() == TMarrowFilterForm::ResultOK) LoadFilters();
    FDialogOpen = false;
}

void TMarrowbyForm::ButtonAccountClick() {
    if (!FAccountForm || FCheckIndex < AccountCount()) return; // a cycle is running
    FDialogOpen = true;
    SaveAccounts();
    FAccountForm->exec();
    LoadAccounts();
    FCheckIndex = AccountCount();
    FDialogOpen = false;
    ShowMailbox(1);
}
