#pragma once
// Certificates for the TLS tests, made with the openssl command line in a
// temporary folder the first time a test asks for them, and removed when the
// test program ends: a test CA that the tests trust, and server certificates
// good and bad. Elliptic-curve keys (P-256), quick to make.
#include <string>

struct TTestCertificate {
    std::string Cert; // PEM file
    std::string Key;  // PEM file, no pass phrase
    // SHA-256, as `openssl x509 -fingerprint -sha256` prints it.
    std::string Fingerprint;
};

struct TTestCertificates {
    static bool Available(); // the openssl command is there
    // The set of this test program; throws std::runtime_error when openssl fails.
    static const TTestCertificates& Get();

    std::string Folder;
    std::string TrustFile;          // the test CA's certificate
    TTestCertificate Server;        // localhost and 127.0.0.1, from the test CA
    TTestCertificate OtherHost;     // mail.example.org, from the test CA
    TTestCertificate Expired;       // localhost and 127.0.0.1, valid in January 2020 only
    TTestCertificate UnknownIssuer; // localhost and 127.0.0.1, from a CA nobody trusts
    TTestCertificate SelfSigned;    // localhost and 127.0.0.1, signed by itself

    TTestCertificates();
    ~TTestCertificates();
    TTestCertificates(const TTestCertificates&) = delete;
    TTestCertificates& operator=(const TTestCertificates&) = delete;
};
