#include "forms/text_view.h"

#include <gtest/gtest.h>

namespace orvelle {
namespace {

// The side that has no text is greyed and loses its header word; all three
// texts take the sign's colour.
TEST(TextView, TheSignChoosesHeaderColoursAndTheGreyedSide) {
  Appearance look;
  look.foreColor = RGB(1, 2, 3);
  look.backColor = RGB(250, 250, 250);
  const COLORREF face = ::GetSysColor(COLOR_BTNFACE);
  struct Case {
    const wchar_t* status;
    const wchar_t* newWord;
    const wchar_t* myWord;
    COLORREF text, newBack, myBack;
  };
  const Case cases[] = {
      {L"*", L"New", L"", 48896, look.backColor, face},
      {L"!", L"", L"My", 12632256, face, look.backColor},
      {L"<>", L"New", L"My", 255, look.backColor, look.backColor},
      {L"=", L"New", L"My", 0, look.backColor, look.backColor},
      {L"?", L"New", L"My", look.foreColor, look.backColor, look.backColor},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.status);
    TextView view = BuildTextView({L"Commands", L"cm_Test", c.status, L"1: new", L"2: my"}, look);
    EXPECT_EQ(view.header[0], L" Commands");
    EXPECT_EQ(view.header[1], c.newWord);
    EXPECT_EQ(view.header[2], c.status);
    EXPECT_EQ(view.header[3], c.myWord);
    EXPECT_EQ(view.textColor, c.text);
    EXPECT_EQ(view.newBack, c.newBack);
    EXPECT_EQ(view.myBack, c.myBack);
    EXPECT_EQ(view.descriptionBack, look.backColor);
  }
}

TEST(TextView, TextsKeepTheirLinesForTheEditControls) {
  TextView view = BuildTextView({L"t", L"one\ntwo", L"!", L"", L"a\r\nb\rc\n"}, Appearance{});
  EXPECT_EQ(view.description, L"one\r\ntwo");
  EXPECT_EQ(view.newText, L"");
  EXPECT_EQ(view.myText, L"a\r\nb\r\nc\r\n");
}

}  // namespace
}  // namespace orvelle
