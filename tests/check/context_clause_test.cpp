// Tests of the context clause reader: which names it takes as withed, where it stops, and
// how it reads a file: a block at a time, never past its bound.
#include "../scratch.hpp"
#include "check/context_clause.hpp"
#include "check/context_tokens.hpp"

#include <cerrno>
#include <chrono>
#include <random>

#include <gtest/gtest.h>

namespace adaskel {
namespace {

// The withed names of Source, each "LINE:NAME".
std::vector<std::string> Withed(std::string_view Source) {
    std::vector<std::string> Names;
    for (const Withed_Unit& Unit : Withed_Units(Source)) {
        Names.push_back(std::to_string(Unit.Line) + ":" + Unit.Name);
    }
    return Names;
}

TEST(ContextClause, TakesWithClausesOnly) {
    struct Row {
        std::string_view Source;
        std::vector<std::string> Names;
    };
    const std::vector<Row> Rows = {
        {"-- Header := \"with Fake;\"\nwith Store ; \nwith Reports.Pdf ; \nprocedure Shop is\n",
         {"2:Store", "3:Reports.Pdf"}},
        {"WITH A, B.C;use A;\npragma Elaborate_All (\"with X;\");\nlimited with D;\n"
         "private with E; package F is\n",
         {"1:A", "1:B.C", "3:D", "4:E"}},
        {"with A; -- with Commented;\n\r\nprocedure P is\n   with_Not : Integer;\nwith Late;\n",
         {"1:A"}},
        {"separate (P) with Late;\n", {}},
        {"with \"A\"\"B\";", {}},
        {"with \"A;\", B;", {"1:B"}},
        {"", {}},
        // Blanks, comments and line ends around the dots of a name are no part of it.
        {"with Store . Cart;\nwith Store.\n   Cart, Store -- the shop\n  .Till;",
         {"1:Store.Cart", "2:Store.Cart", "3:Store.Till"}},
        // A character literal holds a quotation mark that opens no string; an attribute
        // mark after a name or ")" is no literal's.
        {"pragma Foo ('\"'); with Gone;", {"1:Gone"}},
        {"pragma Foo (Character'('\"'), X'Size); with Gone;", {"1:Gone"}},
        {"pragma Foo (';'); with A;", {"1:A"}},
        {"with A.;\nwith B.\0;", {"1:A.", "2:B."}},
    };
    for (const Row& Each : Rows) {
        EXPECT_EQ(Withed(Each.Source), Each.Names) << Each.Source;
    }
}

// A source of 200,000 string literals once overflowed the stack, a call each.
TEST(ContextClause, ManyLiteralsReadInOneLoop) {
    std::string Source;
    for (int J = 0; J < 200000; ++J) {
        Source += "\"\" ";
    }
    Source += "\nwith Deep;";
    EXPECT_EQ(Withed(Source), std::vector<std::string>{"2:Deep"});
}

TEST(ContextTokens, ProjectsWithedByGprFile) {
    Token_Reader Reader{
        .Bytes = Text_Source_Bytes("-- with \"no.gpr\";\nwith \"a.gpr\", \"tree/app_tree.gpr\";\n"
                                   "limited with \"b\";\nproject App is\n   with \"late.gpr\";\n")};
    std::vector<std::string> Names;
    Each_Withed(Reader, Token_Kind::String, [&](const Token& Each) { Names.push_back(Each.Text); });
    EXPECT_EQ(Names, (std::vector<std::string>{"a.gpr", "tree/app_tree.gpr", "b"}));
}

TEST(ContextTokens, FileReadInBlocksWithinItsBound) {
    // A name across the end of the first block, and a clause cut by the bound.
    const std::string Padding = "--" + std::string(65530, 'x') + "\n";
    struct Row {
        std::string Bytes;
        std::uint64_t Bound;
        std::vector<std::string> Names;
        bool Cut;
    };
    const std::vector<Row> Rows = {
        {Padding + "with Store.Cart;\nwith Till;\nprocedure P is",
         1 << 20,
         {"Store.Cart", "Till"},
         false},
        {"with A;\n" + Padding + "with B;\n", 100, {"A"}, true},
        {"with A;\nprocedure P is\n" + Padding, 100, {"A"}, false},
    };
    const Scratch_Dir Here;
    const auto Withs_In = [](const std::string& Path, std::uint64_t Bound, Context_Read& Read) {
        std::vector<std::string> Names;
        Read = Read_Withed(Path, Bound, Token_Kind::Word,
                           [&](const Token& Each) { Names.push_back(Each.Text); });
        return Names;
    };
    for (const Row& Each : Rows) {
        Context_Read Read;
        EXPECT_EQ(Withs_In(Here.Put("a.adb", Each.Bytes), Each.Bound, Read), Each.Names);
        EXPECT_EQ(Read.Cut, Each.Cut);
        EXPECT_EQ(Read.Error, 0);
    }
    Context_Read Read;
    EXPECT_TRUE(Withs_In(Here.Path + "/absent.adb", 100, Read).empty());
    EXPECT_EQ(Read.Error, ENOENT);
}

// Random token streams: the reader ends on each, in time linear in its length.
TEST(ContextTokens, RandomStreamsEnd) {
    // clang-format off
    const std::vector<std::string> Pieces = {
        "with ", "limited ", "private ", "use ", "pragma ", "Store", ".", " ", ",", ";", "(", ")",
        "'", "\"", "\"\"", "'\"'", "--", "\n", "\r", "\t", "A'B", std::string(1, '\0'), "\xff",
        "_", "9", "with Store . Cart;"};
    // clang-format on
    std::mt19937 Random(27);
    const auto Start = std::chrono::steady_clock::now();
    for (int Stream = 0; Stream < 1000; ++Stream) {
        std::string Source;
        const std::size_t Length = Random() % 400;
        for (std::size_t J = 0; J < Length; ++J) {
            Source += Pieces[Random() % Pieces.size()];
        }
        for (const Withed_Unit& Each : Withed_Units(Source)) {
            EXPECT_FALSE(Each.Name.empty()) << Source;
            EXPECT_GE(Each.Line, 1);
        }
    }
    EXPECT_LT(std::chrono::steady_clock::now() - Start, std::chrono::seconds(1));
}

} // namespace
} // namespace adaskel
