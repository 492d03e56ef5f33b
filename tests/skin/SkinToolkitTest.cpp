#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "SkinTestSupport.h"
#include "platform/window/Guid.h"
#include "skin/LoadDialog.h"
#include "skin/SkinToolkit.h"
#include "skin/WideText.h"

namespace skintest {
namespace {

std::u16string Units(const skin::ByteArray& wide) {
  std::u16string units(wide.size() / 2, u'\0');
  std::memcpy(units.data(), wide.data(), units.size() * 2);
  return units;
}

TEST(AnsiToWide, GivesUtf16UnitsWithTheTerminatingZero) {
  struct Case {
    std::string text;
    std::u16string units;
  };
  const std::vector<Case> cases = {
      {"", std::u16string(1, u'\0')},
      {"Ab", std::u16string(u"Ab\0", 3)},
      {"霓波真彩控件.图片框", std::u16string(u"霓波真彩控件.图片框\0", 11)},
      // Beyond the basic plane: one character, two units.
      {"\xF0\x9F\x98\x80", std::u16string(u"\U0001F600\0", 3)},
      // Narrow text ends at its first zero.
      {std::string("ab\0cd", 5), std::u16string(u"ab\0", 3)},
  };
  for (const Case& c : cases) {
    const skin::ByteArray wide = skin::AnsiToWide(c.text);
    ASSERT_EQ(wide.size(), c.units.size() * 2) << c.text;
    EXPECT_EQ(Units(wide), c.units) << c.text;
  }
}

TEST(ParseGuid, ReadsTheBracedFormInEitherCase) {
  const platform::Guid expected = platform::kFrameDimensionTime;
  EXPECT_EQ(platform::ParseGuid(skin::AnsiToWide("{6AEDBD6D-3FB5-418A-83A6-7F45229DC872}")),
            expected);
  EXPECT_EQ(platform::ParseGuid(skin::AnsiToWide("{6aedbd6d-3fb5-418a-83a6-7f45229dc872}")),
            expected);
}

TEST(ParseGuid, RefusesMalformedText) {
  for (const char* text :
       {"", "6AEDBD6D-3FB5-418A-83A6-7F45229DC872", "{6AEDBD6D-3FB5-418A-83A6-7F45229DC87}",
        "{6AEDBD6D-3FB5-418A-83A6-7F45229DC8721}", "{6AEDBD6D-3FB5-418A-83A67F45229DC872-}",
        "{6AEDBD6D-3FB5-418A-83A6-7F45229DC87G}", "{+AEDBD6D-3FB5-418A-83A6-7F45229DC872}"}) {
    EXPECT_FALSE(platform::ParseGuid(skin::AnsiToWide(text))) << text;
  }
}

class StartSkinToolkitTest : public SkinTest {};

TEST_F(StartSkinToolkitTest, StartsImagingAndReadsTheTimeDimension) {
  EXPECT_NE(skin::GdiPlusToken(), 0u);
  EXPECT_EQ(skin::TimeDimension(), platform::kFrameDimensionTime);
  KeepImage(platform::CreateBitmap(1, 1).image);
}

TEST_F(StartSkinToolkitTest, RegistersTheLoadDialogClass) {
  const auto registered = platform::GetClassInfo("NimboLoadDialog");
  ASSERT_TRUE(registered);
  EXPECT_EQ(registered->procedure, &skin::LoadDialogProc);
  EXPECT_EQ(registered->style,
            platform::kClassRedrawOnWidthChange | platform::kClassRedrawOnHeightChange);
  EXPECT_EQ(registered->cursor, platform::Cursor::Arrow);
  EXPECT_EQ(registered->background, platform::SystemColor::ButtonFace);
}

TEST_F(StartSkinToolkitTest, StartingTwiceKeepsEverythingWorking) {
  skin::StartSkinToolkit();
  EXPECT_EQ(skin::TimeDimension(), platform::kFrameDimensionTime);
  EXPECT_EQ(platform::GetClassInfo("NimboLoadDialog")->procedure, &skin::LoadDialogProc);
}

}  // namespace
}  // namespace skintest
