#pragma once
// A secret store in memory for the window's tests: it answers on the next
// turn of the event loop, as the desktop's service does, and can play a
// desktop without a service or a store that never answers.
#include <QTimer>
#include <map>
#include <vector>

#include "store/secretstore.h"

class TFakeSecretStore : public TSecretStore {
public:
    std::map<std::string, std::string> Secrets;
    bool Service = true;
    bool Answers = true;           // false: reads stay unanswered, as a locked store
    std::vector<TDone> Unanswered; // whose question nobody answers

    bool Available() override { return Service; }
    void Read(const std::string& key, TDone done) override {
        if (!Answers) return Unanswered.push_back(done);
        auto found = Secrets.find(key);
        if (!Service) return Later(done, {TStatus::Unavailable, {}, "no secret service"});
        if (found == Secrets.end()) return Later(done, {TStatus::NotFound, {}, {}});
        Later(done, {TStatus::Ok, found->second, {}});
    }
    void Write(const std::string& key, const std::string& secret, TDone done) override {
        if (!Service) return Later(done, {TStatus::Unavailable, {}, "no secret service"});
        Secrets[key] = secret;
        Later(done, {TStatus::Ok, {}, {}});
    }
    void Remove(const std::string& key, TDone done) override {
        if (!Service) return Later(done, {TStatus::Unavailable, {}, "no secret service"});
        Secrets.erase(key);
        Later(done, {TStatus::Ok, {}, {}});
    }

private:
    static void Later(TDone done, TResult result) {
        QTimer::singleShot(0, [done, result] { done(result); });
    }
};
