#include "app/LinkKey.h"

#include <ostream>

#include "app/ProgramEnd.h"
#include "link/LinkProof.h"
#include "platform/Crypto.h"

namespace qz {
namespace {

constexpr size_t kNewKeyBytes = 32;
constexpr size_t kMaxKeyBytes = 1024; // a bound, so that a device in its place cannot eat memory

#ifdef _WIN32
constexpr const char* kOwnerOnly =
    "Let only its owner read it (remove Everyone and Users from its permissions).";
#else
constexpr const char* kOwnerOnly = "Let only its owner read it: chmod 600 Data/Quenzel.key";
#endif

} // namespace

void LoadLinkKey(Program& p) {
    const std::filesystem::path path = p.svc.files.Resolve(kLinkKeyFile);
    SecretFile file = ReadSecretFile(path, kMaxKeyBytes);
    const std::string name = path.string();
    std::string problem;
    switch (file.fault) {
    case SecretFile::Fault::Missing:
        p.link.key.reset();
        return;
    case SecretFile::Fault::Unreadable:
        problem = "Unable to read the key file " + name + ":\r\n" + file.reason + ".";
        break;
    case SecretFile::Fault::OpenToAll:
        problem = "The key file " + name + "\r\nmay be read or changed by other users.\r\n" + kOwnerOnly;
        break;
    case SecretFile::Fault::None:
        if (file.bytes.size() < kMinKeyBytes)
            problem = "The key file " + name + " is too short:\r\nit holds " +
                      std::to_string(file.bytes.size()) + " bytes, a key needs at least " +
                      std::to_string(kMinKeyBytes) + ".\r\nMake a new one with: quenzeld --new-key";
        else if (file.bytes.size() > kMaxKeyBytes)
            problem = "The key file " + name + " is too long:\r\na key has at most " +
                      std::to_string(kMaxKeyBytes) + " bytes.";
        else {
            p.link.key = std::move(file.bytes);
            return;
        }
        break;
    }
    EndWithFault(p, {MsgIcon::Critical, "Key File Error", problem + "\r\nThe program will now terminate."});
}

int WriteNewLinkKey(const FileSys& files, std::ostream& out, std::ostream& err) {
    const std::filesystem::path path = files.Resolve(kLinkKeyFile);
    if (files.FileExists(kLinkKeyFile)) {
        err << "quenzeld: " << path.string() << " exists already; remove it first to make a new key.\n";
        return 1;
    }
    const std::optional<std::string> key = RandomBytes(kNewKeyBytes);
    if (!key) {
        err << "quenzeld: the system's random source failed; no key was written.\n";
        return 1;
    }
    if (const std::optional<std::string> error = WriteSecretFile(path, *key)) {
        err << "quenzeld: cannot write " << path.string() << ": " << *error << "\n";
        return 1;
    }
    out << "Wrote a new link key to " << path.string() << ", readable by you only.\n"
        << "Pair the other station: copy this file to Data/Quenzel.key in its working folder over a\n"
        << "private channel, readable by its owner only, for example\n"
        << "  scp -p Data/Quenzel.key user@peer:/path/to/folder/Data/Quenzel.key\n"
        << "(on Windows: Data\\Quenzel.key, without Everyone or Users in its permissions).\n"
        << "Then restart both stations. A keyed slave ignores a main station without this key.\n";
    out.flush();
    return out ? 0 : 1;
}

} // namespace qz
