// The gate in front of every start of the downloaded product installer. The installer runs with
// administrator rights and arrives over plain HTTP into a folder that the user's unelevated
// programs can write, so it runs only when it carries a valid Authenticode signature whose
// signer is the pinned publisher, checked on a handle that keeps anyone from changing or
// replacing the file until the installer has ended. Windows only.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

enum class InstallerTrust {
    kTrusted,
    kNotOpened,       // missing, or somebody holds it open for writing or deleting
    kNoVerifier,      // the system's trust libraries could not be loaded from the system folder
    kBadSignature,    // unsigned, altered after signing, or not chaining to a trusted root
    kOtherPublisher,  // a valid signature, but not by the pinned publisher's key
};

// The downloaded installer, open for reading while writers and deleters are refused: the bytes
// that were checked are the bytes that run, as long as the object lives.
class CCheckedInstaller {
public:
    // Opens `path` and checks it against `pinHex`, the SHA-256 (hex, either case) of the signing
    // certificate's SubjectPublicKeyInfo.
    CCheckedInstaller(const std::wstring& path, const std::string& pinHex);
    ~CCheckedInstaller();
    CCheckedInstaller(const CCheckedInstaller&) = delete;
    CCheckedInstaller& operator=(const CCheckedInstaller&) = delete;

    InstallerTrust GetTrust() const { return m_trust; }
    bool IsTrusted() const { return m_trust == InstallerTrust::kTrusted; }
    const std::wstring& GetPath() const { return m_path; }
    // Lets go of the file and deletes it: what failed the check must not be resumed or run.
    void Discard();

private:
    std::wstring m_path;
    HANDLE m_file = INVALID_HANDLE_VALUE;
    InstallerTrust m_trust = InstallerTrust::kNotOpened;
};

// The check with the compiled-in publisher pin.
std::unique_ptr<CCheckedInstaller> CheckInstaller(const std::wstring& path);

// Verifies the file behind `file` (opened for reading; `path` names it for the verifier) and
// compares its signer's key with `pinHex`.
InstallerTrust VerifyInstallerHandle(HANDLE file, const std::wstring& path, const std::string& pinHex);
