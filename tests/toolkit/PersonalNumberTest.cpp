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

// Titles and hand-overs name a patient only with a whole number. In titles the
// characters are tested before any trimming, and the number comes back
// hyphenated so that every form of one number is one patient.
TEST(PersonalNumber, TitlesAndHandOversTakeOnlyWholeNumbers)
{
    using Rule = std::optional<std::string> (*)(std::string_view);
    const std::string A = "19121212-1212";
    struct Case { Rule rule; const char* text; std::optional<std::string> expected; } cases[] = {
        {NumberFromBookingTitle, " Boka/Boka om - Anna Svensson (19121212-1212) ", A},
        {NumberFromBookingTitle, "Boka/Boka om - Tolvan (191212121212)", A},
        {NumberFromBookingTitle, "Boka/Boka om - Tolvan (4217)", std::nullopt},     // a booking reference
        {NumberFromBookingTitle, "Boka/Boka om - Anna ( 19121212-1212)", std::nullopt}, // blank seen before trimming
        {NumberFromBookingTitle, "Boka/Boka om (19121242-1212)", std::nullopt},     // day 42
        {NumberFromBookingTitle, "Boka/Boka om (1912121-21212)", std::nullopt},     // hyphen out of place
        {NumberFromBookingTitle, "Boka/Boka om (07129000-1234)", "07129000-1234"},
        {NumberFromBookingTitle, "Boka/Boka om ()", std::nullopt},
        {NumberFromBookingTitle, "Boka/Boka om", std::nullopt},
        {NumberFromBookingTitle, "Boka/Boka om (Anna)", std::nullopt},
        {NumberFromPaymentTitle, "Patientbetalning 19121212-1212", A},
        {NumberFromPaymentTitle, "Patientbetalning - Berit 191212121212", std::nullopt}, // the blank is in the last 13
        {NumberFromPaymentTitle, "Patientbetalning          123", std::nullopt},
        {NumberFromPaymentTitle, "Patientbetalning 19121242-1212", std::nullopt},
        {NumberFromPaymentTitle, "Patientbetalning", std::nullopt},
        {NumberFromPaymentTitle, "19121212-1212", std::nullopt},
        {NumberFromPaymentTitle, "Patientbetalning - ingen patient", std::nullopt},
        {NumberFromHandOver, " 19121212-1212 ", A},
        {NumberFromHandOver, "191212121212", "191212121212"},
        {NumberFromHandOver, "%", std::nullopt},
        {NumberFromHandOver, "1912121_-1212", std::nullopt},
        {NumberFromHandOver, "%19121212-1212", std::nullopt},
        {NumberFromHandOver, " 123456 ", std::nullopt},
        {NumberFromHandOver, "121212-1212", std::nullopt}, // ten digits match several patients
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.rule(c.text), c.expected) << c.text;
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
}

struct ScreenCase {
    const char* text;
    ScreenNumberVerdict verdict;
};

class ScreenNumberTests : public testing::TestWithParam<ScreenCase> {};

TEST_P(ScreenNumberTests, OnlySurelyRightNumbersPass)
{
    using namespace std::chrono;
    const year_month_day today{year{2026}, December, day{11}};
    EXPECT_EQ(CheckScreenNumber(GetParam().text, today), GetParam().verdict);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ScreenNumberTests,
    testing::Values(
        ScreenCase{"191212121212", ScreenNumberVerdict::Accepted},
        ScreenCase{"198208309586", ScreenNumberVerdict::Accepted},
        ScreenCase{"190307116228", ScreenNumberVerdict::Accepted},
        ScreenCase{"191212721219", ScreenNumberVerdict::Accepted},   // coordination number
        ScreenCase{"202612111233", ScreenNumberVerdict::Accepted},   // born today
        ScreenCase{"19121212A212", ScreenNumberVerdict::Accepted},   // "A" serial: no check digit
        ScreenCase{"071290001234", ScreenNumberVerdict::Accepted},   // special: no date, no check
        // Misreads of one digit, as screens give them.
        ScreenCase{"191212121213", ScreenNumberVerdict::CheckDigit},
        ScreenCase{"190307116226", ScreenNumberVerdict::CheckDigit},
        ScreenCase{"190603173100", ScreenNumberVerdict::CheckDigit},
        ScreenCase{"191212721218", ScreenNumberVerdict::CheckDigit},
        ScreenCase{"106106100560", ScreenNumberVerdict::NoDate},     // check digit right, year 1061
        ScreenCase{"187001011233", ScreenNumberVerdict::Accepted},   // the earliest year taken
        ScreenCase{"186912311237", ScreenNumberVerdict::NoDate},
        ScreenCase{"191212421212", ScreenNumberVerdict::NoDate},     // day 42
        ScreenCase{"190002291212", ScreenNumberVerdict::NoDate},
        ScreenCase{"202612121232", ScreenNumberVerdict::FutureDate}, // tomorrow, check digit right
        ScreenCase{"202612721239", ScreenNumberVerdict::FutureDate}, // tomorrow as coordination
        ScreenCase{"20991212A212", ScreenNumberVerdict::FutureDate},
        ScreenCase{"19121212-121", ScreenNumberVerdict::NotANumber}, // a lost digit
        ScreenCase{"1912121212", ScreenNumberVerdict::NotANumber},
        ScreenCase{"1912121212121", ScreenNumberVerdict::NotANumber},
        ScreenCase{"19121212 212", ScreenNumberVerdict::NotANumber},
        ScreenCase{"1912121212A2", ScreenNumberVerdict::NotANumber},
        ScreenCase{"", ScreenNumberVerdict::NotANumber}));

TEST(PersonalNumber, CheckDigitNeedsTwelveDigits)
{
    EXPECT_TRUE(HasValidCheckDigit("191212121212"));
    EXPECT_FALSE(HasValidCheckDigit("19121212121"));
    EXPECT_FALSE(HasValidCheckDigit("19121212A212"));
}
