// Events of the mail check thread (message 2049) and the mail erase thread
// (message 2051). Their handling comes with the POP3 client threads.
#include "app/marrowbyform.h"

void TMarrowbyForm::WMCheckEvent(std::intptr_t, const std::vector<unsigned char>&) {}

void TMarrowbyForm::WMEraseEvent(std::intptr_t, const std::vector<unsigned char>&) {}
