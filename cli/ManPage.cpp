// Manual pages from the command table (see ManPage.h).
#include "ManPage.h"

#include <cctype>
#include <cstdio>
#include <ostream>
#include <string>

namespace utility::cli {
namespace {

// Text as roff shows it literally: backslashes escaped, hyphens as real minus signs (so that
// options can be searched and copied), and a line that starts with a control character guarded.
std::string Roff(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";
    } else if (c >= 0x80) {
      // A character beyond ASCII as groff's \[uXXXX], so that the page needs no input encoding.
      const std::size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
      unsigned code = c & (length == 4 ? 0x07u : length == 3 ? 0x0Fu : 0x1Fu);
      for (std::size_t k = 1; k < length && i + 1 < text.size(); ++k)
        code = (code << 6) | (static_cast<unsigned char>(text[++i]) & 0x3Fu);
      char buffer[16];
      std::snprintf(buffer, sizeof buffer, "\\[u%04X]", code);
      out += buffer;
    } else {
      out += static_cast<char>(c);
    }
  }
  if (!out.empty() && (out.front() == '.' || out.front() == '\'')) out.insert(0, "\\&");
  return out;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

void Header(std::ostream& out, const std::string& name) {
  out << ".TH " << Roff(Upper(name)) << " 1 \"\" \"utility " << UTILITY_VERSION << "\" \"User Commands\"\n";
}

void Examples(std::ostream& out, const std::vector<std::string>& examples) {
  for (const std::string& e : examples) out << ".PP\n.RS 4\n.EX\n" << Roff(e) << "\n.EE\n.RE\n";
}

}  // namespace

void PrintProgramManPage(std::ostream& out) {
  Header(out, "utility");
  out << ".SH NAME\nutility \\- every operation of the Utility library from a shell\n"
         ".SH SYNOPSIS\n.B utility\n.I group command\n[\\fIoptions\\fR] [\\fIarguments\\fR]\n.br\n"
         ".B utility help\n[\\fIgroup\\fR [\\fIcommand\\fR]]\n.br\n"
         ".B utility\n\\fBversion\\fR | \\fBdemo\\fR | \\fBcompletion\\fR \\fBbash\\fR|\\fBzsh\\fR|\\fBfish\\fR\n"
         ".SH DESCRIPTION\nEach group of commands runs one part of the library. "
         "\\fButility\\fR \\fIgroup\\fR \\fB\\-\\-help\\fR lists a group's commands, and "
         "\\fButility demo\\fR gives a short tour that leaves nothing behind.\n"
         "With \\fB\\-\\-json\\fR a command prints its result as one JSON object.\n"
         ".SH GROUPS\n";
  for (const Group& g : Groups()) {
    out << ".TP\n.B " << Roff(g.name) << "\n"
        << Roff(g.summary) << "; see \\fButility\\-" << Roff(g.name) << "\\fR(1).\n";
  }
  out << ".SH EXIT STATUS\n.TP\n.B 0\nsuccess\n.TP\n.B 1\na negative answer or a failed operation\n"
         ".TP\n.B 2\nbad usage\n.TP\n.B 3\na file the library needs (the identity module, the keyword file) is not "
         "installed\n"
         ".SH ENVIRONMENT\n.TP\n.B UTILITY_REGISTRY_DIR\nthe directory of the registry store's hives\n"
         ".SH SEE ALSO\n";
  bool first = true;
  for (const Group& g : Groups()) {
    out << (first ? "" : ",\n") << "\\fButility\\-" << Roff(g.name) << "\\fR(1)";
    first = false;
  }
  out << "\n";
}

void PrintGroupManPage(std::ostream& out, const Group& group) {
  Header(out, "utility-" + group.name);
  out << ".SH NAME\nutility\\-" << Roff(group.name) << " \\- " << Roff(group.summary) << "\n.SH SYNOPSIS\n";
  for (const Command& c : group.commands) {
    out << ".B utility " << Roff(group.name) << " " << Roff(c.name) << "\n";
    if (!c.options.empty()) out << "[\\fIoptions\\fR]\n";
    if (!c.args.empty()) out << ".I \"" << Roff(Synopsis(c)) << "\"\n";
    out << ".br\n";
  }
  out << ".SH COMMANDS\n";
  for (const Command& c : group.commands) {
    out << ".SS " << Roff(c.name) << "\n" << Roff(c.summary) << "\n";
    for (const Option& o : c.options) {
      out << ".TP\n.B ";
      if (o.shortName != 0) out << "\\-" << o.shortName << ", ";
      out << "\\-\\-" << Roff(o.name);
      if (!o.value.name.empty()) out << " \\fI" << Roff(Placeholder(o.value)) << "\\fR";
      out << "\n" << Roff(o.help) << "\n";
    }
    Examples(out, c.examples);
  }
  out << ".SH OPTIONS\nEvery command also takes:\n.TP\n.B \\-\\-json\nprint the result as one JSON object\n"
         ".TP\n.B \\-\\-help\nshow the command's help\n"
         ".SH SEE ALSO\n\\fButility\\fR(1)\n";
}

}  // namespace utility::cli
