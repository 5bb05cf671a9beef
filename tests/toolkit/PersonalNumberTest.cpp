#include "toolkit/core/PersonalNumber.h"

#include <gtest/gtest.h>

using namespace toolkit;

struct NumberCase {
    const char* text;
    bool characters, date, special, acceptedFromControl;
};

class PersonalNumberTests : public testing::TestWithParam<NumberCase> {};

TEST_P(PersonalNumberTests, TestsAgreeWithTheRules)
{
    const NumberCase& c = GetParam();
    EXPECT_EQ(IsPersonalNumberText(c.text), c.characters);
    EXPECT_EQ(IsPersonalNumberDate(c.text), c.date);
    EXPECT_EQ(IsSpecialQ7Number(c.text), c.special);
    EXPECT_EQ(NumberFromControlText(c.text).has_value(), c.acceptedFromControl);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, PersonalNumberTests,
    testing::Values(NumberCase{"19121212-1212", true, true, false, true},
                    NumberCase{"19121272-1212", true, true, false, true}, // coordination number
                    NumberCase{"19121242-1212", true, false, false, false}, // day 42
                    NumberCase{"19121260-1212", true, false, false, false}, // day 60 is day 0
                    NumberCase{"19121292-1212", true, false, false, false}, // day 32 + 60
                    NumberCase{"19000229-1212", true, false, false, false}, // not a leap year
                    NumberCase{"20000229-1212", true, true, false, true},
                    NumberCase{"19121212-A212", true, true, false, true},
                    NumberCase{"19121212-12A2", false, true, false, false},
                    NumberCase{"19121212-1212a", false, true, false, false},
                    NumberCase{"19121212-a212", false, true, false, false},
                    NumberCase{"19121212 1212", false, true, false, false},
                    NumberCase{"07129000-1234", true, false, true, true},
                    NumberCase{"121212-1212", true, false, false, false}, // 10 digits
                    NumberCase{"1912-212-1212", true, false, false, false},
                    NumberCase{"", true, false, false, false},
                    NumberCase{"A", false, false, false, false}));

TEST(PersonalNumber, ControlTextsAreTrimmedAndNeedThirteenCharacters)
{
    EXPECT_EQ(NumberFromControlText("  19121212-1212\t"), "19121212-1212");
    EXPECT_FALSE(NumberFromControlText("191212121212"));
    EXPECT_FALSE(NumberFromControlText("19121212-12121"));
}

TEST(PersonalNumber, Rewritings)
{
    EXPECT_EQ(InsertHyphen("191212121212"), "19121212-1212");
    EXPECT_EQ(InsertHyphen("1912-12121212"), "1912-12121212");
    EXPECT_EQ(RemoveHyphen("19121212-1212"), "191212121212");
    EXPECT_EQ(RemoveHyphen("1912-1212-1212"), "19121212-1212");
    EXPECT_EQ(RemovePrefix("pnr=191212121212"), "191212121212");
    EXPECT_EQ(RemovePrefix("PNR=191212121212"), "PNR=191212121212");
    EXPECT_EQ(RemovePrefix("x pnr=19121212-1212"), "19121212-1212");
    EXPECT_EQ(NumberForLookup("pnr=191212121212"), "19121212-1212");
    EXPECT_EQ(LookupPattern("19121212-1212"), "%19121212-1212%");
    EXPECT_EQ(BirthDateText("19121212-1212"), "1912-12-12");
    EXPECT_EQ(BirthDateText("1912"), "1912--");
}

TEST(PersonalNumber, DialogTitles)
{
    EXPECT_EQ(NumberFromBookingTitle(" Boka/Boka om - Anna Svensson (19121212-1212) "), "19121212-1212");
    // No length test for the booking dialog, but an empty text names nobody.
    EXPECT_EQ(NumberFromBookingTitle("Boka/Boka om (1912)"), "1912");
    EXPECT_FALSE(NumberFromBookingTitle("Boka/Boka om ()"));
    EXPECT_FALSE(NumberFromBookingTitle("Boka/Boka om"));
    EXPECT_FALSE(NumberFromBookingTitle("Boka/Boka om (Anna)"));
    EXPECT_EQ(NumberFromPaymentTitle("Patientbetalning 19121242-1212"), "19121242-1212");
    EXPECT_FALSE(NumberFromPaymentTitle("Patientbetalning"));
    EXPECT_FALSE(NumberFromPaymentTitle("19121212-1212"));
    EXPECT_FALSE(NumberFromPaymentTitle("Patientbetalning - ingen patient"));
}

TEST(PersonalNumber, OtherSources)
{
    EXPECT_EQ(NumberFromRecognisedText("191212121212"), "19121212-1212");
    EXPECT_EQ(NumberFromRecognisedText("1912121-1212"), std::nullopt); // date part broken
    EXPECT_EQ(NumberFromRecognisedText("19121212A212"), "19121212-A212");
    EXPECT_FALSE(NumberFromRecognisedText("19121212-1212")); // 13 characters
    EXPECT_EQ(NumberFromCommandLine("19121212-1212"), "19121212-1212");
    EXPECT_EQ(NumberFromCommandLine("191212121212"), "191212121212");
    EXPECT_FALSE(NumberFromCommandLine(" 191212121212")); // blanks fail the character test
    EXPECT_FALSE(NumberFromCommandLine("UPDATE_ALL"));
    EXPECT_FALSE(NumberFromCommandLine("1912121212"));
    EXPECT_TRUE(IsHandOverNumber(" 123456 "));
    EXPECT_FALSE(IsHandOverNumber(" 12345 "));
}
