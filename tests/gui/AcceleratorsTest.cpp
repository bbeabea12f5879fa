#include "gui/Accelerators.h"

#include <gtest/gtest.h>

using gui::withoutAccelerator;

// Word initials come before other characters, letters compare without case and digits count; a caption left
// without a key takes one from a caption that can move; given accelerators are kept and reserved first.
TEST(AcceleratorsTest, EachCaptionGetsAKeyOfItsOwnWhileOneIsFreeAndMarkersComeOutAgain)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Save Results|Select All|Help >|Help >|Help >", "Save &Results|&Select All|&Help >|H&elp >|He&lp >"},
        {"add|All|2 x", "&add|A&ll|&2 x"},
        {"...|ab|ab|ab|", "...|&ab|a&b|ab|"},
        {"ac|ba|ab", "a&c|&ba|&ab"},
        {"Save|&Send|Tom && Jerry", "S&ave|&Send|&Tom && Jerry"},
    };
    for (const auto& [captions, expected] : cases)
        EXPECT_EQ(gui::withAccelerators(QString::fromLatin1(captions).split(u'|')).join(u'|'), QLatin1String(expected));
    EXPECT_EQ(withoutAccelerator(u"&Tom && Jerry"_qs), u"Tom & Jerry"_qs);
    EXPECT_EQ(withoutAccelerator(u"Not Contain&. This Text:"_qs), u"Not Contain. This Text:"_qs);
    EXPECT_EQ(withoutAccelerator(u"x&"_qs), u"x&"_qs);
}
