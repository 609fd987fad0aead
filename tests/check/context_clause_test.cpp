// Tests of the context clause reader: which names it takes as withed, and where it stops.
#include "check/context_clause.hpp"

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
        {"", {}},
    };
    for (const Row& Each : Rows) {
        EXPECT_EQ(Withed(Each.Source), Each.Names) << Each.Source;
    }
}

} // namespace
} // namespace adaskel
