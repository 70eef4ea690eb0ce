#include "app/win32/InstallerTrust.h"

// wintrust.h needs the types of windows.h and wincrypt.h.
// clang-format off
#include <wincrypt.h>
#include <wintrust.h>
// clang-format on

#include <cctype>
#include <vector>

#include "kelvora_config.h"
#include "platform/SystemDlls.h"

namespace {

// WINTRUST_ACTION_GENERIC_VERIFY_V2, spelled out so no GUID library is linked.
GUID kGenericVerifyV2 = {0xaac56b, 0xcd44, 0x11d0, {0x8c, 0xc2, 0x00, 0xc0, 0x4f, 0xc2, 0x95, 0xee}};

using WinVerifyTrustFn = LONG(WINAPI*)(HWND, GUID*, LPVOID);
using ProvDataFromStateFn = CRYPT_PROVIDER_DATA*(WINAPI*)(HANDLE);
using SignerFromChainFn = CRYPT_PROVIDER_SGNR*(WINAPI*)(CRYPT_PROVIDER_DATA*, DWORD, BOOL, DWORD);
using EncodeObjectExFn = BOOL(WINAPI*)(DWORD, LPCSTR, const void*, DWORD, PCRYPT_ENCODE_PARA, void*, DWORD*);
using HashCertificate2Fn = BOOL(WINAPI*)(LPCWSTR, DWORD, void*, const BYTE*, DWORD, BYTE*, DWORD*);

struct TrustLibraries {
    WinVerifyTrustFn m_verify = nullptr;
    ProvDataFromStateFn m_provData = nullptr;
    SignerFromChainFn m_signer = nullptr;
    EncodeObjectExFn m_encode = nullptr;
    HashCertificate2Fn m_hash = nullptr;

    bool Complete() const { return m_verify && m_provData && m_signer && m_encode && m_hash; }
};

template <typename Fn>
Fn Resolve(HMODULE module, const char* name) {
    if (module == nullptr) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Loaded on the first check and kept for the life of the process.
const TrustLibraries& Libraries() {
    static const TrustLibraries libraries = [] {
        TrustLibraries l;
        HMODULE wintrust = LoadSystemLibrary(L"wintrust.dll");
        HMODULE crypt32 = LoadSystemLibrary(L"crypt32.dll");
        l.m_verify = Resolve<WinVerifyTrustFn>(wintrust, "WinVerifyTrust");
        l.m_provData = Resolve<ProvDataFromStateFn>(wintrust, "WTHelperProvDataFromStateData");
        l.m_signer = Resolve<SignerFromChainFn>(wintrust, "WTHelperGetProvSignerFromChain");
        l.m_encode = Resolve<EncodeObjectExFn>(crypt32, "CryptEncodeObjectEx");
        l.m_hash = Resolve<HashCertificate2Fn>(crypt32, "CryptHashCertificate2");
        return l;
    }();
    return libraries;
}

std::string ToHex(const BYTE* data, DWORD size) {
    static const char kDigits[] = "0123456789abcdef";
    std::string text;
    for (DWORD i = 0; i < size; ++i) {
        text += kDigits[data[i] >> 4];
        text += kDigits[data[i] & 15];
    }
    return text;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// SHA-256 of the DER SubjectPublicKeyInfo of `cert`, in lower-case hex; empty on failure.
std::string PublicKeyPin(const TrustLibraries& l, PCCERT_CONTEXT cert) {
    if (cert == nullptr || cert->pCertInfo == nullptr) return std::string();
    DWORD size = 0;
    const CERT_PUBLIC_KEY_INFO* key = &cert->pCertInfo->SubjectPublicKeyInfo;
    if (!l.m_encode(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, key, 0, nullptr, nullptr, &size) || size == 0)
        return std::string();
    std::vector<BYTE> der(size);
    if (!l.m_encode(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, key, 0, nullptr, der.data(), &size))
        return std::string();
    BYTE digest[32];
    DWORD digestSize = sizeof digest;
    if (!l.m_hash(L"SHA256", 0, nullptr, der.data(), size, digest, &digestSize) ||
        digestSize != sizeof digest)
        return std::string();
    return ToHex(digest, digestSize);
}

}  // namespace

InstallerTrust VerifyInstallerHandle(HANDLE file, const std::wstring& path, const std::string& pinHex) {
    if (file == INVALID_HANDLE_VALUE || file == nullptr) return InstallerTrust::kNotOpened;
    const TrustLibraries& l = Libraries();
    if (!l.Complete()) return InstallerTrust::kNoVerifier;

    WINTRUST_FILE_INFO fileInfo = {};
    fileInfo.cbStruct = sizeof fileInfo;
    fileInfo.pcwszFilePath = path.c_str();
    fileInfo.hFile = file;
    WINTRUST_DATA data = {};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    // Revocation would need the network; the test publisher has no lists to fetch, and an
    // elevated installer must not reach out to addresses found in a certificate.
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &fileInfo;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    data.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;

    InstallerTrust result = InstallerTrust::kBadSignature;
    if (l.m_verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &kGenericVerifyV2, &data) == ERROR_SUCCESS) {
        CRYPT_PROVIDER_DATA* provider = l.m_provData(data.hWVTStateData);
        CRYPT_PROVIDER_SGNR* signer = provider ? l.m_signer(provider, 0, FALSE, 0) : nullptr;
        PCCERT_CONTEXT leaf = nullptr;
        if (signer != nullptr && signer->csCertChain > 0 && signer->pasCertChain != nullptr)
            leaf = signer->pasCertChain[0].pCert;
        const std::string pin = PublicKeyPin(l, leaf);
        result =
            !pin.empty() && pin == Lower(pinHex) ? InstallerTrust::kTrusted : InstallerTrust::kOtherPublisher;
    }
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    l.m_verify(static_cast<HWND>(INVALID_HANDLE_VALUE), &kGenericVerifyV2, &data);
    return result;
}

CCheckedInstaller::CCheckedInstaller(const std::wstring& path, const std::string& pinHex) : m_path(path) {
    // Readers (the loader, the shell) may share it; nobody may write, rename or delete it.
    m_file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    m_trust = VerifyInstallerHandle(m_file, path, pinHex);
}

CCheckedInstaller::~CCheckedInstaller() {
    if (m_file != INVALID_HANDLE_VALUE) CloseHandle(m_file);
}

void CCheckedInstaller::Discard() {
    if (m_file != INVALID_HANDLE_VALUE) CloseHandle(m_file);
    m_file = INVALID_HANDLE_VALUE;
    m_trust = InstallerTrust::kNotOpened;
    DeleteFileW(m_path.c_str());
}

std::unique_ptr<CCheckedInstaller> CheckInstaller(const std::wstring& path) {
    return std::make_unique<CCheckedInstaller>(path, kelvora_config::kPublisherPin);
}
