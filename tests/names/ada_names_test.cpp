// Tests of the Ada name checks, each given the project lines a user writes and the
// diagnostics they must give.
#include "inputs/project_file.hpp"
#include "names/ada_names.hpp"

#include <gtest/gtest.h>

#include <set>

namespace adaskel {
namespace {

// The project lines and the diagnostics they must give, in order, each written as
// "LINE E|W fragment of the message"; the files of the tree, when any matter.
struct Case {
    std::vector<std::string> Lines;
    std::vector<std::string> Expected;
    std::set<std::string> Files{};
};

void Expect_All(const std::vector<Case>& Cases) {
    for (std::size_t Number = 1; Number <= Cases.size(); ++Number) {
        const Case& Row = Cases[Number - 1];
        const auto& [Lines, Expected, Files] = Row;
        Run_Record Record; // the units derived as a run derives them
        Record.Project_Lines = Create_String_Set(static_cast<std::int32_t>(Lines.size()));
        Record.Unit_Names = Create_String_Set(Record.Project_Lines.Capacity);
        for (const auto& Line : Lines) {
            Store(Record.Project_Lines, ++Record.Line_Count, Line);
        }
        (void)Derive_Unit_Names(Record);
        const auto Units = Ada_Units_Of(Record);
        const auto Found = Check_Ada_Units(
            Units, Lines[0], [&Row](const std::string& Path) { return Row.Files.count(Path) > 0; });
        std::string Report;
        bool Matches = Found.size() == Expected.size();
        for (std::size_t K = 0; K < Found.size(); ++K) {
            const std::string Text = std::to_string(Found[K].Line) +
                                     (Found[K].Is_Error ? " E " : " W ") + Found[K].Message;
            Report += Text + "\n";
            const std::size_t Head = K < Expected.size() ? Expected[K].find(' ', 2) + 1 : 0;
            Matches = Matches && Text.starts_with(Expected[K].substr(0, Head)) &&
                      Text.find(Expected[K].substr(Head), Head) != std::string::npos;
        }
        std::string Listed; // the row's lines, so that a failing row says which it is
        for (const auto& Line : Lines) {
            Listed += (Listed.empty() ? "" : " / ") + Escape(Line);
        }
        EXPECT_TRUE(Matches) << "row " << Number << " (" << Listed << "): found\n" << Report;
    }
}

TEST(CheckAdaUnits, TellsAdaNames) {
    Expect_All({
        {{"app", "app", "util-io", "util", "gui-x11", "my_unit", "gui"},
         {}}, // a parent after its child
        {{"\xe9t\xe9", "\xe9t\xe9", "\xfbn-\xe9t\xe9", "\xfbn", "\xdf\xff"}, {}}, // Latin-1
        {{"app", "app", "util", "util-util"}, {}},
        {{"app", "app", "x[\"0391\"]", "x[\"0391\"]-y"}, {"3 W does not judge", "4 W does not"}},
        {{"app", "app", "util-body", "util-bodyguard"},
         {"3 E 'Body' is a reserved word", "4 E parent 'Util'"}},
        {{"app", "app", "some", "xor-x"}, {"3 E 'Some' is a reserved", "4 E 'Xor' is a reserved"}},
        {{"app", "app", "my unit", "2x", "a__b", "util_", "_u", "a--b"},
         {"3 E 'My unit' is not an identifier", "4 E '2x'", "5 E 'A__b'", "6 E 'Util_'", "7 E '_u'",
          "8 E empty part"}},
        // The Latin-1 multiplication sign is no letter, nor is UTF-8's second byte of é.
        {{"app", "app", "\xe0\xd7", "\xc3\xa9t\xc3\xa9"}, {"3 E not an identifier", "4 E not an"}},
        {{"app", "body", "util"}, {"2 E reserved word"}},
        {{"app", "app", "x[\"0391\"", "x[\"039\"]", "x[0391]", "x[\"0391\"]_"},
         {"3 E not an identifier", "4 E not an", "5 E not an", "6 E not an"}},
    });
}

TEST(CheckAdaUnits, MatchesGnatFileNames) {
    Expect_All({
        {{"proj", "proj-main", "proj"}, {"2 W GNAT expects 'proj-main.adb'"}},
        {{"app", "app", "util-Io"}, {"3 E GNAT looks for it in 'util-io.ads'", "3 E parent"}},
        {{"app", "app", "\xc9t\xe9"}, {"3 E GNAT looks for it in '\xe9t\xe9.ads'"}},
        {{"proj", "app", "util"}, {"2 W procedure 'App' goes into 'proj.adb' (named by line 1)"}},
        {{"App", "app", "util"}, {"2 W GNAT expects 'app.adb'"}},
        {{"./app", "app", "util"}, {}}, // the body file is app.adb all the same
        {{"app", "app", "a", "a-b"}, {"4 E GNAT looks for it in 'a~b.ads'"}},
    });
    EXPECT_EQ(Gnat_File_Name("S.Io.X", false), "s~io-x.ads");
    EXPECT_EQ(Gnat_File_Name("B.Io", false), "b-io.ads");
    EXPECT_EQ(Gnat_File_Name("\xc0\xde\xdf.\xd7", true), "\xe0\xfe\xdf-\xd7.adb");
}

TEST(CheckAdaUnits, RefusesBadParentsAndRepeats) {
    Expect_All({
        {{"demo", "demo", "demo-util"}, {"3 E the parent of 'Demo.Util' is the main procedure"}},
        {{"demo", "demo", "DEMO-util"},
         {"3 E GNAT looks", "3 E parent of 'DEMO.Util' is the main"}},
        {{"app", "app", "proj-io"},
         {"3 E the parent 'Proj' of 'Proj.Io' is neither in the project file nor at "
          "'app/proj/src/lib/proj.ads'"}},
        {{"app", "app", "proj-io"}, {}, {"app/proj/src/lib/proj.ads"}},
        {{"app", "app", "Proj-io"},
         {"3 E GNAT looks", "3 E parent 'Proj'"},
         {"app/Proj/src/lib/Proj.ads"}},
        {{"app", "proj-app"}, {"2 W GNAT expects", "2 E parent 'Proj'"}},
        {{"app", "app", "util", "util"}, {"4 W 'Util' is listed twice (first at line 3)"}},
        {{"app", "app", "util", "Util"},
         {"4 E 'Util' goes into 'Util.ads' here and into 'util.ads' (line 3)", "4 E GNAT looks"}},
        {{"app", "app", "util", "util-xa", "util-xA"},
         {"5 E 'Util.XA' is the same unit as 'Util.Xa' (line 4): Ada ignores letter case",
          "5 E GNAT looks"}},
        {{"app", "app", "app"}, {"3 E package 'App' has the name of the main procedure"}},
        {{"app", "app", "aPP"}, {"3 E main procedure 'App' (line 2): Ada ignores", "3 E GNAT"}},
    });
}

TEST(CheckAdaUnits, KeepsGnatsOwnUnitsApart) {
    Expect_All({
        {{"app", "app", "ada-extra"}, {"3 E 'Ada.Extra' is in the predefined hierarchy 'Ada'"}},
        {{"app", "app", "gnat-os", "Interfaces-c-x"}, {"3 E predefined", "4 E predefined"}},
        {{"app", "app", "system", "text_IO", "calendar-x"},
         {"3 E 'System' is the name of a predefined unit", "4 E predefined unit", "5 E hierarchy"}},
        {{"app", "app", "directio", "memtrack"},
         {"3 E taken from 'directio.ads'", "4 E taken from 'memtrack.adb'"}},
        {{"calendar", "calendar"}, {"2 E predefined unit"}},
        {{"app", "gnat-x"}, {"2 W hierarchy 'Gnat' of GNAT's own library, which the check"}},
        {{"app", "app", "adam", "systems", "gnats-x"}, {"5 E parent 'Gnats'"}},
    });
}

} // namespace
} // namespace adaskel
