#include "gui/Accelerators.h"

#include <gtest/gtest.h>

using gui::withAccelerators;
using gui::withoutAccelerator;

TEST(AcceleratorsTest, ShortCaptionsPickFirstAndWordInitialsComeBeforeOtherCharacters)
{
    // The three "Help >" need three of their four letters; the longer captions still find word initials.
    EXPECT_EQ(withAccelerators({u"Save Results"_qs, u"Select All"_qs, u"Help >"_qs, u"Help >"_qs, u"Help >"_qs}),
              QStringList({u"Save &Results"_qs, u"&Select All"_qs, u"&Help >"_qs, u"H&elp >"_qs, u"He&lp >"_qs}));
    // Letters are compared without case; digits count as well.
    EXPECT_EQ(withAccelerators({u"add"_qs, u"All"_qs, u"2 x"_qs}), QStringList({u"&add"_qs, u"A&ll"_qs, u"&2 x"_qs}));
    // A caption without a free character stays as it is.
    EXPECT_EQ(withAccelerators({u"..."_qs, u"ab"_qs, u"ab"_qs, u"ab"_qs, u""_qs}),
              QStringList({u"..."_qs, u"&ab"_qs, u"a&b"_qs, u"ab"_qs, u""_qs}));
}

TEST(AcceleratorsTest, ACaptionLeftWithoutAKeyTakesOneFromACaptionThatCanMove)
{
    // "ab" finds a and b taken; "ac" gives up a for c.
    EXPECT_EQ(withAccelerators({u"ac"_qs, u"ba"_qs, u"ab"_qs}), QStringList({u"a&c"_qs, u"&ba"_qs, u"&ab"_qs}));
}

TEST(AcceleratorsTest, ExistingAcceleratorsAreKeptAndReservedAndMarkersComeOutAgain)
{
    // The later caption's own "&S" is reserved before the earlier one picks; "&&" is a literal ampersand.
    EXPECT_EQ(withAccelerators({u"Save"_qs, u"&Send"_qs, u"Tom && Jerry"_qs}),
              QStringList({u"S&ave"_qs, u"&Send"_qs, u"&Tom && Jerry"_qs}));
    EXPECT_EQ(withoutAccelerator(u"&Tom && Jerry"_qs), u"Tom & Jerry"_qs);
    EXPECT_EQ(withoutAccelerator(u"Not Contain&. This Text:"_qs), u"Not Contain. This Text:"_qs);
    EXPECT_EQ(withoutAccelerator(u"x&"_qs), u"x&"_qs);
}
