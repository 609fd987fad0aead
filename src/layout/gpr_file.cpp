// Forming the GPR project file. Names go into string literals, where a quotation mark
// is doubled; the layout's name rules keep control characters out of them.
#include "layout/gpr_file.hpp"

#include "inputs/unit_names.hpp"

namespace adaskel {

namespace {

std::string Literal(std::string_view Text) {
    std::string Quoted = "\"";
    for (const char C : Text) {
        Quoted += C;
        if (C == '"') {
            Quoted += C;
        }
    }
    return Quoted + '"';
}

} // namespace

std::string Gpr_Text(std::string_view Root, const std::vector<std::string>& Source_Dirs,
                     std::string_view Main) {
    std::string Name(Root); // raised as a unit name is: the root holds no "-"
    To_Filename(Name);
    std::string Text = "--  The tree adaskel writes. Build it with: gprbuild -P " +
                       std::string(Root) + "/" + std::string(Root) + ".gpr\n";
    Text += "project " + Name + " is\n   for Source_Dirs use\n";
    for (std::size_t I = 0; I < Source_Dirs.size(); ++I) {
        Text += (I == 0 ? "     (" : "      ") + Literal(Source_Dirs[I]) +
                (I + 1 == Source_Dirs.size() ? ");\n" : ",\n");
    }
    Text += "   for Main use (" + Literal(Main) + ");\n";
    Text += "   for Object_Dir use \"obj\";\n   for Exec_Dir use \"bin\";\n";
    return Text + "end " + Name + ";\n";
}

void Write_Gpr_File(Console& Out, const Shared_Directory& Directory, const std::string& Path,
                    std::string_view Text) {
    if (Holds_File(Look_In(*Directory, Path))) {
        return;
    }
    Pending_File File = Create_Pending(Directory, Path);
    Put_Line(Out, (Publish_Alone(File, Text) ? "created " : "exists ") + Escape(Path));
}

} // namespace adaskel
