#include "forms/appearance.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

TEST(Appearance, ColoursOfTheConfigurationAreResolved) {
  struct Case {
    const wchar_t* value;
    COLORREF expected;
  };
  const Case cases[] = {
      {L"16777215", RGB(255, 255, 255)},
      {L"255", RGB(255, 0, 0)},
      {L" 48896 ", RGB(0, 191, 0)},
      {L"-16777208", ::GetSysColor(COLOR_WINDOWTEXT)},  // 0xFF000008
      {L"-16777211", ::GetSysColor(COLOR_WINDOW)},      // 0xFF000005
      // Unset, damaged or out of range: the fallback system colour.
      {L"-1", ::GetSysColor(COLOR_HIGHLIGHT)},
      {L"", ::GetSysColor(COLOR_HIGHLIGHT)},
      {L"blue", ::GetSysColor(COLOR_HIGHLIGHT)},
      {L"33554432", ::GetSysColor(COLOR_HIGHLIGHT)},
      {L"-16777000", ::GetSysColor(COLOR_HIGHLIGHT)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ResolveColor(c.value, COLOR_HIGHLIGHT), c.expected) << c.value;
  }
}

TEST(Appearance, MyInstallationGivesFontsAndColours) {
  TTC my(L"c:\\tc\\totalcmd.exe");
  my.FontNames = {L"Tahoma", L"Segoe UI"};
  my.FontSizes = {9, 10};
  my.FontWeightFlags = {true, false};
  my.ForeColor = L"-16777208";
  my.BackColor = L"16777215";
  Appearance a = AppearanceOf(&my);
  EXPECT_EQ(a.panelFont.name, L"Tahoma");
  EXPECT_EQ(a.panelFont.points, 9);
  EXPECT_TRUE(a.panelFont.bold);
  EXPECT_EQ(a.windowFont.name, L"Segoe UI");
  EXPECT_EQ(a.windowFont.points, 10);
  EXPECT_FALSE(a.windowFont.bold);
  EXPECT_EQ(a.foreColor, ::GetSysColor(COLOR_WINDOWTEXT));
  // An unset second background repeats the first.
  EXPECT_EQ(a.backColor2, RGB(255, 255, 255));

  Appearance none = AppearanceOf(nullptr);
  EXPECT_EQ(none.backColor, ::GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(none.panelFont.name, L"Microsoft Sans Serif");
}

TEST(Appearance, SignColours) {
  const COLORREF fore = RGB(9, 9, 9);
  EXPECT_EQ(SignColor(L">", fore), 16744527u);
  EXPECT_EQ(SignColor(L"<", fore), 12632256u);
  EXPECT_EQ(SignColor(L"!", fore), 12632256u);
  EXPECT_EQ(SignColor(L"<>", fore), 255u);
  EXPECT_EQ(SignColor(L"*", fore), 48896u);
  EXPECT_EQ(SignColor(L"=", fore), 0u);
  EXPECT_EQ(SignColor(L"", fore), 0u);
  EXPECT_EQ(SignColor(L"*!", fore), fore);
}

}  // namespace
}  // namespace orvelle
