#include "tc/command_list.h"
#include "tc/icon_readers.h"
#include "tc/ttc.h"
#include "tc_test_helpers.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace orvelle {
namespace {

using Lines = std::vector<std::wstring>;

TEST(CommandList, CategoriesAndCommands) {
  TTC model(L"C:\\TC\\totalcmd.exe");
  ParseCommandList({L"cm_Orphan=1;Before any header",
                    L"[____File_Operations____]=0",
                    L"; a comment",
                    L"cm_Copy=905;Copy files",
                    L"cm_NoDescription=906",
                    L"=907;no name",
                    L"not a command",
                    L"[__Params__]=0",
                    L"OPENBAR <filename>=-8;Load bar;with a semicolon"},
                   model);
  EXPECT_EQ(model.CommandCategories, (Lines{L"", L"FileOperations", L"Params"}));
  EXPECT_EQ(model.CommandNames,
            (Lines{L"cm_Orphan", L"cm_Copy", L"cm_NoDescription", L"OPENBAR <filename>"}));
  EXPECT_EQ(model.CommandNumbers, (Lines{L"1", L"905", L"906", L"-8"}));
  EXPECT_EQ(model.CommandDescriptions,
            (Lines{L"Before any header", L"Copy files", L"", L"Load bar;with a semicolon"}));
  EXPECT_EQ(model.CommandCategoryOf, (std::vector<int>{0, 1, 1, 2}));
}

// Puts a real-world file into a temporary program folder under its own name.
void CopyIntoProgramFolder(const test::TempDir& dir, const wchar_t* realWorld, const wchar_t* name) {
  ASSERT_TRUE(::CopyFileW(test::RealWorldFile(realWorld).c_str(), (dir / name).c_str(), FALSE));
}

TEST(CommandList, RealCommandListOfVersion11) {
  test::TempDir dir;
  CopyIntoProgramFolder(dir, L"chchoiw-TC\\TOTALCMD.INC", L"TOTALCMD.INC");
  TTC model(dir / L"TOTALCMD.EXE");
  ASSERT_TRUE(ReadCommandList(model));
  // 593 "cm_" commands and 27 commands with parameters.
  EXPECT_EQ(model.CommandNames.size(), 620u);
  EXPECT_EQ(std::count_if(model.CommandNames.begin(), model.CommandNames.end(),
                          [](const std::wstring& name) { return name.rfind(L"cm_", 0) == 0; }),
            593);
  EXPECT_EQ(model.CommandCategories.size(), 25u);
  EXPECT_EQ(model.CommandCategories.front(), L"Source");
  EXPECT_EQ(model.CommandCategories[3], L"File Operations");
  EXPECT_EQ(model.CommandCategories.back(), L"Commands with Parameters");
  EXPECT_EQ(model.CommandNames.back(), L"OPENBARMENU <filename>");
  EXPECT_EQ(model.CommandNumbers.back(), L"-28");
  EXPECT_EQ(model.CommandCategoryOf.back(), 24);
  EXPECT_EQ(model.CommandNames.front(), L"cm_SrcComments");
  EXPECT_EQ(model.CommandDescriptions.front(), L"Source: Show comments");
}

TEST(CommandList, MissingFileIsRecordedAndTheStartGoesOn) {
  test::TempDir dir;
  TTC model(dir / L"TOTALCMD.EXE");
  model.CommandNames = {L"cm_Stale"};
  test::MessageRecorder boxes;
  EXPECT_TRUE(ReadCommandList(model));
  EXPECT_TRUE(boxes.texts.empty());
  EXPECT_EQ(model.MissingCommandList, dir / L"TOTALCMD.INC");
  EXPECT_TRUE(model.CommandNames.empty());
}

TEST(IconIndexes, MappingAfterCommentAndHeaderLines) {
  test::TempDir dir;
  CopyIntoProgramFolder(dir, L"chchoiw-TC\\WCMICONS.INC", L"WCMICONS.INC");
  TTC model(dir / L"TOTALCMD.EXE");
  ASSERT_TRUE(ReadIconIndexes(model));
  // Every line but the comment and the header is a mapping.
  EXPECT_EQ(model.IconNumbers.size(), 485u);
  EXPECT_EQ(model.IconIndexes.size(), 485u);
  EXPECT_EQ(model.IconNumbers.front(), 69);
  EXPECT_EQ(model.IconIndexes.front(), 26);
}

TEST(IconIndexes, LinesAreCleanedAndCheckedBeforeUse) {
  TTC model(L"C:\\TC\\totalcmd.exe");
  ParseIconIndexes({L" 1 2 = 0 7 ", L"\t;3=4", L"5=", L"=6", L"x=1", L"2=y", L"+8=-009"}, model);
  EXPECT_EQ(model.IconNumbers, (std::vector<int>{12, 8}));
  EXPECT_EQ(model.IconIndexes, (std::vector<int>{7, -9}));
  // Without the file both lists are empty.
  ASSERT_TRUE(ReadIconIndexes(model));
  EXPECT_TRUE(model.IconNumbers.empty());
}

}  // namespace
}  // namespace orvelle
