// Requests of the local server threads (message 2053): the window answers
// them one at a time on its own data, with the tray showing a session at
// work; an entry that QUIT removes loses its row in the inbox list first.
// No login is admitted while the account dialog is open.
#include "app/marrowbyform.h"
#include "app/messagelistmodel.h"
#include "net/interthreadmessenger.h"
#include "net/pop3serverrequest.h"
#include "net/pop3serverthread.h"
#include "ui/widgettext.h"

void TMarrowbyForm::WMServerRequest(std::intptr_t code, const std::vector<unsigned char>& data) {
    platform::TMessage message{WM_SERVERREQUEST, code, data};
    TInterThreadMessenger messenger(WM_SERVERREQUEST, TPop3ServerThread::WM_SERVERREPLY, message,
                                    Handle(), true);
    // The account dialog replaces the records when it closes: a lock taken
    // now would be lost, and the account renamed or deleted under the session.
    if (AccountDialogOpen() &&
        (code == TPop3ServerThread::rqPass || code == TPop3ServerThread::rqApop)) {
        LogAppend(Sjis("ｱｶｳﾝﾄ登録の間はﾒｰﾙｿﾌﾄのﾛｸﾞｲﾝを断ります"));
        messenger.SendText(code, false, {});
        return;
    }
    TPop3ServerRequests requests(*Pop3AccountList1);
    requests.OnResponding = [this] { TraySetResponding(); };
    requests.OnIdle = [this] { TraySetIdle(); };
    requests.OnRemove = [this](TMBXItem& entry) {
        if (FListMode != 1) return;
        if (int row = MessageList()->RowOf(&entry); row >= 0) MessageList()->Remove(row);
    };
    requests.OnSaveError = [this](const std::string& error) { LogAppend(error); };
    auto reply = requests.Handle(static_cast<int>(code), messenger.GetFlag(), messenger.GetText(),
                                 {FDenyRemote, FServerLog, FServerLogFolder});
    if (reply.Send) messenger.SendText(code, reply.Flag, reply.Text);
}
