#include "testcertificates.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <memory>
#include <spawn.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

const char* const OpenSsl = "/usr/bin/openssl";
const char* const LocalNames = "subjectAltName=DNS:localhost,IP:127.0.0.1";

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class TMaker {
public:
    explicit TMaker(std::string folder) : FFolder(std::move(folder)) {}

    // openssl with the arguments, in the folder; its output goes to openssl.log.
    void Run(std::vector<std::string> args) const {
        args.insert(args.begin(), OpenSsl);
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        std::string log = FFolder + "/openssl.log";
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0600);
        posix_spawn_file_actions_adddup2(&actions, 1, 2);
        pid_t pid = -1;
        int rc = posix_spawn(&pid, OpenSsl, &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        int status = 0;
        if (rc != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0)
            throw std::runtime_error("openssl " + args[1] + " failed:\n" + ReadText(log));
    }

    std::string Path(const std::string& name) const { return FFolder + "/" + name; }

    // A self-signed certificate with a new key; a CA unless names are given.
    TTestCertificate SelfSigned(const std::string& name, const std::string& subject,
                                const std::string& names = {}) const {
        TTestCertificate c{Path(name + ".pem"), Path(name + ".key"), {}};
        std::vector<std::string> args{
            "req",    "-x509",   "-newkey", "ec",   "-pkeyopt", "ec_paramgen_curve:P-256",
            "-nodes", "-keyout", c.Key,     "-out", c.Cert,     "-days",
            "3650",   "-subj",   subject};
        if (!names.empty()) args.insert(args.end(), {"-addext", names});
        Run(args);
        c.Fingerprint = Fingerprint(c.Cert);
        return c;
    }

    // A certificate from the CA for the names, valid from start to end
    // (openssl ca dates) or for ten years from now.
    TTestCertificate Issued(const std::string& name, const TTestCertificate& ca,
                            const std::string& names, const std::string& start = {},
                            const std::string& end = {}) const {
        TTestCertificate c{Path(name + ".pem"), Path(name + ".key"), {}};
        const std::string request = Path(name + ".csr"), extensions = Path(name + ".ext");
        WriteText(extensions, names + "\n");
        Run({"req", "-new", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:P-256", "-nodes",
             "-keyout", c.Key, "-out", request, "-subj", "/CN=" + Host(names)});
        if (start.empty()) {
            Run({"x509", "-req", "-in", request, "-CA", ca.Cert, "-CAkey", ca.Key,
                 "-CAcreateserial", "-out", c.Cert, "-days", "3650", "-extfile", extensions});
        } else {
            WriteCaConfig();
            Run({"ca", "-batch", "-config", Path("ca.cnf"), "-cert", ca.Cert, "-keyfile", ca.Key,
                 "-in", request, "-out", c.Cert, "-startdate", start, "-enddate", end, "-extfile",
                 extensions, "-notext"});
        }
        c.Fingerprint = Fingerprint(c.Cert);
        return c;
    }

private:
    // The first DNS name of a subjectAltName line.
    static std::string Host(const std::string& names) {
        std::size_t from = names.find("DNS:") + 4;
        return names.substr(from, names.find(',', from) - from);
    }

    std::string Fingerprint(const std::string& cert) const {
        const std::string out = Path("fingerprint.txt");
        Run({"x509", "-in", cert, "-noout", "-fingerprint", "-sha256", "-out", out});
        std::string text = ReadText(out);
        std::size_t equals = text.find('=');
        if (equals == std::string::npos) throw std::runtime_error("no fingerprint: " + text);
        text = text.substr(equals + 1);
        return text.substr(0, text.find_first_of("\r\n"));
    }

    // What `openssl ca` needs to sign with explicit dates.
    void WriteCaConfig() const {
        WriteText(Path("index.txt"), "");
        WriteText(Path("serial"), "01\n");
        WriteText(Path("ca.cnf"),
                  "[ca]\ndefault_ca = test\n[test]\ndatabase = " + Path("index.txt") +
                      "\nnew_certs_dir = " + FFolder + "\nserial = " + Path("serial") +
                      "\ndefault_md = sha256\npolicy = any\n"
                      "unique_subject = no\n[any]\ncommonName = supplied\n");
    }

    std::string FFolder;
};

} // namespace

bool TTestCertificates::Available() {
    return access(OpenSsl, X_OK) == 0;
}

const TTestCertificates& TTestCertificates::Get() {
    static const TTestCertificates certificates;
    return certificates;
}

TTestCertificates::TTestCertificates() {
    std::string pattern = (fs::temp_directory_path() / "marrowby-certs-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
    Folder = pattern;
    TMaker make(Folder);
    TTestCertificate ca = make.SelfSigned("ca", "/CN=Marrowby Test CA");
    TTestCertificate stranger = make.SelfSigned("stranger-ca", "/CN=Unknown Test CA");
    TrustFile = ca.Cert;
    Server = make.Issued("server", ca, LocalNames);
    OtherHost = make.Issued("otherhost", ca, "subjectAltName=DNS:mail.example.org");
    Expired = make.Issued("expired", ca, LocalNames, "20200101000000Z", "20200201000000Z");
    UnknownIssuer = make.Issued("unknown", stranger, LocalNames);
    SelfSigned = make.SelfSigned("selfsigned", "/CN=localhost", LocalNames);
}

TTestCertificates::~TTestCertificates() {
    std::error_code ignored;
    fs::remove_all(Folder, ignored);
}
