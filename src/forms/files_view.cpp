#include "forms/files_view.h"

#include "platform/fs.h"
#include "platform/strings.h"
#include "tree/translation.h"
#include "tree/vars_conts.h"
#include "util/date_time.h"
#include "util/digest.h"
#include "util/text_helpers.h"

namespace orvelle {

namespace {

constexpr const wchar_t* kFileLabels[kFileRowCount] = {
    texts::kCreationDate, texts::kLastModifDate, texts::kLastAccessDate, texts::kFileSize,
    texts::kMd5Summ, texts::kSignatureRow};
enum FileRow { kCreated, kModified, kAccessed, kSize, kDigest, kSignature };

constexpr const wchar_t* kVersionLabels[kVersionRowCount] = {
    texts::kFileVersionNumber, texts::kProductVersionNumber, texts::kFileVersionRow,
    texts::kProductVersionRow, texts::kFileDescription, texts::kComments,
    texts::kCompanyName, texts::kLegalCopyright, texts::kLegalTrademarks,
    texts::kProductName, texts::kOriginalFileName, texts::kInternalName,
    texts::kPrivateBuild, texts::kSpecialBuild};

// The values of the version rows for one side; all empty without a resource.
std::array<std::wstring, kVersionRowCount> VersionValues(const std::optional<TPJVersionInfo>& v) {
  if (!v) return {};
  return {DottedVersion(v->fileVersion), DottedVersion(v->productVersion), v->fileVersionText,
          v->productVersionText, v->fileDescription, v->comments, v->companyName,
          v->legalCopyright, v->legalTrademarks, v->productName, v->originalFilename,
          v->internalName, v->privateBuild, v->specialBuild};
}

// The signer, "none" for an unsigned program, empty for a file that is no
// program.
std::wstring SignatureValue(const ProgramSignature& s) {
  const std::wstring signer = s.signer.empty() ? std::wstring(Tr(texts::kSigned)) : s.signer;
  switch (s.state) {
    case SignatureState::Intact: return signer;
    case SignatureState::Broken: return signer + L", " + Tr(texts::kSignatureBroken);
    case SignatureState::Unchecked: return signer + L", " + Tr(texts::kSignatureUnchecked);
    case SignatureState::Unsigned: return Tr(texts::kNoSignature);
    case SignatureState::NotProgram:
    case SignatureState::Unreadable: break;
  }
  return {};
}

std::array<std::wstring, kFileRowCount> FileValues(const FileSideFacts& f) {
  return {FormatDateTime(f.created), FormatDateTime(f.modified), FormatDateTime(f.accessed),
          GroupDigits(std::to_wstring(f.size)), f.digest, SignatureValue(f.signature)};
}

template <typename T>
std::wstring Order(const T& a, const T& b) {
  return a > b ? L">" : a < b ? L"<" : L"=";
}

std::wstring TextSign(const std::wstring& a, const std::wstring& b) {
  if (!a.empty() && !b.empty()) return a == b ? L"=" : L"<>";
  return !a.empty() ? L"*" : !b.empty() ? L"!" : L"";
}

// The version rows' signs: the numbers and version strings by their own
// order, the other strings by presence and equality.
std::array<std::wstring, kVersionRowCount> VersionSigns(const std::optional<TPJVersionInfo>& a,
                                                        const std::optional<TPJVersionInfo>& b) {
  std::array<std::wstring, kVersionRowCount> signs;
  signs[0] = CompareVersionNumbers(a, b, false);
  signs[1] = CompareVersionNumbers(a, b, true);
  signs[2] = CompareVersionStrings(a, b, false);
  signs[3] = CompareVersionStrings(a, b, true);
  const auto va = VersionValues(a);
  const auto vb = VersionValues(b);
  for (size_t i = 4; i < kVersionRowCount; ++i) signs[i] = TextSign(va[i], vb[i]);
  return signs;
}

// Which row's sign decided the verdict, by the kind CompareFiles reports:
// a file row, a version row, or none (-1 each).
void DecidingRows(int kind, int& fileRow, int& versionRow) {
  fileRow = kind == 7 ? kModified : kind == 1 ? kSize : kind == 2 ? kDigest : -1;
  versionRow = kind >= 3 && kind <= 6 ? kind - 3 : -1;
}

// A file that could not be read has no digest: it is not known to be equal.
std::wstring DigestSign(const std::wstring& a, const std::wstring& b) {
  return !a.empty() && a == b ? L"=" : L"<>";
}

// Two signature texts: equal or not; nothing to compare when neither file
// is a program.
std::wstring SignatureSign(const std::wstring& a, const std::wstring& b) {
  if (a.empty() && b.empty()) return L"";
  return a == b ? L"=" : L"<>";
}

bool SameFile(const std::wstring& newFile, const std::wstring& myFile) {
  const std::wstring a = platform::Trim(newFile);
  return !a.empty() && platform::EqualsNoCase(a, platform::Trim(myFile));
}

}  // namespace

FileSideFacts ReadFileSide(const std::wstring& path) {
  FileSideFacts f;
  if (path.empty()) return f;
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(platform::LongPathForm(path).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return f;
  }
  f.exists = true;
  f.created = FileTimeToLocalDateTime(data.ftCreationTime);
  f.modified = FileTimeToLocalDateTime(data.ftLastWriteTime);
  f.accessed = FileTimeToLocalDateTime(data.ftLastAccessTime);
  f.size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  f.digest = FileMD5(path);
  f.signature = CheckProgramSignature(path);
  f.version = ReadVersionInfo(path);
  return f;
}

FilesView BuildFilesView(const std::wstring& newFile, const std::wstring& myFile,
                         const FileSideFacts& newSide, const FileSideFacts& mySide,
                         const std::wstring& myProgramDir) {
  FilesView view;
  for (size_t i = 0; i < kFileRowCount; ++i) view.fileRows[i].label = Tr(kFileLabels[i]);
  for (size_t i = 0; i < kVersionRowCount; ++i) view.versionRows[i].label = Tr(kVersionLabels[i]);

  if (SameFile(newFile, myFile)) {
    const std::wstring dir = platform::LowerCase(platform::ExtractFilePath(platform::Trim(myFile)));
    const std::wstring programDir = platform::LowerCase(myProgramDir);
    const bool mine = !programDir.empty() && dir.find(programDir) != std::wstring::npos;
    view.sameFileWarning = std::wstring(Tr(texts::kSameFile)) + L" [" +
                           (mine ? Tr(texts::kMySide) : Tr(texts::kNewSide)) + L"]";
  }

  view.mode = newSide.exists && mySide.exists ? FilesMode::Both
              : newSide.exists                ? FilesMode::OnlyNew
              : mySide.exists                 ? FilesMode::OnlyMy
                                              : FilesMode::Neither;
  view.header[0] = L" " + platform::ExtractFileName(newFile.empty() ? myFile : newFile);
  if (!newFile.empty() && !newSide.exists) view.header[1] = Tr(texts::kFileIsMissing);
  if (!myFile.empty() && !mySide.exists) view.header[3] = Tr(texts::kFileIsMissing);

  const auto newValues = FileValues(newSide);
  const auto myValues = FileValues(mySide);
  const auto newVersions = VersionValues(newSide.version);
  const auto myVersions = VersionValues(mySide.version);
  std::array<std::wstring, kVersionRowCount> versionSigns =
      VersionSigns(newSide.exists ? newSide.version : std::nullopt,
                   mySide.exists ? mySide.version : std::nullopt);

  switch (view.mode) {
    case FilesMode::Both: {
      FileFacts a{true, newSide.size, newSide.modified};
      FileFacts b{true, mySide.size, mySide.modified};
      // Two digests read from the files already tell whether the bytes are
      // equal; an unreadable file proves nothing.
      const FileVerdict verdict = DecideFiles(
          a, b, [&] { return !newSide.digest.empty() && newSide.digest == mySide.digest; },
          [&] { return CompareVersionRecords(newSide.version, mySide.version); });
      const std::wstring signs[kFileRowCount] = {
          Order(newSide.created, mySide.created), Order(newSide.modified, mySide.modified),
          Order(newSide.accessed, mySide.accessed), Order(newSide.size, mySide.size),
          DigestSign(newSide.digest, mySide.digest),
          SignatureSign(newValues[kSignature], myValues[kSignature])};
      for (size_t i = 0; i < kFileRowCount; ++i) {
        view.fileRows[i].newValue = newValues[i];
        view.fileRows[i].sign = signs[i];
        view.fileRows[i].myValue = myValues[i];
      }
      // An intact signature on one side only tells the altered (or foreign)
      // file apart, whatever decided the overall sign.
      if ((newSide.signature.state == SignatureState::Intact) !=
          (mySide.signature.state == SignatureState::Intact)) {
        view.fileRows[kSignature].framed = true;
      }
      view.header[1] = Tr(texts::kNewSide);
      view.header[2] = verdict.sign;
      view.header[3] = Tr(texts::kMySide);
      int fileRow = -1, versionRow = -1;
      DecidingRows(verdict.kind, fileRow, versionRow);
      if (fileRow >= 0) view.fileRows[static_cast<size_t>(fileRow)].framed = true;
      if (versionRow >= 0) view.versionRows[static_cast<size_t>(versionRow)].framed = true;
      if (verdict.sign == L"*" || verdict.sign == L"!") {
        for (auto& s : versionSigns) s = s.empty() ? s : verdict.sign;
      }
      break;
    }
    case FilesMode::OnlyNew:
    case FilesMode::OnlyMy: {
      const bool isNew = view.mode == FilesMode::OnlyNew;
      const std::wstring sign = isNew ? L"*" : L"!";
      const auto& values = isNew ? newValues : myValues;
      for (size_t i = 0; i < kFileRowCount; ++i) {
        (isNew ? view.fileRows[i].newValue : view.fileRows[i].myValue) = values[i];
        // A file that is no program has no signature to mark.
        view.fileRows[i].sign = i == kSignature && values[i].empty() ? L"" : sign;
      }
      for (auto& s : versionSigns) s = s.empty() ? s : sign;
      view.header[isNew ? 1 : 3] = isNew ? Tr(texts::kNewSide) : Tr(texts::kMySide);
      view.header[2] = sign;
      (isNew ? view.runMyEnabled : view.runNewEnabled) = false;
      break;
    }
    case FilesMode::Neither:
      break;
  }

  // A version row is filled only when there is something to compare.
  if (view.mode != FilesMode::Neither) {
    for (size_t i = 0; i < kVersionRowCount; ++i) {
      if (versionSigns[i].empty()) continue;
      CompareRow& row = view.versionRows[i];
      row.sign = versionSigns[i];
      if (newSide.exists) row.newValue = newVersions[i];
      if (mySide.exists) row.myValue = myVersions[i];
    }
  }
  return view;
}

}  // namespace orvelle
