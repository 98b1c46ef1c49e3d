#include "platform/Crypto.h"

#include <windows.h>

#include <aclapi.h>
#include <bcrypt.h>
#include <sddl.h>

#include <vector>

namespace qz {
namespace {

std::string SystemText(DWORD code) {
    char* text = nullptr;
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                            FORMAT_MESSAGE_IGNORE_INSERTS,
                                        nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = length ? std::string(text, length) : "error " + std::to_string(code);
    LocalFree(text);
    while (!result.empty() && (result.back() == '\n' || result.back() == '\r' || result.back() == ' '))
        result.pop_back();
    return result;
}

bool IsSid(PSID sid, WELL_KNOWN_SID_TYPE type) {
    BYTE known[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof known;
    return CreateWellKnownSid(type, nullptr, known, &size) && EqualSid(sid, known);
}

// True when the DACL lets Everyone, Users or Authenticated Users read or change the file. No DACL
// at all lets everybody in.
bool OpenToAll(HANDLE file) {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(file, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                        &descriptor) != ERROR_SUCCESS)
        return true;
    bool open = dacl == nullptr;
    constexpr ACCESS_MASK kReadOrChange = FILE_READ_DATA | FILE_WRITE_DATA | FILE_APPEND_DATA | GENERIC_READ |
                                          GENERIC_WRITE | GENERIC_ALL | WRITE_DAC | WRITE_OWNER;
    for (DWORD i = 0; dacl && i < dacl->AceCount && !open; ++i) {
        void* entry = nullptr;
        if (!GetAce(dacl, i, &entry)) continue;
        const auto* header = static_cast<const ACE_HEADER*>(entry);
        if (header->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(entry);
        PSID sid = &allowed->SidStart;
        open = (allowed->Mask & kReadOrChange) != 0 &&
               (IsSid(sid, WinWorldSid) || IsSid(sid, WinBuiltinUsersSid) ||
                IsSid(sid, WinAuthenticatedUserSid));
    }
    LocalFree(descriptor);
    return open;
}

} // namespace

std::optional<Sha256Digest> HmacSha256(std::string_view key, std::string_view message) {
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr,
                                                    BCRYPT_ALG_HANDLE_HMAC_FLAG)))
        return std::nullopt;
    std::vector<UCHAR> secret(key.begin(), key.end());
    BCRYPT_HASH_HANDLE hash = nullptr;
    Sha256Digest digest{};
    bool done = BCRYPT_SUCCESS(
        BCryptCreateHash(algorithm, &hash, nullptr, 0, secret.data(), static_cast<ULONG>(secret.size()), 0));
    std::vector<UCHAR> data(message.begin(), message.end());
    done = done && BCRYPT_SUCCESS(BCryptHashData(hash, data.data(), static_cast<ULONG>(data.size()), 0)) &&
           BCRYPT_SUCCESS(BCryptFinishHash(hash, digest.data(), static_cast<ULONG>(digest.size()), 0));
    if (hash) BCryptDestroyHash(hash);
    BCryptCloseAlgorithmProvider(algorithm, 0);
    SecureZeroMemory(secret.data(), secret.size());
    if (!done) return std::nullopt;
    return digest;
}

std::optional<std::string> RandomBytes(size_t count) {
    std::string bytes(count, '\0');
    if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(bytes.data()),
                                        static_cast<ULONG>(count), BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
        return std::nullopt;
    return bytes;
}

SecretFile ReadSecretFile(const std::filesystem::path& path, size_t maxBytes) {
    SecretFile file;
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | READ_CONTROL, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        file.fault = missing ? SecretFile::Fault::Missing : SecretFile::Fault::Unreadable;
        file.reason = SystemText(error);
        return file;
    }
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        file.fault = SecretFile::Fault::Unreadable;
        file.reason = "not a regular file";
    } else if (OpenToAll(handle)) {
        file.fault = SecretFile::Fault::OpenToAll;
    } else {
        file.bytes.resize(maxBytes + 1);
        DWORD got = 0;
        if (!ReadFile(handle, file.bytes.data(), static_cast<DWORD>(file.bytes.size()), &got, nullptr)) {
            file.fault = SecretFile::Fault::Unreadable;
            file.reason = SystemText(GetLastError());
            got = 0;
        }
        file.bytes.resize(got);
    }
    CloseHandle(handle);
    return file;
}

std::optional<std::string> WriteSecretFile(const std::filesystem::path& path, std::string_view bytes) {
    // A protected DACL with one entry: full access for the current user, nothing inherited.
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return SystemText(GetLastError());
    std::vector<BYTE> user(256);
    DWORD size = static_cast<DWORD>(user.size());
    const bool known = GetTokenInformation(token, TokenUser, user.data(), size, &size);
    CloseHandle(token);
    if (!known) return SystemText(GetLastError());
    PSID owner = reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
    std::vector<BYTE> aclBuffer(sizeof(ACL) + sizeof(ACCESS_ALLOWED_ACE) + GetLengthSid(owner));
    auto* acl = reinterpret_cast<PACL>(aclBuffer.data());
    SECURITY_DESCRIPTOR descriptor{};
    if (!InitializeAcl(acl, static_cast<DWORD>(aclBuffer.size()), ACL_REVISION) ||
        !AddAccessAllowedAce(acl, ACL_REVISION, GENERIC_ALL, owner) ||
        !InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, acl, FALSE) ||
        !SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED))
        return SystemText(GetLastError());
    SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
    HANDLE handle =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, &attributes, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return SystemText(GetLastError());
    DWORD written = 0;
    const bool ok = WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                    written == bytes.size() && FlushFileBuffers(handle);
    const DWORD error = GetLastError();
    CloseHandle(handle);
    if (ok) return std::nullopt;
    DeleteFileW(path.c_str());
    return SystemText(error);
}

} // namespace qz
