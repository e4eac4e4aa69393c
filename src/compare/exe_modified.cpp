#include "compare/exe_modified.h"

#include "platform/strings.h"
#include "tree/translation.h"
#include "tree/vars_conts.h"

namespace orvelle {

namespace {

std::wstring SignedBy(const std::wstring& signer) {
  return signer.empty() ? std::wstring(Tr(texts::kSigned))
                        : std::wstring(Tr(texts::kSigned)) + L": " + signer;
}

const wchar_t* VerdictWord(BuildVerdict v) {
  switch (v) {
    case BuildVerdict::Known: return Tr(texts::kNo);
    case BuildVerdict::Modified: return Tr(texts::kYes);
    case BuildVerdict::Unknown: break;
  }
  return texts::kUnknownBuild;
}

}  // namespace

BuildVerdict JudgeBuild(std::span<const KnownBuild> table, const std::wstring& version,
                        const std::wstring& digest) {
  // The table has a row without a version; no installation may match it. An
  // unreadable program file has no digest, and that is no verdict either.
  if (version.empty() || digest.empty()) return BuildVerdict::Unknown;
  bool versionListed = false;
  for (const KnownBuild& row : table) {
    if (row.version != version) continue;
    versionListed = true;
    if (platform::EqualsNoCase(row.digest, digest)) return BuildVerdict::Known;
  }
  return versionListed ? BuildVerdict::Modified : BuildVerdict::Unknown;
}

ProgramVerdict JudgeProgram(const ProgramSignature& signature, BuildVerdict table) {
  BuildVerdict verdict = table;
  std::wstring detail;
  switch (signature.state) {
    case SignatureState::Intact:
      verdict = BuildVerdict::Known;
      detail = SignedBy(signature.signer);
      break;
    case SignatureState::Broken:
      verdict = BuildVerdict::Modified;
      detail = SignedBy(signature.signer) + L", " + Tr(texts::kSignatureBroken);
      break;
    case SignatureState::Unchecked:
      detail = SignedBy(signature.signer) + L", " + Tr(texts::kSignatureUnchecked);
      break;
    case SignatureState::Unsigned:
      detail = std::wstring(Tr(texts::kUnsigned)) + L", ";
      if (!signature.HasChecksum()) {
        detail += Tr(texts::kNoChecksum);
      } else if (signature.ChecksumMatches()) {
        detail += Tr(texts::kChecksumMatches);
      } else {
        detail += Tr(texts::kChecksumDiffers);
        // A digest the table lists is that build, whatever its header says.
        if (table != BuildVerdict::Known) verdict = BuildVerdict::Modified;
      }
      break;
    case SignatureState::NotProgram: detail = Tr(texts::kNotAProgram); break;
    case SignatureState::Unreadable: detail = Tr(texts::kCannotBeRead); break;
  }
  return {verdict, std::wstring(VerdictWord(verdict)) + L" (" + detail + L")"};
}

std::wstring PairComment(const ProgramVerdict& newSide, const ProgramVerdict& mySide) {
  return newSide.text + (newSide.text == mySide.text ? L" = " : L" <> ") + mySide.text;
}

}  // namespace orvelle
