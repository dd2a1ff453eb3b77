#include "net/pop3signin.h"

#include "foundation/base64enc.h"
#include "foundation/md5digest.h"
#include "net/custompop3clientthread.h"
#include "net/xoauth2.h"
#include "platform/commandrun.h"

namespace {

using T = TCustomPop3ClientThread;

TSignInStep SendLine(std::string line, int state, std::string shown = {}) {
    TSignInStep step;
    step.Kind = TSignInStep::Send;
    step.Shown = shown.empty() ? line : std::move(shown);
    step.Line = std::move(line);
    step.State = state;
    return step;
}

TSignInStep Failure(std::string reason) {
    TSignInStep step;
    step.Text = std::move(reason);
    return step;
}

TSignInStep Outcome(bool ok, std::string text) {
    TSignInStep step;
    step.Kind = TSignInStep::Report;
    step.Ok = ok;
    step.Text = std::move(text);
    return step;
}

std::string_view FirstLine(std::string_view reply) {
    return reply.substr(0, reply.find_first_of("\r\n"));
}

} // namespace

TSignInPlan SignInPlanOf(const TPop3AccountItemBase& account) {
    TSignInPlan plan;
    plan.Method = account.SignIn;
    if (account.SignIn == TSignInMethod::XOAuth2 ||
        account.PasswordStore == TPasswordStore::Command)
        plan.Command = account.SecretCommand;
    plan.PasswordKept = !PasswordInFile(account);
    return plan;
}

TPop3SignIn::TPop3SignIn(TSignInPlan plan, std::string user, std::string password, bool apop)
    : FPlan(std::move(plan)), FUser(std::move(user)), FSecret(std::move(password)), FApop(apop) {}

TSignInStep TPop3SignIn::Begin(const std::string& timeStamp, bool tls, int hangupHandle) {
    const bool oauth = FPlan.Method == TSignInMethod::XOAuth2;
    // Checked before the command runs: a token is never fetched for a
    // connection it may not go over.
    if (oauth && !tls) return Failure("XOAUTH2 signs in over TLS only");
    if (oauth || !FPlan.Command.empty()) {
        platform::TCommandResult result =
            platform::RunFirstLine(FPlan.Command, FPlan.CommandTimeout, hangupHandle);
        if (!result.Ok)
            return Failure(std::string(oauth ? "The token command: " : "The password command: ") +
                           result.Error);
        FSecret = std::move(result.FirstLine);
    }
    if (oauth) {
        TSignInStep capa = SendLine("CAPA", StateCapa);
        capa.Block = true;
        return capa;
    }
    if (FApop && !timeStamp.empty()) {
        const std::string digest = TMD5Digest::Digest(timeStamp + FSecret);
        return SendLine("APOP " + FUser + " " + digest, T::StateApop,
                        FPlan.PasswordKept ? "APOP " + FUser + " ****" : std::string());
    }
    return SendLine("USER " + FUser, T::StateUser);
}

std::vector<std::string> TPop3SignIn::Secrets() const {
    if (FPlan.Method == TSignInMethod::XOAuth2)
        return {XOAuth2Response(FUser, FSecret), Base64Encode(FSecret), FSecret};
    if (FPlan.PasswordKept) return {FSecret};
    return {};
}

TSignInStep TPop3SignIn::Pass() const {
    return SendLine("PASS " + FSecret, T::StatePass,
                    FPlan.PasswordKept ? "PASS ****" : std::string());
}

TSignInStep TPop3SignIn::Refused(const std::string& reply) const {
    return Outcome(false, XOAuth2Failure(FirstLine(reply), FChallenge, FUser, FSecret));
}

// CAPA, "AUTH XOAUTH2", the response after "+", and after a failure
// challenge the empty line that asks for the final "-ERR".
TSignInStep TPop3SignIn::Reply(int state, const std::string& reply) {
    const std::string_view line = FirstLine(reply);
    const bool ok = line.starts_with("+OK"), refused = line.starts_with("-ERR");
    const bool more = line.starts_with("+") && !ok;
    switch (state) {
    case StateCapa:
        if (!ok || !CapaOffersSasl(reply, "XOAUTH2"))
            return Failure("The server does not offer SASL XOAUTH2 (CAPA)");
        return SendLine("AUTH XOAUTH2", StateAuth);
    case StateAuth:
        if (more) return SendLine(XOAuth2Response(FUser, FSecret), StateResponse, "****");
        if (refused) return Refused(reply);
        break;
    case StateResponse:
        if (ok) return Outcome(true, std::string(line));
        if (refused) return Refused(reply);
        if (more) {
            FChallenge = XOAuth2Challenge(line);
            return SendLine("", StateCancel);
        }
        break;
    case StateCancel:
        return Refused(reply);
    default:
        break;
    }
    return Failure("Not a reply to the XOAUTH2 sign-in: " +
                   XOAuth2Failure(line, std::nullopt, FUser, FSecret));
}
