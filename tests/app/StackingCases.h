#pragma once
// Which window the pass follows when windows lie on top of each other, and
// which Q7 it still finds when Q7 is minimised or hidden. One table, played
// as q7sim scripts on every desktop layer (memory, X11, Win32): the layers
// must agree on what "first" and "last" mean and on what is visible.

#include "app/core/Tracking.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace app::testing {

struct StackingCase {
    const char* name;
    std::string script;   // q7sim commands; "$T" stands for the test's tag
    std::string followed; // the number looked up; empty: none
    std::string message;  // the message of the pass; empty: a patient was found
};

inline const std::string kStackA = "19121212-1212";
inline const std::string kStackB = "19340506-7890";
inline const std::string kStackC = "20010203-4455";

// Q7 by exact title is "Q7 test $T", by title part "Q7 del $T"; the dialogs'
// search strings carry the tag too, so windows of tests running beside us on
// the same display never match.
inline TrackingOptions stackingOptions(const std::string& tag)
{
    TrackingOptions o;
    o.Q7WindowTitle = "Q7 test " + tag;
    o.Q7WindowTitles = {"Q7 del " + tag};
    o.TidBokSearchString = "Boka " + tag;
    o.EkonomiSearchString = "Betalning " + tag;
    o.RemissSearchString = "(Remiss " + tag;
    return o;
}

inline std::vector<StackingCase> stackingCases()
{
    const std::string doc = "child doc mdi ThunderRT6FormDC Journal\nchild pnr doc Edit " + kStackA + "\n";
    return {
        {"OfTwoDialogsTheFrontOneWins",
         "q7 Q7 test $T\n" + doc + "top pay1 Dlg Betalning $T " + kStackB + "\n" +
             "top pay2 Dlg Betalning $T " + kStackC + "\n",
         kStackC, ""},
        {"ARaisedDialogComesToTheFront",
         "q7 Q7 test $T\n" + doc + "top pay1 Dlg Betalning $T " + kStackB + "\n" +
             "top book Dlg Boka $T - Berit (" + kStackC + ")\nraise pay1\n",
         kStackB, ""},
        {"AWindowInFrontWhoseTitleContainsQ7sIsNotQ7",
         "q7 Q7 del $T - Anna\n" + doc + "top help HelpWindow Hjälp - Q7 del $T\n", kStackA, ""},
        {"OfTwoQ7WindowsByTitlePartTheOneBehindIsTaken",
         "q7 Q7 del $T - Anna\n" + doc + "top other ThunderRT6Main Q7 del $T - Berit\n"
             "child mdi2 other MDIClient\nchild doc2 mdi2 ThunderRT6FormDC Journal\n"
             "child pnr2 doc2 Edit " + kStackB + "\n",
         kStackA, ""},
        {"AMinimisedQ7IsStillFoundByATitlePart", "q7 Q7 del $T - Anna\n" + doc + "minimize q7\n", kStackA,
         ""},
        {"AHiddenQ7FoundByItsExactTitleKeepsItsDocument", "q7 Q7 test $T\n" + doc + "hide q7\n", kStackA,
         ""},
        {"AHiddenQ7IsNotFoundByATitlePart", "q7 Q7 del $T - Anna\n" + doc + "hide q7\n", "",
         kQ7NotRunning},
    };
}

inline std::string withTag(std::string script, const std::string& tag)
{
    for (std::size_t at; (at = script.find("$T")) != std::string::npos;)
        script.replace(at, 2, tag);
    return script;
}

inline void expectStackingOutcome(const StackingCase& c, const TrackingResult& r)
{
    EXPECT_EQ(r.message, c.message);
    EXPECT_EQ(r.lookedUp.value_or(""), c.followed);
}

} // namespace app::testing
