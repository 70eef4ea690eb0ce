#include "TestSigning.h"

#include <windows.h>
// after windows.h
#include <wincrypt.h>

#include <vector>

#include "TestRootCert.h"

bool TrustTestRoot() {
    DWORD size = 0;
    if (!CryptStringToBinaryA(kTestRootPem, 0, CRYPT_STRING_BASE64HEADER, nullptr, &size, nullptr, nullptr))
        return false;
    std::vector<BYTE> der(size);
    if (!CryptStringToBinaryA(kTestRootPem, 0, CRYPT_STRING_BASE64HEADER, der.data(), &size, nullptr,
                              nullptr))
        return false;
    HCERTSTORE store =
        CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_LOCAL_MACHINE, L"Root");
    if (store == nullptr) return false;
    const BOOL added = CertAddEncodedCertificateToStore(store, X509_ASN_ENCODING, der.data(), size,
                                                        CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
    CertCloseStore(store, 0);
    return added != FALSE;
}

std::wstring TestModuleDir() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir = path;
    return dir.substr(0, dir.find_last_of(L'\\') + 1);
}
