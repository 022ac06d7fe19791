// Small string helpers shared by the command line and the .def parser.
#ifndef LINK_TEXT_H
#define LINK_TEXT_H

#include <string>

namespace librarian {

// ASCII lower case.
std::string lower(const std::string& s);

// Reads a whole unsigned number: decimal, or hexadecimal after 0x. False when
// `s` is not one or exceeds `max`.
bool parse_number(const std::string& s, unsigned long long max, unsigned long long* out);

// The part of `path` after its last '/' or '\\'.
std::string file_part(const std::string& path);

// `path` with the extension of its file part (from its last '.') replaced by
// `ext` (which includes the dot), or `ext` appended when it has none.
std::string replace_extension(const std::string& path, const std::string& ext);

}  // namespace librarian

#endif  // LINK_TEXT_H
