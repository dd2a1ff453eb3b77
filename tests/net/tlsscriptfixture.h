#pragma once
// The base of the client sessions' tests against a scripted server over TLS:
// skipped where the openssl command that makes the test certificates is
// missing; the worker threads are stopped after each test.
#include <gtest/gtest.h>

#include "platform/messages.h"
#include "platform/testcertificates.h"
#include "platform/thread.h"
#include "platform/tls.h"

class TlsScriptTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TTestCertificates::Available()) GTEST_SKIP() << "no openssl command";
    }
    void TearDown() override { platform::StopWorkerThreads(); }

    // A client's options that trust the test set's server under the name localhost.
    static platform::TTlsOptions TrustingOptions() {
        platform::TTlsOptions options;
        options.ServerName = "localhost";
        options.TrustFile = TTestCertificates::Get().TrustFile;
        return options;
    }

    platform::TQueueWindow Window;
};
