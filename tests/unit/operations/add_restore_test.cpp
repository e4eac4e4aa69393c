// Carrying plugins over from the New installation and taking them back out,
// on the rich installation: every kind, every file of My installation byte
// for byte the same after the round trip, and the undo itself undone.
#include "backup/records.h"
#include "backup/restore.h"
#include "operations/add_operation.h"
#include "operations/batch_operation.h"
#include "operations/operation_context.h"
#include "platform/fs.h"
#include "platform/message_box.h"
#include "platform/strings.h"
#include "rich_installation.h"
#include "support/tree_snapshot.h"
#include "tc/ttc.h"
#include "tree/vars_conts.h"
#include "util/file_faults.h"
#include "util/file_ops.h"
#include "util/text_file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <set>

namespace orvelle {
namespace {

using test::RichInstallation;
using test::SnapshotTree;
using Lines = std::vector<std::wstring>;

Lines FileLines(const std::wstring& path) {
  std::optional<TextDocument> doc = LoadTextFile(path);
  return doc ? doc->lines : Lines{};
}

// The lines of a file from the one equal to first on, as many as expected.
Lines LinesFrom(const std::wstring& path, const std::wstring& first, size_t count) {
  Lines lines = FileLines(path);
  auto it = std::find(lines.begin(), lines.end(), first);
  if (it == lines.end()) return {};
  return Lines(it, it + static_cast<std::ptrdiff_t>(
                            std::min<size_t>(count, static_cast<size_t>(lines.end() - it))));
}

std::vector<std::wstring> StoreFolders(const std::wstring& store) {
  std::vector<std::wstring> names;
  for (const platform::FileEntry& e : platform::EnumFiles(store + L"\\*")) {
    if (e.IsDirectory()) names.push_back(store + L"\\" + e.name + L"\\");
  }
  return names;
}

// A rich installation with a tree of plugin folders, the adds started on
// it and the message boxes answered.
class AddBench {
 public:
  // storeParent: where the plugin and its backup store lie; empty for the
  // volume of both installations.
  explicit AddBench(const std::wstring& storeParent = L"") : r(storeParent) {
    previous_ = platform::SetMessageBoxHandler([this](const std::wstring& text, UINT) {
      asked.push_back(text);
      return answer;
    });
  }
  ~AddBench() {
    Release();
    for (const auto& copy : pending.Copies()) copy->Wait(30000);
    platform::SetMessageBoxHandler(previous_);
  }

  // A plugin folder as the comparison makes it for a plugin that only the
  // New installation registers: "Directory" and "Add" (New's row).
  void PluginFolder(const std::wstring& name, ItemKind kind, const std::wstring& tail) {
    VirtualTree& tree = r.Tree();
    TVirtualTreeItem folder;
    folder.Order = tree.Count();
    folder.ParentIndex = -1;
    folder.IsFolder = true;
    folder.Name = name;
    folder.Path = L"\\";
    folder.Status = L"*";
    const int index = tree.Append(folder);
    int order = 0;
    for (const wchar_t* child : {texts::kDirectory, texts::kAddEntry}) {
      TVirtualTreeItem entry;
      entry.Order = order++;
      entry.ParentIndex = index;
      entry.Name = child;
      entry.Path = L"\\" + name + L"\\";
      if (std::wstring(child) == texts::kAddEntry) {
        entry.Action = 2;
        entry.ActionKind = static_cast<uint8_t>(kind);
        entry.ActionIndex = RichInstallation::RowEndingWith(NewList(kind), tail);
        entry.Info = texts::kAddEntryInfo;
      }
      tree.Append(entry);
    }
  }

  const std::vector<std::wstring>& NewList(ItemKind kind) {
    switch (kind) {
      case ItemKind::FileSystemPlugin: return r.New().FsPluginFiles;
      case ItemKind::PackerPlugin: return r.New().PackerPluginFiles;
      case ItemKind::ListerPlugin: return r.New().ListerPluginFiles;
      default: return r.New().ContentPluginFiles;
    }
  }

  bool Start(const std::wstring& name) {
    OperationContext ctx{r.Tree(), r.My(), &r.New(), r.Backup(), nullptr, r.PluginDir(), L"",
                         [this] { ++rereads; }};
    return StartAdd(ctx, pending, r.Tree().FindTreeItem(L"\\" + name + L"\\Add"),
                    [this] { ++notified; });
  }

  // Waits for the copies and completes them.
  bool Finish() {
    for (const auto& copy : pending.Copies()) EXPECT_TRUE(copy->Wait(30000));
    return CompleteAdds(r.Tree(), &r.My(), pending);
  }

  bool Add(const std::wstring& name, ItemKind kind, const std::wstring& tail) {
    PluginFolder(name, kind, tail);
    const bool started = Start(name);
    Finish();
    return started;
  }

  const TVirtualTreeItem& Entry(const std::wstring& path) {
    const int index = r.Tree().FindTreeItem(path);
    EXPECT_GE(index, 0) << path;
    return r.Tree()[index < 0 ? 0 : index];
  }

  // The entries of a plugin folder: the folder, "Directory", "Add".
  void ExpectEntries(const std::wstring& name, const std::wstring& folder,
                     const std::wstring& directory, const std::wstring& add) {
    EXPECT_EQ(Entry(L"\\" + name).Info, folder);
    EXPECT_EQ(Entry(L"\\" + name + L"\\Directory").Info, directory);
    EXPECT_EQ(Entry(L"\\" + name + L"\\Add").Info, add);
    for (const wchar_t* child : {L"", L"\\Add"}) {
      EXPECT_EQ(Entry(L"\\" + name + child).Status, L"*!") << child;
      EXPECT_TRUE(Entry(L"\\" + name + child).Done) << child;
    }
  }

  // The one folder of the store of that kind ("i" or "d"); empty when none.
  std::wstring StoreFolder(wchar_t kind) {
    for (const std::wstring& folder : StoreFolders(r.StoreDir())) {
      if (folder.ends_with(std::wstring(L"-") + kind + L"\\")) return folder;
    }
    return {};
  }

  // A copy held at a file until Release.
  void HoldCopyAt(int file) {
    reached_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    release_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    pending.CopyHook = [this, file, count = std::make_shared<std::atomic<int>>(0)](
                           const std::wstring&) {
      if (++*count == file) {
        ::SetEvent(reached_.get());
        ::WaitForSingleObject(release_.get(), 30000);
      }
      return true;
    };
  }
  bool WaitUntilHeld() { return ::WaitForSingleObject(reached_.get(), 30000) == WAIT_OBJECT_0; }
  void Release() {
    if (release_) ::SetEvent(release_.get());
  }

  RichInstallation r;
  PendingAdds pending;
  std::vector<std::wstring> asked;
  int answer = IDYES;
  int rereads = 0;
  std::atomic<int> notified{0};

 private:
  platform::MessageBoxHandler previous_;
  platform::unique_handle reached_, release_;
};

struct RoundTrip {
  const char* name;
  ItemKind kind;
  std::wstring folder;  // the plugin folder of the tree
  std::wstring tail;    // the end of New's file in its list
  std::function<void(RichInstallation&)> prepare;
  std::function<void(RichInstallation&)> added;  // what My installation gained
};

std::vector<RoundTrip> RoundTrips() {
  using R = RichInstallation;
  return {
      {"file-system plugin with a subfolder, named outside the code page",
       ItemKind::FileSystemPlugin, L"Облако", L"cloud\\cloud.wfx", nullptr,
       [](R& r) {
         EXPECT_EQ(test::ReadBytes(r.Path(L"plugins\\wfx\\Cloud\\Язык\\русский.lng")),
                   test::ReadBytes(r.NewDir() + L"\\plugins\\wfx\\Cloud\\Язык\\русский.lng"));
         EXPECT_TRUE(platform::FileExists(r.Path(L"plugins\\wfx\\Cloud\\cloud.wfx64")));
         EXPECT_EQ(LinesFrom(r.Path(L"wincmd.ini"), L"FTP=%COMMANDER_PATH%\\plugins\\wfx\\ftp\\ftp.wfx", 2),
                   (Lines{L"FTP=%COMMANDER_PATH%\\plugins\\wfx\\ftp\\ftp.wfx",
                          L"Облако=%COMMANDER_PATH%\\plugins\\wfx\\Cloud\\cloud.wfx"}));
         EXPECT_EQ(test::ReadBytes(r.Path(L"wincmd.ini")).substr(0, 2), "\xFF\xFE");
       }},
      {"file-system plugin in New's program folder: its file and twin alone",
       ItemKind::FileSystemPlugin, L"Loose", L"\\loose.wfx", nullptr,
       [](R& r) {
         EXPECT_EQ(SnapshotTree(r.Path(L"plugins\\wfx\\loose")).entries.size(), 2u);
         EXPECT_TRUE(platform::FileExists(r.Path(L"plugins\\wfx\\loose\\loose.wfx64")));
         EXPECT_EQ(LinesFrom(r.Path(L"wincmd.ini"), L"FTP=%COMMANDER_PATH%\\plugins\\wfx\\ftp\\ftp.wfx", 2)
                       .back(),
                   L"Loose=%COMMANDER_PATH%\\plugins\\wfx\\loose\\loose.wfx");
       }},
      {"packer plugin: every extension with its flags", ItemKind::PackerPlugin, L"rar.wcx",
       L"rar\\rar.wcx", nullptr,
       [](R& r) {
         EXPECT_EQ(LinesFrom(r.Path(L"wincmd.ini"),
                             L"lzma=607,%COMMANDER_PATH%\\plugins\\wcx\\7zip\\7zip.wcx", 4),
                   (Lines{L"lzma=607,%COMMANDER_PATH%\\plugins\\wcx\\7zip\\7zip.wcx",
                          L"rar=69,%COMMANDER_PATH%\\plugins\\wcx\\Rar\\rar.wcx",
                          L"r01=64,%COMMANDER_PATH%\\plugins\\wcx\\Rar\\rar.wcx",
                          L"[ListerPlugins]"}));
       }},
      {"packer plugin into a configuration without the section", ItemKind::PackerPlugin,
       L"rar.wcx", L"rar\\rar.wcx",
       [](R& r) {
         std::optional<TextDocument> doc = LoadTextFile(r.Path(L"wincmd.ini"));
         ASSERT_TRUE(doc);
         Lines& lines = doc->lines;
         auto at = std::find(lines.begin(), lines.end(), L"[PackerPlugins]");
         ASSERT_NE(at, lines.end());
         lines.erase(at, at + 4);
         ASSERT_TRUE(SaveTextFile(r.Path(L"wincmd.ini"), *doc));
       },
       [](R& r) {
         Lines lines = FileLines(r.Path(L"wincmd.ini"));
         ASSERT_GE(lines.size(), 3u);
         EXPECT_EQ(Lines(lines.end() - 3, lines.end()),
                   (Lines{L"[PackerPlugins]", L"rar=69,%COMMANDER_PATH%\\plugins\\wcx\\Rar\\rar.wcx",
                          L"r01=64,%COMMANDER_PATH%\\plugins\\wcx\\Rar\\rar.wcx"}));
       }},
      {"lister plugin in a redirected section: the next number, its detect string",
       ItemKind::ListerPlugin, L"markdown.wlx", L"markdown\\markdown.wlx", nullptr,
       [](R& r) {
         EXPECT_EQ(LinesFrom(r.Path(L"plugins.ini"),
                             L"3=%COMMANDER_PATH%\\plugins\\wlx\\hex\\hexdump.wlx", 4),
                   (Lines{L"3=%COMMANDER_PATH%\\plugins\\wlx\\hex\\hexdump.wlx",
                          L"4=%COMMANDER_PATH%\\plugins\\wlx\\Markdown\\markdown.wlx",
                          L"4_detect=EXT=\"MD\" | EXT=\"文本\"", L"[ContentPlugins]"}));
         EXPECT_TRUE(platform::FileExists(r.Path(L"plugins\\wlx\\Markdown\\readme.txt")));
       }},
      {"content plugin without a detect string", ItemKind::ContentPlugin, L"fileattrs.wdx",
       L"fileattrs\\fileattrs.wdx", nullptr,
       [](R& r) {
         Lines lines = FileLines(r.Path(L"plugins.ini"));
         EXPECT_EQ(lines.back(), L"2=%COMMANDER_PATH%\\plugins\\wdx\\FileAttrs\\fileattrs.wdx");
       }},
  };
}

TEST(Add, EveryKindGoesInAndComesBackOutByteForByte) {
  // The store beside both installations, and on another volume (the plugin
  // on the system drive, a portable installation on a stick), where the
  // undo's moves into the store are copies.
  std::vector<std::wstring> storePlaces{L""};
  if (!test::OtherVolumeFolder().empty()) storePlaces.push_back(test::OtherVolumeFolder());
  for (const std::wstring& storePlace : storePlaces)
  for (const RoundTrip& trip : RoundTrips()) {
    SCOPED_TRACE(trip.name);
    SCOPED_TRACE(storePlace.empty() ? "store beside My installation" : "store on another volume");
    AddBench b(storePlace);
    if (trip.prepare) trip.prepare(b.r);
    const test::TreeSnapshot before = SnapshotTree(b.r.MyDir());
    const test::TreeSnapshot others = SnapshotTree(b.r.NewDir());

    ASSERT_TRUE(b.Add(trip.folder, trip.kind, trip.tail));
    const bool onlyFile = trip.folder == L"Loose";
    b.ExpectEntries(trip.folder, L"ADDED!", onlyFile ? texts::kAddedOnlyFile : L"ADDED!", L"ADDED!");
    trip.added(b.r);
    const std::wstring installed = b.StoreFolder(L'i');
    ASSERT_FALSE(installed.empty());
    EXPECT_TRUE(platform::FileExists(installed + L"index.i"));
    EXPECT_FALSE(platform::FileExists(installed + L"copying.i"));
    const test::TreeSnapshot afterAdd = SnapshotTree(b.r.MyDir());

    EXPECT_EQ(RestoreInstalledFolder(installed, b.r.Backup(), &b.r.My()), RestoreFailure::None);
    EXPECT_EQ(test::DescribeDifferences(before, SnapshotTree(b.r.MyDir())), L"");
    EXPECT_FALSE(platform::PathExists(installed));

    // The undo went into a deleted-item folder: restoring it adds again.
    const std::wstring undone = b.StoreFolder(L'd');
    ASSERT_FALSE(undone.empty());
    EXPECT_EQ(RestoreDeletedFolder(undone, b.r.Backup()), RestoreFailure::None);
    EXPECT_EQ(test::DescribeDifferences(afterAdd, SnapshotTree(b.r.MyDir())), L"");
    EXPECT_TRUE(StoreFolders(b.r.StoreDir()).empty());
    EXPECT_EQ(test::DescribeDifferences(others, SnapshotTree(b.r.NewDir())), L"")
        << "the New installation is never touched";
    EXPECT_EQ(b.asked, Lines{L"Add?"});
  }
}

TEST(Add, NoAddsNothingYesAddsOnceAndTheBackupEntryTakesItOut) {
  AddBench b;
  b.PluginFolder(L"markdown.wlx", ItemKind::ListerPlugin, L"markdown\\markdown.wlx");
  const test::TreeSnapshot before = SnapshotTree(b.r.MyDir());
  b.answer = IDNO;
  EXPECT_FALSE(b.Start(L"markdown.wlx"));
  EXPECT_EQ(b.asked, Lines{L"Add?"});
  EXPECT_EQ(test::DescribeDifferences(before, SnapshotTree(b.r.MyDir())), L"");
  EXPECT_TRUE(StoreFolders(b.r.StoreDir()).empty()) << "no backup folder for a No";
  EXPECT_EQ(b.Entry(L"\\markdown.wlx\\Add").Info, texts::kAddEntryInfo);
  EXPECT_EQ(b.rereads, 0);

  b.answer = IDYES;
  EXPECT_TRUE(b.Start(L"markdown.wlx"));
  EXPECT_TRUE(b.Finish());
  EXPECT_EQ(b.notified, 1) << "the copy asks the host to list its panel again";
  EXPECT_EQ(b.rereads, 1);
  b.asked.clear();
  EXPECT_FALSE(b.Start(L"markdown.wlx")) << "a done entry starts nothing";
  EXPECT_TRUE(b.asked.empty());
  EXPECT_EQ(StoreFolders(b.r.StoreDir()).size(), 1u);

  // "\Backup" as a listing of it shows it.
  TBackup listed(b.r.PluginDir(), b.r.Tree(), BackupIcons{});
  const int entry = b.r.Tree().FindTreeItem(L"\\Backup\\1.markdown.wlx");
  ASSERT_GE(entry, 0);
  EXPECT_TRUE(b.r.Tree()[entry].RestoreInstalled);
  EXPECT_EQ(b.r.Tree()[entry].Status, L"*");
  RestoreContext ctx{b.r.Tree(), listed, [&] { ++b.rereads; }, &b.r.My()};
  b.answer = IDNO;
  EXPECT_FALSE(RestoreInstalledItem(ctx, entry));
  EXPECT_NE(test::DescribeDifferences(before, SnapshotTree(b.r.MyDir())), L"");
  b.answer = IDYES;
  EXPECT_TRUE(RestoreInstalledItem(ctx, entry));
  EXPECT_EQ(b.asked, (Lines{L"Restore?", L"Restore?"}));
  EXPECT_EQ(b.r.Tree()[entry].Info, L"Restored!");
  EXPECT_FALSE(b.r.Tree()[entry].RestoreInstalled);
  EXPECT_EQ(test::DescribeDifferences(before, SnapshotTree(b.r.MyDir())), L"");
}

// A folder of the plugin's name that holds an equal copy is used as it is
// (and stays when the add is undone); one that holds something else is left
// alone, and the first free numbered name is taken.
TEST(Add, AnEqualFolderIsUsedAnotherOneGetsTheNextNumber) {
  AddBench b;
  const std::wstring newMarkdown = b.r.NewDir() + L"\\plugins\\wlx\\Markdown";
  for (const wchar_t* file : {L"markdown.wlx", L"readme.txt"}) {
    test::WriteBytes(b.r.Path(L"plugins\\wlx\\Markdown\\") + file,
                     test::ReadBytes(newMarkdown + L"\\" + file));
  }
  test::WriteBytes(b.r.Path(L"plugins\\wfx\\Cloud\\cloud.wfx"), "another cloud");
  test::WriteBytes(b.r.Path(L"plugins\\wfx\\Cloud (2)\\cloud.wfx"), "yet another");
  const test::TreeSnapshot before = SnapshotTree(b.r.MyDir());

  ASSERT_TRUE(b.Add(L"markdown.wlx", ItemKind::ListerPlugin, L"markdown\\markdown.wlx"));
  b.ExpectEntries(L"markdown.wlx", L"ADDED!", L"Similar directory already exists!", L"ADDED!");
  EXPECT_TRUE(b.pending.Empty()) << "nothing to copy";
  EXPECT_EQ(FileLines(b.r.Path(L"plugins.ini"))[8],
            L"4=%COMMANDER_PATH%\\plugins\\wlx\\Markdown\\markdown.wlx");
  std::wstring installed = b.StoreFolder(L'i');
  EXPECT_FALSE(platform::PathExists(installed + L"index.i")) << "the add copied nothing";
  EXPECT_EQ(RestoreInstalledFolder(installed, b.r.Backup(), &b.r.My()), RestoreFailure::None);
  EXPECT_EQ(test::DescribeDifferences(before, SnapshotTree(b.r.MyDir())), L"");
  DeleteDirectoryTree(b.StoreFolder(L'd'), true);

  ASSERT_TRUE(b.Add(L"Облако", ItemKind::FileSystemPlugin, L"cloud\\cloud.wfx"));
  b.ExpectEntries(L"Облако", L"ADDED!", L"ADDED!", L"ADDED!");
  EXPECT_EQ(test::ReadBytes(b.r.Path(L"plugins\\wfx\\Cloud\\cloud.wfx")), "another cloud");
  EXPECT_TRUE(platform::FileExists(b.r.Path(L"plugins\\wfx\\Cloud (3)\\Язык\\русский.lng")));
  EXPECT_EQ(FileLines(b.r.Path(L"wincmd.ini"))[8],
            L"Облако=%COMMANDER_PATH%\\plugins\\wfx\\Cloud (3)\\cloud.wfx");
  installed = b.StoreFolder(L'i');
  const Lines info = FileLines(installed + L"info.i");
  ASSERT_EQ(info.size(), 1u);
  EXPECT_TRUE(platform::EqualsNoCase(info[0], b.r.Path(L"plugins\\wfx\\Cloud (3)\\cloud.wfx")));
  EXPECT_EQ(RestoreInstalledFolder(installed, b.r.Backup(), &b.r.My()), RestoreFailure::None);
  EXPECT_EQ(test::DescribeDifferences(before, SnapshotTree(b.r.MyDir())), L"");
}

// My installation registers the plugin's new place already (written another
// way): the files are copied, the configuration stays as it was.
TEST(Add, APluginRegisteredAlreadyIsNotRegisteredTwice) {
  AddBench b;
  std::optional<TextDocument> doc = LoadTextFile(b.r.Path(L"plugins.ini"));
  ASSERT_TRUE(doc);
  doc->lines.push_back(L"2=" + b.r.MyDir() + L"\\Plugins\\WDX\\FileAttrs\\FILEATTRS.WDX");
  ASSERT_TRUE(SaveTextFile(b.r.Path(L"plugins.ini"), *doc));
  const test::TreeSnapshot before = SnapshotTree(b.r.MyDir());

  ASSERT_TRUE(b.Add(L"fileattrs.wdx", ItemKind::ContentPlugin, L"fileattrs\\fileattrs.wdx"));
  b.ExpectEntries(L"fileattrs.wdx", L"ADDED!", L"ADDED!", L"Necessary string(s) already exists!");
  EXPECT_TRUE(platform::FileExists(b.r.Path(L"plugins\\wdx\\FileAttrs\\fileattrs.wdx")));
  EXPECT_EQ(test::ReadBytes(b.r.Path(L"plugins.ini")), before.entries.at(L"plugins.ini"));
  EXPECT_EQ(RestoreInstalledFolder(b.StoreFolder(L'i'), b.r.Backup(), &b.r.My()), RestoreFailure::None);
  EXPECT_EQ(test::DescribeDifferences(before, SnapshotTree(b.r.MyDir())), L"");
}

// A copy that fails registers nothing and leaves nothing behind: neither
// files, nor a folder the add made, nor a backup folder.
TEST(Add, AFailedCopyLeavesNothingRegisteredAndNothingBehind) {
  struct Case {
    const char* name;
    std::function<void(AddBench&)> block;
  };
  const Case cases[] = {
      // The machine may run as root, where a read-only folder stops no write;
      // a source file open without sharing fails the copy the same way, half-way.
      {"a file of the plugin cannot be read", nullptr},
      {"the plugin's folder cannot be made",
       [](AddBench& b) {
         test::WriteBytes(b.r.Path(L"plugins\\notes.txt"), "a file where a folder must go");
         b.r.My().WfxDir = b.r.Path(L"plugins\\notes.txt\\wfx\\");
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AddBench b;
    const std::wstring source = b.r.NewDir() + L"\\plugins\\wfx\\Cloud\\cloud.wfx64";
    platform::unique_hfile locked;
    if (c.block) {
      c.block(b);
    } else {
      locked.reset(::CreateFileW(source.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
      ASSERT_TRUE(locked);
    }
    const test::TreeSnapshot beforeAdd = SnapshotTree(b.r.MyDir());
    b.PluginFolder(L"Облако", ItemKind::FileSystemPlugin, L"cloud\\cloud.wfx");
    b.Start(L"Облако");
    b.Finish();
    locked.reset();
    b.ExpectEntries(L"Облако", L"ERROR! NOT ADDED!", L"ERROR! NOT ADDED!", L"ERROR! NOT ADDED!");
    EXPECT_EQ(test::DescribeDifferences(beforeAdd, SnapshotTree(b.r.MyDir())), L"");
    EXPECT_TRUE(StoreFolders(b.r.StoreDir()).empty());
  }
}

// What a listing sees while a large folder is copied: the entries say
// "Copying...", nothing is completed yet, the add's backup folder is listed
// in "\Backup" (and not taken for an empty one), and no half-copied plugin
// stands under its name. Then the copy ends, and the next call completes it.
TEST(Add, AListingWhileALargeFolderIsCopiedSeesItCopying) {
  AddBench b;
  const std::wstring newMarkdown = b.r.NewDir() + L"\\plugins\\wlx\\Markdown";
  for (int n = 0; n < 300; ++n) {
    test::WriteBytes(newMarkdown + L"\\data\\part" + std::to_wstring(n) + L".bin",
                     std::string(4096, static_cast<char>(n)));
  }
  b.HoldCopyAt(100);
  b.PluginFolder(L"markdown.wlx", ItemKind::ListerPlugin, L"markdown\\markdown.wlx");
  ASSERT_TRUE(b.Start(L"markdown.wlx"));
  ASSERT_TRUE(b.WaitUntilHeld());

  EXPECT_EQ(b.Entry(L"\\markdown.wlx\\Add").Info, L"Copying...");
  EXPECT_EQ(b.Entry(L"\\markdown.wlx\\Directory").Info, L"Copying...");
  EXPECT_EQ(b.Entry(L"\\markdown.wlx").Info, L"");
  EXPECT_FALSE(CompleteAdds(b.r.Tree(), &b.r.My(), b.pending));
  const std::wstring installed = b.StoreFolder(L'i');
  EXPECT_TRUE(b.pending.Holds(installed));
  {
    TBackup listed(b.r.PluginDir(), b.r.Tree(), BackupIcons{});
    EXPECT_GE(b.r.Tree().FindTreeItem(L"\\Backup\\1.markdown.wlx"), 0);
  }
  EXPECT_TRUE(platform::DirectoryExists(installed)) << "listing the store keeps it";
  EXPECT_FALSE(platform::PathExists(b.r.Path(L"plugins\\wlx\\Markdown")));
  EXPECT_TRUE(platform::DirectoryExists(b.r.Path(L"plugins\\wlx\\Markdown~copy")));
  EXPECT_TRUE(platform::FileExists(installed + L"copying.i"));
  EXPECT_EQ(FileLines(b.r.Path(L"plugins.ini")).size(), 13u) << "not registered during the copy";
  // Another change meanwhile makes the store's newest folder another one.
  ASSERT_TRUE(b.r.Backup().MakeBackup(BackupKind::Deleted, b.r.Path(L"notes.txt"), true));
  const std::wstring other = b.r.Backup().Dir;

  b.Release();
  EXPECT_TRUE(b.Finish());
  b.ExpectEntries(L"markdown.wlx", L"ADDED!", L"ADDED!", L"ADDED!");
  EXPECT_TRUE(platform::FileExists(installed + L"index.i")) << "recorded where the add began";
  EXPECT_TRUE(platform::FileExists(installed + L"plugins.ini.i"));
  EXPECT_FALSE(platform::FileExists(other + L"index.i"));
  EXPECT_EQ(SnapshotTree(b.r.Path(L"plugins\\wlx\\Markdown\\data")).entries.size(), 300u);
  EXPECT_FALSE(platform::PathExists(b.r.Path(L"plugins\\wlx\\Markdown~copy")));
  EXPECT_FALSE(b.pending.Holds(installed));
  EXPECT_FALSE(platform::FileExists(installed + L"copying.i"));
}

// The host closed while a copy ran: the add's folder still records what the
// copy was making, and undoing the add clears it away (folders the add
// created above it too).
TEST(Add, UndoingAnAddWhoseCopyNeverEndedClearsWhatItMade) {
  AddBench b;
  const test::TreeSnapshot before = SnapshotTree(b.r.MyDir());
  const std::wstring target = b.r.Path(L"plugins\\unfinished\\Thing");
  ASSERT_TRUE(b.r.Backup().MakeBackup(BackupKind::Installed, target + L"\\thing.wfx"));
  const std::wstring installed = b.r.Backup().Dir;
  ASSERT_TRUE(AppendTextLines(installed + kCopyingFile,
                              FormatCopyingRecord({target + L"~copy", target,
                                                   {b.r.Path(L"plugins\\unfinished")}})));
  test::WriteBytes(target + L"~copy\\thing.wfx", "half");
  test::WriteBytes(target + L"~copy\\lang\\x.lng", "half");

  EXPECT_EQ(RestoreInstalledFolder(installed, b.r.Backup(), &b.r.My()), RestoreFailure::None);
  EXPECT_EQ(test::DescribeDifferences(before, SnapshotTree(b.r.MyDir())), L"");
  EXPECT_TRUE(StoreFolders(b.r.StoreDir()).empty()) << "nothing of the user's to keep";
}

// The store's records are files on disk: one that names a folder that is not
// the add's own makes the undo change nothing.
TEST(Add, RecordsNamingAnotherFolderChangeNothing) {
  AddBench b;
  const std::wstring installedFile = b.r.Path(L"plugins\\wfx\\Cloud\\cloud.wfx");
  test::WriteBytes(installedFile, "installed");
  const test::TreeSnapshot before = SnapshotTree(b.r.MyDir());
  const std::wstring newFolder = b.r.NewDir() + L"\\plugins\\wfx\\Cloud";
  struct Case {
    const char* name;
    Lines index;
  };
  const Case cases[] = {
      {"My installation's program folder", {b.r.MyDir()}},
      {"a principal folder of My installation", {b.r.Path(L"plugins\\wfx")}},
      {"a folder outside My installation", {newFolder}},
      {"a folder that does not hold the installed file", {b.r.Path(L"plugins\\wfx\\ftp")}},
      {"a path with a way up", {b.r.Path(L"plugins\\wfx\\Cloud\\..\\ftp")}},
      {"a created folder that is not above it", {b.r.Path(L"plugins\\wfx\\Cloud"), L"made=" + b.r.MyDir()+ L"\\tools"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(b.r.Backup().MakeBackup(BackupKind::Installed, installedFile));
    const std::wstring installed = b.r.Backup().Dir;
    ASSERT_TRUE(AppendTextLines(installed + kCopiedFolderFile, c.index));
    EXPECT_EQ(RestoreInstalledFolder(installed, b.r.Backup(), &b.r.My()), RestoreFailure::Record);
    EXPECT_EQ(test::DescribeDifferences(before, SnapshotTree(b.r.MyDir())), L"");
    EXPECT_TRUE(platform::DirectoryExists(installed));
    DeleteDirectoryTree(installed, true);
  }
}

}  // namespace
}  // namespace orvelle

namespace orvelle {
namespace {

// My installation gives the plugin's name (in another case) to another
// plugin: the host would load only that one, so the add registers under a
// free name and says which; undoing it leaves My installation as it was.
TEST(Add, ANameAnotherPluginHasGivesWayToAFreeOne) {
  AddBench b;
  const std::wstring ini = b.r.Path(L"wincmd.ini");
  std::optional<TextDocument> doc = LoadTextFile(ini);
  ASSERT_TRUE(doc);
  auto section = std::find(doc->lines.begin(), doc->lines.end(), L"[FileSystemPlugins]");
  ASSERT_NE(section, doc->lines.end());
  doc->lines.insert(section + 1, L"облако=%COMMANDER_PATH%\\plugins\\wfx\\ftp\\ftp.wfx");
  ASSERT_TRUE(SaveTextFile(ini, *doc));
  const test::TreeSnapshot before = SnapshotTree(b.r.MyDir());

  ASSERT_TRUE(b.Add(L"Облако", ItemKind::FileSystemPlugin, L"cloud\\cloud.wfx"));
  b.ExpectEntries(L"Облако", L"ADDED!", L"ADDED!",
                  std::wstring(texts::kAddedAs) + L"Облако (2)" + texts::kAddedAsReason);
  const Lines lines = FileLines(ini);
  EXPECT_NE(std::find(lines.begin(), lines.end(),
                      L"Облако (2)=%COMMANDER_PATH%\\plugins\\wfx\\Cloud\\cloud.wfx"),
            lines.end());
  EXPECT_EQ(RestoreInstalledFolder(b.StoreFolder(L'i'), b.r.Backup(), &b.r.My()),
            RestoreFailure::None);
  EXPECT_EQ(test::DescribeDifferences(before, SnapshotTree(b.r.MyDir())), L"");
}

// Add all writes hundreds of records and flushes them together: every one
// of them is on the disk before My installation's configuration changes,
// and a record that cannot be flushed stops the batch with everything taken
// back.
TEST(AddAll, EveryRecordIsOnTheDiskBeforeTheConfigurationChanges) {
  for (const bool flushFails : {false, true}) {
    SCOPED_TRACE(flushFails ? "a record cannot be flushed" : "every record is flushed");
    AddBench b;
    const test::TreeSnapshot before = SnapshotTree(b.r.MyDir());
    std::vector<BatchItem> items;
    for (const RoundTrip& trip : RoundTrips()) {
      if (trip.prepare) continue;
      b.PluginFolder(trip.folder, trip.kind, trip.tail);
      BatchItem item;
      item.Index = b.r.Tree().FindTreeItem(L"\\" + trip.folder + L"\\Add");
      item.Kind = trip.kind;
      item.Name = trip.folder;
      item.NewRow = static_cast<size_t>(b.r.Tree()[item.Index].ActionIndex);
      items.push_back(item);
    }
    ASSERT_GE(items.size(), 4u);

    const std::wstring store = platform::LowerCase(b.r.StoreDir()) + L"\\";
    std::set<std::wstring> flushed;
    std::vector<std::wstring> unflushedAtChange;
    int configurationChanges = 0;
    bool failed = false;
    const FileFaultHook previous = SetFileFaultHook([&](FileStep step, const std::wstring& path) {
      const std::wstring lower = platform::LowerCase(path);
      if (step == FileStep::Flush) {
        flushed.insert(lower);
        if (!flushFails || failed) return false;
        failed = true;
        return true;
      }
      if (step != FileStep::Rename || !lower.ends_with(L".ini")) return false;
      ++configurationChanges;
      for (const auto& [name, bytes] : SnapshotTree(b.r.StoreDir()).entries) {
        const std::wstring file = store + platform::LowerCase(name);
        // The batch's name, written (and flushed) as it begins.
        const bool named = std::count(name.begin(), name.end(), L'\\') == 1 &&
                           name.ends_with(L"-i\\info.i");
        const bool batchRecord =
            name.find(L"-i\\") != std::wstring::npos && !name.ends_with(L"\\") && !named;
        if (batchRecord && !flushed.contains(file)) unflushedAtChange.push_back(name);
      }
      return false;
    });
    OperationContext ctx{b.r.Tree(), b.r.My(), &b.r.New(), b.r.Backup(), nullptr, b.r.PluginDir(),
                         L"", {}};
    const BatchResult result = RunAddAll(ctx, -1, items, {});
    SetFileFaultHook(previous);

    EXPECT_EQ(unflushedAtChange, Lines{});
    if (flushFails) {
      EXPECT_TRUE(failed);
      EXPECT_EQ(result.Outcome, BatchOutcome::Failed);
      EXPECT_EQ(test::DescribeDifferences(before, SnapshotTree(b.r.MyDir())), L"");
      EXPECT_TRUE(StoreFolders(b.r.StoreDir()).empty());
    } else {
      EXPECT_GT(configurationChanges, 0);
      EXPECT_EQ(result.Outcome, BatchOutcome::Done);
      EXPECT_EQ(result.Changed, static_cast<int>(items.size()));
      const std::wstring batch = b.StoreFolder(L'i');
      ASSERT_FALSE(batch.empty());
      EXPECT_EQ(RestoreBatchFolder(batch, b.r.Backup(), &b.r.My(), L"undo", nullptr),
                RestoreFailure::None);
      EXPECT_EQ(test::DescribeDifferences(before, SnapshotTree(b.r.MyDir())), L"");
    }
  }
}

}  // namespace
}  // namespace orvelle
