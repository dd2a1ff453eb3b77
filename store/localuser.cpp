#include "store/localuser.h"

#include "store/pop3accountlist.h"

namespace {

constexpr std::string_view kUserHostSeparator = "%tarn%";
constexpr std::string_view kNameSeparator = "%%";

int FindByUserAndHost(const TPop3AccountList& list, std::string_view user, std::string_view host) {
    for (int i = 0; i < list.GetCount(); ++i) {
        const TPop3AccountItem* account = list.GetAccounts(i);
        if (account->Host == host && account->UserID == user) return i;
    }
    return -1;
}

} // namespace

int FindAccountByLocalUser(const TPop3AccountList& list, std::string_view name) {
    if (std::size_t p = name.find(kUserHostSeparator); p != std::string_view::npos && p > 0) {
        int found =
            FindByUserAndHost(list, name.substr(0, p), name.substr(p + kUserHostSeparator.size()));
        if (found >= 0) return found;
    }
    std::size_t q = name.find(kNameSeparator);
    return list.IndexOf(q == std::string_view::npos ? name
                                                    : name.substr(q + kNameSeparator.size()));
}
