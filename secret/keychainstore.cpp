#include "secret/keychainstore.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QEventLoop>
#include <QTimer>
#include <memory>
#include <optional>
#include <qt6keychain/keychain.h>

#include "platform/text.h"

namespace {

using TStatus = TSecretStore::TStatus;

// The bus names of the services QtKeychain uses on Linux.
const char* const kServiceNames[] = {"org.freedesktop.secrets", "org.kde.kwalletd5",
                                     "org.kde.kwalletd6"};

QString Text(const std::string& cp932) {
    return QString::fromStdString(platform::Cp932ToUtf8(cp932));
}

TSecretStore::TResult ResultOf(const QKeychain::Job& job) {
    switch (job.error()) {
    case QKeychain::NoError:
        return {TStatus::Ok, {}, {}};
    case QKeychain::EntryNotFound:
        return {TStatus::NotFound, {}, {}};
    case QKeychain::NoBackendAvailable:
        return {TStatus::Unavailable, {}, platform::Utf8ToCp932(job.errorString().toStdString())};
    default:
        return {TStatus::Failed, {}, platform::Utf8ToCp932(job.errorString().toStdString())};
    }
}

// Answers later, as a job would, when no service is there to ask.
bool RefuseWithoutService(TSecretStore& store, const TSecretStore::TDone& done) {
    if (store.Available()) return false;
    QTimer::singleShot(0, [done] {
        done({TStatus::Unavailable, {}, "no secret service on the session bus"});
    });
    return true;
}

// Starts the job; it deletes itself after it has answered.
template <class TJob>
void Start(TJob* job, const std::string& key,
           std::function<void(const TJob&, TSecretStore::TResult&)> complete,
           TSecretStore::TDone done) {
    job->setAutoDelete(true);
    job->setKey(Text(key));
    QObject::connect(job, &QKeychain::Job::finished, [job, complete, done](QKeychain::Job*) {
        TSecretStore::TResult result = ResultOf(*job);
        if (complete) complete(*job, result);
        done(result);
    });
    job->start();
}

} // namespace

bool TKeychainStore::Available() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()) return false;
    const QStringList activatable = bus.interface()->activatableServiceNames().value();
    for (const char* name : kServiceNames)
        if (bus.interface()->isServiceRegistered(name).value() || activatable.contains(name))
            return true;
    return false;
}

void TKeychainStore::Read(const std::string& key, TDone done) {
    if (RefuseWithoutService(*this, done)) return;
    Start<QKeychain::ReadPasswordJob>(
        new QKeychain::ReadPasswordJob(ServiceName), key,
        [](const QKeychain::ReadPasswordJob& job, TResult& result) {
            if (result.Status == TStatus::Ok)
                result.Secret = platform::Utf8ToCp932(job.textData().toStdString());
        },
        std::move(done));
}

void TKeychainStore::Write(const std::string& key, const std::string& secret, TDone done) {
    if (RefuseWithoutService(*this, done)) return;
    auto* job = new QKeychain::WritePasswordJob(ServiceName);
    job->setTextData(Text(secret));
    Start<QKeychain::WritePasswordJob>(job, key, {}, std::move(done));
}

void TKeychainStore::Remove(const std::string& key, TDone done) {
    if (RefuseWithoutService(*this, done)) return;
    Start<QKeychain::DeletePasswordJob>(
        new QKeychain::DeletePasswordJob(ServiceName), key,
        [](const QKeychain::DeletePasswordJob&, TResult& result) {
            if (result.Status == TStatus::NotFound) result.Status = TStatus::Ok;
        },
        std::move(done));
}

TSecretStore::TResult
WaitForSecretStore(const std::function<void(TSecretStore::TDone done)>& call) {
    std::unique_ptr<QCoreApplication> application;
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "marrowby-tool";
        static char* argv[] = {name, nullptr};
        application = std::make_unique<QCoreApplication>(argc, argv);
    }
    QEventLoop loop;
    std::optional<TSecretStore::TResult> answer;
    call([&](const TSecretStore::TResult& result) {
        answer = result;
        loop.quit();
    });
    if (!answer) loop.exec();
    return *answer;
}
