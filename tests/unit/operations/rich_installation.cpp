#include "rich_installation.h"

#include "../tc/tc_test_helpers.h"
#include "platform/strings.h"
#include "tc/button_bars.h"
#include "tc/command_targets.h"
#include "tc/configuration_reader.h"
#include "tc/menu_reader.h"
#include "tc/plugin_directories.h"
#include "tc/principal_dirs.h"

#include <stdexcept>

namespace orvelle::test {

namespace {

constexpr wchar_t kUserFolder[] = L"Настройки";

void Load(TTC& model) {
  for (bool (*read)(TTC&) : {static_cast<bool (*)(TTC&)>(LoadConfiguration), ReadButtonBarFiles,
                             ReadMainMenu, ReadCommandTargets, ReadPrincipalDirectories,
                             SettlePluginDirectories}) {
    if (!read(model)) throw std::runtime_error("the test installation cannot be read");
  }
}

void WriteMy(const std::wstring& dir) {
  WriteTextFile(dir + L"\\wincmd.ini",
                L"[Configuration]\n"
                L"UseIniInProgramDir=7\n"
                L"Mainmenu=WCMD_ENG.MNU\n"
                L"AlternateUserIni=%COMMANDER_PATH%\\" + std::wstring(kUserFolder) + L"\\user.ini\n"
                L"; Вход: the plugins of this machine\n"
                L"[FileSystemPlugins]\n"
                L"Диск=%COMMANDER_PATH%\\plugins\\wfx\\disk\\disk.wfx\n"
                L"FTP=%COMMANDER_PATH%\\plugins\\wfx\\ftp\\ftp.wfx\n"
                L"[PackerPlugins]\n"
                L"7z=735,%COMMANDER_PATH%\\plugins\\wcx\\7zip\\7zip.wcx\n"
                L"iso=192,%COMMANDER_PATH%\\plugins\\wcx\\iso\\iso.wcx\n"
                L"lzma=607,%COMMANDER_PATH%\\plugins\\wcx\\7zip\\7zip.wcx\n"
                L"[ListerPlugins]\n"
                L"RedirectSection=%COMMANDER_PATH%\\plugins.ini\n"
                L"[ContentPlugins]\n"
                L"RedirectSection=%COMMANDER_PATH%\\plugins.ini\n",
                Encoding::Utf16);
  WriteTextFile(dir + L"\\plugins.ini",
                L"[ListerPlugins]\n"
                L"0=%COMMANDER_PATH%\\plugins\\wlx\\preview\\preview.wlx\n"
                L"0_detect=\"EXT=\"\"PNG\"\"\"\n"
                L"1=%COMMANDER_PATH%\\plugins\\wlx\\view\\view.wlx\n"
                L"1_detect=EXT=\"TXT\" | EXT=\"文本\"\n"
                L"2=%COMMANDER_PATH%\\plugins\\wlx\\hex\\hex.wlx\n"
                L"2_detect=MULTIMEDIA\n"
                L"3=%COMMANDER_PATH%\\plugins\\wlx\\hex\\hexdump.wlx\n"
                L"[ContentPlugins]\n"
                L"0=%COMMANDER_PATH%\\plugins\\wdx\\exif\\exif.wdx\n"
                L"0_detect=EXT=\"JPG\"\n"
                L"1=%COMMANDER_PATH%\\plugins\\wdx\\size\\size.wdx\n"
                L"1_detect=EXT=\"*\"\n",
                Encoding::Utf16);
  WriteTextFile(dir + L"\\" + kUserFolder + L"\\user.ini",
                L"[searches]\n"
                L"Фото_SearchFor=*.jpg\n"
                L"Фото_SearchIn=\n"
                L"Фото_SearchFlags=0|000002000020|||||||||0000|\n"
                L"Фото_plugin=exif.Model=\"Camera\"\n"
                L"Texts_SearchFor=*.txt\n"
                L"[user]\n"
                L"menu1=Редактор\n"
                L"cmd1=%COMMANDER_PATH%\\tools\\editor\\editor.exe\n"
                L"param1=\"%P%N\"\n"
                L"menu2=Notes\n"
                L"cmd2=%COMMANDER_PATH%\\notes.txt\n"
                L"menu3=Notepad\n"
                L"cmd3=notepad.exe\n"
                L"param3=%P%N\n"
                L"[DirMenu]\n"
                L"menu1=Notes\n"
                L"cmd1=%COMMANDER_PATH%\\notes.txt\n"
                L"menu2=Temp\n"
                L"cmd2=cd %TEMP%\n",
                Encoding::Utf16);
  WriteTextFile(dir + L"\\default.bar",
                L"[Buttonbar]\n"
                L"Buttoncount=5\n"
                L"button1=wcmicons.dll,15\n"
                L"cmd1=cm_List\n"
                L"button2=\n"
                L"cmd2=%COMMANDER_PATH%\\notes.txt\n"
                L"menu2=Notes\n"
                L"button3=\n"
                L"cmd3=%COMMANDER_PATH%\\tools\\editor\\editor.exe\n"
                L"button4=\n"
                L"cmd4=OPENBAR %COMMANDER_PATH%\\bars\\more.bar\n"
                L"button5=\n"
                L"cmd5=notepad.exe\n");
  WriteTextFile(dir + L"\\bars\\more.bar",
                L"[Buttonbar]\n"
                L"Buttoncount=2\n"
                L"button1=\n"
                L"cmd1=.\\notes.txt\n"
                L"menu1=Заметки\n"
                L"button2=\n"
                L"cmd2=*%COMMANDER_PATH%\\tools\\editor\\editor.exe /x\n",
                Encoding::Utf16);
  WriteTextFile(dir + L"\\LANGUAGE\\WCMD_ENG.MNU",
                L"POPUP \"&Files\"\n"
                L"  MENUITEM \"&Notes\", %COMMANDER_PATH%\\notes.txt\n"
                L"  POPUP \"&Tools\"\n"
                L"    MENUITEM \"&Editor\", %COMMANDER_PATH%\\tools\\editor\\editor.exe\n"
                L"    MENUITEM \"N&otes again\", \"%COMMANDER_PATH%\\notes.txt\"\n"
                L"  END_POPUP\n"
                L"  MENUITEM \"&Quit\", cm_Exit\n"
                L"END_POPUP\n"
                L"POPUP \"&Help\"\n"
                L"  MENUITEM \"Notepad\", notepad.exe\n"
                L"END_POPUP\n");
  WriteTextFile(dir + L"\\notes.txt", L"Notes of the user\n");
  WriteTextFile(dir + L"\\tools\\editor\\editor.ini", L"[Editor]\nTabs=4\n");
  for (const wchar_t* file :
       {L"totalcmd.exe", L"tools\\editor\\editor.exe", L"plugins\\wfx\\disk\\disk.wfx",
        L"plugins\\wfx\\ftp\\ftp.wfx", L"plugins\\wfx\\ftp\\ftp.wfx64",
        L"plugins\\wcx\\7zip\\7zip.wcx", L"plugins\\wcx\\iso\\iso.wcx",
        L"plugins\\wlx\\preview\\preview.wlx", L"plugins\\wlx\\view\\view.wlx",
        L"plugins\\wlx\\hex\\hex.wlx", L"plugins\\wlx\\hex\\hexdump.wlx",
        L"plugins\\wdx\\exif\\exif.wdx", L"plugins\\wdx\\size\\size.wdx"}) {
    WriteTextFile(dir + L"\\" + file, std::wstring(L"binary of ") + file);
  }
  WriteTextFile(dir + L"\\plugins\\wlx\\view\\view.txt", L"how to view\n");
}

void WriteNew(const std::wstring& dir) {
  WriteTextFile(dir + L"\\wincmd.ini",
                L"[Configuration]\nUseIniInProgramDir=7\n"
                L"[FileSystemPlugins]\n"
                L"Облако=%COMMANDER_PATH%\\plugins\\wfx\\Cloud\\cloud.wfx\n"
                L"Loose=%COMMANDER_PATH%\\loose.wfx\n"
                L"[PackerPlugins]\n"
                L"rar=69,%COMMANDER_PATH%\\plugins\\wcx\\Rar\\rar.wcx\n"
                L"r01=64,%COMMANDER_PATH%\\plugins\\wcx\\Rar\\rar.wcx\n"
                L"[ListerPlugins]\n"
                L"0=%COMMANDER_PATH%\\plugins\\wlx\\view\\view.wlx\n"
                L"1=%COMMANDER_PATH%\\plugins\\wlx\\Markdown\\markdown.wlx\n"
                L"1_detect=EXT=\"MD\" | EXT=\"文本\"\n"
                L"[ContentPlugins]\n"
                L"0=%COMMANDER_PATH%\\plugins\\wdx\\FileAttrs\\fileattrs.wdx\n",
                Encoding::Utf16);
  WriteTextFile(dir + L"\\LANGUAGE\\WCMD_ENG.MNU", L"POPUP \"&Files\"\nEND_POPUP\n");
  WriteTextFile(dir + L"\\totalcmd.exe", L"new program");
  WriteTextFile(dir + L"\\plugins\\wlx\\view\\view.wlx", L"newer view");
  for (const wchar_t* file :
       {L"plugins\\wfx\\Cloud\\cloud.wfx", L"plugins\\wfx\\Cloud\\cloud.wfx64",
        L"plugins\\wfx\\Cloud\\Язык\\русский.lng", L"loose.wfx", L"loose.wfx64",
        L"plugins\\wcx\\Rar\\rar.wcx", L"plugins\\wlx\\Markdown\\markdown.wlx",
        L"plugins\\wlx\\Markdown\\readme.txt", L"plugins\\wdx\\FileAttrs\\fileattrs.wdx"}) {
    WriteTextFile(dir + L"\\" + file, std::wstring(L"New's ") + file);
  }
}

}  // namespace

RichInstallation::RichInstallation() : RichInstallation(std::wstring()) {}

RichInstallation::RichInstallation(const std::wstring& storeParent)
    : pluginHolder_(storeParent.empty() ? std::make_unique<TempDir>()
                                        : std::make_unique<TempDir>(storeParent)),
      plugin_(*pluginHolder_) {
  WriteMy(my_.Path());
  WriteNew(new_.Path());
  myModel_ = std::make_unique<TTC>(ModelIn(my_.Path()));
  newModel_ = std::make_unique<TTC>(ModelIn(new_.Path()));
  Load(*myModel_);
  Load(*newModel_);
  backup_ = std::make_unique<TBackup>(PluginDir(), tree_, BackupIcons{});
  backup_->Clock = [this] { return clock_ += 1.0 / 86400000; };
}

int RichInstallation::RowEndingWith(const std::vector<std::wstring>& list,
                                    const std::wstring& tail) {
  for (size_t i = 0; i < list.size(); ++i) {
    if (platform::LowerCase(list[i]).ends_with(platform::LowerCase(tail))) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

}  // namespace orvelle::test
