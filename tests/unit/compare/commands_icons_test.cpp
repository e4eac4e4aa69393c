#include "compare/run_comparison.h"
#include "unit/compare/compare_fixture.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

using test::CompareFixture;

const std::wstring kUnit = test::kInstPath + L"Main unit\\";
const std::wstring kCommands = kUnit + L"Commands\\";

struct Command {
  const wchar_t* name;
  const wchar_t* number;
  const wchar_t* description;
  int category;
};

void SetCommands(TTC& model, std::vector<std::wstring> categories,
                 std::initializer_list<Command> commands) {
  model.CommandCategories = std::move(categories);
  for (const Command& c : commands) {
    model.CommandNames.push_back(c.name);
    model.CommandNumbers.push_back(c.number);
    model.CommandDescriptions.push_back(c.description);
    model.CommandCategoryOf.push_back(c.category);
  }
}

platform::unique_hicon NewIcon() {
  return platform::unique_hicon(::CopyIcon(::LoadIconW(nullptr, IDI_APPLICATION)));
}

class CommandComparison : public testing::Test {
 protected:
  void SetUp() override {
    SetCommands(f.New(), {L"File", L"Mark"},
                {{L"cm_Copy", L"3101", L"Copy files", 0},
                 {L"cm_Renamed", L"3200", L"Renamed", 0},
                 {L"cm_New", L"3300", L"", 1},
                 {L"cm_Select", L"524", L"Select", 1}});
    SetCommands(f.My(), {L"File", L"Network", L"mark"},
                {{L"cm_Copy", L"3101", L"Copy files", 0},
                 {L"cm_renamed", L"3100", L"Old number", 0},
                 {L"cm_SELECT", L"524", L"Select", 2},
                 {L"cm_Gone", L"900", L"Gone", 0},
                 {L"cm_NetOnly", L"2000", L"Net", 1},
                 {L"cm_MarkOnly", L"2001", L"Mark only", 2}});
    f.New().IconNumbers = {3101, 524};
    f.New().IconIndexes = {1, 5};  // 5 lies past the icon list
    f.New().WcmIconHandles.push_back(NewIcon());
    f.New().WcmIconHandles.push_back(NewIcon());
    BuildMainUnitSkeleton(f.Ctx());
  }
  CompareFixture f;
};

TEST_F(CommandComparison, ByCategoryWithMyOnlyCategoryLast) {
  CompareCommands(f.Ctx());
  EXPECT_EQ(f.Listing(kCommands),
            (std::vector<std::wstring>{L"File|!<>=", L"Mark|!*=", L"Network|!"}));
  EXPECT_EQ(f.Listing(kCommands + L"File\\"),
            (std::vector<std::wstring>{L"cm_Copy.3101|=", L"cm_Renamed.3200|<>",
                                       L"cm_Gone.900|!"}));
  // Names match in any case; a My-only category of another case is the New one.
  EXPECT_EQ(f.Listing(kCommands + L"Mark\\"),
            (std::vector<std::wstring>{L"cm_New.3300|*", L"cm_Select.524|=",
                                       L"cm_MarkOnly.2001|!"}));
  EXPECT_EQ(f.Listing(kCommands + L"Network\\"), std::vector<std::wstring>{L"cm_NetOnly.2000|!"});
  EXPECT_EQ(f.At(kUnit + L"Commands").Status, L"!*<>=");
}

TEST_F(CommandComparison, TextComparisonFields) {
  CompareCommands(f.Ctx());
  const TVirtualTreeItem& renamed = f.At(kCommands + L"File\\cm_Renamed.3200");
  EXPECT_EQ(renamed.Status, L"<>");
  EXPECT_TRUE(renamed.CommandEntry);
  EXPECT_FALSE(renamed.IsFolder);
  EXPECT_EQ(renamed.TextStatus, L"<>");
  EXPECT_EQ(renamed.TextTitle, L"Commands");
  EXPECT_EQ(renamed.TextDescription, L"cm_Renamed");
  EXPECT_EQ(renamed.NewText, L"3200: Renamed");
  EXPECT_EQ(renamed.MyText, L"3100: Old number");
  EXPECT_EQ(renamed.Info, L"Renamed");

  const TVirtualTreeItem& added = f.At(kCommands + L"Mark\\cm_New.3300");
  EXPECT_EQ(added.Status, L"*");
  EXPECT_EQ(added.NewText, L"3300: ");
  EXPECT_EQ(added.MyText, L"");

  const TVirtualTreeItem& gone = f.At(kCommands + L"File\\cm_Gone.900");
  EXPECT_EQ(gone.Status, L"!");
  EXPECT_EQ(gone.TextStatus, L"!");
  EXPECT_EQ(gone.Info, L"Gone");
  EXPECT_EQ(gone.NewText, L"");
  EXPECT_EQ(gone.MyText, L"900: Gone");
  EXPECT_EQ(gone.TextDescription, L"cm_Gone");
  EXPECT_EQ(gone.ParentIndex, f.Tree().FindTreeItem(kCommands + L"File"));
}

TEST_F(CommandComparison, IconsFromTheMappingOnlyWithItsFile) {
  f.File(L"new\\WCMICONS.INC", "3101=1");
  CompareCommands(f.Ctx());
  EXPECT_EQ(f.At(kCommands + L"File\\cm_Copy.3101").Icon, f.New().WcmIconHandles[1].get());
  EXPECT_EQ(f.At(kCommands + L"Mark\\cm_Select.524").Icon, nullptr) << "index past the list";
}

TEST_F(CommandComparison, GenericIconWithoutMappingFile) {
  CompareCommands(f.Ctx());
  EXPECT_EQ(f.At(kCommands + L"File\\cm_Copy.3101").Icon, nullptr);
}

TEST(CommandComparisonEdge, CategoryIndexOutOfRangeStaysInCommandsFolder) {
  CompareFixture f;
  SetCommands(f.New(), {}, {{L"cm_Loose", L"1", L"no header", 0}});
  SetCommands(f.My(), {}, {{L"cm_Other", L"2", L"", 7}});
  BuildMainUnitSkeleton(f.Ctx());
  CompareCommands(f.Ctx());
  EXPECT_EQ(f.Listing(kCommands), (std::vector<std::wstring>{L"cm_Loose.1|*", L"cm_Other.2|!"}));
  EXPECT_EQ(f.At(kUnit + L"Commands").Status, L"!*");
}

// Icon lists of n entries; fingerprint i is i unless changed. Icons are slow
// to make, so only the last three positions get one.
void SetIcons(std::vector<platform::unique_hicon>& handles, std::vector<uint32_t>& prints,
              size_t n) {
  for (size_t i = 0; i < n; ++i) {
    handles.push_back(i + 3 >= n ? NewIcon() : platform::unique_hicon());
    prints.push_back(static_cast<uint32_t>(i));
  }
}

TEST(IconComparison, PositionByPosition) {
  CompareFixture f;
  f.File(L"new\\WCMICONS.DLL");
  SetIcons(f.New().IconLibHandles, f.New().IconLibFingerprints, 300);
  SetIcons(f.My().IconLibHandles, f.My().IconLibFingerprints, 280);
  f.New().IconLibFingerprints[5] = 99999;
  SetIcons(f.New().WcmIconHandles, f.New().WcmIconFingerprints, 2);
  SetIcons(f.My().WcmIconHandles, f.My().WcmIconFingerprints, 3);
  f.My().WcmIconFingerprints[1] = 99999;
  BuildMainUnitSkeleton(f.Ctx());
  CompareIcons(f.Ctx());

  const std::wstring lib = kUnit + L"Icons\\TOTALCMD.EXE\\";
  std::vector<std::wstring> listed = f.Listing(lib);
  ASSERT_EQ(listed.size(), 300u);
  for (size_t i = 0; i < listed.size(); ++i) {
    std::wstring status = i == 5 ? L"<>" : i < 280 ? L"=" : L"*";
    EXPECT_EQ(listed[i], std::to_wstring(i + 1) + L".ico|" + status);
  }
  EXPECT_EQ(f.At(lib + L"300.ico").Icon, f.New().IconLibHandles[299].get());

  const std::wstring wcm = kUnit + L"Icons\\WCMICONS.DLL\\";
  EXPECT_EQ(f.Listing(wcm), (std::vector<std::wstring>{L"1.ico|=", L"2.ico|<>", L"3.ico|!"}));
  EXPECT_EQ(f.At(wcm + L"3.ico").Icon, f.My().WcmIconHandles[2].get());

  EXPECT_EQ(f.At(kUnit + L"Icons\\TOTALCMD.EXE").Status, L"*<>=");
  EXPECT_EQ(f.At(kUnit + L"Icons\\WCMICONS.DLL").Status, L"!<>=");
  EXPECT_EQ(f.At(kUnit + L"Icons").Status, L"!*<=>");
}

TEST(IconComparison, MyWcmIconsAloneMakeNoFolder) {
  CompareFixture f;
  f.File(L"my\\WCMICONS.DLL");
  SetIcons(f.My().WcmIconHandles, f.My().WcmIconFingerprints, 2);
  BuildMainUnitSkeleton(f.Ctx());
  CompareIcons(f.Ctx());
  EXPECT_EQ(f.Listing(kUnit + L"Icons\\"), std::vector<std::wstring>{L"TOTALCMD.EXE|"});
  EXPECT_EQ(f.At(kUnit + L"Icons").Status, L"");
}

}  // namespace
}  // namespace orvelle
