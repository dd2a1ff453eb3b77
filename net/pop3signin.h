#pragma once
// How a POP3 client session signs in after the greeting: USER/PASS or APOP
// with a password, or SASL XOAUTH2 with an OAuth 2.0 access token. A password
// or token may come from a command the user names, run at every session.
// TPop3SignIn only chooses the lines to send and reads the replies; the
// session thread sends, receives and posts the outcome to the window.
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "store/pop3accountitem.h"

// What the session is given to sign in with, besides user and password.
struct TSignInPlan {
    static constexpr std::chrono::milliseconds DefaultCommandTimeout{30 * 1000};

    TSignInMethod Method = TSignInMethod::Password;
    // Prints the token (XOAUTH2) or the password; empty: the password given.
    std::string Command;
    // The password is kept out of "accounts.dat": no log shows it either.
    bool PasswordKept = false;
    std::chrono::milliseconds CommandTimeout = DefaultCommandTimeout;
};

// The plan of an account: its method, its command, where its password lives.
TSignInPlan SignInPlanOf(const TPop3AccountItemBase& account);

// One step of the sign-in.
struct TSignInStep {
    enum TKind { Send, Report, Fail };
    TKind Kind = Fail;
    std::string Line;   // Send: the line to send
    std::string Shown;  // Send: the line as the session log shows it
    int State = 0;      // Send: the state of the awaited reply
    bool Block = false; // Send: the reply is a multi-line one
    bool Ok = false;    // Report: signed in
    std::string Text;   // Report: the reply for the log, without the token; Fail: why
};

class TPop3SignIn {
public:
    // The states of the XOAUTH2 exchange: its replies stay in the session
    // (Handles), and its outcome reaches the window as one event, EventAuth.
    enum : int {
        StateCapa = 300,
        EventAuth = 301,
        StateAuth = 302,
        StateResponse = 303,
        StateCancel = 304
    };

    TPop3SignIn(TSignInPlan plan, std::string user, std::string password, bool apop);

    // After the greeting (timeStamp: its APOP stamp or empty; tls: the
    // connection is encrypted, XOAUTH2 goes over nothing else): runs the
    // command if there is one (killed at its time-out, or when hangupHandle
    // sees the connection end) and gives the first line to send.
    TSignInStep Begin(const std::string& timeStamp, bool tls, int hangupHandle);
    // After USER was accepted.
    TSignInStep Pass() const;
    // What no log may show: the token, its response and its base64, or a
    // password kept out of the file; empty for a password of the file.
    std::vector<std::string> Secrets() const;
    bool Handles(int state) const { return state >= StateCapa && state <= StateCancel; }
    // The reply (a whole block after CAPA) to the line sent in state.
    TSignInStep Reply(int state, const std::string& reply);

private:
    TSignInStep Refused(const std::string& reply) const;

    TSignInPlan FPlan;
    std::string FUser;
    std::string FSecret; // the password or the token
    bool FApop;
    std::optional<std::string> FChallenge;
};
