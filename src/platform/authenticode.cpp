#include "platform/authenticode.h"

#include <algorithm>

#include <wincrypt.h>
#include <softpub.h>
#include <wintrust.h>

#include <utility>
#include <vector>

namespace orvelle::platform {

namespace {

// Owners of the CryptoAPI objects used here; their handles are integers or
// pointers with close functions of their own shapes.
struct CryptMsg {
  HCRYPTMSG value = nullptr;
  ~CryptMsg() {
    if (value != nullptr) ::CryptMsgClose(value);
  }
};
struct CertStore {
  HCERTSTORE value = nullptr;
  ~CertStore() {
    if (value != nullptr) ::CertCloseStore(value, 0);
  }
};
struct CertContext {
  PCCERT_CONTEXT value = nullptr;
  ~CertContext() {
    if (value != nullptr) ::CertFreeCertificateContext(value);
  }
};

constexpr DWORD kEncoding = X509_ASN_ENCODING | PKCS_7_ASN_ENCODING;

std::optional<std::vector<BYTE>> MessageParam(HCRYPTMSG msg, DWORD type) {
  DWORD size = 0;
  if (!::CryptMsgGetParam(msg, type, 0, nullptr, &size)) return std::nullopt;
  std::vector<BYTE> data(size);
  if (size != 0 && !::CryptMsgGetParam(msg, type, 0, data.data(), &size)) return std::nullopt;
  data.resize(size);
  return data;
}

}  // namespace

LONG VerifyEmbeddedSignature(const std::wstring& path) {
  WINTRUST_FILE_INFO file{};
  file.cbStruct = sizeof(file);
  file.pcwszFilePath = path.c_str();
  WINTRUST_DATA data{};
  data.cbStruct = sizeof(data);
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  data.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  const LONG result = ::WinVerifyTrust(nullptr, &action, &data);
  // The state the verification kept is released whatever it answered.
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  ::WinVerifyTrust(nullptr, &action, &data);
  return result;
}

std::optional<SignedMessage> DecodeSignedMessage(std::string_view pkcs7) {
  if (pkcs7.empty() || uint64_t{pkcs7.size()} > MAXDWORD) return std::nullopt;
  CryptMsg msg{::CryptMsgOpenToDecode(kEncoding, 0, 0, 0, nullptr, nullptr)};
  if (msg.value == nullptr) return std::nullopt;
  if (!::CryptMsgUpdate(msg.value, reinterpret_cast<const BYTE*>(pkcs7.data()),
                        static_cast<DWORD>(pkcs7.size()), TRUE)) {
    return std::nullopt;
  }
  std::optional<std::vector<BYTE>> content = MessageParam(msg.value, CMSG_CONTENT_PARAM);
  std::optional<std::vector<BYTE>> signer = MessageParam(msg.value, CMSG_SIGNER_CERT_INFO_PARAM);
  if (!content || !signer) return std::nullopt;
  SignedMessage result;
  result.content.assign(content->begin(), content->end());

  CertStore store{::CertOpenStore(CERT_STORE_PROV_MSG, kEncoding, 0, 0, msg.value)};
  if (store.value != nullptr) {
    CertContext cert{::CertGetSubjectCertificateFromStore(
        store.value, kEncoding, reinterpret_cast<PCERT_INFO>(signer->data()))};
    if (cert.value != nullptr) {
      const DWORD length =
          ::CertGetNameStringW(cert.value, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, nullptr, 0);
      if (length > 1) {
        std::wstring name(length, L'\0');
        ::CertGetNameStringW(cert.value, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name.data(),
                             length);
        name.resize(length - 1);
        result.signer = std::move(name);
      }
    }
  }
  return result;
}

std::optional<DigestStream> DigestStream::Begin(ALG_ID algorithm) {
  DigestStream stream;
  if (!::CryptAcquireContextW(&stream.prov_, nullptr, nullptr, PROV_RSA_AES,
                              CRYPT_VERIFYCONTEXT | CRYPT_SILENT)) {
    stream.prov_ = 0;
    return std::nullopt;
  }
  if (!::CryptCreateHash(stream.prov_, algorithm, 0, 0, &stream.hash_)) {
    stream.hash_ = 0;
    return std::nullopt;
  }
  return std::optional<DigestStream>(std::move(stream));
}

DigestStream::DigestStream(DigestStream&& other) noexcept
    : prov_(std::exchange(other.prov_, 0)),
      hash_(std::exchange(other.hash_, 0)),
      failed_(other.failed_) {}

DigestStream::~DigestStream() {
  if (hash_ != 0) ::CryptDestroyHash(hash_);
  if (prov_ != 0) ::CryptReleaseContext(prov_, 0);
}

bool DigestStream::Add(std::string_view bytes) {
  // CryptHashData takes a DWORD length: larger pieces go in parts.
  while (!failed_ && !bytes.empty()) {
    const DWORD part = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
    if (!::CryptHashData(hash_, reinterpret_cast<const BYTE*>(bytes.data()), part, 0)) failed_ = true;
    bytes.remove_prefix(part);
  }
  return !failed_;
}

std::optional<std::string> DigestStream::Finish() {
  if (failed_) return std::nullopt;
  DWORD size = 0;
  DWORD sizeLength = sizeof(size);
  if (!::CryptGetHashParam(hash_, HP_HASHSIZE, reinterpret_cast<BYTE*>(&size), &sizeLength, 0)) {
    return std::nullopt;
  }
  std::string digest(size, '\0');
  if (!::CryptGetHashParam(hash_, HP_HASHVAL, reinterpret_cast<BYTE*>(digest.data()), &size, 0)) {
    return std::nullopt;
  }
  digest.resize(size);
  return digest;
}

std::optional<std::string> DigestRanges(std::string_view data,
                                        const std::vector<std::pair<uint32_t, uint32_t>>& ranges,
                                        ALG_ID algorithm) {
  std::optional<DigestStream> stream = DigestStream::Begin(algorithm);
  if (!stream) return std::nullopt;
  for (const auto& [offset, length] : ranges) {
    if (offset > data.size() || length > data.size() - offset) return std::nullopt;
    if (!stream->Add(data.substr(offset, length))) return std::nullopt;
  }
  return stream->Finish();
}

}  // namespace orvelle::platform
