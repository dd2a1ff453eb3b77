// Requests of the local server threads (message 2053). Their handling comes
// with the local POP3 server.
#include "app/marrowbyform.h"

void TMarrowbyForm::WMServerRequest(std::intptr_t, const std::vector<unsigned char>&) {}
