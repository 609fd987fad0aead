// Tests of the Ada name checks, each given the project lines a user writes and the
// diagnostics they must give.
#include "inputs/project_file.hpp"
#include "names/ada_names.hpp"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

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
    for (const Case& Row : Cases) {
        Run_Record Record; // the units derived as a run derives them
        Record.Project_Lines = Create_String_Set(static_cast<std::int32_t>(Row.Lines.size()));
        Record.Unit_Names = Create_String_Set(Record.Project_Lines.Capacity);
        for (const auto& Line : Row.Lines) {
            Store(Record.Project_Lines, ++Record.Line_Count, Line);
        }
        (void)Derive_Unit_Names(Record);
        std::vector<std::string> Found;
        for (const Diagnostic& Each : Check_Ada_Units(
                 Record, [&Row](const std::string& Path) { return Row.Files.contains(Path); })) {
            Found.push_back(std::to_string(Each.Found.Line) + (Each.Is_Error ? " E " : " W ") +
                            Each.Found.Message);
        }
        bool Matches = Found.size() == Row.Expected.size();
        for (std::size_t K = 0; Matches && K < Found.size(); ++K) {
            const std::size_t Head = Row.Expected[K].find(' ', 2) + 1;
            Matches = Found[K].starts_with(Row.Expected[K].substr(0, Head)) &&
                      Found[K].find(Row.Expected[K].substr(Head), Head) != std::string::npos;
        }
        EXPECT_TRUE(Matches) << testing::PrintToString(Row.Lines) << " found "
                             << testing::PrintToString(Found);
    }
}

// Where each name's problem lands among a list's diagnostics (the lexical rules themselves
// are tested on their own), in groups as the comments say.
TEST(CheckAdaUnits, JudgesEachUnitAsGnatDoes) {
    const std::string Main_Name = "m" + std::string(2034, 'x');
    const std::string Unit_Line = "u" + std::string(243, 'x');
    Expect_All({
        {{"app", "app", "util-io", "util", "gui-x11", "my_unit", "gui"},
         {}}, // a parent after its child
        {{"app", "app", "x[\"0391\"]", "x[\"0391\"]-y"}, {"3 W does not judge", "4 W does not"}},
        {{"app", "app", "util-body", "util-bodyguard"},
         {"3 E 'Body' is a reserved word", "4 E parent 'Util'"}},
        {{"app", "body", "util"}, {"2 E reserved word"}},
        // A file GNAT's default naming does not find builds through the GPR file's naming
        // exception; only gnatmake, which knows no such file, refuses a package there.
        {{"app", "proj-main", "proj"},
         {"2 W not 'proj-main.adb' as GNAT names it by default: gprbuild builds it through the "
          "naming exception in adaskel-layout's GPR file; gnatmake builds it with a warning"}},
        {{"app", "app", "util-Io"}, {"3 W naming exception", "3 E parent"}},
        {{"app", "app", "\xc9t\xe9"}, {"3 W gnatmake refuses it (it looks for '\xe9t\xe9.ads')"}},
        {{"proj", "app", "util"}, {"2 W procedure 'App' goes into 'proj.adb' (named by line 1)"}},
        {{"Demo", "demo", "ABC", "ABC-def"},
         {"2 W gnatmake builds it", "3 W gnatmake refuses it", "4 W gnatmake refuses it"}},
        {{"./app", "app", "util"}, {}}, // the body file is app.adb all the same
        {{"app", "app", "a", "a-b"}, {"4 W gnatmake refuses it (it looks for 'a~b.ads')"}},
        {{"demo", "demo", "DEMO-util"},
         {"3 W gnatmake refuses", "3 E the parent of 'DEMO.Util' is the main procedure"}},
        {{"app", "app", "proj-io"},
         {"3 E the parent 'Proj' of 'Proj.Io' is neither in the project file nor at "
          "'app/proj/src/lib/proj.ads'"}},
        // A capitalised parent's line removed, its spec left in the tree: the report named
        // only the path GNAT looks at, as if the file the user sees were not there.
        {{"app", "app", "Proj-io"},
         {"3 W gnatmake refuses",
          "3 E nor at 'app/proj/src/lib/proj.ads': GNAT will not find its spec; "
          "'app/Proj/src/lib/Proj.ads' is there, but GNAT's default naming does not find "
          "'Proj.ads' and no line names it for a naming exception any more"},
         {"app/Proj/src/lib/Proj.ads"}},
        {{"app", "app", "proj-Io"},
         {"3 W gnatmake", "3 E GNAT will not find its spec"},
         {"app/proj-Io/src/lib/proj-Io.ads"}}, // only a parent's spec is looked for
        {{"app", "proj-app"}, {"2 W gnatmake builds it", "2 E parent 'Proj'"}},
        {{"app", "app", "util", "util"}, {"4 W 'Util' is listed twice (first at line 3)"}},
        {{"app", "app", "util", "Util"},
         {"4 E 'Util' goes into 'Util.ads' here and into 'util.ads' (line 3): one unit, two "
          "files, of which gprbuild compiles one and leaves the other dead in the tree",
          "4 W gnatmake refuses"}},
        {{"app", "app", "util", "util-xa", "util-xA"},
         {"5 E 'Util.XA' is the same unit as 'Util.Xa' (line 4): Ada ignores letter case",
          "5 W gnatmake refuses"}},
        {{"app", "app", "app"}, {"3 E package 'App' has the name of the main procedure"}},
        {{"app", "app", "aPP"}, {"3 E main procedure 'App' (line 2): Ada ignores", "3 W gnatmake"}},
        // GNAT needs every parent up to a listed one: a parent spec in the tree brings in its own
        // parent, which the check once did not look for (gprbuild: file "pa.ads" not found). A
        // missing parent fails every unit under it, which the report counts.
        {{"shop", "shop", "pa-pb-pc"},
         {"3 E the parent 'Pa' of 'Pa.Pb' ('shop/pa-pb/src/lib/pa-pb.ads', under which "
          "'Pa.Pb.Pc' is) is neither in the project file nor at 'shop/pa/src/lib/pa.ads'"},
         {"shop/pa-pb/src/lib/pa-pb.ads"}},
        {{"shop", "shop", "pa-pb-pc"},
         {},
         {"shop/pa-pb/src/lib/pa-pb.ads", "shop/pa/src/lib/pa.ads"}},
        {{"shop", "shop", "pa-pb-pc", "pa"}, {}, {"shop/pa-pb/src/lib/pa-pb.ads"}},
        {{"shop", "shop", "pa-pb-pc"},
         {"3 E the parent 'Pa.Pb' of 'Pa.Pb.Pc' is neither"},
         {"shop/pa/src/lib/pa.ads"}},
        {{"app", "app", "x-a", "x-a-b", "x-a-b", "x-a-c", "x-a-b-d", "x-b"},
         {"3 E the parent 'X' of 'X.A' is neither in the project file nor at "
          "'app/x/src/lib/x.ads': GNAT will not find its spec, and refuses 'X.A' and the 3 "
          "units below it",
          "5 W listed twice", "8 E the parent 'X' of 'X.B' is neither"}},
        {{"app", "app", "x-a-b", "x-a-b-c"},
         {"3 E 'X.A' of 'X.A.B' is neither in the project file nor at 'app/x-a/src/lib/x-a.ads': "
          "GNAT will not find its spec, and refuses 'X.A.B' and the 1 unit below it"}},
        // The body file is named by line 1: a package whose spec is named so shares its object
        // file, and one whose body GNAT would look for under that name is taken to have one.
        // Neither was refused, and gprbuild refuses both. On a case-sensitive file system other
        // spellings are other files.
        {{"demo", "demo_main", "demo", "demo-util"},
         {"2 W not 'demo_main.adb'",
          "3 E package 'Demo' goes into 'demo.ads', and the main procedure's body file is "
          "'demo.adb' (named by line 1): gprbuild refuses the project (\"demo.adb\" and "
          "\"demo.ads\" have the same object file name\")"}},
        {{"Demo", "demo_main", "Demo"},
         {"2 W not 'demo_main.adb'", "3 W gnatmake refuses", "3 E same object file name"}},
        {{"demo", "demo_main", "Demo"},
         {"2 W not", "3 W gnatmake refuses",
          "3 E 'demo.adb' (named by line 1): GNAT's name for the package's body, so the "
          "compiler takes it for one and refuses the package (\"package \"Demo\" does not "
          "allow a body\")"}},
        {{"demo", "demo_main", "DEMO"}, {"2 W not", "3 W gnatmake", "3 E does not allow a body"}},
        {{"Demo", "demo_main", "demo"}, {"2 W not 'demo_main.adb'"}},
        {{"Demo", "demo_main", "DEMO"}, {"2 W not", "3 W gnatmake refuses"}},
        {{"demo", "demo", "Demo"}, {"3 E has the name of the main procedure", "3 W gnatmake"}},
        // GNAT's own units, as gprbuild judges them: it refuses the language's roots and all
        // under them, and builds the project's unit of every other name, where gnatmake takes
        // GNAT's or will not bind.
        {{"app", "app", "ada-extra"},
         {"3 E 'Ada.Extra' is under 'Ada': gprbuild refuses it (\"user-defined descendants"}},
        {{"app", "app", "Interfaces-c-x"}, {"3 E gprbuild refuses it"}},
        {{"app", "app", "system"}, {"3 E 'System' is a language-defined unit: gprbuild refuses"}},
        {{"app", "app", "text_IO"},
         {"3 W 'Text_IO' is also a unit or file of GNAT's own library: gprbuild builds the "
          "project's; gnatmake refuses it (it will not bind a file named as GNAT's "
          "'text_io.ads')"}},
        {{"app", "app", "calendar", "directio", "gnat", "ioexcept"},
         {"3 W gnatmake refuses", "4 W gnatmake refuses", "5 W gnatmake refuses",
          "6 W gnatmake refuses"}},
        {{"app", "app", "io_exceptions", "sequential_io"},
         {"3 W gnatmake takes GNAT's own in its place", "4 W gnatmake takes"}},
        {{"app", "app", "gnat-util", "gnat-io"},
         {"3 W does not judge: gprbuild builds the project's unit unless", "4 W does not judge"}},
        {{"app", "gnat-x"}, {"2 W hierarchy 'Gnat' of GNAT's own library, which the check"}},
        {{"app", "app", "calendar-x"},
         {"3 E hierarchy 'Calendar' of GNAT's own library: gprbuild"}},
        {{"app", "app", "calendar-x", "calendar", "text_io-a-b"},
         {"3 W under the project's; gnatmake refuses it", "4 W gnatmake refuses",
          "5 E hierarchy 'Text_io'"}},
        {{"app", "app", "text_io", "text_io-a-b"}, {"3 W gnatmake refuses", "4 W", "4 E parent"}},
        {{"app", "app", "memtrack", "memtrack-x"}, {"3 E", "4 E hierarchy 'Memtrack'"}},
        {{"app", "app", "interfac", "memtrack"},
         {"3 E gprbuild refuses to bind it (GNAT's library was compiled with GNAT's "
          "'interfac.ads')",
          "4 E gprbuild takes GNAT's body 'memtrack.adb' for it, and refuses it"}},
        {{"calendar", "calendar"}, {"2 E procedure 'Calendar' has the name of a unit of GNAT's"}},
        {{"app", "Direct_IO"}, {"2 E procedure 'Direct_IO' has the name"}},
        {{"app", "app", "adam", "systems", "gnats-x"}, {"5 E parent 'Gnats'"}},
        // The names package Standard declares conflict with a unit of the project, as unit, main
        // procedure or parent; as a child's own name, and beside them, names are free.
        {{"app", "app", "integer", "ASCII", "constraint_error", "long_long_long_integer"},
         {"3 E 'Integer' conflicts with declaration in package Standard: gprbuild refuses",
          "4 E 'ASCII' conflicts", "5 E conflicts", "6 E conflicts"}},
        {{"boolean", "boolean"}, {"2 E 'Boolean' conflicts with declaration in package Standard"}},
        {{"app", "app", "character", "character-io"},
         {"3 E conflicts", "4 E 'Character.Io' is under 'Character', which conflicts"}},
        {{"app", "app", "wide_string-x"}, {"3 E under 'Wide_string', which conflicts"}},
        {{"app", "app", "util", "util-integer", "standard", "latin_1", "universal_integer"}, {}},
        // GNAT's own limits: the main procedure's name, the file names gprbuild extends, and the
        // byte gprbuild cannot read in a string of the GPR file.
        {{"app", Main_Name, Unit_Line}, {"2 W gnatmake builds it"}},
        {{"app", Main_Name + "x", Unit_Line + "x"},
         {"2 E the main procedure's name has 2036 characters: GNAT compiles at most 2035",
          "2 W gnatmake builds it", "3 E has 249 bytes: gprbuild refuses every source file name"}},
        {{std::string(245, 'r'), std::string(245, 'r')}, {"1 E has 249 bytes"}},
        {{"app", "app", "\377b", "b\xff", "\376b"},
         {"3 E holds byte '\\xff' at column 1: gprbuild reads it in a string of the GPR file as "
          "a NUL byte, and fails",
          "4 E column 2"}},
        {{"app", "\377b"}, {"2 E holds byte '\\xff' at column 1", "2 W not"}},
    });
}

} // namespace
} // namespace adaskel
